// The queue of commands for the mail client's conversation thread: the order
// they are sent in, one at a time, and the caller's bounds. The thread is
// played on a virtual clock by a script of when the client answers and when a
// conversation can open, so a busy, hung or held-up client costs no time.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "client/host_queue.h"

namespace client {
namespace {

constexpr std::int64_t kNever = 1'000'000'000;

// The conversation thread as mail_client_win.cpp runs it: a command taken at
// time t waits until the client's window answers (from `answers_at`), but not
// past the command's deadline; then the conversation opens, once nothing holds
// the broadcast up (until `held_until`), and after kConnectPauseMs it asks to
// send. A sent command is done `file_wait_ms` later.
class ScriptedThread {
 public:
  explicit ScriptedThread(HostCommandQueue& queue) : queue_(queue) {}
  std::int64_t answers_at = 0;
  std::int64_t held_until = 0;
  std::int64_t file_wait_ms = 30;
  std::vector<std::string> sent;

  // Carries out what the thread does up to `now`.
  void RunUntil(std::int64_t now) {
    for (;;) {
      if (!job_ && !TakeNext()) return;
      if (open_at_) {
        if (*open_at_ > now) return;
        if (queue_.StartSending(job_->ticket, *open_at_)) {
          sent.push_back(job_->command);
          result_ = HostCommandResult::kReleased;
          done_at_ = *open_at_ + file_wait_ms;
        }
        open_at_.reset();
      }
      if (done_at_ > now) return;
      queue_.Finish(job_->ticket, result_);
      free_at_ = done_at_;
      job_.reset();
    }
  }

 private:
  bool TakeNext() {
    job_ = queue_.Take();
    if (!job_) return false;
    const std::int64_t taken = std::max(free_at_, job_->send_by_ms - kConnectLimitMs);
    const std::int64_t answered = std::max(taken, answers_at);
    result_ = HostCommandResult::kNotSent;
    if (answered >= job_->send_by_ms) {
      open_at_.reset();
      done_at_ = job_->send_by_ms;
    } else {
      open_at_ = std::max(answered, held_until) + kConnectPauseMs;
      done_at_ = *open_at_;
    }
    return true;
  }

  HostCommandQueue& queue_;
  std::optional<HostCommandQueue::Job> job_;
  std::optional<std::int64_t> open_at_;
  std::int64_t done_at_ = 0;
  std::int64_t free_at_ = 0;
  HostCommandResult result_ = HostCommandResult::kNotSent;
};

// The caller's wait: the virtual clock moves on and the thread with it.
class VirtualWait final : public CallerWait {
 public:
  explicit VirtualWait(ScriptedThread& thread) : thread_(thread) {}
  std::int64_t now = 0;
  std::int64_t NowMs() override { return now; }
  void WaitAndServe(int ms) override {
    now += ms;
    thread_.RunUntil(now);
  }

 private:
  ScriptedThread& thread_;
};

TEST(HostCommandQueue, ABusyClientGetsTheCommandWithinTheBoundAndALateOneNever) {
  struct Case {
    std::int64_t answers_at, held_until, file_wait_ms;
    HostCommandResult result;
    std::int64_t returns_at;  // the caller returns within one serve interval after this
    const char* why;
  };
  const Case cases[] = {
      {0, 0, 30, HostCommandResult::kReleased, kConnectPauseMs + 30, "an answering client at once"},
      {2000, 0, 30, HostCommandResult::kReleased, 2000 + kConnectPauseMs + 30,
       "a busy client once it answers"},
      {4990, 0, 30, HostCommandResult::kNotSent, kConnectLimitMs,
       "answers, but the conversation opens past the bound"},
      {kNever, 0, 30, HostCommandResult::kNotSent, kConnectLimitMs, "never answers"},
      {0, 7000, 30, HostCommandResult::kNotSent, kConnectLimitMs,
       "the conversation held up past the bound"},
      {0, 0, kNever, HostCommandResult::kTimedOut, kConnectLimitMs + kSentLimitMs,
       "sent, and the client never lets go"},
  };
  for (const Case& c : cases) {
    HostCommandQueue queue;
    ScriptedThread thread(queue);
    thread.answers_at = c.answers_at;
    thread.held_until = c.held_until;
    thread.file_wait_ms = c.file_wait_ms;
    VirtualWait wait(thread);
    const auto ticket = queue.Submit("MarkMail(x,1073741824,0)", "x.qnm", wait.now);
    EXPECT_EQ(AwaitHostCommand(queue, ticket, wait), c.result) << c.why;
    EXPECT_GE(wait.now, c.returns_at) << c.why;
    EXPECT_LE(wait.now, c.returns_at + kServeIntervalMs) << c.why;
    // What the caller was told holds afterwards: a command reported as not
    // sent is never sent later.
    thread.RunUntil(kNever - 1);
    EXPECT_EQ(thread.sent.size(), c.result == HostCommandResult::kNotSent ? 0u : 1u) << c.why;
  }
}

TEST(HostCommandQueue, CommandsAreTakenInOrderAndOneAtATime) {
  HostCommandQueue queue;
  const auto a = queue.Submit("A", "a.qnm", 0);
  const auto b = queue.Submit("B", "b.qnm", 0);
  queue.Submit("C", "c.qnm", 0);
  std::vector<std::string> taken;
  for (int round = 0; round < 3; ++round) {
    const std::optional<HostCommandQueue::Job> job = queue.Take();
    ASSERT_TRUE(job.has_value());
    taken.push_back(job->command);
    EXPECT_FALSE(queue.Take().has_value())
        << "no second conversation while " << job->command << " is in progress";
    queue.Finish(job->ticket, HostCommandResult::kReleased);
  }
  EXPECT_EQ(taken, (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_FALSE(queue.Take().has_value());
  EXPECT_EQ(queue.Poll(a, 10), HostCommandResult::kReleased);
  EXPECT_EQ(queue.Poll(b, 10), HostCommandResult::kReleased);
}

// A window elsewhere holds the first command's conversation up past its
// bound. The next command waits behind it instead of opening a second one,
// and is sent once the first is dropped; the first never is.
TEST(HostCommandQueue, AHeldUpCommandIsDroppedAndTheNextWaitsItsTurn) {
  HostCommandQueue queue;
  ScriptedThread thread(queue);
  thread.held_until = 7000;
  VirtualWait wait(thread);
  const auto first = queue.Submit("first", "a.qnm", wait.now);
  EXPECT_EQ(AwaitHostCommand(queue, first, wait), HostCommandResult::kNotSent);
  wait.now += 100;
  const auto second = queue.Submit("second", "b.qnm", wait.now);
  EXPECT_EQ(AwaitHostCommand(queue, second, wait), HostCommandResult::kReleased);
  EXPECT_GE(wait.now, 7000 + 2 * kConnectPauseMs) << "sent after the first was dropped";
  EXPECT_EQ(thread.sent, std::vector<std::string>{"second"});
}

}  // namespace
}  // namespace client
