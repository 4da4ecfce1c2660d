#include "search/background_index.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace search {

BackgroundIndex::BackgroundIndex(const std::string& mailbox_dir, Events events, OpenFn open)
    : open_(std::move(open)), events_(std::move(events)) {
  if (!open_) {
    open_ = [mailbox_dir](std::string* error) { return MailIndex::Open(mailbox_dir, error); };
  }
  keeper_ = std::thread([this] { Keep(); });
  searcher_ = std::thread([this] { Search(); });
}

BackgroundIndex::~BackgroundIndex() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  keeper_.join();
  searcher_.join();
}

void BackgroundIndex::UpdateFolder(const std::string& folder_dir) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (std::find(folders_.begin(), folders_.end(), folder_dir) == folders_.end()) {
      folders_.push_back(folder_dir);
    }
  }
  wake_.notify_all();
}

std::uint64_t BackgroundIndex::Ask(const std::string& folder_dir, const std::string& query_utf8) {
  std::uint64_t number = 0;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    number = current_.fetch_add(1) + 1;
    asked_ = true;
    asked_folder_ = folder_dir;
    asked_text_ = query_utf8;
  }
  wake_.notify_all();
  return number;
}

// The keeper opens the index first and alone: a damaged file is set aside
// and made anew once, not by two connections racing.
void BackgroundIndex::Keep() {
  if (events_.thread_started) events_.thread_started();
  std::string error;
  std::unique_ptr<MailIndex> index = open_(&error);
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    opened_ = index != nullptr ? 1 : -1;
  }
  wake_.notify_all();
  if (index == nullptr) {
    if (events_.unavailable) events_.unavailable(error);
    return;
  }
  // A folder asked for stops a running pass, which resumes after it (the
  // folders it has done are skipped as unchanged).
  const auto folder_waiting = [this] {
    if (Stopping()) return true;
    const std::lock_guard<std::mutex> lock(mutex_);
    return !folders_.empty();
  };
  bool whole_pass_due = true;
  bool pass_failed = false;
  bool failure_said = false;
  while (!Stopping()) {
    // A damaged file is set aside at the next start; until then nothing is asked of it.
    if (index->Damaged()) {
      if (events_.unavailable) events_.unavailable(index->Error());
      return;
    }
    std::string folder;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      if (!whole_pass_due) wake_.wait(lock, [this] { return stopping_ || !folders_.empty(); });
      if (stopping_) return;
      if (!folders_.empty()) {
        folder = std::move(folders_.front());
        folders_.pop_front();
      }
    }
    if (!folder.empty()) {
      const bool done = index->UpdateFolder(folder, [this] { return Stopping(); });
      updates_.fetch_add(1);
      if (done) {
        failure_said = false;
        whole_pass_due = whole_pass_due || pass_failed;
        pass_failed = false;
        if (events_.updated) events_.updated(folder);
      } else {
        Failed(*index, failure_said);
      }
      continue;
    }
    const bool done = index->UpdateAll(folder_waiting, events_.progress);
    updates_.fetch_add(1);
    if (done) {
      failure_said = false;
      whole_pass_due = false;
      if (events_.updated) events_.updated({});
    } else if (Failed(*index, failure_said)) {
      // The index holds what the pass committed before it failed.
      pass_failed = true;
      whole_pass_due = false;
    }  // else stopped for a folder: the pass resumes after it
  }
}

bool BackgroundIndex::Failed(const MailIndex& index, bool& said) {
  if (index.Error().empty()) return false;  // stopped
  if (index.Damaged()) return true;         // said as unavailable
  if (!said && events_.update_failed) events_.update_failed(index.Error());
  said = true;
  return true;
}

void BackgroundIndex::Search() {
  if (events_.thread_started) events_.thread_started();
  {
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait(lock, [this] { return stopping_ || opened_ != 0; });
    if (stopping_ || opened_ < 0) return;
  }
  std::string error;
  std::unique_ptr<MailIndex> index = open_(&error);
  if (index == nullptr) {
    if (events_.unavailable) events_.unavailable(error);
    return;
  }
  std::string counted_folder;
  std::uint64_t counted_at = 0;
  std::size_t unindexed = 0;
  while (true) {
    Answer answer;
    std::string text;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || asked_; });
      if (stopping_) return;
      asked_ = false;
      answer.query = current_.load();
      answer.folder_dir = asked_folder_;
      text = asked_text_;
    }
    const auto overtaken = [this, &answer] { return Stopping() || !IsCurrent(answer.query); };
    std::optional<std::vector<std::string>> names =
        index->FolderHits(answer.folder_dir, text, overtaken);
    if (overtaken()) continue;
    if (!names) {
      if (events_.unavailable) events_.unavailable(index->Error());
      return;
    }
    answer.names = std::move(*names);
    const std::uint64_t updates = updates_.load();
    if (answer.folder_dir != counted_folder || updates != counted_at) {
      unindexed = index->Unindexed(answer.folder_dir);
      counted_folder = answer.folder_dir;
      counted_at = updates;
    }
    answer.unindexed = unindexed;
    if (events_.answered) events_.answered(std::move(answer));
  }
}

}  // namespace search
