#pragma once
// The thread list pane of the main window: ListViewMail, a virtual
// report list whose rows are drawn on demand from Rows (the shown thread
// list's nodes in list order); its letter and navigation keys, its clicks and
// its right-click pop-up, the selection and the unread jumps. Opening a row
// in the viewer is the form's (OpenSelectedMail).

#include <windows.h>
// after windows.h, whose types it uses
#include <commctrl.h>

#include <string>
#include <vector>

#include "mailbox/folder_table.h"
#include "settings/settings.h"
#include "thread/thread_node.h"
#include "ui/commands.h"
#include "ui/controls.h"
#include "ui/fonts.h"
#include "ui/view_host.h"

namespace ui {

class TVtFormMain;

class ThreadListPane {
 public:
  // The list's key table, for the window's clash check.
  static std::span<const KeyRow<ThreadListPane>> Keys();
  ThreadListPane(TVtFormMain& form, const mailbox::FolderTable& folders)
      : form_(form), folders_(folders) {}
  ~ThreadListPane();
  ThreadListPane(const ThreadListPane&) = delete;
  ThreadListPane& operator=(const ThreadListPane&) = delete;

  void Create(HWND parent, int id);
  const VirtualListView& ListViewMail() const { return list_; }
  HIMAGELIST ImageListMail() const { return images_; }
  void ApplySettings(const settings::ListFontSettings& list);
  int Column1() const { return list_.ColumnWidth(0); }
  void SetColumn1(int width) const { list_.SetColumnWidth(0, width); }

  // The rows: the nodes in list order, the folder whose settings they use.
  const std::vector<thread::ThreadNode*>& Rows() const { return rows_; }
  void ClearRows();
  void ShowRows(std::vector<thread::ThreadNode*> rows, int folder);
  thread::ThreadNode* SelectedNode() const;
  void RedrawRow(int row) const { list_.RedrawRows(row, row); }
  void RedrawRows(int first, int last) const { list_.RedrawRows(first, last); }
  // Takes row `row` out (its node is the caller's); no row is selected after.
  void RemoveRow(int row);

  void FitSenderColumn();
  void SelectRow(int row, bool scroll);
  bool JumpToUnread(Direction direction);

  // WM_NOTIFY of the form for ListViewMail.
  LRESULT OnNotify(const NMHDR& header, LPARAM lparam);

  // Event handlers.
  bool ListViewMailKeyPress(wchar_t character);  // true: the character was used up
  bool ListViewMailKeyDown(WPARAM key);
  void ListViewMailDblClick();
  void ListViewMailClick();
  void ListViewMailMouseDown();

 private:
  bool ControlMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  void OnGetDispInfo(NMLVDISPINFOW& info) const;
  std::string Caption(int row) const;  // the first column's text of a row
  int FindRow(const NMLVFINDITEMW& find) const;
  // Key-table handlers.
  bool OpenSelected(WORD);
  bool PostNavigationKey(WORD virtual_key);
  bool MoveSelectionByKey(WORD virtual_key);
  bool Swallow(WORD) { return true; }
  bool FocusFolderList(WORD);
  bool MoveToTrash(WORD);
  void RunCommand(const char* name);

  static const KeyRow<ThreadListPane> kKeys[];

  TVtFormMain& form_;
  const mailbox::FolderTable& folders_;
  VirtualListView list_;
  Font font_;
  HIMAGELIST images_ = nullptr;
  std::vector<thread::ThreadNode*> rows_;
  int rows_folder_ = -1;  // folder whose display settings the rows use
};

}  // namespace ui
