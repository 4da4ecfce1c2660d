#include "ui/index_link.h"

#include <algorithm>
#include <utility>

namespace ui {

IndexLink::IndexLink(HWND window, UINT message, const std::string& mailbox_dir)
    : window_(window), mailbox_dir_(mailbox_dir), message_(message) {
  search::BackgroundIndex::Events events;
  // Indexing reads every message of the mailbox: the window and the rest of
  // the machine come first.
  events.thread_started = [] {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
  };
  // A whole pass reads the mailbox at background I/O priority too. A folder
  // the user opened is brought up to date at the normal one: the filter's
  // text search waits for it.
  events.whole_pass = [](bool running) {
    SetThreadPriority(GetCurrentThread(),
                      running ? THREAD_MODE_BACKGROUND_BEGIN : THREAD_MODE_BACKGROUND_END);
  };
  events.unavailable = [this](const std::string& error) {
    Report([&] { news_.unavailable = error; });
  };
  events.update_failed = [this](const std::string& error) {
    Report([&] { news_.update_failed = error; });
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

// Stopped, the threads report nothing more: they may outlive this object.
IndexLink::~IndexLink() {
  if (search_ != nullptr) search_->Detach();
  index_->Detach();
}

void IndexLink::Stop() {
  if (search_ != nullptr) search_->Stop();
  index_->Stop();
}

bool IndexLink::WaitEnded(std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  const auto left = [&] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::max(until - std::chrono::steady_clock::now(), std::chrono::steady_clock::duration{}));
  };
  if (search_ != nullptr && !search_->WaitEnded(left())) return false;
  return index_->WaitEnded(left());
}

std::uint64_t IndexLink::SearchAll(const std::string& query_utf8,
                                   std::vector<std::string> folder_dirs) {
  if (search_ == nullptr) {
    search_ = std::make_unique<search::MailboxSearch>(
        mailbox_dir_, [this](search::MailboxSearch::Answer answer) {
          Report([&] { news_.results = std::move(answer); });
        });
  }
  return search_->Ask(query_utf8, std::move(folder_dirs));
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
  // Both threads may say it (an index found damaged): the window hears it once.
  if (news_.unavailable && !available_) news_.unavailable.reset();
  if (news_.unavailable) available_ = false;
  return std::exchange(news_, News{});
}

}  // namespace ui
