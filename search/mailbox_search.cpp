#include "search/mailbox_search.h"

#include <optional>
#include <utility>
#include <vector>

namespace search {

MailboxSearch::MailboxSearch(const std::string& mailbox_dir, std::function<void(Answer)> answered,
                             OpenFn open)
    : mailbox_dir_(mailbox_dir), answered_(std::move(answered)), open_(std::move(open)) {
  if (!open_) {
    open_ = [mailbox_dir](std::string* error) { return MailIndex::Open(mailbox_dir, error); };
  }
  thread_ = std::thread([this] { Run(); });
}

MailboxSearch::~MailboxSearch() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

std::uint64_t MailboxSearch::Ask(const std::string& query_utf8,
                                 const mailbox::FolderTable& folders) {
  auto copy = std::make_unique<mailbox::FolderTable>(folders);
  std::uint64_t number = 0;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    number = ++asked_;
    text_ = query_utf8;
    folders_ = std::move(copy);
  }
  wake_.notify_all();
  return number;
}

bool MailboxSearch::Current(std::uint64_t query) {
  const std::lock_guard<std::mutex> lock(mutex_);
  return !stopping_ && query == asked_;
}

// The connection is opened at the first query, not at the start: most runs
// never search the whole mailbox.
void MailboxSearch::Run() {
  std::unique_ptr<MailIndex> index;
  for (;;) {
    std::uint64_t query = 0;
    std::string text;
    std::unique_ptr<mailbox::FolderTable> folders;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [&] { return stopping_ || asked_ != answered_up_to_; });
      if (stopping_) return;
      query = answered_up_to_ = asked_;
      text = std::move(text_);
      folders = std::move(folders_);
    }
    std::string error;
    if (index == nullptr) index = open_(&error);
    Answer answer;
    answer.query = query;
    std::optional<std::vector<MailIndex::Hit>> hits;
    if (index != nullptr) hits = index->Search(text, kFirstHits);
    if (!hits) {
      answer.failed = true;
      if (Current(query)) answered_(std::move(answer));
      continue;
    }
    answer.complete = hits->size() < static_cast<std::size_t>(kFirstHits);
    answer.rows = MakeResultRows(*hits, *folders, mailbox_dir_);
    const bool more = !answer.complete;
    if (!Current(query)) continue;
    answered_(std::move(answer));
    if (!more) continue;

    hits = index->Search(text, -1);
    Answer all;
    all.query = query;
    all.complete = true;
    all.failed = !hits;
    if (hits) all.rows = MakeResultRows(*hits, *folders, mailbox_dir_);
    if (Current(query)) answered_(std::move(all));
  }
}

}  // namespace search
