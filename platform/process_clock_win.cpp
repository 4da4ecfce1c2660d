#include <windows.h>

#include "platform/timing_log.h"

namespace platform {

double MillisecondsSinceProcessStart() {
  FILETIME created{}, exited{}, kernel{}, user{}, now{};
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  GetSystemTimeAsFileTime(&now);
  const auto ticks = [](const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return static_cast<double>(ticks(now) - ticks(created)) / 10000.0;  // 100 ns units
}

}  // namespace platform
