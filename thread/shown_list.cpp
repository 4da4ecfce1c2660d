#include "thread/shown_list.h"

#include <algorithm>
#include <utility>

#include "thread/ja_texts.h"

namespace thread {

void ShownList::ShowFolder(std::vector<ThreadNode*> nodes, int folder,
                           const mailbox::FolderTable& folders) {
  const std::int32_t ml_string_delete =
      folder >= 0 && folder < mailbox::FolderCount(folders)
          ? folders[static_cast<std::size_t>(folder)].MlStringDelete
          : 0;
  folder_title_ = folder >= 0 && folder < mailbox::FolderCount(folders)
                      ? folders[static_cast<std::size_t>(folder)].Title
                      : std::string();
  Show(std::move(nodes), {Kind::kFolder, folder}, ml_string_delete);
}

void ShownList::ShowHits() {
  if (hits_ == nullptr) return;
  std::vector<ThreadNode*> nodes;
  for (ThreadNode* node = hits_->List.Head(); node != nullptr; node = node->Next) {
    nodes.push_back(node);
  }
  // A hit shows its subject as its own folder would: the rows match the
  // subject as stored.
  folder_title_.clear();
  Show(std::move(nodes), {Kind::kHits, -1}, 0);
}

void ShownList::Show(std::vector<ThreadNode*> nodes, Source source, std::int32_t ml_string_delete) {
  KeepCollapsed();
  CollapsedThreads collapsed;
  collapsed.All = collapse_by_default_;
  if (source.kind == Kind::kFolder) {
    if (const auto kept = collapsed_.find(source.folder); kept != collapsed_.end()) {
      collapsed = kept->second;
    }
  } else {
    collapsed.All = false;  // a hit is a thread of its own
  }
  rows_.Reset(std::move(nodes), ml_string_delete, std::move(collapsed));
  RecountMuted();
  collapsed_folder_ = source.kind == Kind::kFolder ? source.folder : -1;
  ChangeSource(source, source);
}

void ShownList::Clear(int opening) {
  KeepCollapsed();
  collapsed_folder_ = -1;
  rows_.Clear();
  muted_unread_ = 0;
  // Nothing shows, but the box's text is kept or emptied for the folder opening.
  ChangeSource({}, opening >= 0 ? Source{Kind::kFolder, opening} : Source{});
}

// The box's text stays with what it was typed for: another folder (or the
// hits) empties it, the same folder read again keeps it.
void ShownList::ChangeSource(Source source, Source filter_source) {
  source_ = source;
  applied_filter_.clear();
  filter_explained_.clear();
  applied_body_ = false;
  keeps_filter_ = filter_source_ == filter_source;
  filter_source_ = filter_source;
}

void ShownList::KeepCollapsed() {
  if (collapsed_folder_ >= 0) collapsed_[collapsed_folder_] = rows_.Collapsed();
}

int ShownList::FolderOf(const ThreadNode* node) const {
  if (ShowsHits()) return hits_ != nullptr ? hits_->Folder(node) : -1;
  return Folder();
}

void ShownList::TakeHits(HitList hits, std::string query, bool complete) {
  // The rows leave the old hits before they are freed.
  auto old = std::move(hits_);
  hits_ = std::make_unique<HitList>(std::move(hits));
  hits_query_ = std::move(query);
  hits_complete_ = complete;
  if (ShowsHits()) ShowHits();
}

void ShownList::ForgetHits() {
  if (ShowsHits()) Clear(-1);
  hits_.reset();
  hits_query_.clear();
  hits_complete_ = false;
}

ThreadNode* ShownList::FindHit(std::string_view path) const {
  if (hits_ == nullptr || path.empty()) return nullptr;
  for (ThreadNode* node = hits_->List.Head(); node != nullptr; node = node->Next) {
    if (node->FilePath.str() == path) return node;
  }
  return nullptr;
}

void ShownList::ForgetKeptList(ThreadView& view, int folder) {
  if (folder < 0 || folder >= mailbox::FolderCount(view.Folders)) return;
  mailbox::FolderInfo& info = view.Folders[static_cast<std::size_t>(folder)];
  if (info.Threads == nullptr || info.Threads == view.CurrentThreads) return;
  FreeThreadList(info.Threads);
  info.Threads = nullptr;
}

int ShownList::MarkRead(ThreadView& view, ThreadNode* node) {
  if (!IsUnread(*node)) return -1;
  if (node->Muted && muted_unread_ > 0) --muted_unread_;
  // Only the unread bit: the flag word's other bits are the client's.
  thread::MarkRead(*node);
  const int folder = FolderOf(node);
  if (ShowsHits()) ForgetKeptList(view, folder);
  return LowerUnread(view, folder);
}

int ShownList::Remove(ThreadView& view, ThreadNode* node) {
  const int folder = FolderOf(node);
  if (node->Muted && IsUnread(*node) && muted_unread_ > 0) --muted_unread_;
  if (!ShowsHits()) return RemoveShownMessage(view, rows_, node) ? folder : -1;
  const bool unread = IsUnread(*node);
  hits_->FolderOf.erase(node);
  // The rows free the node; the list is held by its new head from now on.
  hits_->List.MutableHead() = rows_.Remove(node);
  ForgetKeptList(view, folder);
  if (folder < 0 || folder >= mailbox::FolderCount(view.Folders)) return -1;
  mailbox::FolderInfo& info = view.Folders[static_cast<std::size_t>(folder)];
  if (info.Total > 0) --info.Total;
  return unread ? LowerUnread(view, folder) : -1;
}

int ShownList::LowerUnread(ThreadView& view, int folder) {
  if (folder < 0 || folder >= mailbox::FolderCount(view.Folders)) return -1;
  mailbox::FolderInfo& info = view.Folders[static_cast<std::size_t>(folder)];
  if (info.Unread <= 0) return -1;
  return --info.Unread == 0 ? folder : -1;
}

bool ShownList::SetFilter(std::string_view text, ParsedQuery query, bool body_search,
                          const std::function<bool()>& stop) {
  if (!query.Ok()) {
    applied_filter_ = text;
    filter_explained_ = query.error;
    return true;
  }
  std::string explained = ExplainQuery(query);
  if (!rows_.SetFilter(std::move(query), body_search, folder_title_, stop)) return false;
  applied_filter_ = text;
  filter_explained_ = std::move(explained);
  applied_body_ = false;
  return true;
}

void ShownList::SetBodyFilter(std::string_view text, ParsedQuery query,
                              std::vector<std::vector<std::string>> hits) {
  applied_filter_ = text;
  filter_explained_ = ExplainQuery(query);
  if (!query.Ok()) return;
  rows_.SetFilter(std::move(query), true, folder_title_, nullptr, std::move(hits));
  applied_body_ = true;
}

void ShownList::ForgetFolders() {
  ForgetHits();
  collapsed_.clear();
  collapsed_folder_ = -1;
}

void ShownList::MutesChanged() {
  RecountMuted();
  rows_.MutesChanged();
}

void ShownList::RecountMuted() {
  muted_unread_ = 0;
  if (ShowsHits()) return;
  for (const ThreadNode* node = rows_.Head(); node != nullptr; node = node->Next) {
    if (node->Muted && IsUnread(*node)) ++muted_unread_;
  }
}

std::string ShownList::HitsStatusText() const {
  if (hits_ == nullptr) return "";
  return ja::kResultsLabel + std::to_string(hits_->Count()) +
         (hits_complete_ ? "" : ja::kResultsMore) + ja::kResultsEnd;
}

std::string ShownList::StatusText(const mailbox::FolderTable& folders) const {
  std::string text;
  if (ShowsHits()) {
    text = HitsStatusText();
  } else if (Folder() >= 0 && Folder() < mailbox::FolderCount(folders)) {
    // A muted thread's unread messages are not waiting to be read.
    mailbox::FolderInfo shown = folders[static_cast<std::size_t>(Folder())];
    shown.Unread = std::max(0, shown.Unread - static_cast<int>(muted_unread_));
    text = mailbox::FolderStatusText(shown);
  } else {
    return "";
  }
  if (rows_.FilterOn()) {
    text += ja::kFilterShownLabel + std::to_string(rows_.ShownMessages()) + ja::kFilterShownEnd;
  }
  return text;
}

}  // namespace thread
