// Finding a typed text in the viewer's message: the ranges in code points of
// the shown text, their UTF-16 form for the rich edit, and the fold, which
// must be the thread list's quick filter's.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nkf/cp932.h"
#include "thread/quick_filter.h"
#include "viewer/text_find.h"
#include "viewer/unicode_text.h"

namespace viewer {
namespace {

using Ranges = std::vector<TextRange>;

TEST(TextFinder, FindsThePhraseLeftToRightInCodePoints) {
  struct Case {
    TextLines lines;
    std::string query;
    Ranges found;
    const char* why;
  };
  const Case cases[] = {
      {{"Hello hello HELLO"}, "hELLo", {{0, 5}, {6, 11}, {12, 17}}, "ASCII letter case folds"},
      {{"ｶﾞｲﾄﾞ"}, "ガイド", {{0, 5}}, "a kana and its mark: one folded, both found"},
      {{"aaaa"}, "aa", {{0, 2}, {2, 4}}, "no overlaps: the search goes on from a match's end"},
      {{"a  b a b"}, "a b", {{5, 8}}, "blanks belong to the phrase: two are not one"},
      {{"🍣 sushi 𠮷野家 sushi"}, "sushi", {{2, 7}, {12, 17}}, "a surrogate pair is one code point"},
      {{"end of", "line"}, "of\nline", {{4, 11}}, "a line end is one character"},
      {{"abc"}, "abd", {}, "no match"},
      {{"abc"}, "", {}, "an empty query finds nothing"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TextFinder(c.lines, TextForm::kUnicode).FindAll(c.query), c.found) << c.why;
  }
}

TEST(TextFinder, RangesInUtf16UnitsCountASurrogatePairTwice) {
  const TextFinder finder({"🍣a", "𠮷b"}, TextForm::kUnicode);  // 🍣 a \n 𠮷 b
  struct Case {
    TextRange code_points;
    TextRange units;
    const char* why;
  };
  const Case cases[] = {
      {{0, 1}, {0, 2}, "the pair itself"},
      {{1, 2}, {2, 3}, "after one pair"},
      {{2, 4}, {3, 6}, "over the line end and the second pair"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(finder.ToUtf16({c.code_points}), Ranges{c.units}) << c.why;
  }
  EXPECT_EQ(finder.ToUtf16(finder.FindAll("B")), (Ranges{{6, 7}})) << "after two pairs";
}

// One line per character of Shift-JIS that folds, or could: ASCII (the blank
// included, for the ideographic space), the
// half-width katakana alone and with each mark they join, and the defined
// double-byte codes of the symbols, the full-width letters and the katakana.
TextLines ShiftJisSamples() {
  TextLines samples;
  const auto bytes = [](int first, int second = -1) {
    std::string sample(1, static_cast<char>(first));
    if (second >= 0) sample += static_cast<char>(second);
    return sample;
  };
  for (int byte = 0x20; byte <= 0x7E; ++byte) samples.push_back(bytes(byte));
  for (int kana = 0xA1; kana <= 0xDF; ++kana) {
    samples.push_back(bytes(kana));
    for (const int mark : {0xDE, 0xDF}) {
      if (nkf::JoinSoundMark(kana, mark) != 0) samples.push_back(bytes(kana, mark));
    }
  }
  for (int lead = 0x81; lead <= 0x83; ++lead) {
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (nkf::IsCp932DoubleByte(lead, trail)) samples.push_back(bytes(lead, trail));
    }
  }
  for (const char* pair : {"\xEE\xFB", "\xEE\xFC", "\xFA\x56", "\xFA\x57"}) samples.push_back(pair);
  return samples;
}

TEST(TextFinder, FoldsShiftJisTextAsTheQuickFilterFolds) {
  const TextLines samples = ShiftJisSamples();
  const TextFinder finder(samples, TextForm::kShiftJis);
  std::vector<TextRange> spans;  // each sample's line in code points
  std::size_t start = 0;
  for (const std::string& sample : samples) {
    const std::string utf8 = Cp932ToUtf8(sample);
    spans.push_back({start, start + CodePointsIn(utf8, utf8.size())});
    start = spans.back().end + 1;
  }
  for (const std::string& query : samples) {
    Ranges expected;
    for (std::size_t i = 0; i < samples.size(); ++i) {
      if (thread::FoldForFilter(samples[i]) == thread::FoldForFilter(query)) {
        expected.push_back(spans[i]);
      }
    }
    EXPECT_EQ(finder.FindAll(Cp932ToUtf8(query)), expected) << Cp932ToUtf8(query);
  }
}

}  // namespace
}  // namespace viewer
