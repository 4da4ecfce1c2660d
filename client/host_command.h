#pragma once
// Sending one DDE execute command to the mail client and waiting until it is done
// with the message. A single command (opening a message, the trash) is not
// awaited: the only sign taken that the client has finished is that the message
// file can be opened again, twice in a row after separate pauses. Both waits are
// bounded: each ends after kFileWaitLimitMs, and at once when the message file is
// gone (after "MoveMail(" the client moves it away), so the program never hangs
// on a client that is slow, busy or gone.
//
// A batch of commands (the marks of a thread or a catch-up) keeps one
// conversation from its first command to its last, and each command is
// awaited: the client's answer to the execute transaction says it has taken
// the command in. Its handler may still be at work on the message after it
// answered, so one look at the message file follows; only a file still held
// gets the two waits, with short pauses that grow up to the single command's.
// The answer is awaited up to kFileWaitLimitMs, and that bound is the first
// wait's too: no batch command waits longer than a single one. A batch sends
// nothing that reads a message afterwards, so the answer and one look are all
// a mark needs; each command still goes only after the one before was
// answered, so a busy client is never sent a pile of them.

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
  kBatch,   // one of several in a row: the conversation stays open, each command awaited
};

// What became of a command's execute transaction.
enum class ExecuteResult {
  kNotSent,     // no conversation could be opened: nothing was sent
  kSent,        // sent, its answer not awaited
  kAnswered,    // sent, and the client answered it (also with "not processed" or "busy")
  kUnanswered,  // sent, and no answer came within the wait
};

// What the command needs from the system; the Windows implementation talks DDE,
// tests record and script.
class HostChannel {
 public:
  virtual ~HostChannel() = default;
  // Opens a conversation with the client's service and topic and sends `command` as
  // one text execute transaction. With `answer_wait_ms` 0 it is not awaited
  // (kSent); otherwise the client's answer is awaited up to that long. With
  // `reuse`, a conversation left open by the previous command of a batch is used
  // as it is, without opening or pausing.
  virtual ExecuteResult OpenAndExecute(const std::string& command, bool reuse,
                                       int answer_wait_ms) = 0;
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
  kTimedOut,  // the file stayed locked for the whole wait, or a batch's command
              // was not answered within it
};

// Sends `command` and waits for `message_path` as described above. The caller has
// already checked that the client is running. A batch's command leaves the
// conversation open when its file was released; the channel's owner closes it
// once the batch is over. Any other outcome closes the conversation.
HostCommandResult SendHostCommand(HostChannel& channel, const std::string& command,
                                  const std::string& message_path,
                                  HostCommandPace pace = HostCommandPace::kSingle);

}  // namespace client
