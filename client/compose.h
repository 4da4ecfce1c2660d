#pragma once
// Starting the mail client to compose: new mail, reply, forward, mail to an address,
// or just the client on the current account. The command lines come from
// client_commands.h; this unit adds the order of steps and the waits for the dialog
// the client shows first, which it then brings to the front.
//
// Every wait is bounded to kWindowPolls polls of kWindowPollMs (about 10 s), the new
// mail's wait for its destination dialog too, so a client that never shows the
// dialog costs a pause, never a hang. Between polls the user interface processes its
// pending events, so the window stays responsive; a wait ends at once when the
// program is closing.

#include <string>
#include <string_view>

namespace client {

inline constexpr int kWindowPolls = 100;
inline constexpr int kWindowPollMs = 100;

// What composing needs from the system; Windows implements it with the shell and
// FindWindow, tests record it.
class ClientSystem {
 public:
  virtual ~ClientSystem() = default;
  // Starts `exe_path` through the shell's "Open" verb with `parameters`; nothing waits
  // for the process. False when it could not be started.
  virtual bool Launch(const std::string& exe_path, const std::string& parameters) = 0;
  // Brings the top-level window titled `title` to the front; false when there is none.
  virtual bool RaiseWindowTitled(std::string_view title) = 0;
  // Pauses `ms` milliseconds, then lets the user interface process pending events.
  // False when the program is closing: the wait then ends at once.
  virtual bool PauseAndPump(int ms) = 0;
};

// The current account and the client's executable (all Shift-JIS).
struct ComposeContext {
  std::string ClientExePath;  // not ClientConfigured: nothing is done
  std::string AccountName;
  std::string AccountIniPath;  // read for SelTemplate
  std::string MailboxDir;
};

// Each returns false when the client's executable could not be started (then
// nothing is waited for, and the caller tells the user); true otherwise, also
// when there was nothing to do.
[[nodiscard]] bool ComposeNew(const ComposeContext& context, ClientSystem& system);
[[nodiscard]] bool ComposeReply(const ComposeContext& context, ClientSystem& system,
                                std::string_view message_path);
[[nodiscard]] bool ComposeForward(const ComposeContext& context, ClientSystem& system,
                                  std::string_view message_path);
// Does nothing for a text that is not a safe address (AddressSafeForMailTo): an
// address is never allowed to add switches of its own to the command line.
[[nodiscard]] bool ComposeToAddress(const ComposeContext& context, ClientSystem& system,
                                    std::string_view address);
[[nodiscard]] bool StartClient(const ComposeContext& context, ClientSystem& system);

}  // namespace client
