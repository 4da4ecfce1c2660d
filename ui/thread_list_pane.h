#pragma once
// The thread list pane of the main window: the quick filter box above
// ListViewMail, a virtual report list whose rows are drawn on demand from
// Rows (a view over the shown thread list: the threads the filter lets
// through, collapsed threads as their first row); its letter and navigation
// keys, its clicks and its right-click pop-up, the selection, the collapsed
// threads and the unread jumps. Opening a row in the viewer is the form's
// (OpenSelectedMail).
//
// What the rows show (their text, the letter jump and the drawing in a
// fallback face) is in thread_list_rows.cpp; the rest in thread_list_pane.cpp.

#include <windows.h>
// after windows.h, whose types it uses
#include <commctrl.h>

#include <map>
#include <string>
#include <vector>

#include "mailbox/folder_table.h"
#include "search/result_rows.h"
#include "settings/settings.h"
#include "thread/folder_loader.h"
#include "thread/row_view.h"
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
  ThreadListPane(PaneHost& form, const mailbox::FolderTable& folders)
      : form_(form), folders_(folders), box_(*this) {}
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

  // The rows shown (the view, and its nodes row by row), and the folder whose
  // settings they use.
  const thread::RowView& View() const { return rows_; }
  const std::vector<thread::ThreadNode*>& Rows() const { return rows_.Shown(); }
  int RowsFolder() const { return rows_folder_; }
  // No rows, while `folder` (-1: none) is opened or when it has none to show.
  void ClearRows(int folder);
  // Shows a folder's list (every node, in list order) with the threads that
  // were collapsed when it was last shown (all of them, for a folder not shown
  // yet with "CollapseThreads" 1). The filter box empties when the folder is
  // another than the one it filtered.
  void ShowRows(std::vector<thread::ThreadNode*> rows, int folder);
  // Shows the hits of a search of every folder (kResultsFolder), one row each
  // with the column of its folder; `results` stays the caller's and must
  // outlive the rows (until ClearRows or ShowRows).
  void ShowResults(const search::ResultRows& results);
  // The folder a row's node belongs to: the rows' folder, or for a hit its own.
  int FolderOf(const thread::ThreadNode* node) const;
  void SetCollapseByDefault(bool collapse) { collapse_by_default_ = collapse; }
  // Forgets the collapsed threads of every folder (the folder table is new).
  void ForgetFolders() { collapsed_.clear(); }
  thread::ThreadNode* SelectedNode() const;
  void RedrawRow(int row) const { list_.RedrawRows(row, row); }
  // Takes a message of the shown list out (and frees it), see
  // thread::RemoveShownMessage; the selection stays on its message, or goes
  // to the row that takes the place of the removed one. True when the
  // folder's unread count reached 0.
  bool RemoveNode(thread::ThreadView& shown, thread::ThreadNode* node);
  // The same for a hit of the rows ShowResults shows: taken out of `results`
  // and freed.
  void RemoveResult(search::ResultRows& results, thread::ThreadNode* node);
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
  // The index's hits (sorted names) in the shown folder for `text`; taken
  // when the box still holds that text.
  void ApplyBodyHits(const std::string& text, std::vector<std::string> names);
  // The rows shown are filtered with the index's hits.
  bool BodyFilterShown() const { return applied_body_ && rows_.FilterOn(); }
  void LeaveFilterBox(bool backwards) override;

  // WM_NOTIFY of the form for ListViewMail.
  LRESULT OnNotify(const NMHDR& header, LPARAM lparam);

  // Event handlers.
  bool ListViewMailKeyPress(wchar_t character);  // true: the character was used up
  bool ListViewMailKeyDown(WPARAM key);
  void ListViewMailDblClick();
  void ListViewMailClick();
  void ListViewMailMouseDown();
  void ListViewMailContextKey();

 private:
  bool ControlMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  // The list control follows the view's rows; the selection goes to `keep`'s
  // row (its thread's first row when hidden), else to the first row.
  void RowsChanged(const thread::ThreadNode* keep);
  void Show(std::vector<thread::ThreadNode*> rows, int folder);
  // The third column, the folder of each hit, shown or taken away.
  void ShowFolderColumn(bool shown);
  bool FolderColumnShown() const { return list_.ColumnCount() > 2; }
  // Takes `node`'s row out by `remove` (which frees it) and keeps the
  // selection on its message, or on the row that takes the place of the
  // removed one.
  template <class Remove>
  void RemoveRow(thread::ThreadNode* node, Remove remove);
  void KeepCollapsed();
  // Whether the box's text filters `folder`; if not, the box is emptied and
  // filters it from now on.
  bool KeepsFilterFor(int folder);
  void OnGetDispInfo(NMLVDISPINFOW& info) const;
  // In a face without Japanese the rows' text is drawn again after the
  // control, with the characters the face lacks in the fallback face.
  LRESULT OnCustomDraw(const NMLVCUSTOMDRAW& draw) const;
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
  bool FocusFolderList(WORD);
  bool MoveToTrash(WORD);
  bool CollapseSelected(WORD);
  bool ExpandSelected(WORD);
  void RunCommand(const char* name);

  static const KeyRow<ThreadListPane> kKeys[];

  PaneHost& form_;
  const mailbox::FolderTable& folders_;
  VirtualListView list_;
  ContextMenuKey context_key_;
  ui::FilterBox box_;  // the quick filter
  Font font_;
  HIMAGELIST images_ = nullptr;
  COLORREF back_color_ = CLR_NONE;
  COLORREF text_color_ = 0;
  int dpi_ = 96;
  int column1_ = 0;  // Column1 while the folder column is shown
  thread::RowView rows_;
  int rows_folder_ = -1;        // folder whose display settings the rows use
  const search::ResultRows* results_ = nullptr;  // the hits shown, if they are the rows
  int filter_folder_ = -1;      // folder the box's text filters
  std::string applied_filter_;  // the box's text the rows show
  bool applied_body_ = false;   // ... with the index's hits
  // The collapsed threads of each folder shown, while the program runs.
  std::map<int, thread::CollapsedThreads> collapsed_;
  bool collapse_by_default_ = false;
};

}  // namespace ui
