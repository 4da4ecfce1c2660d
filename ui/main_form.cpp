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
  // A close asked for while a message was opened or moved is carried out now.
  viewer_busy_.OnRelease([this] {
    if (!view_.Loading) AfterLoad();
  });
}

TVtFormMain::~TVtFormMain() {
  // The index's threads end before anything they report to goes.
  index_.reset();
  // The viewer first, while the form it may still call is whole; reset()
  // leaves viewer_ null while its window is destroyed.
  viewer_.reset();
  thread::ReleaseThreadLists(view_, *this);
  if (hwnd() != nullptr) {
    KillTimer(hwnd(), kTimerKeyWaitId);
    KillTimer(hwnd(), kTimer1Id);
    KillTimer(hwnd(), kTimerResultsId);
  }
  job_form_.reset();
  if (accelerators_ != nullptr) DestroyAcceleratorTable(accelerators_);
}

void TVtFormMain::OnCreate() {
  dpi_ = DpiOf(hwnd());
  list_box_width_ = Scale(main_settings_.ListBoxWidth, dpi_);
  folder_list_.Create(hwnd(), kListBoxFId);
  thread_list_.Create(hwnd(), kListViewMailId, kFilterBoxId, kBodySearchId);
  status_bar_.Create(hwnd(), kStatusBarId);
  status_bar_.SetSimpleText("");
  ApplyDpi();
  ApplyIcons(dpi_);
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
  if (!shown_once_) {
    shown_once_ = true;
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
  main_settings_ = settings::LoadMainSettings(environment_.SettingsPath);
  ApplyMainSettings();
  properties_ = settings::LoadPropertySettings(environment_.SettingsPath);
  settings_timer.Stop();
  platform::PhaseTimer images_timer("image-lists");
  SetUpImageLists();
  images_timer.Stop();
  account_.MailboxDir = main_settings_.Property.Mailbox;
  account_.AccountIndex = main_settings_.Property.AccountTitle;
  const bool located = mailbox::LocateMailbox(
      account_, environment_.ReadRegistry,
      [this](const std::string& initial_dir) { return BrowseForMailbox(initial_dir); });
  if (!located) {
    // No mailbox chosen: the window closes (saving the settings as on any
    // close) once the rest of the sequence has run on an empty mailbox.
    PostMessageW(hwnd(), WM_CLOSE, 0, 0);
  }
  thread_list_.SetBodySearch(main_settings_.Property.BodySearch != 0);
  StartIndex();
  ReloadAccount();
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
  options.MidokuSearch = properties_.MidokuSearch;
  options.TabInfoDefault = properties_.TabInfo;
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
  MoveOnScreen(hwnd(), main_settings_.MainWindow, true);
  // At the DPI of the monitor the window is on now; the widths are kept at 96.
  dpi_ = DpiOf(hwnd());
  list_box_width_ = Scale(std::max(0, main_settings_.ListBoxWidth), dpi_);
  ApplyDpi();
  thread_list_.SetColumn1(Scale(main_settings_.Column1, dpi_));
  thread_list_.FitSenderColumn();
  if (main_settings_.MainWindow.bMaximize != 0) {
    ShowWindow(hwnd(), SW_SHOWMAXIMIZED);
    PumpMessages();
  }
}

// The window's current state in the main save pass's terms: normal-state
// bounds (also while maximised), list widths, fonts and colours.
void TVtFormMain::CollectMainSettings() {
  main_settings_.MainWindow = SavedBounds(hwnd());
  main_settings_.Property.AccountTitle = account_.AccountIndex;
  main_settings_.Property.Mailbox = account_.MailboxDir;
  main_settings_.ListBoxWidth = Unscale(list_box_width_, dpi_);
  main_settings_.Column1 = Unscale(thread_list_.Column1(), dpi_);
  main_settings_.Property.BodySearch = thread_list_.BodySearch() ? 1 : 0;
}

// The image lists at the window's DPI: the unread mark from the icon drawn
// in that size (16, 20, 24, 32 and 48 pixels), the folder images from the
// system's Shell32.DLL at that size.
void TVtFormMain::SetUpImageLists() {
  const int size = SmallImageSize(dpi_);
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
    close_pending_ = true;
    return false;
  }
  SaveAllSettings();
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
  if (index_ == nullptr) return;
  if (viewer_ != nullptr && viewer_->hwnd() != nullptr) ShowWindow(viewer_->hwnd(), SW_HIDE);
  ShowWindow(hwnd(), SW_HIDE);
  index_->Stop();
  if (!index_->WaitEnded(kExitWait) && environment_.EndProcess) environment_.EndProcess();
  index_.reset();
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

LRESULT TVtFormMain::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SIZE:
      FormResize();
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wparam), lparam);
      return 0;
    case WM_COMMAND:
      if (lparam == 0) {
        OnCommand(LOWORD(wparam));
      } else if (LOWORD(wparam) == kListBoxFId && HIWORD(wparam) == LBN_SELCHANGE) {
        folder_list_.ListBoxFClick();
      } else if (LOWORD(wparam) == kFilterBoxId && HIWORD(wparam) == EN_CHANGE) {
        thread_list_.FilterBoxChanged();
      } else if (LOWORD(wparam) == kBodySearchId && HIWORD(wparam) == BN_CLICKED) {
        thread_list_.BodySearchClicked();
      }
      return 0;
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lparam);
      if (header.idFrom != static_cast<UINT_PTR>(kListViewMailId)) return 0;
      return thread_list_.OnNotify(header, lparam);
    }
    case WM_MEASUREITEM:
      if (wparam == kListBoxFId) {
        folder_list_.ListBoxFMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lparam));
        return TRUE;
      }
      break;
    case WM_DRAWITEM:
      if (wparam == kListBoxFId) {
        folder_list_.ListBoxFDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
        return TRUE;
      }
      break;
    case WM_CTLCOLORLISTBOX:
      if (reinterpret_cast<HWND>(lparam) == folder_list_.ListBoxF().hwnd()) {
        return folder_list_.ControlColor(reinterpret_cast<HDC>(wparam));
      }
      break;
    case kIndexNewsMessage:
      OnIndexNews();
      return 0;
    case WM_TIMER:
      if (wparam == kTimerKeyWaitId) folder_list_.TimerKeyWaitTimer();
      if (wparam == kTimer1Id) Timer1Timer();
      if (wparam == kTimerResultsId) ApplyPendingResults();
      return 0;
    case WM_INITMENUPOPUP: {
      HMENU menu = reinterpret_cast<HMENU>(wparam);
      if (menu == AccountMenu()) {
        mAccountClick();
      } else if (HIWORD(lparam) == 0 && GetMenu(hwnd()) != nullptr &&
                 menu == GetSubMenu(GetMenu(hwnd()), LOWORD(lparam))) {
        MainCommands().UpdateMenu(*this, menu);  // a pull-down of the menu bar
      }
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      if (SplitterMouse(message, lparam)) return 0;
      break;
    case WM_CAPTURECHANGED:
      // Another window took the mouse (a pop-up, a message box, Alt+Tab): the
      // drag ends where it was, or the splitter would follow the next move of
      // a mouse whose button is up.
      if (dragging_splitter_ && reinterpret_cast<HWND>(lparam) != hwnd()) {
        dragging_splitter_ = false;
        Splitter1Moved();
      }
      return 0;
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
        folder_list_.ListBoxF().Focus();
      }
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
