#include "viewer/text_find.h"

#include <algorithm>
#include <array>

#include "nkf/cp932.h"
#include "platform/encoding.h"
#include "viewer/unicode_text.h"

namespace viewer {
namespace {

constexpr char32_t kHalfWidthFirst = 0xFF61;  // ｡
constexpr char32_t kHalfWidthLast = 0xFF9F;   // ﾟ
constexpr char32_t kVoicedMark = 0xFF9E;      // ﾞ
constexpr char32_t kSemiVoicedMark = 0xFF9F;  // ﾟ

// The full-width forms the quick filter gives each half-width katakana: alone,
// joined with a following ﾞ, joined with a following ﾟ (0 where the pair makes
// no one character). Taken from the converter's tables, which are in CP932,
// so that the viewer and the thread list fold alike.
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

char32_t FoldCharacter(char32_t c) {
  if (c >= 0xFF01 && c <= 0xFF5E) c -= 0xFEE0;  // full-width ASCII
  if (c >= 'A' && c <= 'Z') return c - 'A' + 'a';
  if (c == 0x3000) return ' ';  // the ideographic space
  return c;
}

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

struct Folded {
  std::u32string text;
  std::vector<std::uint32_t> origin;  // as TextFinder::origin_
  std::vector<std::uint32_t> astral;  // as TextFinder::astral_
};

Folded Fold(std::u16string_view text) {
  Folded out;
  out.text.reserve(text.size());
  out.origin.reserve(text.size() + 1);
  std::uint32_t code_point = 0;  // code points of `text` before `i`
  std::size_t i = 0;
  while (i < text.size()) {
    out.origin.push_back(code_point);
    char32_t c = text[i++];
    if (IsHighSurrogate(c) && i < text.size() && IsLowSurrogate(text[i])) {
      out.astral.push_back(code_point);
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i++] - 0xDC00);
    } else if (c >= kHalfWidthFirst && c <= kHalfWidthLast) {
      const auto& forms = Kana().forms[c - kHalfWidthFirst];
      const char32_t next = i < text.size() ? text[i] : 0;
      const int mark = next == kVoicedMark ? 1 : next == kSemiVoicedMark ? 2 : 0;
      if (mark != 0 && forms[mark] != 0) {
        c = forms[mark];
        ++i;
        ++code_point;  // the mark is inside this folded character
      } else {
        c = forms[0];
      }
    }
    ++code_point;
    out.text.push_back(FoldCharacter(c));
  }
  out.origin.push_back(code_point);
  return out;
}

}  // namespace

TextFinder::TextFinder(const TextLines& lines, TextForm form) {
  std::string joined;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) joined += '\n';
    joined += lines[i];
  }
  Folded folded =
      Fold(form == TextForm::kUnicode ? Utf8ToUtf16(joined) : platform::Cp932ToUtf16(joined));
  folded_ = std::move(folded.text);
  origin_ = std::move(folded.origin);
  astral_ = std::move(folded.astral);
}

std::vector<TextRange> TextFinder::FindAll(std::string_view query) const {
  const std::u32string needle = Fold(Utf8ToUtf16(query)).text;
  std::vector<TextRange> found;
  if (needle.empty()) return found;
  const std::u32string_view text = folded_;
  for (std::size_t at = text.find(needle); at != std::u32string_view::npos;
       at = text.find(needle, at + needle.size())) {
    found.push_back({origin_[at], origin_[at + needle.size()]});
  }
  return found;
}

std::vector<TextRange> TextFinder::ToUtf16(std::vector<TextRange> ranges) const {
  // A position moves on by one unit for every character outside the Basic
  // Multilingual Plane before it.
  const auto units = [this](std::size_t position) {
    return position +
           static_cast<std::size_t>(std::lower_bound(astral_.begin(), astral_.end(), position) -
                                    astral_.begin());
  };
  for (TextRange& range : ranges) range = {units(range.start), units(range.end)};
  return ranges;
}

}  // namespace viewer
