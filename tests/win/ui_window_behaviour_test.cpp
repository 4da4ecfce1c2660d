// The main window's behaviour around its commands: saved bounds, errors in
// the start-up, the focus after the unread check, the progress dialog's first
// appearance, the thread list's letter jump, the layout, the folder list's
// pop-up menu and the plain-key shortcuts in the folder list.

#include <gtest/gtest.h>
#include <windows.h>
// shlobj.h needs the types of windows.h.
#include <shlobj.h>

#include <stdexcept>

#include "mailbox/virtual_store.h"
#include "platform/wide_win.h"
#include "settings/ini_profile.h"
#include "tests/win/standin_support.h"
#include "tests/win/ui_dialog_support.h"
#include "tests/win/ui_support.h"
#include "ui/ja_texts.h"
#include "ui/main_commands.h"
#include "ui/placement.h"

namespace uitest {
namespace {

class WindowBehaviour : public SharedMailbox {};

TEST(Placement, WorkspaceBoundsBecomeScreenBounds) {
  struct Case {
    const char* reason;
    RECT monitor;
    RECT work;
    POINT expected_corner;  // of a window at workspace (10, 20)
  };
  const Case cases[] = {
      {"taskbar at the bottom: no offset", {0, 0, 1280, 1024}, {0, 0, 1280, 984}, {10, 20}},
      {"taskbar at the top: moved down by its height",
       {0, 0, 1280, 1024},
       {0, 40, 1280, 1024},
       {10, 60}},
      {"taskbar on the left: moved right by its width",
       {0, 0, 1280, 1024},
       {62, 0, 1280, 1024},
       {72, 20}},
      {"second monitor with its taskbar on the left",
       {1280, 0, 2560, 1024},
       {1340, 0, 2560, 1024},
       {70, 20}},
  };
  for (const Case& c : cases) {
    const RECT screen = ui::WorkspaceToScreen(RECT{10, 20, 710, 470}, c.monitor, c.work);
    EXPECT_EQ(screen.left, c.expected_corner.x) << c.reason;
    EXPECT_EQ(screen.top, c.expected_corner.y) << c.reason;
    EXPECT_EQ(screen.right - screen.left, 700) << c.reason;
    EXPECT_EQ(screen.bottom - screen.top, 450) << c.reason;
  }
}

// Whether `window` lies wholly in the work area of its monitor.
bool InWorkArea(HWND window) {
  RECT bounds{};
  GetWindowRect(window, &bounds);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
  RECT common{};
  return IntersectRect(&common, &bounds, &monitor.rcWork) && EqualRect(&common, &bounds);
}

// A saved position off the screen (a monitor undocked since), or with the
// caption above it, opens the main window where it can be seen and dragged,
// at its saved size.
TEST_F(WindowBehaviour, AWindowSavedOffScreenOpensOnScreen) {
  const struct {
    int left;
    int top;
    const char* reason;
  } cases[] = {
      {5000, 5000, "right of and below every monitor"},
      {-3000, -3000, "left of and above every monitor"},
      {100, -20, "the rest on the screen, the caption above it"},
  };
  for (const auto& c : cases) {
    const char* at = c.reason;
    fixture.Restore();
    settings::IniWriter ini(fixture.SettingsPath());
    ini.WriteInteger("MainWindow", "Left", c.left);
    ini.WriteInteger("MainWindow", "Top", c.top);
    ini.WriteInteger("MainWindow", "Width", 640);
    ini.WriteInteger("MainWindow", "Height", 420);
    ASSERT_TRUE(ini.Commit());
    fixture.Start();
    RECT window{};
    GetWindowRect(fixture.Main().hwnd(), &window);
    EXPECT_TRUE(InWorkArea(fixture.Main().hwnd()))
        << at << ": " << window.left << "," << window.top;
    EXPECT_EQ(window.right - window.left, 640) << at;
  }
}

// The viewer, moved out of reach while hidden (the monitors may change
// meanwhile), is brought back when the next message shows it.
TEST_F(WindowBehaviour, TheViewerShownAgainIsOnScreen) {
  fixture.Start();
  Open(fixture, 0);
  ui::TViewForm& viewer = fixture.Viewer();
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(viewer.hwnd()) != FALSE; }, 5000));
  PostMessageW(viewer.hwnd(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(viewer.hwnd()) == FALSE; }, 5000));
  SetWindowPos(viewer.hwnd(), nullptr, 200, -3000, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Open(fixture, 1);
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(viewer.hwnd()) != FALSE; }, 5000));
  EXPECT_TRUE(InWorkArea(viewer.hwnd()));
}

TEST_F(WindowBehaviour, NormalBoundsAndTheMaximisedStateSurviveARestart) {
  for (const bool maximised : {false, true}) {
    fixture.Restore();
    fixture.Start();
    MoveWindow(fixture.Main().hwnd(), 40, 50, 640, 420, TRUE);
    if (maximised) ShowWindow(fixture.Main().hwnd(), SW_MAXIMIZE);
    Settle();
    SendMessageW(fixture.Main().hwnd(), WM_CLOSE, 0, 0);
    settings::IniReader saved(fixture.SettingsPath());
    EXPECT_EQ(saved.ReadInteger("MainWindow", "Left", 0), 40) << maximised;
    EXPECT_EQ(saved.ReadInteger("MainWindow", "Top", 0), 50) << maximised;
    EXPECT_EQ(saved.ReadInteger("MainWindow", "Width", 0), 640) << maximised;
    EXPECT_EQ(saved.ReadInteger("MainWindow", "Height", 0), 420) << maximised;
    EXPECT_EQ(saved.ReadInteger("MainWindow", "bMaximize", -1), maximised ? 1 : 0);
    fixture.Stop();
    fixture.Start();
    EXPECT_EQ(IsZoomed(fixture.Main().hwnd()) != FALSE, maximised);
    const RECT normal = ui::NormalBoundsOnScreen(fixture.Main().hwnd());
    EXPECT_EQ(normal.left, 40) << maximised;
    EXPECT_EQ(normal.top, 50) << maximised;
    EXPECT_EQ(normal.right - normal.left, 640) << maximised;
  }
}

// Log-off ends the process after WM_ENDSESSION without a close: the bounds
// are in "Veltra.ini" by then. A cancelled log-off writes nothing.
TEST_F(WindowBehaviour, LogOffWritesTheSettingsBeforeTheProcessEnds) {
  for (const bool ending : {true, false}) {
    fixture.Restore();
    fixture.Start();
    MoveWindow(fixture.Main().hwnd(), 60, 70, 600, 400, TRUE);
    Settle();
    EXPECT_EQ(SendMessageW(fixture.Main().hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    SendMessageW(fixture.Main().hwnd(), WM_ENDSESSION, ending, ENDSESSION_LOGOFF);
    settings::IniReader saved(fixture.SettingsPath());
    EXPECT_EQ(saved.ReadInteger("MainWindow", "Left", 0), ending ? 60 : 0) << ending;
    EXPECT_EQ(saved.ReadInteger("MainWindow", "Width", 0), ending ? 600 : 0) << ending;
  }
}

// No box may show while the session ends: a save that fails at log-off is
// not told, and a close later in the same run still tells it.
TEST_F(WindowBehaviour, ALogOffShowsNoBoxWhenTheSaveFails) {
  fixture.Start();
  HANDLE held = CreateFileW(platform::Widen(fixture.SettingsPath()).c_str(), GENERIC_READ, 0,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  SendMessageW(fixture.Main().hwnd(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_TRUE(fixture.Messages.empty());
  fixture.Main().SaveAllSettings();
  CloseHandle(held);
  EXPECT_EQ(fixture.Messages.size(), 1u) << "the close's save tells it";
}

// The 64-bit program, which Windows never virtualises, says at each start,
// once the splash has gone, that the mailbox has a copy in the VirtualStore
// (newer than what it reads), naming the copy; without one it says nothing.
// The 32-bit program is virtualised and reads the copy itself.
TEST_F(WindowBehaviour, AMailboxWithAVirtualStoreCopyIsToldAtEachStart) {
  for (const bool copied : {false, true, true}) {
    fixture.Restore();
    const mailbox::VirtualStoreCopy copy =
        mailbox::VirtualStorePath(fixture.MailboxDir(), fixture.LocalAppData);
    ASSERT_FALSE(copy.Path.empty()) << copy.Why;
    if (copied) {
      ASSERT_EQ(SHCreateDirectoryExW(nullptr, platform::Widen(copy.Path).c_str(), nullptr),
                ERROR_SUCCESS);
    }
    bool splash_gone = false;
    fixture.RemoveSplash = [&] { splash_gone = true; };
    fixture.Start();
    EXPECT_TRUE(fixture.Messages.empty()) << "told under the splash";
    ASSERT_TRUE(PumpUntil([&] { return splash_gone; }, 5000));
    std::vector<std::string> told;
#if defined(_WIN64)
    if (copied)
      told.push_back(ui::ja::kVirtualStoreCopyBefore + copy.Path + ui::ja::kVirtualStoreCopyAfter);
#endif
    EXPECT_EQ(fixture.Messages, told) << copied;
  }
}

TEST_F(WindowBehaviour, AnErrorInTheStartUpIsShownAndTheProgramGoesOn) {
  fixture.Dir().WriteFile("Veltra.ini", "");
  fixture.ReadRegistry = []() -> std::string { throw std::runtime_error("registry unreadable"); };
  std::size_t errors_when_splash_removed = 99;
  fixture.RemoveSplash = [&] { errors_when_splash_removed = fixture.Errors.size(); };
  fixture.Start();
  EXPECT_EQ(fixture.Errors, std::vector<std::string>{"registry unreadable"});
  EXPECT_EQ(errors_when_splash_removed, 0u) << "the splash went before the error was shown";
  ASSERT_NE(fixture.Main().hwnd(), nullptr);
  EXPECT_TRUE(IsWindowVisible(fixture.Main().hwnd()));
}

TEST_F(WindowBehaviour, TheUnreadCheckKeepsTheKeyboardFocus) {
  fixture.Start();
  for (HWND list : {fixture.Main().ThreadList().ListViewMail().hwnd(),
                    fixture.Main().FolderList().ListBoxF().hwnd()}) {
    SetFocus(list);
    fixture.Command("mMidoku");
    EXPECT_EQ(GetFocus(), list);
  }
}

// The progress dialog as the hook saw it: what it looked like when it first
// appeared, and whether its owner was enabled when it went (-1: not seen).
// Windows gives the activation to another program when the active window is
// destroyed while its owner is disabled; Wine does not, so the rule itself is
// watched.
struct JobFormSeen {
  bool shown = false;
  std::string title;
  int maximum = -1;
  LONG_PTR ex_style = 0;
  int owner_enabled_at_destroy = -1;
};
JobFormSeen* g_job_form = nullptr;

LRESULT CALLBACK WatchJobForm(int code, WPARAM wparam, LPARAM lparam) {
  const auto& sent = *reinterpret_cast<const CWPSTRUCT*>(lparam);
  wchar_t name[32] = {};
  if (code != HC_ACTION || GetClassNameW(sent.hwnd, name, 32) == 0 ||
      wcscmp(name, L"TVtJobForm") != 0) {
    return CallNextHookEx(nullptr, code, wparam, lparam);
  }
  if (sent.message == WM_SHOWWINDOW && sent.wParam != FALSE && !g_job_form->shown) {
    g_job_form->shown = true;
    wchar_t title[256] = {};
    GetWindowTextW(GetDlgItem(sent.hwnd, 10), title, 256);
    g_job_form->title = platform::Narrow(title);
    g_job_form->maximum =
        static_cast<int>(SendMessageW(GetDlgItem(sent.hwnd, 12), PBM_GETRANGE, FALSE, 0));
    g_job_form->ex_style = GetWindowLongPtrW(sent.hwnd, GWL_EXSTYLE);
  } else if (sent.message == WM_DESTROY) {
    g_job_form->owner_enabled_at_destroy = IsWindowEnabled(GetWindow(sent.hwnd, GW_OWNER)) ? 1 : 0;
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

// A full build of the folder's 30 messages: the progress dialog appears with
// its phase text and range already set and a dialog's border, and goes while
// its owner is enabled (the build's last step disables the main window).
TEST_F(WindowBehaviour, TheProgressDialogAppearsSetUpAndGoesWhileItsOwnerIsEnabled) {
  fixture.Start();
  JobFormSeen seen;
  g_job_form = &seen;
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, &WatchJobForm, nullptr, GetCurrentThreadId());
  fixture.Command("mRetry2");
  UnhookWindowsHookEx(hook);
  g_job_form = nullptr;
  ASSERT_TRUE(seen.shown);
  EXPECT_NE(seen.title, ui::ja::kJobDesignTitle);
  EXPECT_FALSE(seen.title.empty());
  EXPECT_EQ(seen.maximum, 30);
  EXPECT_EQ(seen.ex_style & WS_EX_TOOLWINDOW, 0);  // a dialog's title bar, not a tool window's
  EXPECT_NE(seen.ex_style & WS_EX_DLGMODALFRAME, 0);
  EXPECT_EQ(seen.owner_enabled_at_destroy, 1);
  EXPECT_TRUE(IsWindowEnabled(fixture.Main().hwnd()));
}

// A drag of the splitter ends when another window takes the mouse: the next
// move, with the button up, leaves the folder list as wide as it was.
TEST_F(WindowBehaviour, ASplitterDragEndsWhenAnotherWindowTakesTheMouse) {
  fixture.Start();
  HWND main = fixture.Main().hwnd();
  HWND folders = fixture.Main().FolderList().ListBoxF().hwnd();
  const auto width = [&] {
    RECT r{};
    GetWindowRect(folders, &r);
    return r.right - r.left;
  };
  const LONG before = width();
  SendMessageW(main, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(before + 1, 50));
  ASSERT_EQ(GetCapture(), main) << "the drag started";
  SetCapture(fixture.Main().ThreadList().ListViewMail().hwnd());
  ReleaseCapture();
  SendMessageW(main, WM_MOUSEMOVE, 0, MAKELPARAM(before + 100, 50));
  EXPECT_EQ(width(), before);
}

TEST_F(WindowBehaviour, ATypedCharacterJumpsToTheNextRowStartingWithIt) {
  fixture.Start();
  HWND list = fixture.Main().ThreadList().ListViewMail().hwnd();
  const int count = fixture.RowCount();
  ASSERT_GT(count, 1);
  std::vector<std::wstring> captions;
  // The rows' texts as shown, without their leading blanks (every subject is
  // shown after one, replies after their indentation).
  for (int row = 0; row < count; ++row) {
    std::wstring caption = platform::Widen(fixture.Cell(row, 0));
    caption.erase(0, caption.find_first_not_of(L' '));
    captions.push_back(caption);
  }
  // Characters the list's own keys do not take, each searched from the row
  // after the focused one and round to the top.
  int tried = 0;
  for (int row = 0; row < count && tried < 3; ++row) {
    const std::wstring& source = captions[static_cast<std::size_t>(row)];
    if (source.empty() || wcschr(L"+BNPTDbnptd", source[0]) != nullptr) continue;
    const wchar_t typed = source[0];
    const int focused = fixture.Main().ThreadList().ListViewMail().Focused();
    int expected = -1;
    for (int k = 1; k <= count && expected < 0; ++k) {
      const int candidate = (focused + k) % count;
      const std::wstring& caption = captions[static_cast<std::size_t>(candidate)];
      if (!caption.empty() &&
          CompareStringOrdinal(caption.c_str(), 1, &typed, 1, TRUE) == CSTR_EQUAL) {
        expected = candidate;
      }
    }
    SetFocus(list);
    TypeChar(list, typed);
    Pump(1100);  // past the list's type-ahead pause: each character starts a new search
    EXPECT_EQ(fixture.SelectedRow(), expected) << "typed " << static_cast<int>(typed);
    ++tried;
  }
  EXPECT_EQ(tried, 3);
}

// At the window's first size and a larger one, the thread list reaches down
// to the status bar and its columns fit without a horizontal scroll bar.
TEST_F(WindowBehaviour, TheListMeetsTheStatusBarAndTheColumnsFitWithoutScrolling) {
  fixture.Start();
  for (const SIZE size : {SIZE{631, 396}, SIZE{900, 600}}) {
    SetWindowPos(fixture.Main().hwnd(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
    Settle();
    RECT status{};
    GetWindowRect(GetDlgItem(fixture.Main().hwnd(), ui::TVtFormMain::kStatusBarId), &status);
    RECT list{};
    HWND view = fixture.Main().ThreadList().ListViewMail().hwnd();
    GetWindowRect(view, &list);
    EXPECT_EQ(list.bottom, status.top) << size.cx;
    EXPECT_EQ(GetWindowLongPtrW(view, GWL_STYLE) & WS_HSCROLL, 0) << size.cx;
  }
}

TEST_F(WindowBehaviour, TheFolderListPopUpDisablesFolderPropertiesForAContainer) {
  struct Case {
    const char* reason;
    int folder;
    bool properties_enabled;
  };
  const Case cases[] = {
      {"a mail folder", kInbox, true},
      {"a subfolder container", kContainer, false},
  };
  fixture.Start();
  HWND list = fixture.Main().FolderList().ListBoxF().hwnd();
  for (const Case& c : cases) {
    fixture.SelectFolderWithKeys(c.folder);
    std::string retry2;  // its caption tells the folder list's pop-up from the thread list's
    UINT properties = static_cast<UINT>(-1);
    RunWithSteps(
        [&] { SendMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5)); }, {[&] {
          HWND menu_window = FindThreadWindow(L"#32768");
          if (menu_window == nullptr) return false;
          HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menu_window, MN_GETHMENU, 0, 0));
          wchar_t text[64] = {};
          GetMenuStringW(menu, static_cast<UINT>(ui::MainCommands().IdOf("mRetry2")), text, 64,
                         MF_BYCOMMAND);
          retry2 = platform::Narrow(text);
          properties = GetMenuState(menu, static_cast<UINT>(ui::MainCommands().IdOf("mFolderSet2")),
                                    MF_BYCOMMAND);
          SaveScreenshot(menu_window, std::string("PopupMenu_Folder-") + std::to_string(c.folder));
          EndMenu();
          return true;
        }});
    EXPECT_EQ(retry2, ui::ja::kPopupRetry2Folder) << c.reason;
    ASSERT_NE(properties, static_cast<UINT>(-1)) << c.reason;
    EXPECT_EQ((properties & MF_GRAYED) == 0, c.properties_enabled) << c.reason;
  }
}

// R typed in the folder list is taken by the main window's shortcut table as
// the reply command (which acts on the thread list's selected row), and the
// list never sees the key.
TEST_F(WindowBehaviour, RInTheFolderListRepliesToTheSelectedRow) {
  // The reply reaches the running stand-in, which logs the command line of the
  // instance the program starts.
  const std::string log = fixture.Dir().Join("standin.log");
  testing_support::StandIn standin;
  ASSERT_TRUE(standin.Start("/account:\"x\" \"" + fixture.Dir().path() + "\"", log));
  ASSERT_TRUE(testing_support::WaitForWindow());
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  ASSERT_GE(fixture.SelectedRow(), 0);
  HWND list = main.FolderList().ListBoxF().hwnd();
  SetFocus(list);
  PressKey(list, 'R');
  std::vector<UINT> reached_list;  // messages of the key that got to the list
  const auto replied = [&] {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (main.PreTranslate(message)) continue;
      if (message.hwnd == list && (message.message == WM_KEYDOWN || message.message == WM_CHAR)) {
        reached_list.push_back(message.message);
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    const std::vector<std::string> lines = testing_support::LogLines(log);
    return lines.size() >= 2 && lines[1].starts_with("CommandLine: /reply:");
  };
  EXPECT_TRUE(PumpUntil(replied, 10000));
  EXPECT_TRUE(reached_list.empty());
  EXPECT_EQ(fixture.SelectedFolder(), kInbox);
}

// A text box of the main window gets the plain keys the window's shortcuts
// would otherwise take (S sends, R replies, F forwards, Delete trashes): they
// type and edit there, while the lists keep them as shortcuts.
TEST_F(WindowBehaviour, PlainKeysTypeIntoATextBoxInsteadOfRunningShortcuts) {
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  HWND box = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, main.hwnd(),
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(box, nullptr);
  SetFocus(box);
  // The characters a key down makes are queued behind the keys already
  // pressed, so the letters go first and the editing keys once they are in.
  const auto pump_until_text = [&](const wchar_t* expected) {
    return PumpUntil(
        [&] {
          MSG message{};
          while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (main.PreTranslate(message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
          }
          wchar_t text[16] = {};
          GetWindowTextW(box, text, 16);
          return std::wstring(text) == expected;
        },
        5000);
  };
  for (WORD key : {'S', 'F', 'R', 'D'}) PressKey(box, key);
  EXPECT_TRUE(pump_until_text(L"sfrd")) << "the letters type";
  PressKey(box, VK_LEFT);
  PressKey(box, VK_DELETE);
  EXPECT_TRUE(pump_until_text(L"sfr")) << "Delete deletes in the box";
  EXPECT_EQ(GetFocus(), box) << "no command ran and took the focus away";
  DestroyWindow(box);
}

// In the quick filter box the Ctrl chords of a text box edit the text: Ctrl+A
// selects all rather than rebuild the folder, Ctrl+X cuts rather than end the
// program, and Ctrl+Backspace deletes a word.
TEST_F(WindowBehaviour, CtrlChordsInTheFilterBoxEditInsteadOfRunningCommands) {
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  HWND box = main.ThreadList().FilterBox().hwnd();
  const std::size_t loads = main.OpenedFolders().size();
  struct Case {
    WORD key;
    const wchar_t* text;  // the box's text and selection before the chord
    DWORD start, end;
    const wchar_t* typed;  // typed (undoably) before the chord, or null
    const wchar_t* expected;
    DWORD expected_start, expected_end;
    const char* reason;
  };
  const Case cases[] = {
      {'A', L"abc def", 3, 3, nullptr, L"abc def", 0, 7, "Ctrl+A selects all"},
      {'C', L"abc def", 0, 3, nullptr, L"abc def", 0, 3, "Ctrl+C copies \"abc\""},
      {'V', L"abc def", 7, 7, nullptr, L"abc defabc", 10, 10, "Ctrl+V pastes it"},
      {'X', L"abc def", 4, 7, nullptr, L"abc ", 4, 4, "Ctrl+X cuts"},
      {'Z', L"abc", 3, 3, L"d", L"abc", 3, 3, "Ctrl+Z undoes the typing"},
      {VK_LEFT, L"abc def", 7, 7, nullptr, L"abc def", 4, 4, "Ctrl+Left moves a word back"},
      {VK_BACK, L"abc def", 7, 7, nullptr, L"abc ", 4, 4, "Ctrl+Backspace deletes a word"},
  };
  for (const Case& c : cases) {
    SetFocus(box);
    SetWindowTextW(box, c.text);
    SendMessageW(box, EM_SETSEL, c.start, c.end);
    if (c.typed != nullptr)
      SendMessageW(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(c.typed));
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    PressKey(box, c.key);
    bool taken_by_window = false;
    const bool edited = PumpUntil(
        [&] {
          MSG message{};
          while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (main.PreTranslate(message)) {
              taken_by_window = true;
              continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
          }
          wchar_t text[32] = {};
          GetWindowTextW(box, text, 32);
          DWORD start = 0;
          DWORD end = 0;
          SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                       reinterpret_cast<LPARAM>(&end));
          return std::wstring(text) == c.expected && start == c.expected_start &&
                 end == c.expected_end;
        },
        2000);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_TRUE(edited) << c.reason;
    EXPECT_FALSE(taken_by_window) << c.reason;
    EXPECT_EQ(GetFocus(), box) << c.reason;
  }
  EXPECT_EQ(main.OpenedFolders().size(), loads) << "no folder was rebuilt";
  EXPECT_FALSE(main.Closing());
}

}  // namespace
}  // namespace uitest
