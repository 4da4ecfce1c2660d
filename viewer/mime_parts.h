#pragma once
// A message's MIME structure, read in one pass over its bytes: every part with
// its header decoded and its byte range, the leaves in file order. Nothing is
// decoded while parsing: a part's bytes are decoded (DecodedBody) or counted
// (DecodedSize) only when asked, so listing the parts of a 20 MB message
// decodes none of its attachments.
//
// How bytes are read, for mail as it is rather than as it should be:
//   - a header ends at its first empty line (CR LF or LF); without one the
//     whole part is header and its body is empty;
//   - a multipart's parts lie between lines that begin with "--" + boundary
//     (then "--" for the last, then only blanks); the preamble and epilogue
//     are dropped; a missing last delimiter lets the last part run to the end;
//   - a multipart in which no delimiter is found, or one nested deeper than
//     kMaxMimeDepth, is a leaf (its body read as text by the viewer); parts
//     after the first kMaxMimeParts are left out;
//   - a message/rfc822 part is one leaf: its own parts are parsed on demand,
//     from its body (ParseMime again);
//   - no Content-Type means text/plain, or message/rfc822 inside
//     multipart/digest.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/body_coding.h"
#include "viewer/text_lines.h"

namespace viewer {

inline constexpr int kMaxMimeDepth = 32;
inline constexpr std::size_t kMaxMimeParts = 100000;

struct MimePart {
  std::string type = "text/plain";  // type/subtype, lower case
  std::string charset;              // the charset parameter as written; empty when none
  TransferEncoding transfer = TransferEncoding::kNone;
  std::string name;         // the file name, decoded to UTF-8 (viewer/part_name.h); empty when none
  bool attachment = false;  // Content-Disposition: attachment
  std::string content_id;   // Content-ID without its angle brackets
  std::string start;        // multipart/related's start parameter, without angle brackets
  std::size_t begin = 0;    // the part's first byte (its header's)
  std::size_t body = 0;     // its body's first byte
  std::size_t end = 0;  // one past its body's last byte (the line end before a delimiter excluded)
  int depth = 0;        // 0 for the message itself
  std::vector<std::size_t> children;  // indexes of a multipart's parts, in file order

  bool IsLeaf() const { return children.empty(); }
  bool IsText() const { return type.starts_with("text/"); }
};

struct MimeTree {
  std::vector<MimePart> parts;      // parts[0] is the message; each part before its children
  std::vector<std::size_t> leaves;  // the leaves' indexes in parts, in file order
};

// The structure of `message` (never fails: any bytes give at least parts[0]).
MimeTree ParseMime(std::string_view message);

// The unfolded value of the first header field `name` (lower case, no colon)
// in `header`, blanks trimmed; empty when none.
std::string HeaderField(std::string_view header, std::string_view name);

// The header bytes of a part (its empty line included).
inline std::string_view PartHeader(std::string_view message, const MimePart& part) {
  return message.substr(part.begin, part.body - part.begin);
}
inline std::string_view PartBody(std::string_view message, const MimePart& part) {
  return message.substr(part.body, part.end - part.body);
}

// A part's body with its transfer encoding undone, as bytes (line ends as
// stored). Broken encodings decode what they can: base64 skips characters it
// does not use, a "=" in quoted-printable without two hex digits is kept,
// uuencode reads from its "begin" line to its "end" line.
std::string DecodedBody(std::string_view message, const MimePart& part);

// The size of DecodedBody, counted without keeping the bytes.
std::uint64_t DecodedSize(std::string_view message, const MimePart& part);

// The lines of bytes: split at each LF, one CR before it dropped, a final line
// end making no extra line (as the viewer has always read message files).
TextLines BytesToLines(std::string_view bytes);

}  // namespace viewer
