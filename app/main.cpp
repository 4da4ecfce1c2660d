// Program entry of Veltrano.exe: one instance at a time (the named mutex
// "Veltrano"; a second start ends at once with exit code 1), then the windows
// and the message loop. The command line is not read.

#include <windows.h>

// commctrl.h needs the types of windows.h.
#include <commctrl.h>

#include <cstdlib>
#include <exception>

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

  try {
    ui::MainFormEnvironment environment;
    environment.ReadRegistry = [] { return mailbox::ReadMailboxPathFromRegistry(); };
    app::Program program(std::move(environment));
    program.Run(show_command);
  } catch (const std::exception& error) {
    ui::ShowErrorBox(error.what());
  } catch (...) {
    ui::ShowErrorBox("Unknown error");
  }
  return 0;
}
