#include "ui/mail_client_link.h"

#include <shellapi.h>

#include "platform/wide_win.h"

namespace ui {

WindowsMailClientLink::WindowsMailClientLink(std::function<void()> pump,
                                             std::function<bool()> closing)
    : pump_(pump), system_(nullptr, std::move(pump), std::move(closing)) {}

client::ClientState WindowsMailClientLink::ClientStatus() { return client::ClientStatus(); }

client::HostCommandResult WindowsMailClientLink::SendHostCommand(const std::string& command,
                                                                 const std::string& message_path,
                                                                 client::HostCommandPace pace) {
  return conversation_.Send(command, message_path, pump_, pace);
}

void WindowsMailClientLink::OpenUrl(const std::string& url) {
  const std::wstring file = platform::Widen(url);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI;
  info.lpVerb = client::kShellVerb;
  info.lpFile = file.c_str();
  info.nShow = SW_SHOWNORMAL;
  // A URL without a handler is not reported.
  ShellExecuteExW(&info);
}

}  // namespace ui
