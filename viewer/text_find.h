#pragma once
// Finding a typed text in the message the viewer shows. The typed text is one
// phrase, blanks included (not words, as in the thread list's quick filter),
// but both sides are folded as the quick filter folds them: ASCII letters to
// lower case, full-width ASCII to ASCII, the ideographic space to a blank,
// half-width katakana to full-width with a voiced or semi-voiced mark joined to
// the kana before it where one character exists for the pair.
//
// Positions count code points of the shown lines joined by one line end each
// (what `message --utf8` prints, and what the rich edit counts, whose line end
// is one position too). The rich edit counts UTF-16 units, so a character
// outside the Basic Multilingual Plane is two there: ToUtf16 converts.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/message_view.h"
#include "viewer/text_lines.h"

namespace viewer {

// [start, end) in code points (or, after ToUtf16, in UTF-16 units).
struct TextRange {
  std::size_t start = 0;
  std::size_t end = 0;
  bool operator==(const TextRange&) const = default;
};

// The shown text folded once, then searched for every typed character.
class TextFinder {
 public:
  TextFinder() = default;
  // `lines` in `form` (Shift-JIS bytes or UTF-8), as MessageView holds them.
  TextFinder(const TextLines& lines, TextForm form);

  // Every occurrence of `query` (UTF-8), left to right; after an occurrence
  // the search goes on from its end, so none overlap. An occurrence covers
  // whole characters of the shown text: a kana and its mark that fold into one
  // character are both in it. An empty query has none.
  std::vector<TextRange> FindAll(std::string_view query) const;

  // Ranges in code points of this text to UTF-16 units.
  std::vector<TextRange> ToUtf16(std::vector<TextRange> ranges) const;

 private:
  std::u32string folded_;
  // Per character of folded_, the code point of the shown text it starts at;
  // one more entry holds the text's length. 32 bits: half the memory of a
  // size_t for a message of several megabytes.
  std::vector<std::uint32_t> origin_;
  // The code points of the shown text outside the Basic Multilingual Plane, ascending.
  std::vector<std::uint32_t> astral_;
};

}  // namespace viewer
