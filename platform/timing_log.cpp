#include "platform/timing_log.h"

#include <cstdio>
#include <mutex>

namespace platform {
namespace {

std::mutex log_mutex;
std::FILE* log_file = nullptr;

double Milliseconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

bool OpenTimingLog(const std::string& path) {
  std::lock_guard<std::mutex> lock(log_mutex);
  if (log_file != nullptr) std::fclose(log_file);
  log_file = std::fopen(path.c_str(), "a");
  return log_file != nullptr;
}

bool TimingLogOpen() {
  std::lock_guard<std::mutex> lock(log_mutex);
  return log_file != nullptr;
}

void LogPhase(std::string_view phase, double milliseconds) {
  std::lock_guard<std::mutex> lock(log_mutex);
  if (log_file == nullptr) return;
  std::fprintf(log_file, "%.*s %.1f %.1f\n", static_cast<int>(phase.size()), phase.data(),
               milliseconds, MillisecondsSinceProcessStart());
  std::fflush(log_file);
}

void PhaseTimer::Stop() {
  if (stopped_) return;
  stopped_ = true;
  if (!TimingLogOpen()) return;
  LogPhase(phase_, Milliseconds(std::chrono::steady_clock::now() - start_));
}

PhaseTotal::~PhaseTotal() {
  if (on_) LogPhase(phase_, Milliseconds(sum_));
}

}  // namespace platform
