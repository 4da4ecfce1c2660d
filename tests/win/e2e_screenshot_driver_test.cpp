// Steps of scripts/screenshot, run against a Veltrano.exe that the script has
// started: open the selected message, then close the program. They act on
// another process's windows, so they are disabled in the normal test run and
// run by name:
//   --gtest_also_run_disabled_tests --gtest_filter=ScreenshotDriver.DISABLED_OpenSelectedMessage

#include <gtest/gtest.h>

#include <windows.h>

#include "platform/wide_win.h"
#include "tests/win/ui_support.h"

namespace uitest {
namespace {

struct Search {
  const wchar_t* class_name;
  DWORD process;  // 0: any process but this one
  HWND found;
};

BOOL CALLBACK Match(HWND hwnd, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  wchar_t class_name[64] = {};
  GetClassNameW(hwnd, class_name, 64);
  const bool process_ok = search->process == 0 ? process != GetCurrentProcessId()
                                               : process == search->process;
  if (process_ok && wcscmp(class_name, search->class_name) == 0) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND FindWindowOf(const wchar_t* class_name, DWORD process) {
  Search search{class_name, process, nullptr};
  EnumWindows(&Match, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The running program's main window once it shows rows.
HWND RunningMainWindow() {
  HWND main = nullptr;
  PumpUntil(
      [&] {
        main = FindWindowOf(L"TVtFormMain", 0);
        return main != nullptr && IsWindowVisible(main) &&
               SendMessageW(GetDlgItem(main, 101), LVM_GETITEMCOUNT, 0, 0) > 0;
      },
      60000);
  return main;
}

TEST(ScreenshotDriver, DISABLED_OpenSelectedMessage) {
  HWND main = RunningMainWindow();
  ASSERT_NE(main, nullptr);
  DWORD process = 0;
  GetWindowThreadProcessId(main, &process);
  HWND viewer = FindWindowOf(L"TViewForm", process);
  ASSERT_NE(viewer, nullptr);
  PostMessageW(GetDlgItem(main, 101), WM_CHAR, 13, 1);
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(viewer) != FALSE; }, 10000));
  // Beside the main window rather than over it, so both show.
  SetWindowPos(viewer, HWND_TOP, 330, 250, 640, 420, SWP_NOACTIVATE);
  wchar_t caption[256] = {};
  GetWindowTextW(viewer, caption, 256);
  EXPECT_EQ(platform::Narrow(caption).rfind("From: ", 0), 0u);
}

TEST(ScreenshotDriver, DISABLED_CloseProgram) {
  HWND main = FindWindowOf(L"TVtFormMain", 0);
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(main); }, 20000));
}

}  // namespace
}  // namespace uitest
