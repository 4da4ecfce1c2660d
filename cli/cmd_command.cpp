// veltrano-cli command KIND ARGUMENTS...
//
// Prints, followed by LF, the text the program hands to the mail client:
//   command mark MAILBOX_DIR FILE             the mark-as-read DDE command
//   command move MAILBOX_DIR FILE ACCOUNT     the move-to-trash DDE command
//   command new MAILBOX_DIR ACCOUNT           parameters for a new mail
//   command reply MAILBOX_DIR FILE ACCOUNT    parameters for a reply
//   command forward MAILBOX_DIR FILE ACCOUNT  parameters for a forward
//   command mailto MAILBOX_DIR ADDRESS        parameters for a mail to an address
//   command start MAILBOX_DIR ACCOUNT         parameters that start the client
// FILE must lie below MAILBOX_DIR and ADDRESS must be safe to pass unquoted;
// otherwise the program sends nothing, and this command fails.

#include <cstdio>
#include <string>
#include <string_view>

#include "cli/commands.h"
#include "client/client_commands.h"

namespace {

int Usage() {
  std::fputs(
      "usage: veltrano-cli command mark MAILBOX_DIR FILE\n"
      "       veltrano-cli command move MAILBOX_DIR FILE ACCOUNT\n"
      "       veltrano-cli command new MAILBOX_DIR ACCOUNT\n"
      "       veltrano-cli command reply MAILBOX_DIR FILE ACCOUNT\n"
      "       veltrano-cli command forward MAILBOX_DIR FILE ACCOUNT\n"
      "       veltrano-cli command mailto MAILBOX_DIR ADDRESS\n"
      "       veltrano-cli command start MAILBOX_DIR ACCOUNT\n",
      stderr);
  return 2;
}

int Print(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

int NotBelowMailbox() {
  std::fputs(
      "the message file does not lie below the mailbox directory, or its name is no message name\n",
      stderr);
  return 1;
}

}  // namespace

int RunCommandCommand(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string_view kind = argv[1];
  const int count = argc - 2;  // arguments after the kind
  char** const args = argv + 2;

  if (kind == "new" || kind == "start") {
    if (count != 2) return Usage();
    return Print(kind == "new" ? client::NewMailParameters(args[1], args[0])
                               : client::StartClientParameters(args[1], args[0]));
  }
  if (kind == "mailto") {
    if (count != 2) return Usage();
    if (!client::AddressSafeForMailTo(args[1])) {
      std::fputs("the address holds a blank, a control character or a double quote, or no \"@\"\n",
                 stderr);
      return 1;
    }
    return Print(client::MailToParameters(args[1], args[0]));
  }
  if (kind == "mark") {
    if (count != 2) return Usage();
    const std::string name = client::RelativeMailName(args[0], args[1]);
    if (name.empty()) return NotBelowMailbox();
    return Print(client::MarkMailCommand(name));
  }
  if (kind == "move" || kind == "reply" || kind == "forward") {
    if (count != 3) return Usage();
    const std::string name = client::RelativeMailName(args[0], args[1]);
    if (name.empty()) return NotBelowMailbox();
    if (kind == "move") return Print(client::MoveMailCommand(name, args[2]));
    if (kind == "reply") return Print(client::ReplyParameters(name, args[2], args[0]));
    return Print(client::ForwardParameters(name, args[2], args[0]));
  }
  return Usage();
}
