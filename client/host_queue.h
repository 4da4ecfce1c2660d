#pragma once
// The commands for the mail client go through one conversation thread, one at
// a time and in the order they were handed over, while the caller (the window
// thread) waits for its own command and serves its messages meanwhile. This
// unit holds that queue and the caller's two bounds; the thread and the waits
// themselves are the platform's (mail_client_win.h).
//
// - A command is sent only if its conversation is open within kConnectLimitMs
//   of being handed over, time spent behind an earlier command included.
//   Past that the caller is told kNotSent, and the command is never sent
//   later: the user has been told it was not.
// - One command at a time: while a command's conversation is being opened or
//   its file waited for, the next one stays queued, so a client (or another
//   window) that keeps a conversation from opening never gets a pile of them.
// - A command that was sent is waited for up to kSentLimitMs more (kTimedOut
//   past that); its own file waits are bounded by host_command.h.

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "client/host_command.h"

namespace client {

// How long a command may take to be sent: waiting behind an earlier one, for
// a busy client's window to answer, and for the conversation to open.
inline constexpr std::int64_t kConnectLimitMs = 5000;
// How long the caller waits for a sent command: the two file waits of
// host_command.h, with room for ending the conversation.
inline constexpr std::int64_t kSentLimitMs = 2 * kFileWaitLimitMs + 3000;
// How often the caller serves its own messages while it waits.
inline constexpr int kServeIntervalMs = 50;

class HostCommandQueue {
 public:
  using Ticket = std::uint64_t;
  struct Job {
    Ticket ticket = 0;
    std::string command;
    std::string message_path;
    std::int64_t send_by_ms = 0;  // past this it must not be sent
    HostCommandPace pace = HostCommandPace::kSingle;
  };

  // The caller's side. Queues a command handed over at `now_ms`.
  Ticket Submit(std::string command, std::string message_path, std::int64_t now_ms,
                HostCommandPace pace = HostCommandPace::kSingle);
  // What became of the command at `now_ms`: none while the caller should go
  // on waiting; otherwise the command's result, or kNotSent once it could not
  // be sent in time, or kTimedOut once a sent command outlasted kSentLimitMs.
  // After a result the ticket is spent.
  std::optional<HostCommandResult> Poll(Ticket ticket, std::int64_t now_ms);

  // The conversation thread's side. The oldest command still wanted, unless
  // one is in progress (taken and not finished).
  std::optional<Job> Take();
  // Asked with the conversation open, just before sending: false when the
  // command is no longer to be sent (its time has passed, or the caller
  // stopped waiting). True marks it as sent.
  bool StartSending(Ticket ticket, std::int64_t now_ms);
  // The command taken last is over, with `result`.
  void Finish(Ticket ticket, HostCommandResult result);

 private:
  enum class Stage { kQueued, kOpening, kSent, kDone };
  struct Entry {
    Job job;
    Stage stage = Stage::kQueued;
    HostCommandResult result = HostCommandResult::kNotSent;
    bool given_up = false;  // the caller was told kNotSent or kTimedOut
  };

  std::mutex mutex_;
  std::map<Ticket, Entry> entries_;  // in order of hand-over
  Ticket next_ticket_ = 1;
  bool in_progress_ = false;
};

// What the caller's wait needs: the time, and a pause of at most `ms` that
// serves the caller's messages (and may end early when a command finished).
class CallerWait {
 public:
  virtual ~CallerWait() = default;
  virtual std::int64_t NowMs() = 0;
  virtual void WaitAndServe(int ms) = 0;
};

// Waits for `ticket`, pausing kServeIntervalMs at a time, until Poll gives
// its result.
HostCommandResult AwaitHostCommand(HostCommandQueue& queue, HostCommandQueue::Ticket ticket,
                                   CallerWait& wait);

}  // namespace client
