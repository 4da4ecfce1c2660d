#include "tools/standin/command_line.h"

#include <vector>

#include "client/ja_texts.h"
#include "client/quenmar_interface.h"
#include "mailbox/accounts.h"
#include "platform/files.h"
#include "settings/ini_profile.h"

namespace standin {
namespace {

// Arguments separated by blanks; a double quote toggles quoting and stays in
// the argument. Shift-JIS trail bytes are never blanks or quotes.
std::vector<std::string> SplitArguments(std::string_view text) {
  std::vector<std::string> args;
  std::string current;
  bool quoted = false;
  bool in_argument = false;
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    if (!quoted && (c == ' ' || c == '\t')) {
      if (in_argument) args.push_back(current);
      current.clear();
      in_argument = false;
      continue;
    }
    current.push_back(c);
    in_argument = true;
  }
  if (in_argument) args.push_back(current);
  return args;
}

// The text after `switch_name` with its double quotes removed.
std::string SwitchValue(const std::string& argument, std::string_view switch_name) {
  std::string value;
  for (char c : std::string_view(argument).substr(switch_name.size())) {
    if (c != '"') value.push_back(c);
  }
  return value;
}

bool SelectsTemplate(const std::string& account_name, const std::string& mailbox_dir) {
  if (mailbox_dir.empty()) return false;
  for (const mailbox::Account& account : mailbox::EnumerateAccounts(mailbox_dir)) {
    if (account.Title != account_name) continue;
    const settings::IniReader ini(platform::JoinPath(account.Directory, "Account.ini"));
    return ini.ReadInteger(client::kAccountPropertySection, client::kSelTemplateKey, 0) == 1;
  }
  return false;
}

}  // namespace

std::string ParametersOf(std::string_view command_line) {
  std::size_t pos = 0;
  if (!command_line.empty() && command_line[0] == '"') {
    const std::size_t close = command_line.find('"', 1);
    pos = close == std::string_view::npos ? command_line.size() : close + 1;
  }
  while (pos < command_line.size() && command_line[pos] != ' ' && command_line[pos] != '\t') {
    ++pos;
  }
  if (pos < command_line.size()) ++pos;
  return std::string(command_line.substr(pos));
}

std::string DataDirectoryOf(std::string_view parameters) {
  const std::vector<std::string> args = SplitArguments(parameters);
  if (args.empty() || args.back()[0] == '/') return {};
  std::string directory;
  for (char c : args.back()) {
    if (c != '"') directory.push_back(c);
  }
  return directory;
}

std::string MailboxDirOf(const std::string& data_directory) {
  if (data_directory.empty()) return {};
  return platform::JoinPath(data_directory, "Mailbox");
}

std::string DialogTitleFor(std::string_view parameters, const std::string& mailbox_dir) {
  const std::vector<std::string> args = SplitArguments(parameters);
  if (args.empty()) return {};
  const std::string& first = args.front();
  if (first.starts_with("/reply:") || first.starts_with("/forward:")) {
    return client::ja::kReplySettingsTitle;
  }
  if (first.starts_with("/send:") && SelectsTemplate(SwitchValue(first, "/send:"), mailbox_dir)) {
    return client::ja::kSelectDestinationTitle;
  }
  return {};
}

}  // namespace standin
