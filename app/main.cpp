// Program entry of Veltrano.exe: one instance at a time (the named mutex
// "Veltrano"; a second start ends at once with exit code 1), then the windows
// and the message loop. The command line is not read.

#include <windows.h>

// commctrl.h and ole2.h need the types of windows.h.
#include <commctrl.h>
#include <ole2.h>

#include <cstdlib>
#include <exception>
#include <string_view>

#include "app/program.h"
#include "mailbox/accounts.h"
#include "platform/single_instance.h"
#include "platform/timing_log.h"
#include "ui/window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show_command) {
  // VELTRANO_TIMING=FILE appends the start-up's and the loads' phase times to
  // FILE (see platform/timing_log.h); off when unset.
  if (const char* timing = std::getenv("VELTRANO_TIMING")) platform::OpenTimingLog(timing);
  platform::LogPhase("winmain", 0);
  platform::SingleInstance instance("Veltrano");
  if (instance.AnotherInstanceRuns()) return 1;

  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS;
  InitCommonControlsEx(&controls);
  // The shell may hand a launch of the mail client or a URL to an extension
  // through COM: the thread is an OLE apartment before any ShellExecuteExW.
  const bool ole = SUCCEEDED(OleInitialize(nullptr));

  try {
    ui::MainFormEnvironment environment;
    environment.ReadRegistry = [] { return mailbox::ReadMailboxPathFromRegistry(); };
    // The close found an index thread it could not stop in time: the settings
    // are saved, and the process ends without running its destructors and DLL
    // detach code under that thread (which may hold a lock they need).
    environment.EndProcess = [] { TerminateProcess(GetCurrentProcess(), 0); };
    // VELTRANO_NO_INDEX=1 runs the window without its full-text index, so that
    // a benchmark can tell what the index's keeper costs a start.
    if (const char* no_index = std::getenv("VELTRANO_NO_INDEX")) {
      environment.FullTextIndex = std::string_view(no_index) != "1";
    }
    app::Program program(std::move(environment));
    program.Run(show_command);
  } catch (const std::exception& error) {
    ui::ShowErrorBox(error.what());
  } catch (...) {
    ui::ShowErrorBox("Unknown error");
  }
  if (ole) OleUninitialize();
  return 0;
}
