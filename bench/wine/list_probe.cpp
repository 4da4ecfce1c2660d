// Starts a program and reports how long it takes until a list view of its
// holds a given number of rows (or, with --exit, until it ends), as seen from
// outside the process: the same clock for Veltrano.exe and for the floor
// programs it is compared with. Then closes the program's windows and waits
// for it to end.
//
//   list_probe ROWS PROGRAM [ARGUMENTS...]   prints "ROWS-filled MS"
//   list_probe --exit PROGRAM [ARGUMENTS...] prints "exited MS"
//   list_probe --scroll KEYS ROWS PROGRAM [ARGUMENTS...]
//       then sends KEYS keys to that list (Home, then Down and Page Down,
//       each handled and painted before the next) and prints
//       "scroll MS-PER-KEY SELECTED-ROW" as well
//   list_probe --filter TEXT ROWS PROGRAM [ARGUMENTS...]
//       then types TEXT into the text box beside that list (the quick filter)
//       a character at a time and erases it again with Backspace, each
//       character handled and the list painted before the next, and prints
//       "filter MAX-MS MEAN-MS" (milliseconds per character) as well
//
// The rows are counted with LVM_GETITEMCOUNT on every list view of every
// top-level window of the started process, polled every millisecond; the
// time runs from CreateProcess. Exit status 1 when the program could not be
// started or did not get there within 10 minutes.

#include <windows.h>

// commctrl.h needs the types of windows.h.
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Search {
  DWORD process = 0;
  LRESULT most_rows = 0;
  HWND list = nullptr;  // the list view holding most_rows
};

BOOL CALLBACK CountChild(HWND child, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  wchar_t name[32] = {};
  GetClassNameW(child, name, 32);
  if (lstrcmpiW(name, L"SysListView32") == 0) {
    const LRESULT rows = SendMessageW(child, LVM_GETITEMCOUNT, 0, 0);
    if (rows > search->most_rows) {
      search->most_rows = rows;
      search->list = child;
    }
  }
  return TRUE;
}

BOOL CALLBACK CountTop(HWND top, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(top, &owner);
  if (owner != search->process) return TRUE;
  EnumChildWindows(top, CountChild, data);
  return TRUE;
}

BOOL CALLBACK CloseTop(HWND top, LPARAM data) {
  DWORD owner = 0;
  GetWindowThreadProcessId(top, &owner);
  if (owner == static_cast<DWORD>(data) && IsWindowVisible(top)) PostMessageW(top, WM_CLOSE, 0, 0);
  return TRUE;
}

std::wstring Quoted(const char* text) {
  std::wstring wide;
  for (const char* c = text; *c != '\0'; ++c)
    wide += static_cast<wchar_t>(static_cast<unsigned char>(*c));
  return L"\"" + wide + L"\"";
}

// Milliseconds since the clock was made.
class Clock {
 public:
  Clock() {
    QueryPerformanceFrequency(&frequency_);
    QueryPerformanceCounter(&start_);
  }
  double Ms() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start_.QuadPart) * 1000.0 /
           static_cast<double>(frequency_.QuadPart);
  }

 private:
  LARGE_INTEGER frequency_, start_;
};

// Milliseconds per key of `keys` keys sent to `list` from its first row; the
// keys go straight to the list's window procedure, as its own keyboard
// handling gets them, and each is painted before the next.
double ScrollMsPerKey(HWND list, int keys) {
  SendMessageW(list, WM_KEYDOWN, VK_HOME, 1);
  UpdateWindow(list);
  const Clock clock;
  for (int i = 0; i < keys; ++i) {
    SendMessageW(list, WM_KEYDOWN, i % 3 == 0 ? VK_NEXT : VK_DOWN, 1);
    UpdateWindow(list);
  }
  return clock.Ms() / keys;
}

// The slowest and the mean milliseconds per character of typing `text` into
// the text box beside `list` and erasing it again; false without a box.
bool FilterMsPerCharacter(HWND list, const std::string& text, double& max_ms, double& mean_ms) {
  HWND box = FindWindowExW(GetParent(list), nullptr, L"Edit", nullptr);
  if (box == nullptr || text.empty()) return false;
  std::wstring keys;
  for (char c : text) keys += static_cast<wchar_t>(static_cast<unsigned char>(c));
  keys += std::wstring(text.size(), L'\b');
  max_ms = 0;
  double total = 0;
  for (wchar_t key : keys) {
    const Clock clock;
    SendMessageW(box, WM_CHAR, key, 1);
    UpdateWindow(list);
    const double ms = clock.Ms();
    total += ms;
    if (ms > max_ms) max_ms = ms;
  }
  mean_ms = total / static_cast<double>(keys.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int scroll_keys = 0;
  std::string filter_text;
  if (argc > 2 && std::string(argv[1]) == "--filter") {
    filter_text = argv[2];
    argc -= 2;
    argv += 2;
  } else if (argc > 2 && std::string(argv[1]) == "--scroll") {
    scroll_keys = std::atoi(argv[2]);
    argc -= 2;
    argv += 2;
  }
  if (argc < 3) {
    std::fprintf(
        stderr,
        "usage: list_probe [--scroll KEYS | --filter TEXT] ROWS|--exit PROGRAM [ARGUMENTS...]\n");
    return 2;
  }
  const bool wait_exit = std::string(argv[1]) == "--exit";
  const long rows = wait_exit ? 0 : std::atol(argv[1]);
  std::wstring command;
  for (int i = 2; i < argc; ++i) command += (i > 2 ? L" " : L"") + Quoted(argv[i]);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const Clock clock;
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::fprintf(stderr, "list_probe: cannot start %s\n", argv[2]);
    return 1;
  }
  bool reached = false;
  HWND list = nullptr;
  while (clock.Ms() < 600000.0) {
    if (wait_exit) {
      if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) {
        reached = true;
        break;
      }
      continue;
    }
    Search search;
    search.process = process.dwProcessId;
    EnumWindows(CountTop, reinterpret_cast<LPARAM>(&search));
    if (search.most_rows >= rows) {
      reached = true;
      list = search.list;
      break;
    }
    if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) break;
  }
  const double ms = clock.Ms();
  if (reached) {
    if (wait_exit) {
      std::printf("exited %.0f\n", ms);
    } else {
      std::printf("%ld-filled %.0f\n", rows, ms);
    }
  }
  if (reached && list != nullptr && scroll_keys > 0) {
    const double per_key = ScrollMsPerKey(list, scroll_keys);
    const LRESULT selected =
        SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    std::printf("scroll %.2f %ld\n", per_key, static_cast<long>(selected));
  }
  double max_ms = 0, mean_ms = 0;
  if (reached && list != nullptr && !filter_text.empty() &&
      FilterMsPerCharacter(list, filter_text, max_ms, mean_ms)) {
    std::printf("filter %.1f %.1f\n", max_ms, mean_ms);
  }
  std::fflush(stdout);
  EnumWindows(CloseTop, static_cast<LPARAM>(process.dwProcessId));
  if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return reached ? 0 : 1;
}
