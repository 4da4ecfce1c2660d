#pragma once
// TVtFormMain: the main window. A folder list (ListBoxF, owner-drawn) on the
// left, a splitter, the thread list (ListViewMail, a virtual report list) on
// the right, a status bar at the bottom and the main menu. The window owns the
// view state of the whole run (account, folder table, the shown thread list)
// and implements the LoadHost the folder loader drives; reading files and
// building threads happen in the core.

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "mailbox/accounts.h"
#include "mailbox/folder_table.h"
#include "thread/folder_loader.h"
#include "thread/load_host.h"
#include "ui/commands.h"
#include "ui/controls.h"
#include "ui/dialogs/job_form.h"
#include "ui/fonts.h"
#include "ui/mail_client_link.h"
#include "ui/window.h"

namespace ui {

class TViewForm;

// What the window needs from the program around it; tests fill it with their
// own pieces.
struct MainFormEnvironment {
  std::string SettingsPath;  // "Veltra.ini" beside the executable
  mailbox::ReadRegistryFn ReadRegistry;
  mailbox::BrowseForMailboxFn BrowseForMailbox;
  MailClientLink* MailClient = nullptr;  // null: nothing is sent to the mail client
  // Replaces the message box of ShowMessageText when set (tests).
  std::function<void(const std::string&)> MessageHook;
  // Called by Timer1Timer to take the splash window away.
  std::function<void()> RemoveSplash;
};

enum class Direction { kNext, kPrevious };

class TVtFormMain final : public Window, public thread::LoadHost {
 public:
  static constexpr wchar_t kClassName[] = L"TVtFormMain";
  // Control ids, so that tests and other programs can find the controls.
  static constexpr int kListBoxFId = 100;
  static constexpr int kListViewMailId = 101;
  static constexpr int kStatusBarId = 102;
  static constexpr UINT_PTR kTimerKeyWaitId = 1;
  static constexpr UINT_PTR kTimer1Id = 2;
  static constexpr int kSplitterWidth = 3;

  explicit TVtFormMain(MainFormEnvironment environment);
  ~TVtFormMain() override;

  void AttachViewer(ui::TViewForm* viewer) { viewer_ = viewer; }
  HACCEL accelerators() const { return accelerators_; }

  // Keyboard shortcuts of the main window for a message about to be
  // dispatched; true when the message was used up.
  bool PreTranslate(MSG& message);

  // The first show: runs the start-up sequence (FormShow) while the window is
  // still hidden, then shows it.
  void Show(int show_command);

  // ---- Operations -------------------------------------------------------
  void FillFolderList();
  void ShowFolderStatus(int folder) override;
  void FitSenderColumn();
  void SelectRow(int row, bool scroll);
  void OpenSelectedMail();
  bool JumpToUnread(Direction direction);
  void RefreshUnreadCounts();
  void ShowMessageText(const std::string& text);

  // ---- Event handlers ---------------------------------------------------
  void FormShow();
  bool FormCloseQuery();
  void FormResize();
  void Splitter1Moved();
  void ListBoxFClick();
  void TimerKeyWaitTimer();
  void Timer1Timer();
  bool ListBoxFKeyPress(wchar_t character);  // true: the character was handled
  void ListBoxFMouseDown();
  void ListBoxFMeasureItem(MEASUREITEMSTRUCT& measure);
  void ListBoxFDrawItem(const DRAWITEMSTRUCT& draw);
  bool ListViewMailKeyPress(wchar_t character);
  bool ListViewMailKeyDown(WPARAM key);
  void ListViewMailDblClick();
  void ListViewMailClick();
  void ListViewMailMouseDown();
  void mPrevMidokuClick() { JumpToUnread(Direction::kPrevious); }
  void mNextMidokuClick() { JumpToUnread(Direction::kNext); }
  void mPopupMidokuClick() { RefreshUnreadCounts(); }
  void mRetry1Click();
  void mRetry2Click();
  void mExitClick() { PostMessageW(hwnd(), WM_CLOSE, 0, 0); }
  void mAccountClick();
  void AccountItemClick(int index);

  // ---- LoadHost -----------------------------------------------------------
  void PumpMessages() override;
  bool FolderSwitchPending() override;
  void EnableMainWindow(bool enable) override;
  thread::ProgressSink& ShowProgress() override;
  void HideProgress() override;
  void EnableAccountMenu(bool enable) override;
  void EnableViewer(bool enable) override;
  void FocusMainWindow() override;
  int RowCount() override { return ListViewMail.RowCount(); }
  int SelectedRow() override { return ListViewMail.Selected(); }
  void SelectRow(int row) override { SelectRow(row, true); }
  void ClearRows() override;
  void ShowRows(std::vector<thread::ThreadNode*> rows) override;
  void ClearViewedNode() override { ViewedNode = nullptr; }
  void RepaintFolderList() override { ListBoxF.Invalidate(); }

  // ---- Controls -----------------------------------------------------------
  OwnerDrawListBox ListBoxF;
  VirtualListView ListViewMail;
  ui::StatusBar StatusBar;

  // ---- View state ----------------------------------------------------------
  mailbox::AccountState Account;
  std::unique_ptr<mailbox::FolderTable> Folders;
  settings::MainWindowSettings MainSettings;
  settings::PropertySettings Properties;
  thread::ThreadView View{*Folders};  // CurrentThreads, CurrentFolderIndex
  thread::ThreadNode* ViewedNode = nullptr;
  std::vector<thread::ThreadNode*> Rows;  // node of each thread-list row, in list order

  // Test hooks and state readers.
  bool TimerKeyWaitRunning() const { return timer_key_wait_running_; }
  bool Loading() const { return View.Loading; }
  TVtJobForm* JobForm() const { return job_form_.get(); }
  // Folders whose threads were (re)loaded, in order: every OpenFolderThreads
  // that did not return at once because the folder was already shown.
  const std::vector<int>& OpenedFolders() const { return opened_folders_; }
  ui::TViewForm* Viewer() const { return viewer_; }

 private:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnCreate();
  void OnCommand(int id);
  LRESULT OnNotify(const NMHDR& header, LPARAM lparam);
  void OnGetDispInfo(NMLVDISPINFOW& info) const;
  void Layout();
  void ApplyMainSettings();
  void CollectMainSettings();
  void SetUpImageLists();
  void OpenFolderThreads(int folder, bool remember);
  thread::LoaderSettings LoadSettings() const;
  void AfterLoad();
  void ReloadAccount();
  void UpdateCaption();
  void StartTimerKeyWait();
  void StopTimerKeyWait();
  void InjectKey(HWND target, WORD virtual_key) const;
  bool MoveSelectionByKey(WPARAM key);
  void PopupAtCursor(const MenuDef& def, HWND owner_control);
  bool SplitterMouse(UINT message, LPARAM lparam);
  static LRESULT CALLBACK ListBoxFProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR) noexcept;
  static LRESULT CALLBACK ListViewMailProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR) noexcept;

  MainFormEnvironment environment_;
  ui::TViewForm* viewer_ = nullptr;
  HACCEL accelerators_ = nullptr;
  HIMAGELIST ImageListMail = nullptr;
  HIMAGELIST ImageListFolder = nullptr;
  Font form_font_;
  Font list_box_font_;
  Font list_view_font_;
  HBRUSH list_box_brush_ = nullptr;
  std::unique_ptr<TVtJobForm> job_form_;
  int list_box_width_ = 150;
  bool shown_once_ = false;
  bool timer_key_wait_running_ = false;
  bool close_pending_ = false;
  bool dragging_splitter_ = false;
  unsigned long last_pump_ = 0;
  std::vector<int> opened_folders_;
  HWND focus_before_disable_ = nullptr;  // the list to give the focus back to
  int rows_folder_ = -1;  // folder whose display settings the rows use
};

}  // namespace ui
