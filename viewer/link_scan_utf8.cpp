// Link scanning over UTF-8 text: the rules of link_scan.cpp on characters.
#include <algorithm>

#include "nkf/cp932.h"
#include "nkf/nkf_decode.h"
#include "platform/text_bytes.h"
#include "viewer/link_scan.h"
#include "viewer/text_lines.h"

namespace viewer {
namespace {

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
      const nkf::Utf8Sequence character = nkf::ReadUtf8Sequence(text, end);
      if (!character.valid || !StaysInUrl(character.code_point)) break;
      end += character.length;
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
