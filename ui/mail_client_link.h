#pragma once
// The mail client and the shell as the windows reach them: whether the client
// runs, a DDE command with its bounded waits, the launching of the client to
// compose, and the opening of a URL. The windows decide what to send and when
// (client/ holds the texts and the order of steps); this interface only
// carries it out, so tests can record what the windows hand over.

#include <windows.h>

#include <functional>
#include <string>

#include "client/compose.h"
#include "client/host_command.h"
#include "client/mail_client_win.h"

namespace ui {

class MailClientLink {
 public:
  virtual ~MailClientLink() = default;
  // Whether a window of the client's class exists and answers.
  virtual client::ClientState ClientStatus() = 0;
  // One DDE execute command, then the wait until the client is done with
  // `message_path` (each wait bounded, see client/host_command.h).
  virtual client::HostCommandResult SendHostCommand(const std::string& command,
                                                    const std::string& message_path,
                                                    client::HostCommandPace pace) = 0;
  // Starting the client and raising its dialogs (client/compose.h).
  virtual client::ClientSystem& System() = 0;
  // Hands a URL to the shell's "Open". Callers pass only texts that
  // viewer::UrlSafeToOpen accepted.
  virtual void OpenUrl(const std::string& url) = 0;
};

// The real one: DDE, ShellExecuteExW and FindWindow. `pump` lets the user
// interface process pending events during the compose waits and while a DDE
// command runs on the conversation thread; `closing` (none: never) tells when the
// program is closing, which ends the compose waits.
class WindowsMailClientLink : public MailClientLink {
 public:
  explicit WindowsMailClientLink(std::function<void()> pump, std::function<bool()> closing = {});

  client::ClientState ClientStatus() override;
  client::HostCommandResult SendHostCommand(const std::string& command,
                                            const std::string& message_path,
                                            client::HostCommandPace pace) override;
  client::ClientSystem& System() override { return system_; }
  void OpenUrl(const std::string& url) override;

 private:
  std::function<void()> pump_;
  client::HostConversation conversation_;
  // The shell is asked with SEE_MASK_FLAG_NO_UI, so it needs no owner window.
  client::ShellClientSystem system_;
};

}  // namespace ui
