#include "viewer/link_scan.h"

#include <cstring>

#include "platform/text_bytes.h"
#include "viewer/text_lines.h"

namespace viewer {

bool IsUrlDelimiter(unsigned char byte) {
  switch (byte) {
    case ' ': case '\r': case '\n': case '\t': case '(': case ')': case '<':
    case '>': case '[': case ']': case '*': case '"': case '\'':
      return true;
    default:
      return false;
  }
}

bool IsAddressCharacter(unsigned char byte) {
  return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
         (byte >= '0' && byte <= '9') || byte == '-' || byte == '_' || byte == '.';
}

namespace {

// True when the byte at `pos` is the second byte of a double-byte character.
// Bytes of the lead range can be second bytes too, so the byte before `pos`
// being one decides nothing alone: the run of lead-range bytes ending there
// alternates first and second bytes from its start (a byte outside the range
// always ends a character), so `pos` is a second byte when the run is odd.
bool IsSecondByte(std::string_view text, std::size_t pos) {
  std::size_t run = 0;
  while (run < pos && platform::IsSjisLeadByte(static_cast<unsigned char>(text[pos - 1 - run])))
    ++run;
  return run % 2 == 1;
}

}  // namespace

// The scans continue after each link until nothing more is found. (Stopping once
// the rest of the text is a single character changes nothing: no link fits.)

void MarkUrls(std::string_view lower, std::string_view prefix, std::vector<Link>& links) {
  std::size_t from = 0;
  for (;;) {
    const std::size_t start = lower.find(prefix, from);
    if (start == std::string_view::npos) return;
    // The prefix itself holds no delimiter or lead byte, so the walk may start
    // right after it.
    std::size_t end = start + prefix.size();
    while (end < lower.size()) {
      const auto byte = static_cast<unsigned char>(lower[end]);
      if (IsUrlDelimiter(byte) || platform::IsSjisLeadByte(byte)) break;
      ++end;
    }
    links.push_back({start, end});
    from = end;
  }
}

void MarkMailAddresses(std::string_view text, TextBytes bytes, std::vector<Link>& links) {
  const char* const data = text.data();
  std::size_t from = 0;
  while (from < text.size()) {
    const void* found = std::memchr(data + from, '@', text.size() - from);
    if (found == nullptr) return;
    const std::size_t at = static_cast<const char*>(found) - data;

    std::size_t end = at + 1;
    while (end < text.size() && IsAddressCharacter(static_cast<unsigned char>(text[end]))) ++end;
    std::size_t start = at;
    while (start > 0 && IsAddressCharacter(static_cast<unsigned char>(text[start - 1]))) --start;
    // When the walk stopped on the first byte of a double-byte character, the
    // address character after it is that character's second byte.
    if (bytes == TextBytes::kShiftJis && start < at && IsSecondByte(text, start)) ++start;
    if (end == at + 1 || start == at) {  // no address character on one side
      from = at + 1;
      continue;
    }
    links.push_back({start, end});
    from = end;
  }
}

std::vector<Link> DetectLinks(std::string_view text) {
  std::vector<Link> links;
  const std::string lower = platform::AsciiLower(text);
  MarkUrls(lower, "http://", links);
  MarkUrls(lower, "https://", links);
  MarkUrls(lower, "ftp://", links);
  MarkMailAddresses(text, TextBytes::kShiftJis, links);
  return links;
}

}  // namespace viewer
