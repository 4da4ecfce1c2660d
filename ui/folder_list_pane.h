#pragma once
// The folder list pane of the main window: ListBoxF, owner-drawn,
// one row per record of the folder table, and after them, once a search of
// every folder has hits, the row of those hits ("検索結果"); its letter keys, its right-click
// pop-up, the delayed opening of a folder after a selection change
// (TimerKeyWait) and the unread check. The form owns the folder table and
// opens folders; the pane shows the table and asks the form (its PaneHost)
// to open.

#include <windows.h>

// commctrl.h needs the types of windows.h.
#include <commctrl.h>

#include <span>

#include "mailbox/folder_table.h"
#include "settings/settings.h"
#include "ui/commands.h"
#include "ui/controls.h"
#include "ui/fonts.h"
#include "ui/pane_host.h"

namespace ui {

class FolderListPane {
 public:
  // The list's key table, for the window's clash check.
  static std::span<const KeyRow<FolderListPane>> Keys();
  // TimerKeyWait runs on the form, which hands its ticks to TimerKeyWaitTimer.
  static constexpr UINT_PTR kTimerKeyWaitId = 1;

  FolderListPane(PaneHost& form, mailbox::FolderTable& folders) : form_(form), folders_(folders) {}
  ~FolderListPane();
  FolderListPane(const FolderListPane&) = delete;
  FolderListPane& operator=(const FolderListPane&) = delete;

  void Create(HWND parent, int id);
  const OwnerDrawListBox& ListBoxF() const { return list_; }
  HIMAGELIST ImageListFolder() const { return images_; }
  // Font and colours of the list for a window of `dpi`; the rows take the
  // height of the new font.
  void ApplySettings(const settings::ListFontSettings& list, int dpi);
  // An empty image list of `size` × `size` replaces the one in use (filled
  // by the caller); the rows take the height of the new images.
  HIMAGELIST ResetImages(int size);
  // A row's height: the taller of the images and the font's text, and a
  // margin of 2 pixels at 100% above and below.
  int RowHeight() const;
  // A message of the form that concerns this pane (its list's
  // notifications, drawing and colours, and TimerKeyWait's ticks): handled,
  // with `result`, or false.
  bool ParentMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  bool TimerKeyWaitRunning() const { return timer_key_wait_running_; }

  // Refills ListBoxF from the folder table (without the hits' row), selects
  // row 0 and opens it.
  void FillFolderList();
  void RedrawFolder(int folder) const { list_.RedrawItem(RowOfFolder(folder)); }
  // The hits' row after the folders, once.
  void AddResultsRow();
  // The folder of a row, -1 for none and for the hits' row; and the row of
  // a folder.
  int FolderOfRow(int row) const;
  int RowOfFolder(int folder) const { return folder; }
  bool IsHitsRow(int row) const { return results_row_ && row == mailbox::FolderCount(folders_); }
  int SelectedFolder() const { return FolderOfRow(list_.Selected()); }
  bool HitsChosen() const { return IsHitsRow(list_.Selected()); }
  // Selects `folder`'s row, or the hits' row, and opens it at once.
  void OpenFolder(int folder);
  void OpenHits();
  // The status bar shows the counts of the row chosen.
  void ShowChoiceStatus();
  // Every mail folder's unread count from its "Entry.ini", redrawn with its icon.
  void RefreshUnreadCounts();

  // Event handlers.
  void ListBoxFClick();
  void TimerKeyWaitTimer();
  bool ListBoxFKeyPress(wchar_t character);  // true: the character was used up
  void ListBoxFMouseDown();
  void ListBoxFContextKey();
  void ListBoxFMeasureItem(MEASUREITEMSTRUCT& measure) const;
  void ListBoxFDrawItem(const DRAWITEMSTRUCT& draw) const;

 private:
  bool ControlMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  // WM_CTLCOLORLISTBOX: the list's colours and brush.
  LRESULT ControlColor(HDC dc) const;
  void StartTimerKeyWait();
  void StopTimerKeyWait();
  void ResizeRows() const;
  // Key-table handlers.
  bool PostNavigationKey(WORD virtual_key);
  bool Swallow(WORD) { return true; }
  // Tab and Shift+Tab: on or back in the window's Tab order.
  bool TabKey(WORD);

  static const KeyRow<FolderListPane> kKeys[];

  PaneHost& form_;
  mailbox::FolderTable& folders_;
  OwnerDrawListBox list_;
  Font font_;
  HBRUSH brush_ = nullptr;
  COLORREF text_color_ = 0;
  COLORREF back_color_ = 0;
  HIMAGELIST images_ = nullptr;
  HWND parent_ = nullptr;
  ContextMenuKey context_key_;
  int dpi_ = 96;
  bool timer_key_wait_running_ = false;
  bool results_row_ = false;  // the hits' row is in the list
};

}  // namespace ui
