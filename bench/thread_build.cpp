// The full build of a folder (BuildThreadsFromIndex) with the message
// headers scanned on worker threads against a scan on the linking thread
// alone, in the same run, from message files dropped from the page cache
// before each build. Also the heap held per message by the built list, and
// the peak heap during the build.
//
// Usage: bench_thread_build [COUNT...]   (default 1000 10000 100000)

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "bench/bench_mailbox.h"
#include "thread/full_build.h"
#include "thread/header_scan_pool.h"

// Heap accounting: every operator new of the process goes through here.
namespace {
std::atomic<long long> g_heap_now{0};
std::atomic<long long> g_heap_peak{0};

void* Allocate(std::size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  const long long now = g_heap_now += static_cast<long long>(malloc_usable_size(p));
  long long peak = g_heap_peak.load();
  while (now > peak && !g_heap_peak.compare_exchange_weak(peak, now)) {
  }
  return p;
}

void Release(void* p) {
  if (p == nullptr) return;
  g_heap_now -= static_cast<long long>(malloc_usable_size(p));
  std::free(p);
}
}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }

namespace {

constexpr int kRepeats = 3;

// Bytes of the nodes' texts in their store (a text shared by two fields once).
long long StringHeapBytes(const thread::ThreadNode* head) {
  long long bytes = 0;
  for (const thread::ThreadNode* node = head; node != nullptr; node = node->Next) {
    for (const thread::NodeText* text :
         {&node->MessageId, &node->InReplyTo, &node->Sender, &node->FilePath, &node->Subject}) {
      bytes += static_cast<long long>(text->size());
    }
    if (node->LastReference.data() != node->InReplyTo.data()) {
      bytes += static_cast<long long>(node->LastReference.size());
    }
  }
  return bytes;
}

struct Run {
  double seconds = 0;
  long long list_bytes = 0;    // heap held by the list afterwards
  long long string_bytes = 0;  // of which string contents
  long long peak_bytes = 0;    // heap peak during the build, above the start
};

Run Build(const std::string& dir, int count, int workers, bool cold) {
  if (cold) {
    bench::EvictMessageFiles(dir, count);
    bench::EvictFiles({platform::JoinPath(dir, "Entry.lst")});
  }
  thread::QuietProgress progress;
  thread::QuietMonitor monitor;
  thread::LoadContext context{progress, monitor};
  const thread::FolderSource source{dir, count, {}, workers};
  const long long before = g_heap_now.load();
  g_heap_peak = before;
  Run run;
  thread::ThreadLoad load;
  run.seconds = bench::Seconds([&] { load = thread::BuildThreadsFromIndex(source, context); });
  run.peak_bytes = g_heap_peak.load() - before;
  run.list_bytes = g_heap_now.load() - before;
  run.string_bytes = StringHeapBytes(load.List.Head());
  return run;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> counts = {1000, 10000, 100000};
  if (argc > 1) counts.clear();
  for (int i = 1; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
  const int parallel = thread::HeaderScanAhead::DefaultWorkers();

  std::printf("sizeof(ThreadNode) = %zu bytes; parallel = %d scanning threads besides the linker\n",
              sizeof(thread::ThreadNode), parallel);
  std::printf("%8s | %11s %11s %7s | %11s %11s %7s | %9s %9s %9s\n", "messages", "cold 1 thr",
              "cold par", "speedup", "warm 1 thr", "warm par", "speedup", "list/msg", "strings",
              "peak/msg");
  for (int count : counts) {
    bench::ScratchDir dir("build-" + std::to_string(count));
    bench::GenerateFolder(dir.Path(), count, 11);
    std::vector<double> cold_one, cold_par, warm_one, warm_par;
    Run sample;
    for (int r = 0; r < kRepeats; ++r) {
      cold_one.push_back(Build(dir.Path(), count, 0, true).seconds);
      cold_par.push_back(Build(dir.Path(), count, parallel, true).seconds);
      warm_one.push_back(Build(dir.Path(), count, 0, false).seconds);
      sample = Build(dir.Path(), count, parallel, false);
      warm_par.push_back(sample.seconds);
    }
    const double n = count;
    std::printf("%8d | %9.1fms %9.1fms %6.2fx | %9.1fms %9.1fms %6.2fx | %8.0fB %8.0fB %8.0fB\n",
                count, Median(cold_one) * 1e3, Median(cold_par) * 1e3,
                Median(cold_one) / Median(cold_par), Median(warm_one) * 1e3,
                Median(warm_par) * 1e3, Median(warm_one) / Median(warm_par),
                (sample.list_bytes - sample.string_bytes) / n, sample.string_bytes / n,
                sample.peak_bytes / n);
  }
  std::printf("speedup = one thread / parallel scan (median of %d). list/msg: heap held by the\n"
              "built list per message without its strings; strings: string contents on the\n"
              "heap per message; peak/msg: heap peak during the build per message.\n",
              kRepeats);
  return 0;
}
