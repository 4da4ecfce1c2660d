#pragma once
// A shown text part's transfer encoding undone, on the viewer's lines.

#include <string>
#include <string_view>

#include "viewer/text_lines.h"

namespace viewer {

// kUuencode (x-uuencode) is decoded for saving only; as text it shows as stored.
enum class TransferEncoding { kNone, kQuotedPrintable, kBase64, kUuencode };

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
