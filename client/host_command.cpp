#include "client/host_command.h"

#include <algorithm>

namespace client {
namespace {

// Repeats (pause, try to open) until the file opens, is gone, or kFileWaitLimitMs
// has passed since `start`. The pause starts at `first_ms` and grows by 1 ms a
// try up to `pause_ms`: a doubling pause would overshoot the client's finish by
// up to as long again.
HostCommandResult WaitUntilReadable(HostChannel& channel, const std::string& path, int first_ms,
                                    int pause_ms, std::int64_t start) {
  for (int pause = first_ms;; pause = std::min(pause + 1, pause_ms)) {
    channel.Pause(pause);
    if (channel.CanOpenForReading(path)) return HostCommandResult::kReleased;
    if (!channel.FileExists(path)) return HostCommandResult::kFileGone;
    if (channel.NowMs() - start >= kFileWaitLimitMs) return HostCommandResult::kTimedOut;
  }
}

HostCommandResult SendSingle(HostChannel& channel, const std::string& command,
                             const std::string& message_path) {
  if (channel.OpenAndExecute(command, false, 0) == ExecuteResult::kNotSent) {
    return HostCommandResult::kNotSent;
  }
  HostCommandResult result = WaitUntilReadable(channel, message_path, kFirstWaitPauseMs,
                                               kFirstWaitPauseMs, channel.NowMs());
  if (result == HostCommandResult::kReleased) {
    result = WaitUntilReadable(channel, message_path, kSecondWaitPauseMs, kSecondWaitPauseMs,
                               channel.NowMs());
  }
  channel.Close();
  return result;
}

HostCommandResult SendInBatch(HostChannel& channel, const std::string& command,
                              const std::string& message_path) {
  const std::int64_t start = channel.NowMs();
  const ExecuteResult sent = channel.OpenAndExecute(command, true, kFileWaitLimitMs);
  if (sent == ExecuteResult::kNotSent) return HostCommandResult::kNotSent;
  if (sent == ExecuteResult::kAnswered && channel.CanOpenForReading(message_path)) {
    return HostCommandResult::kReleased;
  }
  HostCommandResult result = HostCommandResult::kTimedOut;
  if (sent == ExecuteResult::kAnswered) {
    result = WaitUntilReadable(channel, message_path, kBatchFirstPauseMs, kFirstWaitPauseMs, start);
    if (result == HostCommandResult::kReleased) {
      result = WaitUntilReadable(channel, message_path, kBatchFirstPauseMs, kSecondWaitPauseMs,
                                 channel.NowMs());
    }
  }
  // A client that did not answer or let go gets a fresh conversation next time.
  if (result != HostCommandResult::kReleased) channel.Close();
  return result;
}

}  // namespace

HostCommandResult SendHostCommand(HostChannel& channel, const std::string& command,
                                  const std::string& message_path, HostCommandPace pace) {
  return pace == HostCommandPace::kBatch ? SendInBatch(channel, command, message_path)
                                         : SendSingle(channel, command, message_path);
}

}  // namespace client
