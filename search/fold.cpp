#include "search/fold.h"

#include "nkf/nkf_decode.h"
#include "viewer/char_fold.h"
#include "viewer/unicode_text.h"

namespace search {

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
    const char32_t c = seq.valid ? seq.code_point : 0xFFFD;
    // Only a half-width katakana looks at the character after it.
    nkf::Utf8Sequence next{};
    if (c >= 0xFF61 && c <= 0xFF9F && pos < utf8.size()) next = nkf::ReadUtf8Sequence(utf8, pos);
    const viewer::FoldedChar folded = viewer::FoldChar(c, next.valid ? next.code_point : 0);
    if (folded.took_next) pos += next.length;
    viewer::AppendUtf8(out, folded.c);
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
