// The viewer's find bar under Wine, on a UTF-8 message of LINES lines of
// about 100 bytes, each holding the word once (10,000: 1 MB, 10,000 times): the bar opened on the
// word (the text folded, every occurrence found and highlighted), the word typed again a character
// at a time (each keystroke searched, highlighted and painted), a step to the next occurrence, and
// the bar closed (the highlights taken away). Prints milliseconds, best of ROUNDS. A benchmark, run
// on demand; it checks nothing.
//
//   viewer_find_bar FOLDER LINES [ROUNDS]   (writes its message into FOLDER)

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "platform/files.h"
#include "platform/wide_win.h"
#include "ui/busy_flag.h"
#include "ui/view_form.h"

namespace {

double Milliseconds(const std::function<void()>& action) {
  LARGE_INTEGER frequency{};
  LARGE_INTEGER start{};
  LARGE_INTEGER end{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  action();
  QueryPerformanceCounter(&end);
  return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

// Japanese prose and Latin text with a link, "Veltrano" once a line.
std::string Message(int lines) {
  std::string body;
  for (int line = 0; line < lines; ++line) {
    body += "今日は🍣を食べました。会議の資料 Veltrano " + std::to_string(line) +
            " の議事録は https://www.example.com/ にあります。\r\n";
  }
  return "Subject: s\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\n" + body;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: viewer_find_bar FOLDER LINES [ROUNDS]\n");
    return 2;
  }
  const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
  const std::string folder = argv[1];
  const std::string message = Message(std::atoi(argv[2]));
  const std::string path = folder + "\\find.qnm";
  if (!platform::ReplaceFileAtomically(platform::SystemPath::FromCp932(path), message)) return 1;
  ui::BusyFlag busy;
  ui::TViewForm viewer(platform::SystemPath::FromCp932(folder + "\\Veltra.ini"), busy, L"");
  viewer.SetMessage(path, "a", "b");
  viewer.ShowOrFocus();
  MoveWindow(viewer.hwnd(), 0, 0, 900, 700, TRUE);
  const double load = Milliseconds([&] {
    viewer.LoadMessage(0, false);
    UpdateWindow(viewer.hwnd());
  });
  std::printf("%zu bytes: load and show %.1f ms\n", message.size(), load);
  std::fflush(stdout);
  const auto paint = [&] { UpdateWindow(viewer.hwnd()); };
  double open = 1e9;
  double typed = 1e9;  // the slowest keystroke of the best round
  double step = 1e9;
  double close = 1e9;
  std::string count;
  for (int round = 0; round < rounds; ++round) {
    open = std::min(open, Milliseconds([&] {
                      viewer.OpenFindBar("veltrano");
                      paint();
                    }));
    count = viewer.FindCountText();
    std::printf("round %d: open %.1f ms, %s\n", round + 1, open, count.c_str());
    std::fflush(stdout);
    step = std::min(step, Milliseconds([&] {
                      viewer.mFindNextClick();
                      paint();
                    }));
    double slowest = 0;
    const std::wstring word = L"veltrano";
    for (std::size_t length = 1; length <= word.size(); ++length) {
      slowest = std::max(slowest, Milliseconds([&] {
                           SetWindowTextW(viewer.FindBox(), word.substr(0, length).c_str());
                           paint();
                         }));
    }
    typed = std::min(typed, slowest);
    close = std::min(close, Milliseconds([&] {
                       viewer.CloseFindBar();
                       paint();
                     }));
    std::printf("round %d: step %.1f ms, slowest keystroke %.1f ms, close %.1f ms\n", round + 1,
                step, slowest, close);
    std::fflush(stdout);
  }
  std::printf("\"veltrano\": %s, best of %d rounds\n", count.c_str(), rounds);
  std::printf("open the bar on the word  %8.1f ms (fold, find, highlight, paint)\n", open);
  std::printf("slowest typed keystroke   %8.1f ms\n", typed);
  std::printf("step to the next          %8.1f ms\n", step);
  std::printf("close (highlights away)   %8.1f ms\n", close);
  return 0;
}
