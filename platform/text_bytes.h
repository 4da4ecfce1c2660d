#pragma once
// Byte-level facts about the program's text, which is Shift-JIS (code page 932)
// throughout: where a double-byte character starts, and ASCII letter case.
// Every layer steps through text with these, so that a second byte is never
// taken for a character of its own and letter case means the same everywhere.

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// True for the bytes that begin a double-byte character: 0x81-0x9F and
// 0xE0-0xFC. Half-width katakana (0xA1-0xDF) are single bytes.
constexpr bool IsSjisLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// ASCII letters to lower case; every other byte, second bytes of double-byte
// characters included, unchanged.
constexpr char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Copies of the text with ASCII letters in one case. Written without branches
// so that the compiler works on many bytes at once (a 5 MB message is
// lower-cased for every link scan).
inline std::string FlipLetterCase(std::string_view text, unsigned char first) {
  std::string copy(text.size(), '\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const bool letter = static_cast<unsigned char>(byte - first) < 26;
    copy[i] = static_cast<char>(byte ^ (letter ? 0x20 : 0));
  }
  return copy;
}
inline std::string AsciiLower(std::string_view text) { return FlipLetterCase(text, 'A'); }
inline std::string AsciiUpper(std::string_view text) { return FlipLetterCase(text, 'a'); }

// Equal when the texts differ in ASCII letter case only.
constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

}  // namespace platform
