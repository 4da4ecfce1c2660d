#pragma once
// The thread list pane of the main window: the quick filter box above
// ListViewMail, a virtual report list whose rows are drawn on demand from
// the shown list (thread::ShownList, the form's: a folder's threads or the
// hits of a search, the threads the filter lets through, collapsed threads as
// their first row); its letter and navigation keys, its clicks and its
// right-click pop-up, the selection and the unread jumps. Opening a row in
// the viewer is the form's (OpenSelectedMail).
//
// What the rows show (their text, the letter jump and the drawing in a
// fallback face) is in thread_list_rows.cpp; the rest in thread_list_pane.cpp.

#include <windows.h>
// after windows.h, whose types it uses
#include <commctrl.h>

#include <string>
#include <vector>

#include "mailbox/folder_table.h"
#include "settings/settings.h"
#include "thread/filter_terms.h"
#include "thread/folder_loader.h"
#include "thread/shown_list.h"
#include "thread/thread_node.h"
#include "ui/commands.h"
#include "ui/controls.h"
#include "ui/filter_box.h"
#include "ui/fonts.h"
#include "ui/pane_host.h"
#include "ui/view_host.h"

namespace ui {

class ThreadListPane final : public FilterBox::Owner {
 public:
  // The list's key table, for the window's clash check.
  static std::span<const KeyRow<ThreadListPane>> Keys();
  ThreadListPane(PaneHost& form, const mailbox::FolderTable& folders, thread::ShownList& shown)
      : form_(form), folders_(folders), shown_(shown), box_(*this) {}
  ~ThreadListPane();
  ThreadListPane(const ThreadListPane&) = delete;
  ThreadListPane& operator=(const ThreadListPane&) = delete;

  void Create(HWND parent, int id, int filter_box_id, int body_search_id);
  const VirtualListView& ListViewMail() const { return list_; }
  const ui::FilterBox& FilterBox() const { return box_; }
  // The box's height: a line of the list's font with the edit's margins.
  int FilterBoxHeight() const;
  HIMAGELIST ImageListMail() const { return images_; }
  // Font and colours of the list for a window of `dpi`.
  void ApplySettings(const settings::ListFontSettings& list, int dpi);
  // An empty image list of `size` × `size`, in the list's background colour,
  // replaces the one in use (filled by the caller).
  HIMAGELIST ResetImages(int size);
  // The subject column's width in the folders (kept aside while the hits of
  // a search show their own columns).
  int Column1() const { return FolderColumnShown() ? column1_ : list_.ColumnWidth(0); }
  void SetColumn1(int width);

  // The rows shown, row by row.
  const thread::RowView& View() const { return shown_.Rows(); }
  // No rows, while `folder` (-1: none) is opened or when it has none to show.
  void ClearRows(int folder);
  // Shows a folder's list (every node, in list order), see
  // thread::ShownList::ShowFolder. The filter box empties when the folder is
  // another than the one it filtered.
  void ShowRows(std::vector<thread::ThreadNode*> rows, int folder);
  // Shows the hits the shown list keeps, one row each with the column of
  // its folder.
  void ShowHits();
  // The hits shown were replaced (ShownList::TakeHits): the list follows.
  void HitsReplaced();
  thread::ThreadNode* SelectedNode() const;
  void RedrawRow(int row) const { list_.RedrawRows(row, row); }
  // Takes a row's message out (and frees it), see thread::ShownList::Remove;
  // the selection stays on its message, or goes to the row that takes the
  // place of the removed one. The folder whose unread count reached 0, or -1.
  int RemoveNode(thread::ThreadView& view, thread::ThreadNode* node);
  // Selects the row of `node`: with `reveal`, its collapsed thread expands;
  // without, the thread's first row stands for it. False when it is not shown.
  bool SelectNode(const thread::ThreadNode* node, bool reveal);

  // The sender takes the width the subject leaves; on the hits of a search
  // the subject's width is shared with the column of each hit's folder, and
  // the sender keeps enough to be read.
  void FitSenderColumn();
  void SelectRow(int row, bool scroll);
  bool JumpToUnread(Direction direction);
  bool JumpToNextUnreadThread();
  void CollapseAll();
  void ExpandAll();
  // A thread's mute changed: the rows follow (the selection stays on `keep`'s
  // row, or its nearest shown one) and are drawn again.
  void MutesChanged(const thread::ThreadNode* keep);
  // The message after or before `node` in the threads shown, selected
  // (entering a collapsed thread); null at the end.
  const thread::ThreadNode* SelectAdjacent(const thread::ThreadNode* node, Direction direction);
  void FocusFilterBox() const;
  // EN_CHANGE of the box: filters the rows by its text, at once by the
  // subject and sender, or with "本文も検索" on once the index answers.
  void FilterBoxChanged() override;
  bool BodySearch() const { return box_.BodySearch(); }
  void SetBodySearch(bool on) const { box_.SetBodySearch(on); }
  // The check box clicked: the text filters again with or without the index.
  void BodySearchClicked() { FilterBoxChanged(); }
  // Ctrl+Shift+F: "本文も検索" on and the focus in the box.
  void TurnOnBodySearch();
  // The index's hits in the shown folder for `text`: for each leaf it is
  // asked about (thread::AskedOfIndex, in ForEachLeaf order) the sorted names
  // where the leaf holds; taken when the box still holds that text.
  void ApplyBodyHits(const std::string& text, std::vector<std::vector<std::string>> leaf_names);
  // The rows shown are filtered with the index's hits.
  bool BodyFilterShown() const { return shown_.BodyFilterShown(); }
  void LeaveFilterBox() override { list_.Focus(); }
  std::vector<std::string> SendersMatching(std::string_view typed, bool fresh) override;
  // The queries the box records and offers.
  void SetQueryHistory(settings::QueryHistory* history) { box_.SetHistory(history); }
  // "この差出人で絞り込む" and the others: `term` (CP932) in the box, filtering
  // at once; the focus stays where it is.
  void FilterFor(const std::string& term);
  void TabFrom(Pane from, bool backwards) override { form_.TabFrom(from, backwards); }

  // A message of the form that concerns this pane (the notifications of the
  // list, the filter box and its check box): handled, with `result`, or false.
  bool ParentMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);

  // Event handlers.
  bool ListViewMailKeyPress(wchar_t character);  // true: the character was used up
  bool ListViewMailKeyDown(WPARAM key);
  void ListViewMailDblClick();
  void ListViewMailClick();
  void ListViewMailMouseDown();
  void ListViewMailContextKey();

 private:
  bool ControlMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  LRESULT OnNotify(const NMHDR& header, LPARAM lparam);
  // The list control follows the view's rows; the selection goes to `keep`'s
  // row (its thread's first row when hidden), else to the first row.
  void RowsChanged(const thread::ThreadNode* keep);
  // After the shown list changed what it shows: the folder column, the
  // filter box's text kept (and filtering) or emptied, the row count.
  void AfterShow();
  // The third column, the folder of each hit, shown or taken away.
  void ShowFolderColumn(bool shown);
  bool FolderColumnShown() const { return list_.ColumnCount() > 2; }
  void OnGetDispInfo(NMLVDISPINFOW& info) const;
  // In a face without Japanese the rows' text is drawn again after the
  // control, with the characters the face lacks in the fallback face.
  LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw) const;
  void DrawRowText(int row, HDC dc) const;
  std::string Caption(int row) const;  // the first column's text of a row
  std::string CellText(int row, int column) const;
  const mailbox::FolderInfo& FolderInfoOf(const thread::ThreadNode& node) const;
  int FindRow(const NMLVFINDITEMW& find) const;
  // Key-table handlers.
  bool OpenSelected(WORD);
  bool PostNavigationKey(WORD virtual_key);
  bool MoveSelectionByKey(WORD virtual_key);
  bool Swallow(WORD) { return true; }
  bool TabKey(WORD);
  bool MoveToTrash(WORD);
  bool CollapseSelected(WORD);
  bool ExpandSelected(WORD);
  void RunCommand(const char* name);

  static const KeyRow<ThreadListPane> kKeys[];

  PaneHost& form_;
  const mailbox::FolderTable& folders_;
  thread::ShownList& shown_;
  VirtualListView list_;
  ContextMenuKey context_key_;
  ui::FilterBox box_;  // the quick filter
  Font font_;
  HIMAGELIST images_ = nullptr;
  COLORREF back_color_ = CLR_NONE;
  COLORREF text_color_ = 0;
  int dpi_ = 96;
  int column1_ = 0;  // Column1 while the folder column is shown
  // The senders offered after "from:", counted over the list of `senders_head_`.
  thread::SenderRanking senders_;
  const thread::ThreadNode* senders_head_ = nullptr;
};

}  // namespace ui
