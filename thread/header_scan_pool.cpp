#include "thread/header_scan_pool.h"

#include <algorithm>

#include "platform/timing_log.h"
#include "thread/message_headers.h"
#include "thread/thread_node.h"

namespace thread {

HeaderScanAhead::HeaderScanAhead(const std::vector<ThreadNode*>& nodes, int workers,
                                 HeaderReader read)
    : nodes_(nodes),
      read_(read),
      scanned_(nodes.size()),
      done_(std::make_unique<std::atomic<bool>[]>(nodes.size())) {
  for (std::size_t i = 0; i < nodes.size(); ++i) done_[i].store(false, std::memory_order_relaxed);
  try {
    workers_.reserve(static_cast<std::size_t>(std::max(workers, 0)));
    for (int i = 0; i < workers; ++i) workers_.emplace_back([this] { WorkerLoop(); });
  } catch (...) {
    // A thread that cannot be started leaves its share to the threads already
    // running and to WaitFor; the destructor joins those.
  }
}

HeaderScanAhead::~HeaderScanAhead() {
  stop_.store(true);
  for (std::thread& worker : workers_) worker.join();
}

int HeaderScanAhead::DefaultWorkers() {
  // A scan of files that are not cached waits on the disk most of the time, so
  // two reads per core keep both the cores and the disk busy (measured: 4
  // threads on 2 cores scan cold files about twice as fast as 2).
  const unsigned cores = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(2 * cores, 2u, 8u));
}

bool HeaderScanAhead::TakeNext(std::size_t& index) {
  index = next_.fetch_add(1);
  return index < nodes_.size();
}

MessageHeaders HeaderScanAhead::Read(const ThreadNode& node) const {
  // An exception must not leave a worker (std::terminate) or the caller with a
  // node never marked done: the node is then read as an unreadable file.
  try {
    if (read_ != nullptr) return read_(node);
    return ReadMessageHeaders(node.FilePath.str(), node.MlFlag);
  } catch (...) {
    MessageHeaders empty;
    empty.MlFlag = node.MlFlag;
    return empty;
  }
}

void HeaderScanAhead::ScanOne(std::size_t index) {
  scanned_[index] = Read(*nodes_[index]);
  {
    // The store happens under the lock so that a waiter cannot miss the wake-up
    // between its check and its wait.
    std::lock_guard<std::mutex> lock(mutex_);
    done_[index].store(true, std::memory_order_release);
  }
  scanned_one_.notify_all();
}

void HeaderScanAhead::WorkerLoop() {
  std::size_t index = 0;
  while (!stop_.load(std::memory_order_relaxed) && TakeNext(index)) ScanOne(index);
}

void HeaderScanAhead::WaitFor(std::size_t index) {
  while (!done_[index].load(std::memory_order_acquire)) {
    std::size_t taken = 0;
    if (next_.load() <= index && TakeNext(taken)) {
      ScanOne(taken);
      continue;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    scanned_one_.wait(lock, [&] { return done_[index].load(std::memory_order_acquire); });
  }
  ApplyMessageHeaders(scanned_[index], *nodes_[index]);
  scanned_[index] = MessageHeaders();  // its bytes are in the node now
}

LinkRun ScanAndLink(std::vector<ThreadNode*>& nodes, ThreadLinker& linker, ThreadNode*& head,
                    LoadContext& context, int workers) {
  LinkRun run;
  std::size_t linked = 0;
  {
    // Where the caller's time goes: waiting for scans, linking, or the
    // dialog and the message pump.
    platform::PhaseTotal waiting("scan-wait"), linking("link"), reporting("progress-and-pump");
    HeaderScanAhead scan(nodes, workers);
    while (linked < nodes.size()) {
      {
        platform::PhaseTotal::Piece piece(waiting);
        scan.WaitFor(linked);
      }
      ThreadNode* node = nodes[linked++];
      {
        platform::PhaseTotal::Piece piece(reporting);
        context.progress.SetMailTitle(node->Subject);
        context.progress.Step();
      }
      {
        platform::PhaseTotal::Piece piece(linking);
        if (linker.Link(head, node)) ++run.Added;  // a duplicate is freed here
      }
      platform::PhaseTotal::Piece piece(reporting);
      if (context.PumpAndCheckStop()) {
        run.Stopped = true;
        break;
      }
    }
  }  // the scanners have stopped here, so the nodes left over can be freed
  for (std::size_t i = linked; i < nodes.size(); ++i) FreeThreadList(nodes[i]);
  nodes.clear();
  return run;
}

}  // namespace thread
