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
// is due again once a folder asked for has been brought up to date. A file
// found damaged is said once through `unavailable` instead, and the keeper
// stops: it is made anew at the next start (search/index_file.h).
//
// The events are called on those threads; the window posts them on to
// itself and touches nothing else from them. The destructor stops both
// threads and waits for them (an update stops between two messages).

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
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
    std::vector<std::string> names;  // the folder's messages that are hits, sorted
    std::size_t unindexed = 0;       // the folder's messages not searchable yet
  };
  struct Events {
    std::function<void()> thread_started;  // first thing on each thread (priority)
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
  ~BackgroundIndex();
  BackgroundIndex(const BackgroundIndex&) = delete;
  BackgroundIndex& operator=(const BackgroundIndex&) = delete;

  // Updates the folder (its directory, as FolderInfo::Path holds it) next.
  void UpdateFolder(const std::string& folder_dir);
  // Asks for the folder's hits for `query_utf8` (UTF-8, as typed in the quick
  // filter); every query asked before is no longer current. Its number.
  std::uint64_t Ask(const std::string& folder_dir, const std::string& query_utf8);
  // No query is current any more (the text was emptied, the folder left).
  void Forget() { current_.fetch_add(1); }
  bool IsCurrent(std::uint64_t query) const { return query == current_.load(); }

 private:
  void Keep();
  // After an update of the keeper's connection returned false: true when it
  // failed rather than stopped. A failure is said unless one was said since
  // the last success (`said`).
  bool Failed(const MailIndex& index, bool& said);
  void Search();
  bool Stopping() const { return stopping_.load(); }

  OpenFn open_;
  Events events_;
  std::atomic<bool> stopping_{false};
  std::atomic<std::uint64_t> current_{0};
  // Bumped by each update the keeper ends: the searcher's count of a
  // folder's unindexed messages (a directory listing) holds until then.
  std::atomic<std::uint64_t> updates_{0};
  std::mutex mutex_;
  std::condition_variable wake_;
  int opened_ = 0;                   // the keeper's connection: 1 open, -1 failed
  std::deque<std::string> folders_;  // to update, oldest first
  bool asked_ = false;               // a query waits
  std::string asked_folder_;
  std::string asked_text_;
  std::thread keeper_;
  std::thread searcher_;
};

}  // namespace search
