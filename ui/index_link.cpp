#include "ui/index_link.h"

#include <utility>

namespace ui {

IndexLink::IndexLink(HWND window, UINT message, const std::string& mailbox_dir)
    : window_(window), message_(message) {
  search::BackgroundIndex::Events events;
  // Indexing reads every message of the mailbox: the window and the rest of
  // the machine come first.
  events.thread_started = [] {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
  };
  events.unavailable = [this](const std::string& error) {
    Report([&] { news_.unavailable = error; });
  };
  events.progress = [this](search::MailIndex::Progress progress) {
    Report([&] { news_.progress = progress; });
  };
  events.updated = [this](const std::string& folder_dir) {
    Report([&] { news_.updated.push_back(folder_dir); });
  };
  events.answered = [this](search::BackgroundIndex::Answer answer) {
    Report([&] { news_.answer = std::move(answer); });
  };
  index_ = std::make_unique<search::BackgroundIndex>(mailbox_dir, std::move(events));
}

// One message waits at most: the window takes everything that came with it.
template <class Change>
void IndexLink::Report(Change change) {
  const std::lock_guard<std::mutex> lock(mutex_);
  change();
  if (posted_) return;
  posted_ = PostMessageW(window_, message_, 0, 0) != FALSE;
}

IndexLink::News IndexLink::Take() {
  const std::lock_guard<std::mutex> lock(mutex_);
  posted_ = false;
  if (news_.unavailable) available_ = false;
  return std::exchange(news_, News{});
}

}  // namespace ui
