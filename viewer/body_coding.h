#pragma once
// How the shown body is stored: its charset and its transfer encoding, read
// from the header that describes it (the message's own, or the text part's),
// and the transfer encoding undone.

#include <string>
#include <string_view>

#include "viewer/text_lines.h"

namespace viewer {

enum class TransferEncoding { kNone, kQuotedPrintable, kBase64 };

struct BodyCoding {
  std::string charset;  // the Content-Type's charset parameter as written; empty when none
  TransferEncoding transfer = TransferEncoding::kNone;
};

// Reads the Content-Type charset and the Content-Transfer-Encoding from header
// lines (field names in any letter case, folded lines joined). Any encoding
// other than quoted-printable and base64 is kNone (7bit, 8bit, binary), and so
// is any encoding of a body that is not text (a Content-Type other than
// text/...): an image or a document is shown as stored, never as its bytes.
BodyCoding ReadBodyCoding(const TextLines& header_lines);

// The body's bytes with its transfer encoding undone, lines joined by CR LF as
// the viewer joins them:
//   - quoted-printable: "=XX" (hex digits in either case) is the byte XX, a "="
//     at the end of a line (after trailing blanks, which are dropped) joins the
//     line with the next one;
//   - base64: the lines read as one stream (any line length, blanks ignored),
//     the decoded bytes split at their line ends (LF or CR LF) into lines.
// A broken sequence (a "=" without two hex digits or a line end after it; a
// line holding a character base64 does not use) and everything after it are
// kept as stored.
std::string DecodeTransfer(const TextLines& lines, TransferEncoding transfer);

}  // namespace viewer
