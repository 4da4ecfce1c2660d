// What each input code's special sequences become: ISO-2022-JP escapes and shifts, EUC-JP SS2
// and SS3, UTF-8 byte-order marks and characters outside CP932, and broken sequences.

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <string_view>

#include "nkf/nkf_convert.h"

namespace {

using nkf::ConvertToShiftJis;
using nkf::DetectInputCode;
using nkf::InputCode;

struct Case {
  const char* why;
  std::string_view input;
  std::string_view shift_jis;
};

void ExpectConversions(const Case* begin, const Case* end, InputCode code) {
  for (const Case* c = begin; c != end; ++c) {
    SCOPED_TRACE(c->why);
    EXPECT_EQ(DetectInputCode(c->input), code);
    EXPECT_EQ(ConvertToShiftJis(c->input), c->shift_jis);
  }
}

TEST(NkfCodes, JisEscapesKatakanaAndBrokenSequences) {
  // clang-format off
  const Case cases[] = {
      // Escapes select the character sets and vanish.
      {"ESC $ B kanji then ESC ( B", "\x1B$B$\"$$\x1B(Bok", "\x82\xA0\x82\xA2ok"},  // あいok
      {"old ESC $ @ designation", "\x1B$@F|K\\\x1B(B", "\x93\xFA\x96\x7B"},          // 日本
      {"ESC ( J roman set reads as ASCII", "\x1B$B$\"\x1B(Jabc", "\x82\xA0" "abc"},
      {"revision announcer ESC & @ writes nothing", "\x1B&@\x1B$B$\"\x1B(B", "\x82\xA0"},
      {"a line end keeps the kanji set", "\x1B$B$\"\r\n$$\x1B(B", "\x82\xA0\r\n\x82\xA2"},
      {"an unknown escape passes through", "\x1B$B$\"\x1B(B\x1B[mx", "\x82\xA0\x1B[mx"},
      {"JIS X 0208 row NEC 13 maps as CP932", "\x1B$B-!\x1B(B", "\x87\x40"},  // ①
      // Half-width katakana, by escape, shift or 8-bit byte, come out full-width (ｱｲｳ: アイウ).
      {"ESC ( I", "\x1B(I123\x1B(B", "\x83\x41\x83\x43\x83\x45"},
      {"SO/SI after ESC ) I", "\x1B)I\x0E" "123\x0F" "a", "\x83\x41\x83\x43\x83\x45" "a"},
      {"8-bit katakana byte in JIS text", "\x1B(B\xB1", "\x83\x41"},
      {"ESC ( I after kanji", "\x1B$B$\"\x1B(I1\x1B(B", "\x82\xA0\x83\x41"},
      {"bytes 0x60-0x7E are no katakana", "\x1B(I`\x1B(B", "\x81\xAC"},
      // JIS X 0212 characters are dropped.
      {"ESC $ ( D pair", "\x1B$(D0!\x1B(B", ""},
      {"JIS X 0212 between JIS X 0208", "\x1B$B$\"\x1B$(D0!0\"\x1B$B$$\x1B(B",
       "\x82\xA0\x82\xA2"},
      // A broken sequence becomes one geta mark.
      {"odd byte before the return to ASCII", "\x1B$B$\"$\x1B(Bx", "\x82\xA0\x81\xAC" "x"},
      {"undefined JIS X 0208 cell", "\x1B$B)!\x1B(B", "\x81\xAC"},
      {"8-bit byte that is no katakana", "\x1B(B\x80x", "\x81\xAC" "x"},
  };
  // clang-format on
  ExpectConversions(std::begin(cases), std::end(cases), InputCode::Jis);
}

TEST(NkfCodes, EucJpSpecialAndBrokenSequences) {
  // Each case follows a greeting so that the text reads as EUC-JP despite a broken sequence.
  const std::string greeting_euc = "\xA4\xB3\xA4\xF3\xA4\xCB\xA4\xC1\xA4\xCF\r\n";  // こんにちは
  const std::string greeting_sjis = "\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD\r\n";
  // clang-format off
  const Case cases[] = {
      {"SS2 ｱﾞ: ア and a lone ゛, as ｱ takes no mark", "\x8E\xB1\x8E\xDE", "\x83\x41\x81\x4A"},
      {"SS3 JIS X 0212 is dropped", "\x8F\xB0\xA1", ""},
      {"NEC row 13", "\xAD\xA1", "\x87\x40"},                                    // ①
      {"NEC-selected IBM row takes the IBM code", "\xF9\xA1", "\xFA\x5C"},        // 纊
      {"SS2 without a katakana byte", "\x8E" "a", "\x81\xAC" "a"},
      {"SS3 cut short", "\x8F\xB0" "a", "\x81\xAC\x81\xAC" "a"},
      {"lone lead byte before ASCII", "\xA4" "a", "\x81\xAC" "a"},
      {"undefined row", "\xA9\xA1", "\x81\xAC"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    const std::string input = greeting_euc + greeting_euc + std::string(c.input);
    EXPECT_EQ(DetectInputCode(input), InputCode::EucJp);
    EXPECT_EQ(ConvertToShiftJis(input), greeting_sjis + greeting_sjis + std::string(c.shift_jis));
  }
}

TEST(NkfCodes, Utf8MarksMappingsAndBrokenSequences) {
  // clang-format off
  const Case cases[] = {
      // A byte-order mark is dropped.
      {"BOM before ASCII only", "\xEF\xBB\xBFplain\r\n", "plain\r\n"},
      {"BOM alone", "\xEF\xBB\xBF", ""},
      {"U+FEFF inside the text", "\xE3\x81\x82\xEF\xBB\xBF\xE3\x81\x84", "\x82\xA0\x82\xA2"},
      // Characters map as CP932 maps them; each follows あい so that the text is no valid Shift-JIS.
      {"wave dash U+301C", "\xE3\x81\x82\xE3\x81\x84\xE3\x80\x9C", "\x82\xA0\x82\xA2\x81\x60"},
      {"full-width tilde U+FF5E", "\xE3\x81\x82\xE3\x81\x84\xEF\xBD\x9E", "\x82\xA0\x82\xA2\x81\x60"},
      {"minus sign U+2212", "\xE3\x81\x82\xE3\x81\x84\xE2\x88\x92", "\x82\xA0\x82\xA2\x81\x7C"},
      {"circled digit one (NEC)", "\xE3\x81\x82\xE3\x81\x84\xE2\x91\xA0", "\x82\xA0\x82\xA2\x87\x40"},
      {"small roman one: IBM code, not NEC-selected", "\xE3\x81\x82\xE3\x81\x84\xE2\x85\xB0", "\x82\xA0\x82\xA2\xFA\x40"},
      {"because: JIS row, not NEC row", "\xE3\x81\x82\xE3\x81\x84\xE2\x88\xB5", "\x82\xA0\x82\xA2\x81\xE6"},
      {"not sign U+FFE2", "\xE3\x81\x82\xE3\x81\x84\xEF\xBF\xA2", "\x82\xA0\x82\xA2\x81\xCA"},
      {"half-width katakana ｱ: full-width ア", "\xE3\x81\x82\xE3\x81\x84\xEF\xBD\xB1", "\x82\xA0\x82\xA2\x83\x41"},
      {"yen sign becomes 0x5C", "\xE3\x81\x82\xE3\x81\x84\xC2\xA5", "\x82\xA0\x82\xA2\x5C"},
      // Characters without a CP932 form are dropped.
      {"e acute", "\xE3\x81\x82 caf\xC3\xA9", "\x82\xA0 caf"},
      {"hangul", "\xE3\x81\x82\xE3\x81\x84\xED\x95\x9C", "\x82\xA0\x82\xA2"},
      {"emoji, four bytes", "\xE3\x81\x82\xF0\x9F\x98\x80!", "\x82\xA0!"},
      // Broken sequences become geta marks.
      {"cut three-byte sequence", "\xEF\xBB\xBF\xE3\x81x", "\x81\xAC" "x"},
      {"stray continuation byte", "\xEF\xBB\xBF\x80x", "\x81\xAC" "x"},
      {"overlong slash", "\xEF\xBB\xBF\xC0\xAF", "\x81\xAC\x81\xAC"},
      {"encoded surrogate", "\xEF\xBB\xBF\xED\xA0\x80", "\x81\xAC\x81\xAC\x81\xAC"},
      {"past U+10FFFF", "\xEF\xBB\xBF\xF4\x90\x80\x80", "\x81\xAC\x81\xAC\x81\xAC\x81\xAC"},
      {"cut at the end of the text", "\xEF\xBB\xBF\xE3\x81\x82\xE3\x81", "\x82\xA0\x81\xAC"},
  };
  // clang-format on
  ExpectConversions(std::begin(cases), std::end(cases), InputCode::Utf8);
}

TEST(NkfCodes, ShiftJisExtensionsAndOddBytesStayUnchanged) {
  const std::string_view cases[] = {
      "\x87\x40\x87\x8A\xFA\x40\xFA\x5C",  // ①㈱ⅰ纊: NEC and IBM extensions
      "\x82\xA0\xF0\x40",                  // あ + user-defined character
      "\x82\xA0\x82",                      // あ + lead byte cut by the end of the text
      "\x82\xA0\x80\xA0\xFD\xFF",          // あ + bytes that are no Shift-JIS
  };
  for (std::string_view text : cases) {
    EXPECT_EQ(DetectInputCode(text), InputCode::ShiftJis);
    EXPECT_EQ(ConvertToShiftJis(text), text);
  }
}

}  // namespace
