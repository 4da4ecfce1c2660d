#pragma once
// The charset of an HTML part, and its bytes decoded to UTF-8 before they are
// read as HTML.

#include <string>
#include <string_view>

namespace viewer {

// The bytes as UTF-8 (what ValidUtf8 gives), decoded as:
//   - UTF-8 when they begin with a UTF-8 byte-order mark, whatever is declared;
//   - else the MIME charset `mime_charset` when it is one the viewer knows
//     (UTF-8, ISO-2022-JP, EUC-JP, Shift_JIS and its other names, the
//     single-byte charsets Windows has a code page for);
//   - else the charset of the first <meta charset> or <meta http-equiv=
//     "Content-Type" content="...; charset=..."> before <body> (in the first
//     64 KB), when the viewer knows it;
//   - else a guess: ISO-2022-JP when they hold its escapes, UTF-8 when valid,
//     else CP932.
// As in the viewer's plain text, ISO-2022-JP escapes under a single-byte label
// (old Japanese mailers label it so) read as ISO-2022-JP, and 8-bit bytes
// labelled US-ASCII as no label at all. Japanese text goes through the code
// converter (nkf/), so characters CP932 lacks are lost as they are there.
std::string DecodeHtmlBytes(std::string_view html, std::string_view mime_charset);

}  // namespace viewer
