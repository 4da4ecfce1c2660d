#include "search/fold.h"

#include <array>
#include <cstdint>

#include "nkf/cp932.h"
#include "nkf/cp932_table.h"
#include "nkf/nkf_decode.h"
#include "viewer/unicode_text.h"

namespace search {
namespace {

constexpr char32_t kHalfWidthFirst = 0xFF61;  // ｡, CP932 byte 0xA1
constexpr char32_t kHalfWidthLast = 0xFF9F;   // ﾟ, CP932 byte 0xDF
constexpr char32_t kVoicedMark = 0xFF9E;      // ﾞ
constexpr char32_t kSemiVoicedMark = 0xFF9F;  // ﾟ
constexpr std::size_t kHalfWidthCount = kHalfWidthLast - kHalfWidthFirst + 1;

// The Unicode character of a CP932 double-byte code (the nkf tables hold the other direction).
char32_t UnicodeOf(std::uint16_t cp932) {
  for (std::size_t i = 0; i < nkf::kUnicodeToCp932Count; ++i) {
    if (nkf::kUnicodeToCp932[i].cp932 == cp932) return nkf::kUnicodeToCp932[i].unicode;
  }
  return 0xFFFD;
}

// The full-width forms of the half-width katakana, alone and with each sound mark, taken
// from the converter's own tables so that the quick filter and the index agree.
struct KatakanaTable {
  std::array<char32_t, kHalfWidthCount> alone{};
  std::array<char32_t, kHalfWidthCount> voiced{};       // 0: no joined form
  std::array<char32_t, kHalfWidthCount> semi_voiced{};  // 0: no joined form
  KatakanaTable() {
    for (std::size_t i = 0; i < kHalfWidthCount; ++i) {
      const auto byte = static_cast<unsigned char>(0xA1 + i);
      alone[i] = UnicodeOf(nkf::FullWidthKatakana(byte));
      if (const std::uint16_t joined = nkf::JoinSoundMark(byte, 0xDE); joined != 0) {
        voiced[i] = UnicodeOf(joined);
      }
      if (const std::uint16_t joined = nkf::JoinSoundMark(byte, 0xDF); joined != 0) {
        semi_voiced[i] = UnicodeOf(joined);
      }
    }
  }
};

const KatakanaTable& Katakana() {
  static const KatakanaTable table;
  return table;
}

bool IsHalfWidthKatakana(char32_t c) { return c >= kHalfWidthFirst && c <= kHalfWidthLast; }

}  // namespace

void AppendFolded(std::string_view utf8, std::string& out) {
  out.reserve(out.size() + utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const auto byte = static_cast<unsigned char>(utf8[pos]);
    if (byte < 0x80) {  // most of a mail is ASCII
      out += static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte);
      ++pos;
      continue;
    }
    const nkf::Utf8Sequence seq = nkf::ReadUtf8Sequence(utf8, pos);
    pos += seq.length;
    char32_t c = seq.valid ? seq.code_point : 0xFFFD;
    if (c == 0x3000) {
      out += ' ';
      continue;
    }
    if (c >= 0xFF01 && c <= 0xFF5E) {
      c -= 0xFEE0;
      out += static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
      continue;
    }
    if (IsHalfWidthKatakana(c)) {
      const KatakanaTable& table = Katakana();
      const std::size_t index = c - kHalfWidthFirst;
      char32_t joined = 0;
      if (pos < utf8.size()) {
        const nkf::Utf8Sequence next = nkf::ReadUtf8Sequence(utf8, pos);
        if (next.valid && next.code_point == kVoicedMark) joined = table.voiced[index];
        if (next.valid && next.code_point == kSemiVoicedMark) joined = table.semi_voiced[index];
        if (joined != 0) pos += next.length;
      }
      c = joined != 0 ? joined : table.alone[index];
    }
    viewer::AppendUtf8(out, c);
  }
}

std::string Fold(std::string_view utf8) {
  std::string out;
  AppendFolded(utf8, out);
  return out;
}

std::vector<std::string> QueryWords(std::string_view utf8) {
  const std::string folded = Fold(utf8);
  std::vector<std::string> words;
  std::size_t pos = 0;
  while (pos < folded.size()) {
    if (IsBlank(folded[pos])) {
      ++pos;
      continue;
    }
    std::size_t end = pos;
    while (end < folded.size() && !IsBlank(folded[end])) ++end;
    words.emplace_back(folded, pos, end - pos);
    pos = end;
  }
  return words;
}

}  // namespace search
