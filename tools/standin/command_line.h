#pragma once
// The stand-in's own command line, as the viewer starts the mail client:
// switches such as /reply:"Acc1\Inbox.box\00000123" /send:"Home", then the
// data directory in double quotes as the last argument.

#include <string>
#include <string_view>

namespace standin {

// What follows the program token (a double-quoted path or a run of non-blanks)
// and the one blank after it, unchanged.
std::string ParametersOf(std::string_view command_line);

// The last argument without its double quotes when it is not a switch (does
// not begin with "/"); empty when there is none. Blanks inside double quotes
// belong to the argument.
std::string DataDirectoryOf(std::string_view parameters);

// The mailbox directory of a data directory: data directory + "\Mailbox";
// empty for an empty data directory.
std::string MailboxDirOf(const std::string& data_directory);

// The title of the dialog the client shows first for these switches: the
// reply settings for "/reply:" and "/forward:", the destination choice for
// "/send:" when the named account's "Account.ini" has SelTemplate 1 (the
// account found by its Title below `mailbox_dir`); empty for anything else.
std::string DialogTitleFor(std::string_view parameters, const std::string& mailbox_dir);

}  // namespace standin
