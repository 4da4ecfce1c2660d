#pragma once
// Sending one DDE execute command to the mail client and waiting until it is done
// with the message. The client does not answer a command; the only sign that it
// has finished is that the message file can be opened again, twice in a row after
// separate pauses. Both waits are bounded: each ends after kFileWaitLimitMs, and at
// once when the message file is gone (after "MoveMail(" the client moves it away),
// so the program never hangs on a client that is slow, busy or gone.

#include <cstdint>
#include <string>

namespace client {

inline constexpr int kConnectPauseMs = 25;     // between opening the conversation and sending
inline constexpr int kFirstWaitPauseMs = 20;   // between tries of the first wait
inline constexpr int kSecondWaitPauseMs = 10;  // between tries of the second wait
inline constexpr int kFileWaitLimitMs = 5000;  // the longest either wait lasts

// What the command needs from the system; the Windows implementation talks DDE,
// tests record and script.
class HostChannel {
 public:
  virtual ~HostChannel() = default;
  // Opens a conversation with the client's service and topic and sends `command` as
  // one text execute transaction, not awaited. False when no conversation could be
  // opened (nothing was sent).
  virtual bool OpenAndExecute(const std::string& command) = 0;
  // Ends the conversation opened by OpenAndExecute.
  virtual void Close() = 0;
  virtual void Pause(int ms) = 0;
  virtual std::int64_t NowMs() = 0;
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool CanOpenForReading(const std::string& path) = 0;
};

enum class HostCommandResult {
  kNotSent,   // no conversation could be opened
  kReleased,  // the message file could be opened again: the client is done with it
  kFileGone,  // the message file disappeared (moved away by the client)
  kTimedOut,  // the file stayed locked for the whole wait
};

// Sends `command` and waits for `message_path` as described above. The caller has
// already checked that the client is running.
HostCommandResult SendHostCommand(HostChannel& channel, const std::string& command,
                                  const std::string& message_path);

}  // namespace client
