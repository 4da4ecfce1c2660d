// Opening a folder whose thread cache is current: LoadThreadCache (read
// "VLTR.ume" and "Entry.lst", no message file) against merely reading those
// two files' bytes, in the same run. Also the row fill with the cache
// rewrite that follows an open.
//
// Usage: bench_thread_open [COUNT...]   (default 1000 10000 100000)
// With VELTRANO_TIMING=FILE the phases of every open are logged there.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_mailbox.h"
#include "mailbox/folder_table.h"
#include "platform/files.h"
#include "platform/timing_log.h"
#include "thread/full_build.h"
#include "thread/thread_cache.h"
#include "thread/thread_rows.h"

namespace {

constexpr int kRepeats = 5;

struct Timing {
  double read_bytes = 1e9;
  double open = 1e9;
};

struct Figures {
  Timing warm;
  Timing cold;
  double copy_nodes = 1e9;  // only allocating the nodes and their strings
  double fill = 1e9;
  std::size_t rows = 0;
};

Figures Measure(int count) {
  bench::CachedFolder cached("open-" + std::to_string(count), count);
  const thread::FolderSource& source = cached.source;
  thread::LoadContext& context = cached.context;
  mailbox::FolderInfo& folder = cached.folder;
  const std::string cache_path = platform::JoinPath(cached.dir.Path(), thread::kCacheFileName);
  const std::string index_path = platform::JoinPath(cached.dir.Path(), "Entry.lst");

  Figures figures;
  for (int r = 0; r < 2 * kRepeats; ++r) {
    const bool cold = r % 2 == 1;
    Timing& timing = cold ? figures.cold : figures.warm;
    if (cold) bench::EvictFiles({cache_path, index_path});
    // The floor: merely reading the files the open reads, VLTR.ume and
    // Entry.lst (once: both passes of the open share its text), into memory,
    // and nothing else.
    std::size_t bytes = 0;
    timing.read_bytes = std::min(timing.read_bytes, bench::Seconds([&] {
      std::string data;
      for (const std::string* path : {&cache_path, &index_path}) {
        platform::ReadWholeFile(*path, data);
        bytes += data.size();
      }
    }));
    if (bytes == 0) std::abort();

    if (cold) bench::EvictFiles({cache_path, index_path});
    thread::ThreadLoad load;
    timing.open = std::min(
        timing.open, bench::Seconds([&] { load = thread::LoadThreadCache(source, context); }));
    figures.fill = std::min(
        figures.fill, bench::Seconds([&] {
          figures.rows = thread::FillThreadList(load.List.Head(), folder, true).Rows.size();
        }));
    if (cold) continue;
    thread::ThreadList copy;
    figures.copy_nodes = std::min(
        figures.copy_nodes, bench::Seconds([&] {
          thread::ThreadNode* last = nullptr;
          for (const thread::ThreadNode* node = load.List.Head(); node; node = node->Next) {
            thread::ThreadNode* twin = thread::NewThreadNode(last);  // one store, as a load makes
            twin->MessageId = twin->Keep(node->MessageId);
            twin->InReplyTo = twin->Keep(node->InReplyTo);
            twin->LastReference = twin->Keep(node->LastReference);
            twin->Sender = twin->Keep(node->Sender);
            twin->FilePath = twin->Keep(node->FilePath);
            twin->Subject = twin->Keep(node->Subject);
            if (last == nullptr) {
              copy.Reset(twin);
            } else {
              thread::AppendNode(last, twin);
            }
            last = twin;
          }
        }));
  }
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  // The phases of each open, as the Windows program logs them.
  if (const char* log = std::getenv("VELTRANO_TIMING")) platform::OpenTimingLog(log);
  std::vector<int> counts = {1000, 10000, 100000};
  if (argc > 1) counts.clear();
  for (int i = 1; i < argc; ++i) counts.push_back(std::atoi(argv[i]));

  std::printf("%8s | %10s %10s %7s | %10s %10s %7s | %11s | %12s\n", "messages", "warm bytes",
              "warm open", "ratio", "cold bytes", "cold open", "ratio", "nodes only",
              "rows+rewrite");
  for (int count : counts) {
    const Figures f = Measure(count);
    std::printf("%8d | %8.1fms %8.1fms %6.2fx | %8.1fms %8.1fms %6.2fx | %9.1fms | %10.1fms\n",
                count, f.warm.read_bytes * 1e3, f.warm.open * 1e3,
                f.warm.open / f.warm.read_bytes, f.cold.read_bytes * 1e3, f.cold.open * 1e3,
                f.cold.open / f.cold.read_bytes, f.copy_nodes * 1e3, f.fill * 1e3);
    if (f.rows != static_cast<std::size_t>(count)) std::printf("  (rows: %zu)\n", f.rows);
  }
  std::printf(
      "open = LoadThreadCache (read VLTR.ume, reconcile with Entry.lst, search new mail);\n"
      "bytes = reading VLTR.ume and Entry.lst; best of %d each. Cold: the\n"
      "two files dropped from the page cache before each timing. nodes only:\n"
      "allocating the same nodes in one store and copying their texts, nothing\n"
      "read or parsed: what any open must spend to hold the list.\n",
      kRepeats);
  return 0;
}
