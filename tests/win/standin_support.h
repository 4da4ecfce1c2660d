#pragma once
// The mail-client stand-in quenmar.exe (built beside the test program) for tests:
// started with switches and a log file, its window awaited as the program tests for
// the client, and its log read back.

#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

inline constexpr DWORD kStandInWaitMs = 20000;

// One quenmar.exe process, ended (politely, then by force) when the object goes.
class StandIn {
 public:
  StandIn() = default;
  StandIn(const StandIn&) = delete;
  StandIn& operator=(const StandIn&) = delete;
  ~StandIn();

  // Starts the stand-in with `parameters` (Shift-JIS) logging to `log_path`.
  bool Start(const std::string& parameters, const std::string& log_path);
  bool WaitForExit(DWORD ms) const;

 private:
  HANDLE process_ = nullptr;
};

// quenmar.exe beside the test program, as a Windows path (CP932); the one
// VELTRANO_STANDIN_EXE names when set (the other architecture's stand-in, so
// that DDE crosses between a 64-bit program and a 32-bit client).
std::string StandInExePath();

// Polls for the stand-in's window; false after kStandInWaitMs.
bool WaitForWindow();

// The stand-in's log, one entry per CR LF line.
std::vector<std::string> LogLines(const std::string& log_path);

}  // namespace testing_support
