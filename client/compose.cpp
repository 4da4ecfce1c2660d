#include "client/compose.h"

#include "client/client_commands.h"
#include "client/ja_texts.h"
#include "client/quenmar_interface.h"
#include "settings/ini_profile.h"

namespace client {
namespace {

// Polls for the window titled `title` and raises it; gives up after kWindowPolls.
void RaiseWhenShown(ClientSystem& system, std::string_view title) {
  for (int poll = 0; poll < kWindowPolls; ++poll) {
    if (system.RaiseWindowTitled(title)) return;
    system.PauseAndPump(kWindowPollMs);
  }
}

void ComposeOnMessage(const ComposeContext& context, ClientSystem& system,
                      std::string_view message_path, bool forward) {
  if (!ClientConfigured(context.ClientExePath)) return;
  const std::string name = RelativeMailName(context.MailboxDir, message_path);
  if (name.empty()) return;
  system.Launch(context.ClientExePath,
                forward ? ForwardParameters(name, context.AccountName, context.MailboxDir)
                        : ReplyParameters(name, context.AccountName, context.MailboxDir));
  RaiseWhenShown(system, ja::kReplySettingsTitle);
}

}  // namespace

void ComposeNew(const ComposeContext& context, ClientSystem& system) {
  if (!ClientConfigured(context.ClientExePath)) return;
  system.Launch(context.ClientExePath, NewMailParameters(context.AccountName, context.MailboxDir));
  const settings::IniReader account(context.AccountIniPath);
  if (account.ReadInteger(kAccountPropertySection, kSelTemplateKey, 0) != 1) return;
  RaiseWhenShown(system, ja::kSelectDestinationTitle);
}

void ComposeReply(const ComposeContext& context, ClientSystem& system,
                  std::string_view message_path) {
  ComposeOnMessage(context, system, message_path, false);
}

void ComposeForward(const ComposeContext& context, ClientSystem& system,
                    std::string_view message_path) {
  ComposeOnMessage(context, system, message_path, true);
}

void ComposeToAddress(const ComposeContext& context, ClientSystem& system,
                      std::string_view address) {
  if (!ClientConfigured(context.ClientExePath) || !AddressSafeForMailTo(address)) return;
  system.Launch(context.ClientExePath, MailToParameters(address, context.MailboxDir));
}

void StartClient(const ComposeContext& context, ClientSystem& system) {
  if (!ClientConfigured(context.ClientExePath)) return;
  system.Launch(context.ClientExePath,
                StartClientParameters(context.AccountName, context.MailboxDir));
}

}  // namespace client
