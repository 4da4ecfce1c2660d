#pragma once
// The mail client on Windows: whether it runs, its DDE service, and starting it
// through the shell. The portable units host_command.h and compose.h hold the order
// of steps and the waits; this file only carries them out.

#include <windows.h>
// ddeml.h needs the types of windows.h.
#include <ddeml.h>

#include <functional>
#include <string>
#include <string_view>

#include "client/compose.h"
#include "client/host_command.h"

namespace client {

// How long the client's window may take to answer before it counts as hung.
inline constexpr UINT kClientAnswerMs = 500;
// The longest a conversation may take to open before the command is given up
// (opening asks every top-level window on the desktop, and one that hangs
// holds it up).
inline constexpr DWORD kConnectLimitMs = 5000;
// The longest the calling thread waits for a command once it was sent: the
// two file waits of host_command.h, with room for ending the conversation.
inline constexpr DWORD kSentLimitMs = 2 * kFileWaitLimitMs + 3000;
// How often the calling thread serves its own messages meanwhile.
inline constexpr DWORD kServeIntervalMs = 50;

enum class ClientState {
  kNotRunning,  // no top-level window of the client's class
  kHung,        // its window did not answer within kClientAnswerMs
  kRunning,
};

// Whether the client runs and answers. Nothing is sent to a hung client: a
// command would only wait for it.
ClientState ClientStatus();

// Sends `command` as SendHostCommand does, on a thread of its own with a DDE
// conversation of that thread, while the calling thread waits and calls
// `serve` at least every kServeIntervalMs, so that its windows keep answering
// even when some window on the desktop does not answer the conversation's
// broadcast. When the conversation is not open within kConnectLimitMs the
// command is given up (kNotSent: it is never sent later); a sent command is
// waited for up to kSentLimitMs more (kTimedOut past that).
HostCommandResult SendHostCommandBeside(const std::string& command, const std::string& message_path,
                                        const std::function<void()>& serve);

// One conversation per command with service "QUENMAR32", topic "*". No program is
// named for DDE to start: presence is tested with ClientStatus beforehand. Its
// pauses serve the messages of the thread's DDE windows. When `may_send` is
// given it is asked once the conversation is open; false: nothing is sent.
class DdeHostChannel final : public HostChannel {
 public:
  explicit DdeHostChannel(std::function<bool()> may_send = nullptr)
      : may_send_(std::move(may_send)) {}
  DdeHostChannel(const DdeHostChannel&) = delete;
  DdeHostChannel& operator=(const DdeHostChannel&) = delete;
  ~DdeHostChannel() override;

  bool OpenAndExecute(const std::string& command) override;
  void Close() override;
  void Pause(int ms) override;
  std::int64_t NowMs() override;
  bool FileExists(const std::string& path) override;
  bool CanOpenForReading(const std::string& path) override;

 private:
  std::function<bool()> may_send_;
  DWORD instance_ = 0;
  HCONV conversation_ = nullptr;
};

// Starts the client with the shell's "Open" verb, owned by `owner`, and finds and
// raises its dialogs by title. `pump` lets the user interface process pending events
// during the waits; `closing` (none: never) tells when the program is closing, which
// ends a wait.
class ShellClientSystem final : public ClientSystem {
 public:
  ShellClientSystem(HWND owner, std::function<void()> pump, std::function<bool()> closing = {});

  bool Launch(const std::string& exe_path, const std::string& parameters) override;
  bool RaiseWindowTitled(std::string_view title) override;
  bool PauseAndPump(int ms) override;

 private:
  HWND owner_;
  std::function<void()> pump_;
  std::function<bool()> closing_;
};

}  // namespace client
