#include "thread/row_view.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace thread {
namespace {

std::string NameOf(const ThreadNode& node) {
  return std::string(node.Name.data(), strnlen(node.Name.data(), node.Name.size()));
}

bool OrderBefore(const ThreadNode* a, std::uint64_t order) { return a->Order < order; }

// How many threads the filter tests between two questions to `stop`: well
// under a millisecond of work.
constexpr int kStopCheckThreads = 2048;

}  // namespace

bool CollapsedThreads::IsCollapsed(const ThreadNode& root) const {
  if (!All && Except.empty()) return false;
  return All != (Except.count(NameOf(root)) != 0);
}

void CollapsedThreads::Set(const ThreadNode& root, bool collapsed) {
  if (collapsed == All) {
    Except.erase(NameOf(root));
  } else {
    Except.insert(NameOf(root));
  }
}

void RowView::Reset(std::vector<ThreadNode*> nodes, std::int32_t ml_string_delete,
                    CollapsedThreads collapsed) {
  head_ = nodes.empty() ? nullptr : nodes.front();
  messages_ = nodes.size();
  for (std::size_t i = 0; i < nodes.size(); ++i) nodes[i]->Order = i;
  rows_ = std::move(nodes);
  ml_string_delete_ = ml_string_delete;
  filter_ = QuickFilter();
  ForgetSteps();
  shown_messages_ = messages_;
  collapsed_ = std::move(collapsed);
  if (collapsed_.All || !collapsed_.Except.empty() || hide_muted_) {
    Rebuild(false, [](const ThreadNode*) { return true; });
  }
}

void RowView::Clear() {
  head_ = nullptr;
  messages_ = 0;
  rows_.clear();
  filter_ = QuickFilter();
  ForgetSteps();
  shown_messages_ = 0;
}

ThreadNode* RowView::NodeAt(int row) const {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return nullptr;
  return rows_[static_cast<std::size_t>(row)];
}

int RowView::RowOf(const ThreadNode* node) const {
  if (node == nullptr) return -1;
  const auto at = std::lower_bound(rows_.begin(), rows_.end(), node->Order, OrderBefore);
  if (at == rows_.end() || *at != node) return -1;
  return static_cast<int>(at - rows_.begin());
}

ThreadNode* RowView::AtPosition(int position) const {
  if (position < 0 || head_ == nullptr) return nullptr;
  const auto wanted = static_cast<std::uint64_t>(position);
  // The last row at or before the position, then along the list.
  const auto after = std::upper_bound(
      rows_.begin(), rows_.end(), wanted,
      [](std::uint64_t order, const ThreadNode* node) { return order < node->Order; });
  ThreadNode* node = after == rows_.begin() ? head_ : *(after - 1);
  while (node != nullptr && node->Order < wanted) node = node->Next;
  return node;
}

int RowView::ShownRowFor(const ThreadNode* node) const {
  if (node == nullptr) return -1;
  const int row = RowOf(node);
  return row >= 0 ? row : RowOf(RootOf(node));
}

ThreadNode* RowView::RootOf(const ThreadNode* node) {
  auto* at = const_cast<ThreadNode*>(node);
  while (at->Depth > 0 && at->Prev != nullptr) at = at->Prev;
  return at;
}

ThreadNode* RowView::NextRoot(const ThreadNode* root) {
  ThreadNode* at = root->Next;
  while (at != nullptr && at->Depth > 0) at = at->Next;
  return at;
}

bool RowView::ThreadShown(const ThreadNode* root) const {
  return (!FilterOn() && !hide_muted_) || RowOf(root) >= 0;
}

bool RowView::Matches(const ThreadNode& node) {
  return filter_.Matches(node, DisplaySubject(node.Subject, ml_string_delete_));
}

// One walk over the thread: its rows are appended (the first alone when the
// thread is collapsed) and counted, and with `test` tested until one matches;
// a thread with no match is taken off again. (Reading the nodes is most of a
// filter's time: a 100,000-message list is not walked twice.)
bool RowView::AddThread(ThreadNode* root, bool test, Rows& rows, ThreadNode*& next_root) {
  const std::size_t mark = rows.nodes.size();
  if (hide_muted_ && root->Muted) {
    next_root = NextRoot(root);
    return false;
  }
  const bool collapsed = collapsed_.IsCollapsed(*root);
  bool matched = !test;
  std::size_t messages = 0;
  ThreadNode* node = root;
  do {
    if (!matched) matched = Matches(*node);
    if (node == root || !collapsed) rows.nodes.push_back(node);
    ++messages;
    node = node->Next;
  } while (node != nullptr && node->Depth > 0);
  next_root = node;
  if (!matched) {
    rows.nodes.resize(mark);
    return false;
  }
  rows.messages += messages;
  return true;
}

template <class Pass>
void RowView::Rebuild(bool test, Pass shown) {
  Rows rows;
  rows.nodes.reserve(rows_.size());
  for (ThreadNode* root = head_; root != nullptr;) {
    ThreadNode* next = nullptr;
    if (shown(root)) {
      AddThread(root, test, rows, next);
    } else {
      next = NextRoot(root);
    }
    root = next;
  }
  Show(std::move(rows));
}

void RowView::Show(Rows rows) {
  rows_ = std::move(rows.nodes);
  shown_messages_ = rows.messages;
}

bool RowView::SetFilter(ParsedQuery query, bool body_search, std::string_view folder_title,
                        const std::function<bool()>& stop,
                        std::vector<std::vector<std::string>> hits) {
  QuickFilter filter(std::move(query), body_search, folder_title, std::move(hits));
  if (filter.Empty()) {
    filter_ = std::move(filter);
    ForgetSteps();
    Rebuild(false, [](const ThreadNode*) { return true; });
    return true;
  }

  // The steps hold for positive words in the subject and sender alone.
  if (!filter.Narrows()) ForgetSteps();
  // The steps whose text this one starts with still hold; the last of them
  // bounds the threads to test.
  const std::string folded = filter.Folded();
  std::size_t kept = steps_.size();
  while (kept > 0 && folded.compare(0, steps_[kept - 1].size(), steps_[kept - 1]) != 0) --kept;
  if (kept == std::numeric_limits<std::uint8_t>::max()) kept = 0;  // a text of 255 characters
  if (level_.size() < messages_) level_.resize(messages_);
  const auto passes_kept = [&](const ThreadNode* root) { return level_[root->Order] >= kept; };

  if (kept > 0 && steps_[kept - 1] == folded) {
    // Typed before (Backspace): its threads are known.
    filter_ = std::move(filter);
    steps_.resize(kept);
    Rebuild(false, passes_kept);
    return true;
  }

  QuickFilter shown = std::move(filter_);
  filter_ = std::move(filter);
  Rows rows;
  const auto level = static_cast<std::uint8_t>(kept);
  // Tests one thread and records whether it passes the new step.
  const auto test = [&](ThreadNode* root, ThreadNode*& next_root) {
    level_[root->Order] = AddThread(root, true, rows, next_root) ? level + 1 : level;
  };
  bool gave_up = false;
  int until_check = kStopCheckThreads;
  const auto stopped = [&] {
    if (--until_check > 0) return false;
    until_check = kStopCheckThreads;
    gave_up = stop && stop();
    return gave_up;
  };
  if (kept > 0 && kept == steps_.size() && shown.Narrows() && steps_.back() == shown.Folded()) {
    // The text extends the one shown: only the threads shown can pass.
    for (ThreadNode* node : rows_) {
      if (node->Depth != 0) continue;
      if (stopped()) break;
      ThreadNode* next = nullptr;
      test(node, next);
    }
  } else {
    for (ThreadNode* root = head_; root != nullptr && !stopped();) {
      ThreadNode* next = nullptr;
      if (passes_kept(root)) {
        test(root, next);
      } else {
        next = NextRoot(root);
      }
      root = next;
    }
  }
  // The levels of the roots tested now say nothing of the later steps.
  steps_.resize(kept);
  if (gave_up) {
    filter_ = std::move(shown);
    return false;
  }
  if (filter_.Narrows()) steps_.push_back(folded);
  Show(std::move(rows));
  return true;
}

void RowView::ForgetSteps() {
  steps_.clear();
  std::vector<std::uint8_t>().swap(level_);
}

bool RowView::IsCollapsedRoot(const ThreadNode& node) const {
  return node.Depth == 0 && node.Next != nullptr && node.Next->Depth > 0 &&
         collapsed_.IsCollapsed(node);
}

HiddenCount RowView::Hidden(const ThreadNode& root) {
  HiddenCount hidden;
  for (const ThreadNode* node = root.Next; node != nullptr && node->Depth > 0; node = node->Next) {
    ++hidden.Messages;
    if (IsUnread(*node)) ++hidden.Unread;
  }
  return hidden;
}

bool RowView::Collapse(const ThreadNode* node) {
  if (node == nullptr) return false;
  ThreadNode* root = RootOf(node);
  if (collapsed_.IsCollapsed(*root) || root->Next == nullptr || root->Next->Depth == 0) {
    return false;
  }
  collapsed_.Set(*root, true);
  const int row = RowOf(root);
  if (row < 0) return true;
  auto first = rows_.begin() + row + 1;
  auto last = first;
  while (last != rows_.end() && (*last)->Depth > 0) ++last;
  rows_.erase(first, last);
  return true;
}

bool RowView::Expand(const ThreadNode* node) {
  if (node == nullptr) return false;
  ThreadNode* root = RootOf(node);
  if (!collapsed_.IsCollapsed(*root)) return false;
  collapsed_.Set(*root, false);
  const int row = RowOf(root);
  if (row < 0) return true;
  std::vector<ThreadNode*> replies;
  for (ThreadNode* at = root->Next; at != nullptr && at->Depth > 0; at = at->Next) {
    replies.push_back(at);
  }
  rows_.insert(rows_.begin() + row + 1, replies.begin(), replies.end());
  return true;
}

void RowView::SetHideMuted(bool hide) {
  if (hide == hide_muted_) return;
  hide_muted_ = hide;
  ForgetSteps();
  if (head_ != nullptr) Rebuild(FilterOn(), [](const ThreadNode*) { return true; });
}

void RowView::MutesChanged() {
  if (!hide_muted_ && !FilterOn()) return;
  ForgetSteps();  // the steps recorded which threads passed, hidden ones too
  Rebuild(FilterOn(), [](const ThreadNode*) { return true; });
}

void RowView::CollapseAll() {
  collapsed_.All = true;
  collapsed_.Except.clear();
  Rebuild(false, [this](const ThreadNode* root) { return ThreadShown(root); });
}

void RowView::ExpandAll() {
  collapsed_.All = false;
  collapsed_.Except.clear();
  Rebuild(false, [this](const ThreadNode* root) { return ThreadShown(root); });
}

ThreadNode* RowView::FindUnread(const ThreadNode* from, UnreadDirection direction) const {
  if (from == nullptr) return nullptr;
  if (direction == UnreadDirection::kNext) {
    for (ThreadNode* at = from->Next; at != nullptr;) {
      if (at->Depth == 0 && !ThreadShown(at)) {
        at = NextRoot(at);
        continue;
      }
      if (IsUnread(*at) && !at->Muted) return at;
      at = at->Next;
    }
    return nullptr;
  }
  for (ThreadNode* at = from->Prev; at != nullptr;) {
    if (IsUnread(*at) && !at->Muted) {
      ThreadNode* root = RootOf(at);
      if (ThreadShown(root)) return at;
      at = root->Prev;  // the whole thread is filtered out
      continue;
    }
    at = at->Prev;
  }
  return nullptr;
}

ThreadNode* RowView::NextUnreadThread(const ThreadNode* from) const {
  if (from == nullptr) return nullptr;
  for (ThreadNode* root = NextRoot(RootOf(from)); root != nullptr; root = NextRoot(root)) {
    if (root->Muted || !ThreadShown(root)) continue;
    for (ThreadNode* node = root; node != nullptr; node = node->Next) {
      if (node != root && node->Depth == 0) break;
      if (IsUnread(*node)) return node;
    }
  }
  return nullptr;
}

ThreadNode* RowView::Adjacent(const ThreadNode* from, UnreadDirection direction) const {
  if (from == nullptr) return nullptr;
  if (direction == UnreadDirection::kNext) {
    ThreadNode* at = from->Next;
    while (at != nullptr && at->Depth == 0 && (at->Muted || !ThreadShown(at))) at = NextRoot(at);
    return at;
  }
  if (from->Depth > 0) return from->Prev;
  // Into the thread before: its last node, past threads filtered out.
  for (ThreadNode* last = from->Prev; last != nullptr;) {
    ThreadNode* root = RootOf(last);
    if (!root->Muted && ThreadShown(root)) return last;
    last = root->Prev;
  }
  return nullptr;
}

int RowView::Reveal(const ThreadNode* node) {
  if (node == nullptr) return -1;
  const int row = RowOf(node);
  if (row >= 0) return row;
  ThreadNode* root = RootOf(node);
  if (!ThreadShown(root)) return -1;
  Expand(root);
  return RowOf(node);
}

void RowView::Renumber() {
  std::uint64_t order = 0;
  for (ThreadNode* node = head_; node != nullptr; node = node->Next) node->Order = order++;
}

ThreadNode* RowView::Remove(ThreadNode* node) {
  if (node == nullptr || head_ == nullptr) return head_;
  RemoveNodeKeepingReplies(head_, node);
  --messages_;
  Renumber();
  ForgetSteps();  // the positions moved and threads may have split
  // The thread may have lost its only matching message, or split in two
  // when its first message went: every thread is matched again.
  Rebuild(FilterOn(), [](const ThreadNode*) { return true; });
  return head_;
}

}  // namespace thread
