#include "viewer/shown_text.h"

#include <algorithm>

namespace viewer {

ShownText::ShownText(const TextLines& lines) : text_(JoinLines(lines)) {
  position_of_byte_.assign(text_.size() + 1, 0);
  std::uint32_t position = 0;
  for (std::size_t byte = 0; byte < text_.size();) {
    const auto c = static_cast<unsigned char>(text_[byte]);
    // A CR LF line end is one position, a UTF-8 sequence one UTF-16 unit, or
    // two (a surrogate pair) for its four-byte form.
    const bool line_end = c == '\r' && byte + 1 < text_.size() && text_[byte + 1] == '\n';
    std::size_t length = 1;
    if (line_end) {
      length = 2;
    } else if (c >= 0xC0) {
      length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
    }
    length = std::min(length, text_.size() - byte);
    std::fill_n(position_of_byte_.begin() + static_cast<std::ptrdiff_t>(byte), length, position);
    byte += length;
    position += c >= 0xF0 ? 2 : 1;
  }
  position_of_byte_.back() = position;
}

std::size_t ShownText::PositionOfByte(std::size_t byte) const {
  if (position_of_byte_.empty()) return 0;
  return position_of_byte_[std::min(byte, position_of_byte_.size() - 1)];
}

std::size_t ShownText::ByteAtPosition(std::size_t position) const {
  const auto at = std::lower_bound(position_of_byte_.begin(), position_of_byte_.end(), position);
  return std::min(static_cast<std::size_t>(at - position_of_byte_.begin()), text_.size());
}

std::vector<TextRange> ShownText::LinkRanges(const std::vector<Link>& links) const {
  std::vector<TextRange> ranges;
  ranges.reserve(links.size());
  for (const Link& link : links) {
    ranges.push_back({PositionOfByte(link.start), PositionOfByte(link.end)});
  }
  return ranges;
}

}  // namespace viewer
