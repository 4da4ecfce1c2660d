// Where the shown text's bytes sit in the rich edit: checked against an
// obvious count (the UTF-16 units of the text before a byte, a CR LF counted
// once) at every character of texts that hold each kind of character.

#include <gtest/gtest.h>

#include <string>

#include "viewer/shown_text.h"
#include "viewer/unicode_text.h"

namespace viewer {
namespace {

// The control's position of the character starting at `byte`, counted plainly.
std::size_t CountedPosition(const std::string& text, std::size_t byte) {
  const std::string before = text.substr(0, byte);
  std::size_t line_ends = 0;
  for (std::size_t at = before.find("\r\n"); at != std::string::npos;
       at = before.find("\r\n", at + 2)) {
    ++line_ends;
  }
  return Utf8ToUtf16(before).size() - line_ends;
}

bool StartsCharacter(const std::string& text, std::size_t byte) {
  if (byte > 0 && text[byte - 1] == '\r' && text[byte] == '\n') return false;
  return (static_cast<unsigned char>(text[byte]) & 0xC0) != 0x80;
}

TEST(ShownText, PositionsAreTheControlsBothWays) {
  const struct Case {
    TextLines lines;
    const char* why;
  } cases[] = {
      {{"plain ASCII", "two lines"}, "a CR LF is one position"},
      {{"今日は café", "ｶﾞｲﾄﾞ"}, "two- and three-byte characters are one each"},
      {{"🍣 and 𠮷野家", "after"}, "a four-byte character is a surrogate pair, two positions"},
      {{"", "", "x\ry\nz"}, "empty lines; a lone CR or LF is a character of its own"},
  };
  for (const Case& c : cases) {
    const ShownText shown(c.lines);
    const std::string& text = shown.Text();
    ASSERT_EQ(text, JoinLines(c.lines)) << c.why;
    std::size_t start = 0;  // the first byte of the character holding `byte`
    for (std::size_t byte = 0; byte < text.size(); ++byte) {
      if (StartsCharacter(text, byte)) start = byte;
      const std::size_t position = CountedPosition(text, start);
      EXPECT_EQ(shown.PositionOfByte(byte), position) << c.why << ", byte " << byte;
      EXPECT_EQ(shown.ByteAtPosition(position), start) << c.why << ", byte " << byte;
    }
    const std::size_t end = CountedPosition(text, text.size());
    EXPECT_EQ(shown.PositionOfByte(text.size() + 5), end) << c.why;
    EXPECT_EQ(shown.ByteAtPosition(end + 5), text.size()) << c.why;
  }
}

}  // namespace
}  // namespace viewer
