#include "thread/row_view.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace thread {
namespace {

std::string NameOf(const ThreadNode& node) {
  return std::string(node.Name.data(), strnlen(node.Name.data(), node.Name.size()));
}

bool OrderBefore(const ThreadNode* a, std::uint64_t order) { return a->Order < order; }

// How many threads the filter tests between two questions to `stop`: well
// under a millisecond of work.
constexpr int kStopCheckNodes = 2048;

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
  shown_messages_ = messages_;
  collapsed_ = std::move(collapsed);
  if (collapsed_.All || !collapsed_.Except.empty()) {
    Rebuild([](const ThreadNode*) { return true; });
  }
}

void RowView::Clear() {
  head_ = nullptr;
  messages_ = 0;
  rows_.clear();
  filter_ = QuickFilter();
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

bool RowView::ThreadShown(const ThreadNode* root) const { return !FilterOn() || RowOf(root) >= 0; }

bool RowView::ThreadMatches(ThreadNode* root) {
  ThreadNode* next = nullptr;
  return MatchThread(root, next);
}

// One walk over the thread: its rows are tested until one matches, and the
// rest only passed to find the next root. (Reading the nodes is most of a
// filter's time: a 100,000-message list is not walked twice.)
bool RowView::MatchThread(ThreadNode* root, ThreadNode*& next_root) {
  bool matched = false;
  ThreadNode* node = root;
  do {
    if (!matched) {
      matched = filter_.Matches(DisplaySubject(node->Subject, ml_string_delete_), node->Sender);
    }
    node = node->Next;
  } while (node != nullptr && node->Depth > 0);
  next_root = node;
  return matched;
}

template <class Pass>
void RowView::Rebuild(Pass shown) {
  std::vector<ThreadNode*> rows;
  rows.reserve(rows_.size());
  shown_messages_ = 0;
  for (ThreadNode* root = head_; root != nullptr;) {
    ThreadNode* next = NextRoot(root);
    if (shown(root)) {
      const bool collapsed = collapsed_.IsCollapsed(*root);
      for (ThreadNode* node = root; node != next; node = node->Next) {
        ++shown_messages_;
        if (node == root || !collapsed) rows.push_back(node);
      }
    }
    root = next;
  }
  rows_ = std::move(rows);
}

bool RowView::SetFilter(std::string_view text, const std::function<bool()>& stop) {
  QuickFilter filter(text);
  // A longer text shows fewer threads: only those shown now need a test.
  const bool narrowing = filter.Narrows(filter_);
  QuickFilter kept = std::move(filter_);
  filter_ = std::move(filter);
  std::vector<ThreadNode*> matched;
  auto stopped = [&, until_check = kStopCheckNodes]() mutable {
    if (--until_check > 0) return false;
    until_check = kStopCheckNodes;
    return stop && stop();
  };
  if (narrowing) {
    for (ThreadNode* node : rows_) {
      if (node->Depth != 0) continue;
      if (stopped()) {
        filter_ = std::move(kept);
        return false;
      }
      if (ThreadMatches(node)) matched.push_back(node);
    }
  } else {
    for (ThreadNode* root = head_; root != nullptr;) {
      if (stopped()) {
        filter_ = std::move(kept);
        return false;
      }
      ThreadNode* next = nullptr;
      if (filter_.Empty()) {
        next = NextRoot(root);
        matched.push_back(root);
      } else if (MatchThread(root, next)) {
        matched.push_back(root);
      }
      root = next;
    }
  }
  ShowThreads(matched);
  return true;
}

void RowView::ShowThreads(const std::vector<ThreadNode*>& roots) {
  std::vector<ThreadNode*> rows;
  rows.reserve(roots.size());
  shown_messages_ = 0;
  const bool any_collapsed = collapsed_.All || !collapsed_.Except.empty();
  for (ThreadNode* root : roots) {
    const bool collapsed = any_collapsed && collapsed_.IsCollapsed(*root);
    rows.push_back(root);
    ++shown_messages_;
    for (ThreadNode* node = root->Next; node != nullptr && node->Depth > 0; node = node->Next) {
      ++shown_messages_;
      if (!collapsed) rows.push_back(node);
    }
  }
  rows_ = std::move(rows);
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

void RowView::CollapseAll() {
  collapsed_.All = true;
  collapsed_.Except.clear();
  Rebuild([this](const ThreadNode* root) { return ThreadShown(root); });
}

void RowView::ExpandAll() {
  collapsed_.All = false;
  collapsed_.Except.clear();
  Rebuild([this](const ThreadNode* root) { return ThreadShown(root); });
}

ThreadNode* RowView::FindUnread(const ThreadNode* from, UnreadDirection direction) const {
  if (from == nullptr) return nullptr;
  if (direction == UnreadDirection::kNext) {
    for (ThreadNode* at = from->Next; at != nullptr;) {
      if (at->Depth == 0 && !ThreadShown(at)) {
        at = NextRoot(at);
        continue;
      }
      if (IsUnread(*at)) return at;
      at = at->Next;
    }
    return nullptr;
  }
  for (ThreadNode* at = from->Prev; at != nullptr;) {
    if (IsUnread(*at)) {
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
    if (!ThreadShown(root)) continue;
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
    while (at != nullptr && at->Depth == 0 && !ThreadShown(at)) at = NextRoot(at);
    return at;
  }
  if (from->Depth > 0) return from->Prev;
  // Into the thread before: its last node, past threads filtered out.
  for (ThreadNode* last = from->Prev; last != nullptr;) {
    ThreadNode* root = RootOf(last);
    if (ThreadShown(root)) return last;
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
  if (!FilterOn()) {
    Rebuild([](const ThreadNode*) { return true; });
    return head_;
  }
  // The thread may have lost its only matching message, or split in two
  // when its first message went: every thread is matched again.
  Rebuild([this](ThreadNode* root) { return ThreadMatches(root); });
  return head_;
}

}  // namespace thread
