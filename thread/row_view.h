#pragma once
// The rows of the thread list: a view over a folder's list that shows only
// the threads the quick filter lets through and shows a collapsed thread as
// its first row alone. A thread is a root (Depth 0) and the nodes after it up
// to the next root. The view never reorders: its rows are a subsequence of
// the list.
//
// Everything that turns a row into a message or back goes through here, so
// that the rest of the program never takes a row number for a position in
// the list. Row -> node is an index, node -> row a binary search over the
// rows by the nodes' Order, which the view sets to each node's position in
// the list (the linker's labels are no longer needed once a list is shown).
//
// Memory: one pointer per shown row and, once a filter is typed, one byte per
// message (see steps_), plus the collapsed threads by name.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "thread/quick_filter.h"
#include "thread/thread_node.h"
#include "thread/thread_rows.h"

namespace thread {

// Which threads are collapsed, by the Name of their first message, so that
// the state outlives the nodes (a folder not kept in memory is read again on
// every visit).
struct CollapsedThreads {
  bool All = false;              // every thread is collapsed but those in Except
  std::set<std::string> Except;  // roots whose state is the other one

  bool IsCollapsed(const ThreadNode& root) const;
  void Set(const ThreadNode& root, bool collapsed);
};

// What a collapsed first row hides.
struct HiddenCount {
  int Messages = 0;
  int Unread = 0;
};

class RowView {
 public:
  // Shows `nodes` (the whole list, in list order, as FillThreadList gives it)
  // with no filter and the threads of `collapsed` collapsed. The subject
  // column is matched as the folder shows it (`ml_string_delete`).
  void Reset(std::vector<ThreadNode*> nodes, std::int32_t ml_string_delete,
             CollapsedThreads collapsed);
  void Clear();

  std::size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }
  ThreadNode* operator[](std::size_t row) const { return rows_[row]; }
  const std::vector<ThreadNode*>& Shown() const { return rows_; }
  // Null outside the rows.
  ThreadNode* NodeAt(int row) const;
  // The row showing `node`, or -1 when it is hidden (filtered out, under a
  // collapsed first row, or not in this list).
  int RowOf(const ThreadNode* node) const;
  // The node's position in the whole list, and back (a walk from the nearest
  // shown row; null past the end). For the row remembered per folder.
  static int Position(const ThreadNode& node) { return static_cast<int>(node.Order); }
  ThreadNode* AtPosition(int position) const;
  // The row to select for `node`: its own, or its first row when its thread
  // is collapsed; -1 when its thread is filtered out.
  int ShownRowFor(const ThreadNode* node) const;
  ThreadNode* Head() const { return head_; }
  std::size_t MessageCount() const { return messages_; }

  // ---- Filter --------------------------------------------------------------
  // Shows the threads of which a message holds `query` (no query shows all;
  // see QuickFilter for how a row holds it, and for `body_search`,
  // `folder_title` and `hits`). `stop` is asked now and then; when it says
  // yes the filter gives up and the rows stay as they were (false). Typing
  // calls it once per character and the window's `stop` looks for the next
  // keystroke, so a slow filter is abandoned rather than queued. For queries
  // of positive bare words (QuickFilter::Narrows), a text that extends the
  // one shown tests only the threads shown, and a text typed before in this
  // run of typing (Backspace) is shown again without a test; any other query
  // tests every thread.
  bool SetFilter(ParsedQuery query, bool body_search = false, std::string_view folder_title = {},
                 const std::function<bool()>& stop = nullptr,
                 std::vector<std::vector<std::string>> hits = {});
  bool FilterOn() const { return !filter_.Empty(); }
  // Messages in the threads shown (hidden rows of collapsed threads count).
  std::size_t ShownMessages() const { return shown_messages_; }

  // ---- Collapsed threads -----------------------------------------------------
  // The thread of `node` collapsed or expanded. True when that changed.
  bool Collapse(const ThreadNode* node);
  bool Expand(const ThreadNode* node);
  void CollapseAll();
  void ExpandAll();
  const CollapsedThreads& Collapsed() const { return collapsed_; }
  // True for the first row of a collapsed thread that hides any row.
  bool IsCollapsedRoot(const ThreadNode& node) const;
  static HiddenCount Hidden(const ThreadNode& root);

  // ---- Muted threads ---------------------------------------------------------
  // Whether muted threads (ThreadNode::Muted) are left out of the rows.
  void SetHideMuted(bool hide);
  bool HidesMuted() const { return hide_muted_; }
  // A thread's Muted flags changed: the rows follow when muted threads are
  // hidden.
  void MutesChanged();

  // ---- Moving --------------------------------------------------------------
  // The nearest unread node after (or before) `from` in the threads shown,
  // hidden rows included, muted threads left out; null when none. `from`
  // itself does not count.
  ThreadNode* FindUnread(const ThreadNode* from, UnreadDirection direction) const;
  // The first unread node of the first shown thread after `from`'s thread
  // that is not muted and has one; null when none.
  ThreadNode* NextUnreadThread(const ThreadNode* from) const;
  // The node after (or before) `from` in the threads shown, hidden rows
  // included, never entering a muted thread (within one it moves on); null
  // at the end.
  ThreadNode* Adjacent(const ThreadNode* from, UnreadDirection direction) const;
  // Makes `node` a row, expanding its thread when collapsed; its row, or -1
  // when its thread is filtered out.
  int Reveal(const ThreadNode* node);

  // ---- Removing ------------------------------------------------------------
  // Takes `node` out of the list and frees it; its replies move up one level
  // in its place (a removed root's replies become roots). The rows follow.
  // Returns the list's head afterwards (null when the list is now empty).
  ThreadNode* Remove(ThreadNode* node);

 private:
  static ThreadNode* RootOf(const ThreadNode* node);
  static ThreadNode* NextRoot(const ThreadNode* root);  // after its thread
  bool ThreadShown(const ThreadNode* root) const;
  bool Matches(const ThreadNode& node);
  // Rows being gathered, and the messages of their threads.
  struct Rows {
    std::vector<ThreadNode*> nodes;
    std::size_t messages = 0;
  };
  bool AddThread(ThreadNode* root, bool test, Rows& rows, ThreadNode*& next_root);
  // The rows again from the list: the threads passing `shown` (by root),
  // with `test` only those that match the filter.
  template <class Pass>
  void Rebuild(bool test, Pass shown);
  void Show(Rows rows);
  void Renumber();
  void ForgetSteps();

  ThreadNode* head_ = nullptr;
  std::size_t messages_ = 0;
  std::vector<ThreadNode*> rows_;
  std::int32_t ml_string_delete_ = 0;
  QuickFilter filter_;
  // The folded texts of the narrowing filters typed since the box was last
  // empty (or held another query), each
  // a prefix of the next, the last one filter_'s; and per root (by Order)
  // how many of them it passes. Each filter shows a subset of the threads
  // of the one before, so one level per root holds every step: the root
  // passes step i when its level is above i.
  std::vector<std::string> steps_;
  std::vector<std::uint8_t> level_;
  std::size_t shown_messages_ = 0;
  CollapsedThreads collapsed_;
  bool hide_muted_ = false;
};

}  // namespace thread
