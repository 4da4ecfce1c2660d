// TVtFormMain: creation, layout, message dispatch, the start-up sequence and
// the shutdown. Folder-list and thread-list handlers are in their own files.

#include "ui/main_form.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>

#include "mailbox/folder_discovery.h"
#include "platform/wide_win.h"
#include "thread/thread_node.h"
#include "ui/commands.h"
#include "ui/view_form.h"

namespace ui {
namespace {

// "題名" and "差出人": the thread list's columns.
constexpr char kColumnSubject[] = "\x91\xE8\x96\xBC";
constexpr char kColumnSender[] = "\x8D\xB7\x8Fo\x90l";

constexpr DWORD kFormStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

}  // namespace

TVtFormMain::TVtFormMain(MainFormEnvironment environment)
    : Folders(std::make_unique<mailbox::FolderTable>()), environment_(std::move(environment)) {
  RegisterWindowClass(kClassName, ApplicationIcon(false), GetSysColorBrush(COLOR_BTNFACE));
  accelerators_ = BuildAccelerators();
  // Design bounds; the settings replace them in the first show.
  Create(kClassName, 0, kFormStyle, "Veltrano", 140, 160, 631, 396, nullptr, BuildMainMenu());
  OnCreate();
}

TVtFormMain::~TVtFormMain() {
  thread::ReleaseThreadLists(View, *this);
  if (hwnd() != nullptr) {
    KillTimer(hwnd(), kTimerKeyWaitId);
    KillTimer(hwnd(), kTimer1Id);
  }
  job_form_.reset();
  if (accelerators_ != nullptr) DestroyAcceleratorTable(accelerators_);
  if (ImageListMail != nullptr) ImageList_Destroy(ImageListMail);
  if (ImageListFolder != nullptr) ImageList_Destroy(ImageListFolder);
  if (list_box_brush_ != nullptr) DeleteObject(list_box_brush_);
}

void TVtFormMain::OnCreate() {
  form_font_.CreateHeight(kDialogFace, -12);
  ListBoxF.Create(hwnd(), kListBoxFId);
  ListViewMail.Create(hwnd(), kListViewMailId);
  StatusBar.Create(hwnd(), kStatusBarId);
  StatusBar.SetFont(form_font_.handle());
  StatusBar.SetSimpleText("");
  ListViewMail.AddColumn(0, kColumnSubject, 80);
  ListViewMail.AddColumn(1, kColumnSender, 333);
  SubclassControl(ListBoxF.hwnd(), &TVtFormMain::ListBoxFProc, this);
  SubclassControl(ListViewMail.hwnd(), &TVtFormMain::ListViewMailProc, this);
  list_box_font_.CreatePoints(MainSettings.ListBox.FontFace, MainSettings.ListBox.FontSize);
  list_view_font_.CreatePoints(MainSettings.ListView.FontFace, MainSettings.ListView.FontSize);
  ListBoxF.SetFont(list_box_font_.handle());
  ListViewMail.SetFont(list_view_font_.handle());
  ImageListMail = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
  ImageListFolder = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 3, 1);
  Layout();
}

void TVtFormMain::Show(int show_command) {
  if (!shown_once_) {
    shown_once_ = true;
    FormShow();
  }
  if (hwnd() == nullptr) return;
  if (!IsZoomed(hwnd())) ShowWindow(hwnd(), show_command);
  UpdateWindow(hwnd());
}

// The start-up sequence, run once before the window first appears.
void TVtFormMain::FormShow() {
  // 1. Main load pass.
  MainSettings = settings::LoadMainSettings(environment_.SettingsPath);
  ApplyMainSettings();
  // 2. Property load pass.
  Properties = settings::LoadPropertySettings(environment_.SettingsPath);
  // 3.-5. Image lists.
  SetUpImageLists();
  // 6. Mailbox and account.
  Account.MailboxDir = MainSettings.Mailbox;
  Account.AccountIndex = MainSettings.AccountTitle;
  const bool located = mailbox::LocateMailbox(Account, environment_.ReadRegistry,
                                               environment_.BrowseForMailbox);
  if (!located) {
    // No mailbox chosen: the window closes (saving the settings as on any
    // close) once the rest of the sequence has run on an empty mailbox.
    PostMessageW(hwnd(), WM_CLOSE, 0, 0);
  }
  // 7.-10.
  ReloadAccount();
  // 11. The splash goes 400 ms from now.
  SetTimer(hwnd(), kTimer1Id, 400, nullptr);
}

// Steps 7 to 10 of the start-up, repeated when the account changes.
void TVtFormMain::ReloadAccount() {
  mailbox::ReadAccountName(Account);
  UpdateCaption();
  std::vector<std::string> titles;
  for (const mailbox::Account& account : Account.AccountList) titles.push_back(account.Title);
  FillAccountMenu(GetSubMenu(GetMenu(hwnd()), kAccountMenuPosition), titles);
  DrawMenuBar(hwnd());
  mailbox::DiscoveryOptions options;
  options.MidokuSearch = Properties.MidokuSearch;
  options.TabInfoDefault = Properties.TabInfo;
  if (Account.AccountDir.empty()) {
    *Folders = mailbox::FolderTable{};
  } else {
    mailbox::DiscoverFolders(Account.AccountDir, options, *Folders);
  }
  FillFolderList();
}

void TVtFormMain::UpdateCaption() {
  const std::string caption = mailbox::CaptionText(Account.AccountName);
  SetWindowTextW(hwnd(), platform::Widen(caption).c_str());
}

void TVtFormMain::ApplyMainSettings() {
  const settings::WindowBounds& bounds = MainSettings.MainWindow;
  MoveWindow(hwnd(), bounds.Left, bounds.Top, bounds.Width, bounds.Height, TRUE);
  list_box_font_.CreatePoints(MainSettings.ListBox.FontFace, MainSettings.ListBox.FontSize);
  ListBoxF.SetFont(list_box_font_.handle());
  if (list_box_brush_ != nullptr) DeleteObject(list_box_brush_);
  list_box_brush_ = CreateSolidBrush(ToColorRef(MainSettings.ListBox.BColor));
  list_box_width_ = std::max(0, MainSettings.ListBoxWidth);
  list_view_font_.CreatePoints(MainSettings.ListView.FontFace, MainSettings.ListView.FontSize);
  ListViewMail.SetFont(list_view_font_.handle());
  ListViewMail.SetColors(ToColorRef(MainSettings.ListView.Color),
                         ToColorRef(MainSettings.ListView.BColor));
  ImageList_SetBkColor(ImageListMail, ToColorRef(MainSettings.ListView.BColor));
  Layout();
  ListViewMail.SetColumnWidth(0, MainSettings.Column1);
  FitSenderColumn();
  if (MainSettings.MainWindow.bMaximize != 0) {
    ShowWindow(hwnd(), SW_SHOWMAXIMIZED);
    PumpMessages();
  }
}

// The window's current state in the main save pass's terms: normal-state
// bounds (also while maximised), list widths, fonts and colours.
void TVtFormMain::CollectMainSettings() {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  GetWindowPlacement(hwnd(), &placement);
  const RECT& normal = placement.rcNormalPosition;
  MainSettings.MainWindow.Left = normal.left;
  MainSettings.MainWindow.Top = normal.top;
  MainSettings.MainWindow.Width = normal.right - normal.left;
  MainSettings.MainWindow.Height = normal.bottom - normal.top;
  MainSettings.MainWindow.bMaximize = IsZoomed(hwnd()) ? 1 : 0;
  MainSettings.AccountTitle = Account.AccountIndex;
  MainSettings.Mailbox = Account.MailboxDir;
  MainSettings.ListBoxWidth = list_box_width_;
  MainSettings.Column1 = ListViewMail.ColumnWidth(0);
}

void TVtFormMain::SetUpImageLists() {
  ListViewMail.SetImageList(ImageListMail);
  HANDLE unread = LoadImageW(GetModuleHandleW(nullptr), L"MAIZ", IMAGE_ICON, 16, 16, 0);
  if (unread != nullptr) {
    ImageList_AddIcon(ImageListMail, static_cast<HICON>(unread));
    DestroyIcon(static_cast<HICON>(unread));
  }
  wchar_t system_dir[500] = {};
  if (GetSystemDirectoryW(system_dir, 500) == 0) return;
  const std::wstring shell32 = std::wstring(system_dir) + L"\\Shell32.DLL";
  HICON pair[2] = {};
  if (ExtractIconExW(shell32.c_str(), 3, nullptr, pair, 2) == 2) {
    for (HICON icon : pair) ImageList_AddIcon(ImageListFolder, icon);
  }
  for (HICON icon : pair) {
    if (icon != nullptr) DestroyIcon(icon);
  }
  HICON unread_folder[2] = {};
  if (ExtractIconExW(shell32.c_str(), 20, nullptr, unread_folder, 2) > 0 &&
      unread_folder[0] != nullptr) {
    ImageList_AddIcon(ImageListFolder, unread_folder[0]);
  }
  for (HICON icon : unread_folder) {
    if (icon != nullptr) DestroyIcon(icon);
  }
}

// Shutdown: the viewer's settings, then the main window's, then the lists.
bool TVtFormMain::FormCloseQuery() {
  if (View.Loading) {
    // A load is unwinding through this window's message pump: stop it first
    // and close once it has returned.
    close_pending_ = true;
    return false;
  }
  if (viewer_ != nullptr) viewer_->SaveSettings();
  CollectMainSettings();
  settings::SaveMainSettings(environment_.SettingsPath, MainSettings);
  thread::ReleaseThreadLists(View, *this);
  ViewedNode = nullptr;
  return true;
}

void TVtFormMain::Layout() {
  if (hwnd() == nullptr || ListViewMail.hwnd() == nullptr) return;
  RECT client{};
  GetClientRect(hwnd(), &client);
  StatusBar.Resize();
  const int status_height = StatusBar.Height();
  const int height = std::max(0, static_cast<int>(client.bottom) - status_height);
  const int width = static_cast<int>(client.right);
  const int list_width = std::clamp(list_box_width_, 0, std::max(0, width - kSplitterWidth));
  ListBoxF.Move(0, 0, list_width, height);
  const int view_left = list_width + kSplitterWidth;
  ListViewMail.Move(view_left, 0, std::max(0, width - view_left), height);
}

void TVtFormMain::FormResize() {
  Layout();
  FitSenderColumn();
}

void TVtFormMain::Splitter1Moved() { FitSenderColumn(); }

void TVtFormMain::FitSenderColumn() {
  RECT client{};
  GetClientRect(ListViewMail.hwnd(), &client);
  ListViewMail.SetColumnWidth(1, std::max(0, static_cast<int>(client.right) - ListViewMail.ColumnWidth(0)));
}

// Splitter1: the 3-pixel strip between the lists, dragged with the left button.
bool TVtFormMain::SplitterMouse(UINT message, LPARAM lparam) {
  const int x = GET_X_LPARAM(lparam);
  const bool over = x >= list_box_width_ && x < list_box_width_ + kSplitterWidth;
  switch (message) {
    case WM_LBUTTONDOWN:
      if (!over) return false;
      dragging_splitter_ = true;
      SetCapture(hwnd());
      return true;
    case WM_MOUSEMOVE:
      if (over || dragging_splitter_) SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
      if (!dragging_splitter_) return false;
      list_box_width_ = std::max(0, x);
      Layout();
      return true;
    case WM_LBUTTONUP:
      if (!dragging_splitter_) return false;
      dragging_splitter_ = false;
      ReleaseCapture();
      Splitter1Moved();
      return true;
    default:
      return false;
  }
}

void TVtFormMain::OnCommand(int id) {
  if (!CommandAvailable(id)) return;
  if (id >= kCmdAccountFirst) {
    AccountItemClick(id - kCmdAccountFirst);
    return;
  }
  switch (id) {
    case kCmdRetry1: mRetry1Click(); break;
    case kCmdRetry2: mRetry2Click(); break;
    case kCmdMidoku: mPopupMidokuClick(); break;
    case kCmdExit: mExitClick(); break;
    case kCmdPrevMidoku: mPrevMidokuClick(); break;
    case kCmdNextMidoku: mNextMidokuClick(); break;
    default: break;
  }
}

void TVtFormMain::mAccountClick() {
  HMENU menu = GetSubMenu(GetMenu(hwnd()), kAccountMenuPosition);
  const int count = GetMenuItemCount(menu);
  for (int k = 0; k < count; ++k) {
    CheckMenuItem(menu, static_cast<UINT>(k),
                  MF_BYPOSITION | (k == Account.AccountIndex ? MF_CHECKED : MF_UNCHECKED));
  }
}

void TVtFormMain::AccountItemClick(int index) {
  if (View.Loading || (viewer_ != nullptr && viewer_->ViewerBusy)) return;
  if (!mailbox::SwitchAccount(Account, index)) return;
  thread::ReleaseThreadLists(View, *this);
  ViewedNode = nullptr;
  View.CurrentFolderIndex = -1;
  ReloadAccount();
}

void TVtFormMain::PopupAtCursor(const MenuDef& def, HWND owner_control) {
  POINT at{};
  GetCursorPos(&at);
  SetForegroundWindow(owner_control);
  HMENU menu = BuildPopupMenu(def);
  if (&def == &PopupFolderDef()) {
    const int folder = ListBoxF.Selected();
    const bool enable = folder >= 0 && folder < mailbox::kFolderCapacity &&
                        (*Folders)[folder].Kind != mailbox::kFolderContainer &&
                        CommandAvailable(kCmdFolderSet);
    EnableMenuItem(menu, kCmdFolderSet, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
  }
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, hwnd(), nullptr);
  DestroyMenu(menu);
}

void TVtFormMain::ShowMessageText(const std::string& text) {
  if (environment_.MessageHook) {
    environment_.MessageHook(text);
    return;
  }
  MessageBoxW(hwnd(), platform::Widen(text).c_str(), L"Veltra Message", MB_OK);
}

void TVtFormMain::Timer1Timer() {
  KillTimer(hwnd(), kTimer1Id);
  if (environment_.RemoveSplash) environment_.RemoveSplash();
}

LRESULT TVtFormMain::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SIZE:
      FormResize();
      return 0;
    case WM_COMMAND:
      if (lparam == 0) {
        OnCommand(LOWORD(wparam));
      } else if (LOWORD(wparam) == kListBoxFId && HIWORD(wparam) == LBN_SELCHANGE) {
        ListBoxFClick();
      }
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lparam), lparam);
    case WM_MEASUREITEM:
      if (wparam == kListBoxFId) {
        ListBoxFMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lparam));
        return TRUE;
      }
      break;
    case WM_DRAWITEM:
      if (wparam == kListBoxFId) {
        ListBoxFDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
        return TRUE;
      }
      break;
    case WM_CTLCOLORLISTBOX:
      if (reinterpret_cast<HWND>(lparam) == ListBoxF.hwnd() && list_box_brush_ != nullptr) {
        SetTextColor(reinterpret_cast<HDC>(wparam), ToColorRef(MainSettings.ListBox.Color));
        SetBkColor(reinterpret_cast<HDC>(wparam), ToColorRef(MainSettings.ListBox.BColor));
        return reinterpret_cast<LRESULT>(list_box_brush_);
      }
      break;
    case WM_TIMER:
      if (wparam == kTimerKeyWaitId) TimerKeyWaitTimer();
      if (wparam == kTimer1Id) Timer1Timer();
      return 0;
    case WM_INITMENUPOPUP:
      if (reinterpret_cast<HMENU>(wparam) == GetSubMenu(GetMenu(hwnd()), kAccountMenuPosition)) {
        mAccountClick();
      }
      return 0;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      if (SplitterMouse(message, lparam)) return 0;
      break;
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd(), focus)) focus_before_disable_ = focus;
      }
      break;
    case WM_SETFOCUS:
      // The window's focus goes to the list that had it last, else to the
      // folder list (first in tab order).
      if (focus_before_disable_ != nullptr && IsWindow(focus_before_disable_)) {
        SetFocus(focus_before_disable_);
      } else {
        ListBoxF.Focus();
      }
      return 0;
    case WM_CLOSE:
      if (FormCloseQuery()) DestroyWindow(hwnd());
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return Window::HandleMessage(message, wparam, lparam);
}

}  // namespace ui
