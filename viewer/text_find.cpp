#include "viewer/text_find.h"

#include <algorithm>

#include "platform/encoding.h"
#include "viewer/char_fold.h"
#include "viewer/unicode_text.h"

namespace viewer {
namespace {

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
    } else {
      const FoldedChar folded = FoldChar(c, i < text.size() ? text[i] : 0);
      c = folded.c;
      if (folded.took_next) {
        ++i;
        ++code_point;  // the mark is inside this folded character
      }
    }
    ++code_point;
    out.text.push_back(c);
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
