// Link scanning over UTF-8 text: the rules of link_scan.cpp on characters.
#include <algorithm>

#include "nkf/cp932.h"
#include "platform/text_bytes.h"
#include "viewer/link_scan.h"
#include "viewer/text_lines.h"

namespace viewer {
namespace {

// Length of the UTF-8 character at `pos` of valid UTF-8 text.
std::size_t CharLength(unsigned char lead) { return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2; }

char32_t CodePointAt(std::string_view text, std::size_t pos, std::size_t length) {
  char32_t code_point = static_cast<unsigned char>(text[pos]) & (0x7F >> length);
  for (std::size_t k = 1; k < length && pos + k < text.size(); ++k) {
    code_point = code_point << 6 | (static_cast<unsigned char>(text[pos + k]) & 0x3F);
  }
  return code_point;
}

// True for a character other than ASCII that a URL runs on over: one that
// Shift-JIS writes as a single byte (half-width katakana, ¥ and ‾).
bool StaysInUrl(char32_t code_point) {
  const auto code = nkf::UnicodeToCp932(code_point);
  return code && *code < 0x100;
}

void MarkUrlsUtf8(std::string_view text, std::string_view lower, std::string_view prefix,
                  std::vector<Link>& links) {
  std::size_t from = 0;
  for (;;) {
    const std::size_t start = lower.find(prefix, from);
    if (start == std::string_view::npos) return;
    std::size_t end = start + prefix.size();
    while (end < text.size()) {
      const auto byte = static_cast<unsigned char>(text[end]);
      if (byte < 0x80) {
        if (IsUrlDelimiter(byte)) break;
        ++end;
        continue;
      }
      const std::size_t length = CharLength(byte);
      if (!StaysInUrl(CodePointAt(text, end, length))) break;
      end += length;
    }
    links.push_back({start, std::min(end, text.size())});
    from = end;
  }
}

}  // namespace

std::vector<Link> DetectLinksUtf8(std::string_view text) {
  std::vector<Link> links;
  const std::string lower = platform::AsciiLower(text);
  MarkUrlsUtf8(text, lower, "http://", links);
  MarkUrlsUtf8(text, lower, "https://", links);
  MarkUrlsUtf8(text, lower, "ftp://", links);
  MarkMailAddresses(text, TextBytes::kUtf8, links);
  return links;
}

}  // namespace viewer
