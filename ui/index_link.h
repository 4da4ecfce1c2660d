#pragma once
// The full-text index's threads (search/background_index.h) as the main window
// sees them: what they report is kept here under a lock, and the window is
// told by one posted message to Take it. The window is never called from
// those threads and nothing of it is touched there; a message posted to a
// window already gone is lost with nothing to free.

#include <windows.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "search/background_index.h"

namespace ui {

class IndexLink {
 public:
  struct News {
    std::optional<search::MailIndex::Progress> progress;  // the newest of a whole pass
    // Folders brought up to date; an empty one: a whole pass ended.
    std::vector<std::string> updated;
    std::optional<search::BackgroundIndex::Answer> answer;  // the newest
    std::optional<std::string> unavailable;                 // why there is no index
  };

  // Starts the index's threads on the mailbox, below normal priority.
  IndexLink(HWND window, UINT message, const std::string& mailbox_dir);
  IndexLink(const IndexLink&) = delete;
  IndexLink& operator=(const IndexLink&) = delete;

  search::BackgroundIndex& Index() { return *index_; }
  bool Available() const { return available_; }
  // What came since the last Take; marks the index unavailable when it said so.
  News Take();

 private:
  template <class Change>
  void Report(Change change);

  HWND window_;
  UINT message_;
  std::mutex mutex_;
  News news_;
  bool posted_ = false;
  bool available_ = true;
  // Last, so that it goes first: its threads end before what they report to.
  std::unique_ptr<search::BackgroundIndex> index_;
};

}  // namespace ui
