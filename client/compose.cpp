#include "client/compose.h"

#include "client/client_commands.h"
#include "client/ja_texts.h"
#include "client/quenmar_interface.h"
#include "settings/ini_profile.h"

namespace client {
namespace {

// Polls for the window titled `title` and raises it; gives up after kWindowPolls,
// or as soon as the program is closing.
void RaiseWhenShown(ClientSystem& system, std::string_view title) {
  for (int poll = 0; poll < kWindowPolls; ++poll) {
    if (system.RaiseWindowTitled(title)) return;
    if (!system.PauseAndPump(kWindowPollMs)) return;
  }
}

bool ComposeOnMessage(const ComposeContext& context, ClientSystem& system,
                      std::string_view message_path, bool forward) {
  if (!ClientConfigured(context.ClientExePath)) return true;
  const std::string name = RelativeMailName(context.MailboxDir, message_path);
  if (name.empty()) return true;
  if (!system.Launch(context.ClientExePath,
                     forward ? ForwardParameters(name, context.AccountName, context.MailboxDir)
                             : ReplyParameters(name, context.AccountName, context.MailboxDir))) {
    return false;
  }
  RaiseWhenShown(system, ja::kReplySettingsTitle);
  return true;
}

}  // namespace

bool ComposeNew(const ComposeContext& context, ClientSystem& system) {
  if (!ClientConfigured(context.ClientExePath)) return true;
  if (!system.Launch(context.ClientExePath,
                     NewMailParameters(context.AccountName, context.MailboxDir))) {
    return false;
  }
  const settings::IniReader account(context.AccountIniPath);
  if (account.ReadInteger(kAccountPropertySection, kSelTemplateKey, 0) != 1) return true;
  RaiseWhenShown(system, ja::kSelectDestinationTitle);
  return true;
}

bool ComposeReply(const ComposeContext& context, ClientSystem& system,
                  std::string_view message_path) {
  return ComposeOnMessage(context, system, message_path, false);
}

bool ComposeForward(const ComposeContext& context, ClientSystem& system,
                    std::string_view message_path) {
  return ComposeOnMessage(context, system, message_path, true);
}

bool ComposeToAddress(const ComposeContext& context, ClientSystem& system,
                      std::string_view address) {
  if (!ClientConfigured(context.ClientExePath) || !AddressSafeForMailTo(address)) return true;
  return system.Launch(context.ClientExePath, MailToParameters(address, context.MailboxDir));
}

bool StartClient(const ComposeContext& context, ClientSystem& system) {
  if (!ClientConfigured(context.ClientExePath)) return true;
  return system.Launch(context.ClientExePath,
                       StartClientParameters(context.AccountName, context.MailboxDir));
}

}  // namespace client
