#pragma once
// Conversion between Shift-JIS (code page 932) and UTF-16 at the OS boundary.
// Windows uses code page 932 itself; POSIX uses iconv's CP932.

#include <string>
#include <string_view>

namespace platform {

// Bytes that are not valid CP932 become U+FFFD (Windows: the system's default
// replacement); never fails.
std::u16string Cp932ToUtf16(std::string_view cp932);

// Characters with no CP932 form become "?".
std::string Utf16ToCp932(std::u16string_view utf16);

// Text in one of the single-byte code pages Windows knows (28591-28605 for
// ISO-8859-n, 1250-1258, 20866 KOI8-R, 21866 KOI8-U, 20127 US-ASCII), decoded
// as Windows decodes it. Empty when the code page is none of these. A byte the
// code page leaves undefined becomes U+FFFD on POSIX (Windows gives its own
// mapping, a control or private-use character).
std::u16string SingleByteToUtf16(unsigned code_page, std::string_view bytes);

}  // namespace platform
