// The steps of scripts/screenshot, run against a Veltrano.exe that the script
// has started, from outside as a person would act on it:
//   screenshot_driver open    wait for the main window's thread list to show
//                             rows, open the selected message with Enter and
//                             place the viewer beside the main window;
//   screenshot_driver close   close the main window and wait until it is gone.
// Exits with 0 when the step was done, else prints why and exits with 1.

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <functional>

namespace {

constexpr wchar_t kMainClass[] = L"TVtFormMain";
constexpr wchar_t kViewerClass[] = L"TViewForm";

struct Search {
  const wchar_t* class_name;
  DWORD process;  // 0: any process
  HWND found;
};

BOOL CALLBACK Match(HWND hwnd, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  wchar_t class_name[64] = {};
  GetClassNameW(hwnd, class_name, 64);
  if ((search->process == 0 || process == search->process) &&
      std::wcscmp(class_name, search->class_name) == 0) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// The first top-level window of `class_name` (of `process` when not 0).
HWND FindTopLevel(const wchar_t* class_name, DWORD process) {
  Search search{class_name, process, nullptr};
  EnumWindows(&Match, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The first list view inside `parent`, at any depth.
HWND FindListView(HWND parent) {
  Search search{WC_LISTVIEWW, 0, nullptr};
  EnumChildWindows(parent, &Match, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Polls `done` until it holds or `timeout_ms` have passed.
bool WaitUntil(const std::function<bool()>& done, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeout_ms) return done();
    Sleep(20);
  }
  return true;
}

bool Fail(const char* why) {
  std::fprintf(stderr, "screenshot_driver: %s\n", why);
  return false;
}

bool OpenSelectedMessage() {
  HWND main = nullptr;
  HWND list = nullptr;
  // The program may still be starting and loading its first folder.
  const bool shown = WaitUntil(
      [&] {
        main = FindTopLevel(kMainClass, 0);
        list = main != nullptr && IsWindowVisible(main) ? FindListView(main) : nullptr;
        return list != nullptr && SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) > 0;
      },
      60000);
  if (!shown) return Fail("no main window with a filled thread list");
  DWORD process = 0;
  GetWindowThreadProcessId(main, &process);
  // The program makes its viewer window when the first message is opened.
  PostMessageW(list, WM_CHAR, VK_RETURN, 1);
  HWND viewer = nullptr;
  const bool opened = WaitUntil(
      [&] {
        viewer = FindTopLevel(kViewerClass, process);
        return viewer != nullptr && IsWindowVisible(viewer) != FALSE;
      },
      10000);
  if (!opened) return Fail("the viewer did not open");
  // Beside the main window rather than over it, so both show.
  SetWindowPos(viewer, HWND_TOP, 330, 250, 640, 420, SWP_NOACTIVATE);
  wchar_t caption[256] = {};
  GetWindowTextW(viewer, caption, 256);
  if (std::wcsncmp(caption, L"From: ", 6) != 0) return Fail("the viewer shows no message");
  return true;
}

bool CloseProgram() {
  HWND main = FindTopLevel(kMainClass, 0);
  if (main == nullptr) return Fail("no main window");
  PostMessageW(main, WM_CLOSE, 0, 0);
  if (!WaitUntil([&] { return !IsWindow(main); }, 20000)) return Fail("the program did not close");
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "open") == 0) return OpenSelectedMessage() ? 0 : 1;
  if (argc == 2 && std::strcmp(argv[1], "close") == 0) return CloseProgram() ? 0 : 1;
  std::fprintf(stderr, "usage: screenshot_driver open|close\n");
  return 2;
}
