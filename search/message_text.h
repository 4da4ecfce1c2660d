#pragma once
// What the index holds of a message: its sender and subject as the thread list shows
// them, and the text the viewer shows (header hidden, transfer encoding and charset
// decoded, every character kept, the attachment lines with their names and the
// forwarded messages included), all in UTF-8.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace search {

// The viewer's text of the message file at `path` (`flags`: the index record's flag
// word) in UTF-8, lines joined by LF; nullopt when the file cannot be opened.
std::optional<std::string> MessageText(const std::string& path, std::uint32_t flags);

// Shift-JIS from the index record (sender, shown subject) as UTF-8.
std::string SjisToUtf8(std::string_view sjis);

}  // namespace search
