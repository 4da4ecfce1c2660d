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

// The threading headers of one message. MlFlag is never cleared by a scan:
// it starts as the node's, and the scan stops early once it and the three
// identifiers are known.
struct MessageHeaders {
  std::string MessageId;
  std::string InReplyTo;
  std::string LastReference;
  bool MlFlag = false;
};

// Reads the headers of the file at `path`; a file that cannot be opened gives
// empty identifiers, which is not an error. Touches no node, so it may run on
// any thread.
MessageHeaders ReadMessageHeaders(const std::string& path, bool ml_flag);
// The same scan over a reader already opened (a file or bytes in memory).
MessageHeaders ReadMessageHeaders(platform::TextReader& reader, bool ml_flag);
// Replaces the node's three identifiers with the headers' (kept in the node's
// store) and sets its MlFlag to theirs.
void ApplyMessageHeaders(const MessageHeaders& headers, ThreadNode& node);

// ReadMessageHeaders of node.FilePath (or of `reader`) applied to the node.
void ScanMessageHeaders(ThreadNode& node);
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
