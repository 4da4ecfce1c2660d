#pragma once
// What the index holds of a message, field by field, all in UTF-8: the text the viewer
// shows (header hidden, transfer encoding and charset decoded, every character kept, the
// attachment lines with their names and the forwarded messages included) parted into
// the lines outside quotes and the quoted lines; the From, To and Cc headers decoded as
// the viewer decodes a header it shows; the attachments' names as the viewer names them.
// The record's own sender and subject (as the thread list shows them) come from
// "Entry.lst" (search/folder_scan.h).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace search {

struct MessageFields {
  std::string unquoted;    // the viewer's lines outside quotes, each ended by LF
  std::string quoted;      // its quoted lines (IsQuotedLine), each ended by LF
  std::string from;        // the From header's value (name and address)
  std::string recipients;  // the To and the Cc header's values, each ended by LF
  std::string names;       // the attachments' names, each ended by LF
};

// The fields of the message file at `path` (`flags`: the index record's flag word);
// nullopt when the file cannot be opened.
std::optional<MessageFields> ReadMessageFields(const std::string& path, std::uint32_t flags);

// A quoted line: one whose first character after blanks (space, tab, ideographic space)
// is ">", "＞" or "|".
bool IsQuotedLine(std::string_view utf8_line);

// Shift-JIS from the index record (sender, shown subject) as UTF-8.
std::string SjisToUtf8(std::string_view sjis);

}  // namespace search
