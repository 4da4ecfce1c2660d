#pragma once
// The full-text index's threads (search/background_index.h) as the main window
// sees them: what they report is kept here under a lock, and the window is
// told by one posted message to Take it. The window is never called from
// those threads and nothing of it is touched there; a message posted to a
// window already gone is lost with nothing to free.
//
// Going never waits: the destructor stops the threads and leaves them to end
// on their own (a change of mailbox). The program's close stops them first and
// waits a bounded while (Stop, WaitEnded).

#include <windows.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "search/background_index.h"
#include "search/mailbox_search.h"

namespace ui {

class IndexLink {
 public:
  struct News {
    std::optional<search::MailIndex::Progress> progress;  // the newest of a whole pass
    // Folders brought up to date; an empty one: a whole pass ended.
    std::vector<std::string> updated;
    std::optional<search::BackgroundIndex::Answer> answer;  // the newest
    std::optional<std::string> unavailable;                 // why there is no index
    // The newest answer of a search of every folder (SearchAll).
    std::optional<search::MailboxSearch::Answer> results;
    // Why the index could not be brought up to date (it still answers).
    std::optional<std::string> update_failed;
  };

  // Starts the index's threads on the mailbox, below normal priority.
  IndexLink(HWND window, UINT message, const std::string& mailbox_dir);
  ~IndexLink();
  IndexLink(const IndexLink&) = delete;
  IndexLink& operator=(const IndexLink&) = delete;

  search::BackgroundIndex& Index() { return *index_; }
  bool Available() const { return available_; }
  // Searches the folders `folder_dirs` (search::SearchScope of the window's
  // folder table: the current account's) for `query_utf8` on a thread of its
  // own, started at the first search; the answers come as News::results.
  // The query's number.
  std::uint64_t SearchAll(const std::string& query_utf8, std::vector<std::string> folder_dirs);
  // What came since the last Take; marks the index unavailable when it said so.
  News Take();
  // Asks every thread to end, at once; nothing is reported after it.
  void Stop();
  // Waits at most `limit` for them to end: true when they have.
  bool WaitEnded(std::chrono::milliseconds limit);

 private:
  template <class Change>
  void Report(Change change);

  HWND window_;
  std::string mailbox_dir_;
  UINT message_;
  std::mutex mutex_;
  News news_;
  bool posted_ = false;
  bool available_ = true;
  std::unique_ptr<search::MailboxSearch> search_;
  std::unique_ptr<search::BackgroundIndex> index_;
};

}  // namespace ui
