// Veltrano.exe as a user starts it: a copy of the program beside its own
// "Veltra.ini" on a generated mailbox. A second start ends at once with exit
// code 1; the first opens a message, is photographed, and closes with its
// settings saved.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/program.h"
#include "platform/files.h"
#include "platform/wide_win.h"
#include "settings/ini_profile.h"
#include "tests/temp_dir_support.h"
#include "tests/win/ui_dialog_support.h"
#include "tests/win/ui_support.h"
#include "tools/mkmailbox/generator.h"

namespace uitest {
namespace {

struct FoundWindow {
  DWORD process = 0;
  const wchar_t* class_name = nullptr;
  HWND hwnd = nullptr;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM data) {
  auto* found = reinterpret_cast<FoundWindow*>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  wchar_t class_name[64] = {};
  GetClassNameW(hwnd, class_name, 64);
  if (process == found->process && wcscmp(class_name, found->class_name) == 0) {
    found->hwnd = hwnd;
    return FALSE;
  }
  return TRUE;
}

// The top-level window of `class_name` that belongs to process `process`.
HWND FindProcessWindow(DWORD process, const wchar_t* class_name) {
  FoundWindow found{process, class_name, nullptr};
  EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&found));
  return found.hwnd;
}

std::string WindowText(HWND hwnd) {
  wchar_t text[512] = {};
  GetWindowTextW(hwnd, text, 512);
  return platform::Narrow(text);
}

int WindowWidth(HWND hwnd) {
  RECT frame{};
  GetWindowRect(hwnd, &frame);
  return frame.right - frame.left;
}

// Waits for `done` while letting this thread's own messages run.
bool WaitFor(const std::function<bool()>& done, int timeout_ms) { return PumpUntil(done, timeout_ms); }

class Program {
 public:
  explicit Program(const std::string& exe) : Program(platform::Widen(exe)) {}
  explicit Program(const std::wstring& exe) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    std::wstring command = L"\"" + exe + L"\"";
    const std::wstring dir = exe.substr(0, exe.find_last_of(L'\\'));
    started_ = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              dir.c_str(), &startup, &info_) != FALSE;
    start_tick_ = GetTickCount();
  }
  ~Program() {
    if (!started_) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 9);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  bool Started() const { return started_; }
  DWORD Id() const { return info_.dwProcessId; }
  DWORD StartTick() const { return start_tick_; }
  // The exit code, or STILL_ACTIVE when it did not end within `timeout_ms`.
  DWORD WaitForExit(int timeout_ms) {
    WaitFor([&] { return WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0; }, timeout_ms);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }
  bool Running() { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

 private:
  PROCESS_INFORMATION info_{};
  bool started_ = false;
  DWORD start_tick_ = 0;
};

class ProgramTest : public ::testing::Test {
 protected:
  void Install(std::uint32_t messages_per_folder) {
    const std::string build_dir = app::ExecutableDirectory();
    exe_ = dir_.Join("Veltrano.exe");
    ASSERT_TRUE(CopyFileW(platform::Widen(build_dir + "\\Veltrano.exe").c_str(),
                          platform::Widen(exe_).c_str(), FALSE));
    CopyFileW(platform::Widen(build_dir + "\\NKF32.DLL").c_str(),
              platform::Widen(dir_.Join("NKF32.DLL")).c_str(), FALSE);
    mkmailbox::Options options;
    options.messages_per_folder = messages_per_folder;
    std::string error;
    ASSERT_TRUE(mkmailbox::GenerateMailbox(options, dir_.path(), error)) << error;
    dir_.WriteFile("Veltra.ini", "[Property]\r\nMailbox=\"" + dir_.Join("Mailbox") + "\"\r\n");
  }

  // Waits until the program's main window shows the first folder's rows;
  // returns the window (null on timeout).
  HWND WaitForFilledWindow(Program& program, int rows) {
    HWND main = nullptr;
    WaitFor(
        [&] {
          main = FindProcessWindow(program.Id(), L"TVtFormMain");
          if (main == nullptr || !IsWindowVisible(main)) return false;
          HWND list = GetDlgItem(main, 101);
          return list != nullptr && SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == rows;
        },
        30000);
    return main;
  }

  testing_support::TempDir dir_;
  std::string exe_;
};

TEST_F(ProgramTest, ASecondInstanceEndsAtOnceWithExitCodeOne) {
  Install(30);
  Program first(exe_);
  ASSERT_TRUE(first.Started());
  HWND main = WaitForFilledWindow(first, 30);
  ASSERT_NE(main, nullptr);
  Program second(exe_);
  ASSERT_TRUE(second.Started());
  EXPECT_EQ(second.WaitForExit(20000), 1u);
  EXPECT_EQ(FindProcessWindow(second.Id(), L"TVtFormMain"), nullptr);
  EXPECT_TRUE(first.Running());
  EXPECT_TRUE(IsWindow(main));
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.WaitForExit(20000), 0u);
  // After the first has ended, the program starts again normally.
  Program third(exe_);
  HWND again = WaitForFilledWindow(third, 30);
  ASSERT_NE(again, nullptr);
  PostMessageW(again, WM_CLOSE, 0, 0);
  EXPECT_EQ(third.WaitForExit(20000), 0u);
}

TEST_F(ProgramTest, OpensAMessageShowsItAndSavesTheSettingsOnClose) {
  // Every folder gets this many messages: enough for a list longer than the
  // window, few enough that writing the mailbox does not take most of the test.
  constexpr int kMessages = 100;
  Install(kMessages);
  Program program(exe_);
  ASSERT_TRUE(program.Started());
  HWND main = WaitForFilledWindow(program, kMessages);
  ASSERT_NE(main, nullptr);
  std::printf("[   TIME   ] start-up to a filled first folder of %d messages (no cache): %lu ms\n",
              kMessages, GetTickCount() - program.StartTick());
  // The splash window is gone 400 ms after the start-up.
  EXPECT_TRUE(WaitFor([&] { return FindProcessWindow(program.Id(), L"TSplashForm") == nullptr; }, 5000));
  // The viewer is made when the first message is opened, not at start-up.
  EXPECT_EQ(FindProcessWindow(program.Id(), L"TViewForm"), nullptr);
  PostMessageW(GetDlgItem(main, 101), WM_CHAR, 13, 1);
  HWND viewer = nullptr;
  EXPECT_TRUE(WaitFor(
      [&] {
        viewer = FindProcessWindow(program.Id(), L"TViewForm");
        return viewer != nullptr && IsWindowVisible(viewer) &&
               WindowText(viewer).rfind("From: ", 0) == 0;
      },
      10000));
  ASSERT_NE(viewer, nullptr);
  // Beside the main window rather than over it, so that both show.
  SetWindowPos(viewer, HWND_TOP, 330, 250, 640, 420, SWP_NOACTIVATE);
  // Both windows paint before the photograph: the paints are sent and answered.
  for (HWND window : {main, viewer}) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  SaveScreenshot(GetDesktopWindow(), "veltrano");
  const int width = WindowWidth(main);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.WaitForExit(20000), 0u);
  settings::IniReader saved(dir_.Join("Veltra.ini"));
  EXPECT_EQ(saved.ReadString("Property", "Mailbox", ""), dir_.Join("Mailbox"));
  EXPECT_EQ(saved.ReadInteger("MainWindow", "Width", 0), width);
  EXPECT_EQ(saved.ReadInteger("ViewWindow", "Left", 0), 330);
  EXPECT_EQ(saved.ReadInteger("ViewWindow", "Width", 0), 640);
  // With the cache written by the first run, the next start is faster.
  Program again(exe_);
  HWND second_main = WaitForFilledWindow(again, kMessages);
  ASSERT_NE(second_main, nullptr);
  std::printf("[   TIME   ] start-up to a filled first folder of %d messages (cache): %lu ms\n",
              kMessages, GetTickCount() - again.StartTick());
  PostMessageW(second_main, WM_CLOSE, 0, 0);
  EXPECT_EQ(again.WaitForExit(20000), 0u);
}

// A program folder whose name Shift-JIS cannot hold ("é"): "Veltra.ini"
// beside the program, named in UTF-16, is read (its mailbox opens) and
// written at the close.
TEST_F(ProgramTest, AProgramFolderNamedOutsideShiftJisKeepsItsSettings) {
  Install(30);
  const std::wstring root = platform::Widen(dir_.path());
  const std::wstring folder = root + L"\\Jos\u00E9e";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  for (const wchar_t* name : {L"\\Veltrano.exe", L"\\NKF32.DLL", L"\\Veltra.ini"}) {
    ASSERT_TRUE(MoveFileW((root + name).c_str(), (folder + name).c_str()));
  }
  Program program(folder + L"\\Veltrano.exe");
  ASSERT_TRUE(program.Started());
  HWND main = WaitForFilledWindow(program, 30);
  ASSERT_NE(main, nullptr) << "the mailbox named in its Veltra.ini did not open";
  const int width = WindowWidth(main);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.WaitForExit(20000), 0u);
  EXPECT_EQ(settings::IniReader(platform::SystemPath(folder + L"\\Veltra.ini"))
                .ReadInteger("MainWindow", "Width", 0),
            width);
}

// Where the program keeps "Veltra.ini", as the file system answers: beside
// the program wherever it can be written there, a folder named outside
// Shift-JIS included. (A read-only file or a folder that takes no new file is
// for the host test: Wine, running as root here, lets both be written.)
TEST(SettingsFile, StaysBesideTheProgramWhereItCanBeWritten) {
  const testing_support::TempDir dir;
  const platform::SystemPath root = platform::SystemPath::FromCp932(dir.path());
  const platform::SystemPath app_data = root.Join("AppData");
  ASSERT_TRUE(platform::MakeDirectory(app_data));
  struct Case {
    const wchar_t* folder;
    const char* beside;  // the file's text beside the program; null: none
    const char* reason;
  };
  const Case cases[] = {
      {L"Plain", nullptr, "a first run in a writable folder"},
      {L"Kept", "[Property]\r\nMailIniPos=2\r\n", "a writable file"},
      {L"Jos\u00E9e", "[Property]\r\n", "a folder named outside Shift-JIS"},
  };
  for (const Case& c : cases) {
    const platform::SystemPath folder(root.native() + L"\\" + c.folder);
    ASSERT_TRUE(platform::MakeDirectory(folder)) << c.reason;
    const platform::SystemPath beside = folder.Join("Veltra.ini");
    if (c.beside != nullptr) {
      ASSERT_TRUE(platform::ReplaceFileAtomically(beside, c.beside));
    }
    EXPECT_TRUE(app::SettingsFilePath(folder, app_data) == beside) << c.reason;
  }
}

}  // namespace
}  // namespace uitest
