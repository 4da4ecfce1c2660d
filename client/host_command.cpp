#include "client/host_command.h"

namespace client {
namespace {

// Repeats (pause, try to open) until the file opens, is gone, or the limit passes.
HostCommandResult WaitUntilReadable(HostChannel& channel, const std::string& path, int pause_ms) {
  const std::int64_t start = channel.NowMs();
  for (;;) {
    channel.Pause(pause_ms);
    if (channel.CanOpenForReading(path)) return HostCommandResult::kReleased;
    if (!channel.FileExists(path)) return HostCommandResult::kFileGone;
    if (channel.NowMs() - start >= kFileWaitLimitMs) return HostCommandResult::kTimedOut;
  }
}

}  // namespace

HostCommandResult SendHostCommand(HostChannel& channel, const std::string& command,
                                  const std::string& message_path) {
  if (!channel.OpenAndExecute(command)) return HostCommandResult::kNotSent;
  HostCommandResult result = WaitUntilReadable(channel, message_path, kFirstWaitPauseMs);
  if (result == HostCommandResult::kReleased) {
    result = WaitUntilReadable(channel, message_path, kSecondWaitPauseMs);
  }
  channel.Close();
  return result;
}

}  // namespace client
