#include "client/client_commands.h"

#include "client/ja_texts.h"
#include "client/quenmar_interface.h"
#include "mailbox/client_files.h"
#include "platform/text_bytes.h"
#include "thread/index_record.h"
#include "thread/sjis_text.h"

namespace client {
namespace {

constexpr std::size_t kMailboxSuffixLength = 8;   // "\Mailbox"

// Where the last component of a Shift-JIS path starts: after its last "\\" or
// "/" that is not the second byte of a double-byte character.
std::size_t LastComponentStart(std::string_view path) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < path.size(); i += thread::SjisCharLength(path, i)) {
    if (path[i] == '\\' || path[i] == '/') start = i + 1;
  }
  return start;
}

// Appends the text in double quotes.
void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  out += text;
  out += '"';
}

// switch_text + quoted value + DataDirArgument: the shape of most command lines.
std::string SwitchWithQuotedValue(std::string_view switch_text, std::string_view value,
                                  std::string_view mailbox_dir) {
  std::string text(switch_text);
  AppendQuoted(text, value);
  text += DataDirArgument(mailbox_dir);
  return text;
}

// "/reply:" and "/forward:" share their shape: the message, the account, and
// two spaces before the data directory argument (which brings one of them).
std::string MessageParameters(std::string_view message_switch, std::string_view relative_name,
                              std::string_view account_name, std::string_view mailbox_dir) {
  std::string text(message_switch);
  AppendQuoted(text, relative_name);
  text += " /send:";
  AppendQuoted(text, account_name);
  text += ' ';
  text += DataDirArgument(mailbox_dir);
  return text;
}

}  // namespace

std::string RelativeMailName(std::string_view mailbox_dir, std::string_view file_path) {
  if (!file_path.starts_with(mailbox_dir)) return std::string();
  std::string_view rest = file_path.substr(mailbox_dir.size());
  if (rest.empty() || (rest.front() != '\\' && rest.front() != '/')) return std::string();
  rest.remove_prefix(1);
  if (rest.size() <= mailbox::kMessageExtensionLength) return std::string();
  rest.remove_suffix(mailbox::kMessageExtensionLength);
  if (!thread::IsMessageName(rest.substr(LastComponentStart(rest)))) return std::string();
  return std::string(rest);
}

std::string MarkMailCommand(std::string_view relative_name) {
  std::string command = "MarkMail(";
  command += relative_name;
  command += ',';
  command += std::to_string(thread::kUnreadFlag);
  command += ",0)";
  return command;
}

std::string MoveMailCommand(std::string_view relative_name, std::string_view account_name) {
  std::string command = "MoveMail(";
  command += relative_name;
  command += ",\"";
  command += account_name;
  command += '\\';
  command += ja::kTrashFolderName;
  command += "\")";
  return command;
}

std::string DataDirArgument(std::string_view mailbox_dir) {
  const std::size_t keep =
      mailbox_dir.size() > kMailboxSuffixLength ? mailbox_dir.size() - kMailboxSuffixLength : 0;
  std::string argument = " ";
  AppendQuoted(argument, mailbox_dir.substr(0, keep));
  return argument;
}

std::string NewMailParameters(std::string_view account_name, std::string_view mailbox_dir) {
  return SwitchWithQuotedValue("/send:", account_name, mailbox_dir);
}

std::string ReplyParameters(std::string_view relative_name, std::string_view account_name,
                            std::string_view mailbox_dir) {
  return MessageParameters("/reply:", relative_name, account_name, mailbox_dir);
}

std::string ForwardParameters(std::string_view relative_name, std::string_view account_name,
                              std::string_view mailbox_dir) {
  return MessageParameters("/forward:", relative_name, account_name, mailbox_dir);
}

std::string MailToParameters(std::string_view address, std::string_view mailbox_dir) {
  std::string text = "/mailto:";
  text += address;
  text += DataDirArgument(mailbox_dir);
  return text;
}

std::string StartClientParameters(std::string_view account_name, std::string_view mailbox_dir) {
  return SwitchWithQuotedValue("/account:", account_name, mailbox_dir);
}

bool AddressSafeForMailTo(std::string_view address) {
  for (const char c : address) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F || c == '"') return false;
  }
  return address.find('@') != std::string_view::npos;
}

bool ClientConfigured(std::string_view client_exe_path) {
  return platform::EqualsIgnoringAsciiCase(
      client_exe_path.substr(LastComponentStart(client_exe_path)), "quenmar.exe");
}

}  // namespace client
