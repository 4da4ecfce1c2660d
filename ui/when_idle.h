#pragma once
// The one place where the main window's work waits for "not busy": while a
// folder loads, or a message is opened or moved, their message loops hold
// rows of the thread list and serve window messages, so what would free or
// replace those rows (showing a search's hits) or end the window (a close)
// is put off until the last of them has returned, and then run in the order
// of Job.

#include <array>
#include <cstddef>
#include <functional>
#include <utility>

namespace ui {

class WhenIdle {
 public:
  enum class Job { kShowHits, kMarkMuted, kClose, kCount };

  // `busy` says whether a load or the viewer's wait runs now.
  explicit WhenIdle(std::function<bool()> busy) : busy_(std::move(busy)) {}

  // Runs `work` now when nothing is busy, else once it is over (BusyEnded);
  // a job put off again replaces its earlier work.
  void Run(Job job, std::function<void()> work) {
    if (!busy_()) {
      work();
      return;
    }
    jobs_[Index(job)] = std::move(work);
  }
  bool Waiting(Job job) const { return static_cast<bool>(jobs_[Index(job)]); }
  void Drop(Job job) { jobs_[Index(job)] = nullptr; }
  // A load or the viewer's wait has ended: the jobs waiting run, unless
  // something is still busy.
  void BusyEnded() {
    for (std::function<void()>& job : jobs_) {
      if (busy_()) return;
      if (!job) continue;
      std::function<void()> work = std::move(job);
      job = nullptr;
      work();
    }
  }

 private:
  static std::size_t Index(Job job) { return static_cast<std::size_t>(job); }

  std::function<bool()> busy_;
  std::array<std::function<void()>, static_cast<std::size_t>(Job::kCount)> jobs_;
};

}  // namespace ui
