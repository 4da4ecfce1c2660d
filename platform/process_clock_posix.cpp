#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>

#include "platform/timing_log.h"

namespace platform {

// From the process's start time in /proc (clock ticks since boot) and the
// system's uptime.
double MillisecondsSinceProcessStart() {
  std::ifstream stat("/proc/self/stat");
  std::string field;
  // The command name (field 2) may hold spaces; skip to after its ")".
  std::getline(stat, field, ')');
  for (int i = 3; i <= 22 && stat >> field; ++i) {
  }
  std::ifstream uptime_file("/proc/uptime");
  double uptime = 0;
  uptime_file >> uptime;
  const double start_ticks = std::stod(field.empty() ? "0" : field);
  return (uptime - start_ticks / static_cast<double>(sysconf(_SC_CLK_TCK))) * 1000.0;
}

}  // namespace platform
