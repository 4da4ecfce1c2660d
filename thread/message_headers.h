#pragma once
// Reads the threading headers of a stored message: Message-ID, In-Reply-To,
// the last identifier of References, and whether the message came through a
// mailing list. Only the header block is read, and the scan stops as soon as
// all four are known.

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {
class TextReader;
}

namespace thread {

struct ThreadNode;

// Message files are read in pieces of at most this many characters.
inline constexpr std::size_t kHeaderReadChars = 999;

// Clears node.MessageId, InReplyTo and LastReference, then fills them and sets
// MlFlag (never clears it) from the file node.FilePath. A file that cannot be
// opened leaves the identifiers empty; that is not an error.
void ScanMessageHeaders(ThreadNode& node);
// The same scan over a reader already opened (a file or bytes in memory).
void ScanMessageHeaders(platform::TextReader& reader, ThreadNode& node);

struct Bracketed {
  bool Found = false;  // the line holds both a "<" and a ">"
  std::string Text;    // empty when not found; spaces at both ends removed
};

// The text after the first "<" up to the next ">" (to the line end when no ">"
// follows). The line end is never part of the text.
Bracketed TakeFirstBracketed(std::string_view line);
// Like TakeFirstBracketed, then moves on to the next pair as long as the rest
// of the line after the taken pair holds both a "<" and a ">": the last
// complete pair of the line wins.
Bracketed TakeLastBracketed(std::string_view line);

}  // namespace thread
