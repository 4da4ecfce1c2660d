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

}  // namespace platform
