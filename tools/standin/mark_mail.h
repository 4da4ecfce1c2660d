#pragma once
// What the stand-in does for the viewer's mark-as-read command
// "MarkMail(" + relative message name + ",1073741824,0)": it clears the
// message's unread bit in its folder's index and lowers the folder's unread
// count, as the mail client would.

#include <string>
#include <string_view>

namespace standin {

// The relative message name (such as Acc1\Inbox.box\00000001) of a mark-as-read
// command; false for any other text.
bool ParseMarkMail(std::string_view command, std::string& relative_name);

enum class MarkResult {
  kMarked,       // the unread bit was cleared and the count lowered
  kAlreadyRead,  // nothing to change
  kNotFound,     // no such folder index or record
  kWriteFailed,  // the index or Entry.ini could not be replaced
};

// Clears the unread bit of the record of `relative_name` in the "Entry.lst" of
// its folder below `mailbox_dir`, and lowers `UnOpen` of the folder's
// "Entry.ini" by one (never below 0). Both files are replaced atomically.
MarkResult MarkMailRead(const std::string& mailbox_dir, const std::string& relative_name);

}  // namespace standin
