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

// True when a top-level window of the client's class exists.
bool ClientRunning();

// One conversation per command with service "QUENMAR32", topic "*". No program is
// named for DDE to start: presence is tested with ClientRunning beforehand.
class DdeHostChannel final : public HostChannel {
 public:
  DdeHostChannel() = default;
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
  DWORD instance_ = 0;
  HCONV conversation_ = nullptr;
};

// Starts the client with the shell's "Open" verb, owned by `owner`, and finds and
// raises its dialogs by title. `pump` lets the user interface process pending events
// during the waits.
class ShellClientSystem final : public ClientSystem {
 public:
  ShellClientSystem(HWND owner, std::function<void()> pump);

  void Launch(const std::string& exe_path, const std::string& parameters) override;
  bool RaiseWindowTitled(std::string_view title) override;
  void PauseAndPump(int ms) override;

 private:
  HWND owner_;
  std::function<void()> pump_;
};

}  // namespace client
