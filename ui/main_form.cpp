// TVtFormMain: creation, wiring of the panes, message dispatch, the start-up
// sequence and the shutdown. The layout is in main_form_layout.cpp, the
// loader's side (progress dialog, message pump, rows, reloads) in
// main_form_load.cpp.

#include "ui/main_form.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "mailbox/folder_discovery.h"
#include "platform/timing_log.h"
#include "platform/wide_win.h"
#include "thread/thread_node.h"
#include "ui/dpi.h"
#include "ui/ja_texts.h"
#include "ui/main_commands.h"
#include "ui/placement.h"
#include "ui/view_form.h"

namespace ui {
namespace {

constexpr DWORD kFormStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

}  // namespace

TVtFormMain::TVtFormMain(MainFormEnvironment environment)
    : environment_(std::move(environment)), folders_(std::make_unique<mailbox::FolderTable>()) {
  RegisterWindowClass(kClassName, ApplicationIcon(false), GetSysColorBrush(COLOR_BTNFACE));
  accelerators_ = MainCommands().BuildAccelerators();
  // Design bounds; the settings replace them in the first show.
  Create(kClassName, 0, kFormStyle, "Veltrano", 140, 160, Scale(631, SystemDpi()),
         Scale(396, SystemDpi()), nullptr, MainCommands().BuildMenuBar());
  OnCreate();
  // What waited for a message to be opened or moved runs now.
  viewer_busy_.OnRelease([this] { idle_.BusyEnded(); });
}

TVtFormMain::~TVtFormMain() {
  // The index's threads end before anything they report to goes.
  index_.Link.reset();
  // The viewer first, while the form it may still call is whole; reset()
  // leaves viewer_ null while its window is destroyed.
  viewer_.reset();
  thread::ReleaseThreadLists(view_, *this);
  if (hwnd() != nullptr) {
    KillTimer(hwnd(), kTimerKeyWaitId);
    KillTimer(hwnd(), kTimer1Id);
  }
  load_.JobForm.reset();
  if (accelerators_ != nullptr) DestroyAcceleratorTable(accelerators_);
}

void TVtFormMain::OnCreate() {
  layout_.Dpi = DpiOf(hwnd());
  layout_.ListBoxWidth = Scale(settings_.Main.ListBoxWidth, layout_.Dpi);
  folder_list_.Create(hwnd(), kListBoxFId);
  thread_list_.Create(hwnd(), kListViewMailId, kFilterBoxId, kBodySearchId);
  thread_list_.SetQueryHistory(&settings_.Queries);
  status_bar_.Create(hwnd(), kStatusBarId);
  status_bar_.SetSimpleText("");
  ApplyDpi();
  ApplyIcons(layout_.Dpi);
}

TViewForm& TVtFormMain::EnsureViewer() {
  if (viewer_ == nullptr) {
    viewer_ = std::make_unique<TViewForm>(environment_.SettingsPath, viewer_busy_,
                                          environment_.NkfLibrary);
    viewer_->OnClosed = [this] { viewed_node_ = nullptr; };
    viewer_->AttachHost(this);
  }
  return *viewer_;
}

bool TVtFormMain::ViewerBusy() const { return viewer_busy_.IsSet(); }

void TVtFormMain::Show(int show_command) {
  if (!settings_.Read) {
    settings_.Read = true;
    // The start-up runs before the message loop: an error in it is shown
    // like an error in any handler, and the program goes on.
    try {
      FormShow();
    } catch (...) {
      // The splash is topmost and would hide the box, and the timer that
      // removes it was never set.
      if (environment_.RemoveSplash) environment_.RemoveSplash();
      ShowCurrentError();
    }
  }
  if (hwnd() == nullptr) return;
  if (!IsZoomed(hwnd())) ShowWindow(hwnd(), show_command);
  UpdateWindow(hwnd());
}

// The start-up sequence, run once before the window first appears.
void TVtFormMain::FormShow() {
  platform::PhaseTimer settings_timer("settings");
  settings_.Main = settings::LoadMainSettings(environment_.SettingsPath);
  settings_.Queries = settings::LoadQueryHistory(environment_.SettingsPath);
  ApplyMainSettings();
  settings_.Properties = settings::LoadPropertySettings(environment_.SettingsPath);
  settings_timer.Stop();
  platform::PhaseTimer images_timer("image-lists");
  SetUpImageLists();
  images_timer.Stop();
  account_.MailboxDir = settings_.Main.Property.Mailbox;
  account_.AccountIndex = settings_.Main.Property.AccountTitle;
  const bool located = mailbox::LocateMailbox(
      account_, environment_.ReadRegistry,
      [this](const std::string& initial_dir) { return BrowseForMailbox(initial_dir); });
  if (!located) {
    // No mailbox chosen: the window closes (saving the settings as on any
    // close) once the rest of the sequence has run on an empty mailbox.
    PostMessageW(hwnd(), WM_CLOSE, 0, 0);
  }
  thread_list_.SetBodySearch(settings_.Main.Property.BodySearch != 0);
  shown_.SetHideMuted(settings_.Main.Property.HideMuted != 0);
  ReloadAccount();
  StartIndex();
  // The splash goes 400 ms from now.
  SetTimer(hwnd(), kTimer1Id, 400, nullptr);
}

// The account's part of the start-up, repeated when the account changes:
// account name and caption, the account menu, folder discovery, the folder
// list and its first folder.
void TVtFormMain::ReloadAccount() {
  ForgetResults();
  shown_.ForgetFolders();  // a new folder table
  platform::PhaseTimer account_timer("account-and-folders");
  mailbox::ReadAccountName(account_);
  UpdateCaption();
  std::vector<std::string> titles;
  for (const mailbox::Account& account : account_.AccountList) titles.push_back(account.Title);
  FillAccountMenu(AccountMenu(), titles);
  DrawMenuBar(hwnd());
  mailbox::DiscoveryOptions options;
  options.MidokuSearch = settings_.Properties.MidokuSearch;
  options.TabInfoDefault = settings_.Properties.TabInfo;
  if (thread::CachePreload* preload = view_.Preload.get()) {
    options.KnownDisplaySettings = [preload, &options](const std::string& folder_path) {
      return preload->DisplaySettings(folder_path, options.TabInfoDefault);
    };
  }
  if (account_.AccountDir.empty()) {
    *folders_ = mailbox::FolderTable{};
  } else {
    mailbox::DiscoverFolders(account_.AccountDir, options, *folders_);
  }
  account_timer.Stop();
  folder_list_.FillFolderList();
}

HMENU TVtFormMain::AccountMenu() const { return FindPullDown(GetMenu(hwnd()), kAccountMenuName); }

void TVtFormMain::UpdateCaption() {
  const std::string caption = mailbox::CaptionText(account_.AccountName);
  SetWindowTextW(hwnd(), platform::Widen(caption).c_str());
}

void TVtFormMain::ApplyMainSettings() {
  MoveOnScreen(hwnd(), settings_.Main.MainWindow, true);
  // At the DPI of the monitor the window is on now; the widths are kept at 96.
  layout_.Dpi = DpiOf(hwnd());
  layout_.ListBoxWidth = Scale(std::max(0, settings_.Main.ListBoxWidth), layout_.Dpi);
  ApplyDpi();
  thread_list_.SetColumn1(Scale(settings_.Main.Column1, layout_.Dpi));
  thread_list_.FitSenderColumn();
  if (settings_.Main.MainWindow.bMaximize != 0) {
    ShowWindow(hwnd(), SW_SHOWMAXIMIZED);
    PumpMessages();
  }
}

// The window's current state in the main save pass's terms: normal-state
// bounds (also while maximised), list widths, fonts and colours.
void TVtFormMain::CollectMainSettings() {
  settings_.Main.MainWindow = SavedBounds(hwnd());
  settings_.Main.Property.AccountTitle = account_.AccountIndex;
  settings_.Main.Property.Mailbox = account_.MailboxDir;
  settings_.Main.ListBoxWidth = Unscale(layout_.ListBoxWidth, layout_.Dpi);
  settings_.Main.Column1 = Unscale(thread_list_.Column1(), layout_.Dpi);
  settings_.Main.Property.BodySearch = thread_list_.BodySearch() ? 1 : 0;
  settings_.Main.Property.HideMuted = shown_.Rows().HidesMuted() ? 1 : 0;
}

// The image lists at the window's DPI: the unread mark from the icon drawn
// in that size (16, 20, 24, 32 and 48 pixels), the folder images from the
// system's Shell32.DLL at that size.
void TVtFormMain::SetUpImageLists() {
  const int size = SmallImageSize(layout_.Dpi);
  HIMAGELIST mail_images = thread_list_.ResetImages(size);
  HANDLE unread = LoadImageW(GetModuleHandleW(nullptr), L"MAIZ", IMAGE_ICON, size, size, 0);
  if (unread != nullptr) {
    ImageList_AddIcon(mail_images, static_cast<HICON>(unread));
    DestroyIcon(static_cast<HICON>(unread));
  }
  HIMAGELIST folder_images = folder_list_.ResetImages(size);
  wchar_t system_dir[500] = {};
  if (GetSystemDirectoryW(system_dir, 500) == 0) return;
  const std::wstring shell32 = std::wstring(system_dir) + L"\\Shell32.DLL";
  // Image 0 a folder, 1 an open folder (never drawn), 2 a folder with unread
  // mail; the list stays short when one is missing, and rows show text only.
  for (const int index : {3, 4, 20}) {
    HICON icon = nullptr;
    if (SHDefExtractIconW(shell32.c_str(), index, 0, &icon, nullptr, static_cast<UINT>(size)) !=
            S_OK ||
        icon == nullptr) {
      return;
    }
    ImageList_AddIcon(folder_images, icon);
    DestroyIcon(icon);
  }
}

// Shutdown: the viewer's settings, then the main window's, then the lists.
bool TVtFormMain::FormCloseQuery() {
  if (view_.Loading || ViewerBusy()) {
    // A load, or a message being opened or moved, is unwinding through this
    // window's message pump: close once it has returned.
    CloseWhenIdle();
    return false;
  }
  SaveAllSettings();
  if (viewer_ != nullptr) viewer_->RemoveAttachmentCopies();
  StopIndexForExit();
  thread::ReleaseThreadLists(view_, *this);
  viewed_node_ = nullptr;
  return true;
}

// The index's threads are stopped (what they do is interrupted) and given a
// little while to end, with the windows already hidden. One held up where
// nothing interrupts it is not waited for: an index left mid-write is safe to
// give up, and the process ends rather than run its destructors under it.
void TVtFormMain::StopIndexForExit() {
  if (index_.Link == nullptr) return;
  if (viewer_ != nullptr && viewer_->hwnd() != nullptr) ShowWindow(viewer_->hwnd(), SW_HIDE);
  ShowWindow(hwnd(), SW_HIDE);
  index_.Link->Stop();
  if (!index_.Link->WaitEnded(kExitWait) && environment_.EndProcess) environment_.EndProcess();
  index_.Link.reset();
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
  // After the splash, which is topmost and would hide the box.
  WarnOfVirtualStoreCopy();
}

// The menu bar's pull-downs are enabled and checked as they open.
void TVtFormMain::OnInitMenuPopup(HMENU menu, LPARAM lparam) {
  if (menu == AccountMenu()) {
    mAccountClick();
  } else if (HIWORD(lparam) == 0 && GetMenu(hwnd()) != nullptr &&
             menu == GetSubMenu(GetMenu(hwnd()), LOWORD(lparam))) {
    MainCommands().UpdateMenu(*this, menu);
    CheckMenuItem(menu, MainCommands().IdOf("mHideMuted"),
                  MF_BYCOMMAND | (shown_.Rows().HidesMuted() ? MF_CHECKED : MF_UNCHECKED));
  }
}

// The child that had the focus keeps it when the window is activated again;
// else the folder list (first in Tab order) takes it.
void TVtFormMain::KeepFocusedChild() {
  HWND focus = GetFocus();
  if (focus != nullptr && IsChild(hwnd(), focus)) load_.Focus = focus;
}

void TVtFormMain::RestoreFocusedChild() {
  if (load_.Focus != nullptr && IsWindow(load_.Focus)) {
    SetFocus(load_.Focus);
  } else {
    folder_list_.ListBoxF().Focus();
  }
}

// A switchboard: each control's notifications go to the pane that owns the
// control; the window's own messages to their handlers.
LRESULT TVtFormMain::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  if (folder_list_.ParentMessage(message, wparam, lparam, result) ||
      thread_list_.ParentMessage(message, wparam, lparam, result) ||
      SplitterMouse(message, lparam)) {
    return result;
  }
  switch (message) {
    case WM_SIZE:
      FormResize();
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wparam), lparam);
      return 0;
    case WM_COMMAND:
      if (lparam == 0) OnCommand(LOWORD(wparam));
      return 0;
    case kIndexNewsMessage:
      OnIndexNews();
      return 0;
    case WM_TIMER:
      if (wparam == kTimer1Id) Timer1Timer();
      return 0;
    case WM_INITMENUPOPUP:
      OnInitMenuPopup(reinterpret_cast<HMENU>(wparam), lparam);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) KeepFocusedChild();
      break;
    case WM_SETFOCUS:
      RestoreFocusedChild();
      return 0;
    case WM_CLOSE:
      if (FormCloseQuery()) DestroyWindow(hwnd());
      return 0;
    // At log-off or shut-down Windows ends the process after WM_ENDSESSION
    // without a WM_CLOSE: the settings are written then, whatever is running,
    // and a failure is not told (the session is ending; no box may show).
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wparam != FALSE) SaveAllSettings(false);
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
