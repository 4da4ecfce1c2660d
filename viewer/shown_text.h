#pragma once
// The text the viewer window shows, and where its characters sit in the
// window's rich edit control. The viewer core holds the shown text as UTF-8
// with its lines joined by CR LF, and finds the links in bytes of it; the
// rich edit counts one position per UTF-16 unit (two for a character outside
// the Basic Multilingual Plane) and one per line end. ShownText converts
// between the two, so that the window only hands ranges to the control.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "viewer/link_scan.h"
#include "viewer/text_find.h"
#include "viewer/text_lines.h"

namespace viewer {

class ShownText {
 public:
  ShownText() = default;
  // `lines` in UTF-8 (TextForm::kUnicode), as MessageView holds them.
  explicit ShownText(const TextLines& lines);

  // The lines joined by CR LF.
  const std::string& Text() const { return text_; }

  // The control's position of the character holding `byte`; a byte past the
  // text gives the position of its end.
  std::size_t PositionOfByte(std::size_t byte) const;
  // The first byte of the character at the control's `position`: for the
  // second half of a surrogate pair, that of the character after it; the
  // text's size at or past its end.
  std::size_t ByteAtPosition(std::size_t position) const;
  // The control's ranges of `links` (byte ranges of the text), in their order.
  std::vector<TextRange> LinkRanges(const std::vector<Link>& links) const;

 private:
  std::string text_;
  // Per byte of text_, its control position; one more entry holds the end's.
  // 32 bits: half the memory of a size_t for a message of several megabytes.
  std::vector<std::uint32_t> position_of_byte_;
};

}  // namespace viewer
