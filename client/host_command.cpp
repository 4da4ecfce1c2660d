#include "client/host_command.h"

#include <algorithm>

namespace client {
namespace {

// Repeats (pause, try to open) until the file opens, is gone, or the limit passes.
// The pause starts at `first_ms` and grows by 1 ms a try up to `pause_ms`: a
// doubling pause would overshoot the client's finish by up to as long again.
HostCommandResult WaitUntilReadable(HostChannel& channel, const std::string& path, int first_ms,
                                    int pause_ms) {
  const std::int64_t start = channel.NowMs();
  for (int pause = first_ms;; pause = std::min(pause + 1, pause_ms)) {
    channel.Pause(pause);
    if (channel.CanOpenForReading(path)) return HostCommandResult::kReleased;
    if (!channel.FileExists(path)) return HostCommandResult::kFileGone;
    if (channel.NowMs() - start >= kFileWaitLimitMs) return HostCommandResult::kTimedOut;
  }
}

}  // namespace

HostCommandResult SendHostCommand(HostChannel& channel, const std::string& command,
                                  const std::string& message_path, HostCommandPace pace) {
  const bool batch = pace == HostCommandPace::kBatch;
  if (!channel.OpenAndExecute(command, batch)) return HostCommandResult::kNotSent;
  HostCommandResult result = WaitUntilReadable(
      channel, message_path, batch ? kBatchFirstPauseMs : kFirstWaitPauseMs, kFirstWaitPauseMs);
  if (result == HostCommandResult::kReleased) {
    result = WaitUntilReadable(channel, message_path,
                               batch ? kBatchFirstPauseMs : kSecondWaitPauseMs, kSecondWaitPauseMs);
  }
  // A client that did not release the file gets a fresh conversation next time.
  if (!batch || result != HostCommandResult::kReleased) channel.Close();
  return result;
}

}  // namespace client
