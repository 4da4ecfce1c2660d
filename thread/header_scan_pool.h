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

// Reads one node's headers; may run on any thread and must not change the node.
// A reader that throws gives the node the headers of an unreadable file.
using HeaderReader = MessageHeaders (*)(const ThreadNode& node);

class HeaderScanAhead {
 public:
  // Starts `workers` threads (0: none; the caller then scans each node in
  // WaitFor). `nodes` must outlive this object. `read` (null: the node's
  // file) gives each node's headers.
  HeaderScanAhead(const std::vector<ThreadNode*>& nodes, int workers, HeaderReader read = nullptr);
  // Stops the workers after the node each is scanning, and joins them: also
  // when the caller leaves by an exception between construction and here.
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
  MessageHeaders Read(const ThreadNode& node) const;
  void ScanOne(std::size_t index);
  bool TakeNext(std::size_t& index);
  void WorkerLoop();

  const std::vector<ThreadNode*>& nodes_;
  HeaderReader read_;
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
