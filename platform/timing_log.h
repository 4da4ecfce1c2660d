#pragma once
// A log of how long the phases of a folder load, of the start-up and of each
// quick filter take, for finding where the time goes. It is off unless
// OpenTimingLog has been called (the Windows program does so when the
// environment variable VELTRANO_TIMING names a file); while it is off a
// PhaseTimer costs one clock read.
//
// One line per phase, appended and flushed at once so that a reader outside
// the process (the benchmark script) sees it while the program runs:
//   phase milliseconds since-start
// where milliseconds is the phase's own duration and since-start the time
// from the process's creation to the phase's end, both with one decimal.

#include <chrono>
#include <string>
#include <string_view>

namespace platform {

// Opens (creates or appends to) the log file. False when it cannot be opened;
// the log then stays off.
bool OpenTimingLog(const std::string& path);
bool TimingLogOpen();
void LogPhase(std::string_view phase, double milliseconds);

// Milliseconds from the creation of this process to now.
double MillisecondsSinceProcessStart();

// Logs the time from its construction to its destruction (or to Stop) as one
// phase.
class PhaseTimer {
 public:
  explicit PhaseTimer(std::string_view phase)
      : phase_(phase), start_(std::chrono::steady_clock::now()) {}
  ~PhaseTimer() { Stop(); }
  PhaseTimer(const PhaseTimer&) = delete;
  PhaseTimer& operator=(const PhaseTimer&) = delete;
  void Stop();

 private:
  std::string_view phase_;
  std::chrono::steady_clock::time_point start_;
  bool stopped_ = false;
};

// Adds up the time of many short pieces of one phase (per record work) and
// logs the sum once, at destruction. While the log is off a piece reads no
// clock: pieces run once per message of a full build.
class PhaseTotal {
 public:
  explicit PhaseTotal(std::string_view phase) : phase_(phase), on_(TimingLogOpen()) {}
  ~PhaseTotal();
  PhaseTotal(const PhaseTotal&) = delete;
  PhaseTotal& operator=(const PhaseTotal&) = delete;

  // Times one piece from construction to destruction.
  class Piece {
   public:
    explicit Piece(PhaseTotal& total) : total_(total) {
      if (total_.on_) start_ = std::chrono::steady_clock::now();
    }
    ~Piece() {
      if (total_.on_) total_.sum_ += std::chrono::steady_clock::now() - start_;
    }
    Piece(const Piece&) = delete;
    Piece& operator=(const Piece&) = delete;

   private:
    PhaseTotal& total_;
    std::chrono::steady_clock::time_point start_;
  };

 private:
  std::string_view phase_;
  bool on_;
  std::chrono::steady_clock::duration sum_{};
};

}  // namespace platform
