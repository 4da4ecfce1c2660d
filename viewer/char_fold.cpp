#include "viewer/char_fold.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "nkf/cp932.h"
#include "platform/encoding.h"

namespace viewer {
namespace {

constexpr char32_t kHalfWidthFirst = 0xFF61;  // ｡, CP932 byte 0xA1
constexpr char32_t kHalfWidthLast = 0xFF9F;   // ﾟ, CP932 byte 0xDF
constexpr char32_t kVoicedMark = 0xFF9E;      // ﾞ
constexpr char32_t kSemiVoicedMark = 0xFF9F;  // ﾟ

// The full-width forms of each half-width katakana: alone, joined with a
// following ﾞ, joined with a following ﾟ (0 where the pair makes no one
// character).
struct KanaForms {
  std::array<std::array<char32_t, 3>, kHalfWidthLast - kHalfWidthFirst + 1> forms{};

  KanaForms() {
    std::vector<std::uint16_t> codes;
    for (unsigned byte = 0xA1; byte <= 0xDF; ++byte) {
      codes.push_back(nkf::FullWidthKatakana(static_cast<unsigned char>(byte)));
      codes.push_back(nkf::JoinSoundMark(static_cast<unsigned char>(byte), 0xDE));
      codes.push_back(nkf::JoinSoundMark(static_cast<unsigned char>(byte), 0xDF));
    }
    // One conversion for all: every code is a double-byte character of the
    // Basic Multilingual Plane, one UTF-16 unit.
    std::string bytes;
    for (const std::uint16_t code : codes) {
      if (code == 0) continue;
      bytes.push_back(static_cast<char>(code >> 8));
      bytes.push_back(static_cast<char>(code & 0xFF));
    }
    const std::u16string units = platform::Cp932ToUtf16(bytes);
    std::size_t next = 0;
    for (std::size_t k = 0; k < codes.size(); ++k) {
      if (codes[k] != 0) forms[k / 3][k % 3] = units.at(next++);
    }
  }
};

const KanaForms& Kana() {
  static const KanaForms kana;
  return kana;
}

}  // namespace

FoldedChar FoldChar(char32_t c, char32_t next) {
  if (c < 0x80) return {c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c, false};
  if (c == 0x3000) return {U' ', false};  // the ideographic space
  if (c >= 0xFF01 && c <= 0xFF5E) {       // full-width ASCII
    c -= 0xFEE0;
    return {c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c, false};
  }
  if (c < kHalfWidthFirst || c > kHalfWidthLast) return {c, false};
  const auto& forms = Kana().forms[c - kHalfWidthFirst];
  const int mark = next == kVoicedMark ? 1 : next == kSemiVoicedMark ? 2 : 0;
  if (mark != 0 && forms[mark] != 0) return {forms[mark], true};
  return {forms[0], false};
}

}  // namespace viewer
