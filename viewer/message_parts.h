#pragma once
// Reading a message file into the viewer's lines: either the whole file, or,
// for a message with attachments, its header and its first plain-text part.
// The message is read as 8-bit text (CR LF read as one line end), as stored;
// the text part's own header is handed back so that its transfer encoding and
// charset can be undone afterwards (viewer/body_coding.h).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/text_reader.h"
#include "viewer/text_lines.h"

namespace viewer {

// Lines are read in pieces of at most this many bytes, line end included; a
// longer line arrives as several pieces, each handled as a line of its own.
inline constexpr std::size_t kMaxPieceChars = 1000;

// For a message with thread::kAttachmentFlag in `flags`: fills `lines` with the header
// (up to and including the empty line that ends it), then the body of the first
// text/plain part, an empty line and ja::kAttachmentNotice, and returns true.
// Returns false, with `lines` to be replaced by the whole file, when the flag is
// clear, the file cannot be opened, the header names a text/plain type or the
// message is not multipart. Malformed structure never fails: a missing boundary
// or a missing text/plain part gives an empty part text.
// `part_header`, when given, gets the text part's header lines: its
// Content-Type line and the lines after it up to the empty line.
bool ExtractTextPart(const std::string& path, std::uint32_t flags, TextLines& lines,
                     TextLines* part_header = nullptr);

// The same over an open reader (the flag test already passed).
bool ExtractTextPartFrom(platform::TextReader& reader, TextLines& lines,
                         TextLines* part_header = nullptr);

// Replaces `lines` with every line of the file: split at each line end, a final
// line end making no extra empty line, all other bytes (NUL included) kept.
// False, with `lines` empty, when the file cannot be opened.
bool ReadMessageLines(const std::string& path, TextLines& lines);

// The same over an open reader.
void ReadAllLines(platform::TextReader& reader, TextLines& lines);

// The boundary parameter of a header line as read (line end included): the text
// between the first double quote and the next one (or the line end), else the
// text after the first "=" up to the line end, else empty.
std::string BoundaryParameter(std::string_view line);

}  // namespace viewer
