#pragma once
// The full-text index kept current and asked off the window's thread. Two
// threads, each with its own connection (search/mail_index.h): the keeper
// brings the whole mailbox up to date from the start and then waits for
// folders to update, which go before the rest of a pass that is still
// running; the searcher answers the quick filter's queries, one at a time,
// the newest only: a query asked while an older one runs makes the older one
// stop, and a query no longer current when it ends is not answered.
//
// An update that fails (the disk is full, another program holds the file
// beyond the busy timeout, the file is damaged) is said once through
// `update_failed`, and said again only after an update has succeeded since;
// the searcher goes on answering from what the index holds. A whole pass that
// failed is not run again at once (the cause seldom clears in a moment): it
// is due again once a folder asked for has been brought up to date. A query
// that fails is answered with its error, and the searcher goes on. A file
// found damaged is said once through `unavailable` instead, and the keeper
// stops: it is made anew at the next start (search/index_file.h).
//
// The events are called on those threads; the window posts them on to
// itself and touches nothing else from them.
//
// Stopping never waits on the index: Stop interrupts both connections (a merge,
// a query, a wait for another program's lock end at once) and returns, and no
// event is called once it has returned. What the threads use (their
// connections, the events, the open function) is theirs, freed by the last of
// them to end, so that after Detach a thread held up where nothing interrupts
// it (a file read or a folder listing on a slow share) ends on its own after
// this object has gone.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "search/mail_index.h"

namespace search {

class BackgroundIndex {
 public:
  struct Answer {
    std::uint64_t query = 0;  // the number Ask gave
    std::string folder_dir;
    // For each leaf of the query the index is asked about (thread::AskedOfIndex, in
    // thread::ForEachLeaf order), the folder's messages where it holds, sorted.
    std::vector<std::vector<std::string>> leaf_names;
    std::size_t unindexed = 0;       // the folder's messages not searchable yet
    std::string error;               // not empty: the index could not be asked (why); no names
  };
  struct Events {
    std::function<void()> thread_started;  // first thing on each thread (priority)
    // On the keeper: true as a whole pass starts, false as it stops or ends
    // (the window lowers the thread's I/O priority meanwhile).
    std::function<void(bool running)> whole_pass;
    // The index cannot be opened: no answers will come.
    std::function<void(const std::string& error)> unavailable;
    // It could not be brought up to date (why): answers may lack what changed.
    std::function<void(const std::string& error)> update_failed;
    std::function<void(MailIndex::Progress)> progress;  // of a whole pass, now and then
    // A whole pass ended (folder_dir empty) or a folder was brought up to date.
    std::function<void(const std::string& folder_dir)> updated;
    std::function<void(Answer)> answered;
  };

  // Starts both threads on the mailbox at `mailbox_dir`. `open` opens a
  // connection to its index (MailIndex::Open unless given: tests).
  using OpenFn = std::function<std::unique_ptr<MailIndex>(std::string* error)>;
  BackgroundIndex(const std::string& mailbox_dir, Events events, OpenFn open = nullptr);
  // Stops both threads and waits for them to end, unless detached.
  ~BackgroundIndex();
  BackgroundIndex(const BackgroundIndex&) = delete;
  BackgroundIndex& operator=(const BackgroundIndex&) = delete;

  // Asks both threads to end and interrupts what their connections do; at once.
  void Stop();
  // Waits at most `limit` for both threads to end: true when they have.
  bool WaitEnded(std::chrono::milliseconds limit);
  // Stops both threads and leaves them to end on their own.
  void Detach();

  // While the window loads a folder the keeper reads no message file, so that the
  // load (the first start above all) is not slowed by a whole pass: a pass running
  // stops between two messages and goes on from there once every Pause has had its
  // Resume, and no pass or folder update begins meanwhile (one running ends first).
  // Queries are answered all the same.
  void Pause();
  void Resume();

  // Updates the folder (its directory, as FolderInfo::Path holds it) next.
  void UpdateFolder(const std::string& folder_dir);
  // Asks for the folder's hits for the leaves of `query_utf8` (UTF-8, as typed in the
  // quick filter, read on the machine's clock) that the filter asks the index about
  // (`body_search`: "本文も検索" is on); every query asked before is no longer current.
  // Its number.
  std::uint64_t Ask(const std::string& folder_dir, const std::string& query_utf8, bool body_search);
  // No query is current any more (the text was emptied, the folder left).
  void Forget();
  bool IsCurrent(std::uint64_t query) const;

 private:
  struct Core;  // what the threads share, theirs as much as this object's
  std::shared_ptr<Core> core_;
  std::thread keeper_;
  std::thread searcher_;
};

}  // namespace search
