#pragma once
// The mail client on Windows: whether it runs, its DDE service, and starting it
// through the shell. The portable units host_command.h, host_queue.h and compose.h
// hold the order of steps and the waits; this file only carries them out.

#include <windows.h>
// ddeml.h needs the types of windows.h.
#include <ddeml.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "client/compose.h"
#include "client/host_command.h"
#include "client/host_queue.h"

namespace client {

// The shell verb that starts the mail client and opens a URL (the shell
// matches verbs ignoring letter case).
inline constexpr wchar_t kShellVerb[] = L"Open";

enum class ClientState {
  kNotRunning,  // no top-level window of the client's class
  kHung,        // Windows flags its window as hung
  kRunning,
};

// Whether the client runs. Nothing is sent to a client whose window Windows
// flags as hung (it has served no messages for seconds): a command would only
// wait for it. A client busy for a moment (downloading mail) counts as
// running; its command waits until it answers (host_queue.h).
ClientState ClientStatus();

// The one conversation thread of the program, started with the first
// command and ended after its current command when this object goes (it is
// not waited for: a conversation held up by a hung window must not hold up
// the program's exit). Commands reach it through a HostCommandQueue.
class HostConversation {
 public:
  HostConversation();
  HostConversation(const HostConversation&) = delete;
  HostConversation& operator=(const HostConversation&) = delete;
  ~HostConversation();

  // Sends `command` as SendHostCommand does, on the conversation thread,
  // while the calling thread waits within the bounds of host_queue.h and
  // calls `serve` at least every kServeIntervalMs, so that its windows keep
  // answering even when some window on the desktop does not answer the
  // conversation's broadcast.
  HostCommandResult Send(const std::string& command, const std::string& message_path,
                         const std::function<void()>& serve,
                         HostCommandPace pace = HostCommandPace::kSingle);

 private:
  struct Shared;
  static void Run(const std::shared_ptr<Shared>& shared);
  std::shared_ptr<Shared> shared_;
  bool started_ = false;
};

// Conversations with service "QUENMAR32", topic "*", one per command (or per
// batch), from
// one DDEML instance of the thread that made this object (its pauses serve
// that thread's DDE windows). No program is named for DDE to start: presence
// is tested with ClientStatus beforehand. Before opening a conversation it
// waits for the client's window to answer, unless Windows flags it as hung,
// up to the command's deadline (SetGate; none: kConnectLimitMs from the
// start of each command). When a check is given it is asked once the
// conversation is open; false: nothing is sent.
class DdeHostChannel final : public HostChannel {
 public:
  DdeHostChannel();
  DdeHostChannel(const DdeHostChannel&) = delete;
  DdeHostChannel& operator=(const DdeHostChannel&) = delete;
  ~DdeHostChannel() override;

  // For the next command: the time (NowMs) from which it is no longer sent,
  // and the last check before sending.
  void SetGate(std::int64_t send_by_ms, std::function<bool()> may_send);

  ExecuteResult OpenAndExecute(const std::string& command, bool reuse, int answer_wait_ms) override;
  void Close() override;
  bool IsOpen() const { return conversation_ != nullptr; }
  void Pause(int ms) override;
  std::int64_t NowMs() override;
  bool FileExists(const std::string& path) override;
  bool CanOpenForReading(const std::string& path) override;

 private:
  void Initialize();
  // Whether the open conversation still stands (the client has not ended it).
  bool Connected() const;
  bool ClientAnswersBy(std::int64_t send_by_ms);
  // Sends `command` on the open conversation, after the last check.
  ExecuteResult Execute(const std::string& command, int answer_wait_ms);

  DWORD instance_ = 0;
  HCONV conversation_ = nullptr;
  std::int64_t send_by_ms_ = -1;
  std::function<bool()> may_send_;
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
