#pragma once
// Sending one DDE execute command to the mail client and waiting until it is done
// with the message. The client does not answer a command; the only sign that it
// has finished is that the message file can be opened again, twice in a row after
// separate pauses. Both waits are bounded: each ends after kFileWaitLimitMs, and at
// once when the message file is gone (after "MoveMail(" the client moves it away),
// so the program never hangs on a client that is slow, busy or gone.
//
// A batch of commands (the marks of a thread or a catch-up) keeps one
// conversation from its first command to its last, and its file waits start
// with short pauses that grow up to the single command's, since the client
// usually is done with a mark within a few milliseconds. Each wait keeps its
// bound and its end at a gone file.

#include <cstdint>
#include <string>

namespace client {

inline constexpr int kConnectPauseMs = 25;     // between opening the conversation and sending
inline constexpr int kFirstWaitPauseMs = 20;   // between tries of the first wait
inline constexpr int kSecondWaitPauseMs = 10;  // between tries of the second wait
inline constexpr int kFileWaitLimitMs = 5000;  // the longest either wait lasts
inline constexpr int kBatchFirstPauseMs = 1;   // a batch's waits start here and grow

enum class HostCommandPace {
  kSingle,  // its own conversation, the full pauses
  kBatch,   // one of several in a row: the conversation stays open, short pauses first
};

// What the command needs from the system; the Windows implementation talks DDE,
// tests record and script.
class HostChannel {
 public:
  virtual ~HostChannel() = default;
  // Opens a conversation with the client's service and topic and sends `command` as
  // one text execute transaction, not awaited. False when no conversation could be
  // opened (nothing was sent). With `reuse`, a conversation left open by the
  // previous command of a batch is used as it is, without opening or pausing.
  virtual bool OpenAndExecute(const std::string& command, bool reuse) = 0;
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
// already checked that the client is running. A batch's command leaves the
// conversation open when its file was released; the channel's owner closes it
// once the batch is over.
HostCommandResult SendHostCommand(HostChannel& channel, const std::string& command,
                                  const std::string& message_path,
                                  HostCommandPace pace = HostCommandPace::kSingle);

}  // namespace client
