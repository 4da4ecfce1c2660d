#pragma once
// The texts sent to the mail client: the DDE execute commands for mark-as-read
// and move-to-trash, and the parameter strings that start it to compose. All
// are Shift-JIS; paths inside them are the client's Windows paths and use "\".
// Nothing is quoted or escaped beyond what is written here: the client reads
// the texts exactly so.

#include <string>
#include <string_view>

namespace client {

// A message path relative to the mailbox root, without its extension:
// `file_path` without the leading `mailbox_dir` and the one delimiter ("\" or
// "/") after it, and without its last 4 characters (".qnm"). Empty when the
// path does not lie below `mailbox_dir`, or when the file's name without
// those 4 characters fails thread::IsMessageName: the caller then sends
// nothing.
std::string RelativeMailName(std::string_view mailbox_dir, std::string_view file_path);

// "MarkMail(" + name + ",1073741824,0)": clear the flag-word bits given in
// decimal, here thread::kUnreadFlag.
std::string MarkMailCommand(std::string_view relative_name);

// "MoveMail(" + name + "," + '"' + account + "\ごみ箱" + '"' + ")".
std::string MoveMailCommand(std::string_view relative_name, std::string_view account_name);

// The last argument of every command line: a space and, in double quotes, the
// mailbox directory without its last 8 characters (normally "\Mailbox"),
// whatever they are.
std::string DataDirArgument(std::string_view mailbox_dir);

// Parameter strings for the client's executable.
std::string NewMailParameters(std::string_view account_name, std::string_view mailbox_dir);
std::string ReplyParameters(std::string_view relative_name, std::string_view account_name,
                            std::string_view mailbox_dir);
std::string ForwardParameters(std::string_view relative_name, std::string_view account_name,
                              std::string_view mailbox_dir);
std::string MailToParameters(std::string_view address, std::string_view mailbox_dir);
std::string StartClientParameters(std::string_view account_name, std::string_view mailbox_dir);

// The address of "/mailto:" is not quoted: a text with a blank, a control
// character or a double quote would add arguments of its own to the client's
// command line, so such a text (from a selection) is never sent. Also false
// for a text without "@".
bool AddressSafeForMailTo(std::string_view address);

// True when the mail client's executable path names the file "quenmar.exe"
// itself (the last path component, in any ASCII letter case).
bool ClientConfigured(std::string_view client_exe_path);

}  // namespace client
