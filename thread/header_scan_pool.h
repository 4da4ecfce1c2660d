#pragma once
// Scans the message headers of a run of nodes on worker threads, ahead of a
// caller that links the nodes one by one in order. Each node is scanned by
// exactly one thread, which only reads the node and writes the headers into a
// slot of its own; WaitFor stores them into the node on the caller's thread,
// since the node's store is not shared between threads.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "thread/load_host.h"
#include "thread/message_headers.h"
#include "thread/thread_linker.h"

namespace thread {

class HeaderScanAhead {
 public:
  // Starts `workers` threads (0: none; the caller then scans each node in
  // WaitFor). `nodes` must outlive this object.
  HeaderScanAhead(const std::vector<ThreadNode*>& nodes, int workers);
  // Stops the workers after the node each is scanning, and joins them.
  ~HeaderScanAhead();
  HeaderScanAhead(const HeaderScanAhead&) = delete;
  HeaderScanAhead& operator=(const HeaderScanAhead&) = delete;

  // Returns once nodes[index] has been scanned, with its headers stored into
  // it. When no thread has taken that node yet, the caller scans nodes itself
  // instead of waiting idle.
  void WaitFor(std::size_t index);

  // Threads to use for scanning ahead on this machine (two per core).
  static int DefaultWorkers();

 private:
  void ScanOne(std::size_t index);
  bool TakeNext(std::size_t& index);
  void WorkerLoop();

  const std::vector<ThreadNode*>& nodes_;
  std::vector<MessageHeaders> scanned_;  // one slot per node, written by its scanner
  std::unique_ptr<std::atomic<bool>[]> done_;
  std::atomic<std::size_t> next_{0};
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::condition_variable scanned_one_;
  std::vector<std::thread> workers_;
};

struct LinkRun {
  int Added = 0;         // nodes now in the list (duplicates are not)
  bool Stopped = false;  // the context asked to stop
};

// Links `nodes` (new nodes with Name, FilePath and index fields set) in order
// into the list at `head`, their headers scanned ahead on `workers` threads.
// For each node: its subject to the dialog, one step of the bar, the link,
// then PumpAndCheckStop. After a stop the rest are not linked. Every node not
// in the list afterwards has been freed, and `nodes` is left empty.
LinkRun ScanAndLink(std::vector<ThreadNode*>& nodes, ThreadLinker& linker, ThreadNode*& head,
                    LoadContext& context, int workers);

}  // namespace thread
