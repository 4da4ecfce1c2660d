// The folding and the tokens of the full-text index: the quick filter's folding carried
// over to UTF-8, the character pairs of a text, and the queries made of them.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "search/fold.h"
#include "search/tokens.h"
#include "thread/quick_filter.h"
#include "viewer/unicode_text.h"

namespace search {
namespace {

TEST(SearchFoldTest, FoldsAsTheQuickFilterRulesSay) {
  struct Case {
    const char* text;
    const char* folded;
    const char* why;
  } const cases[] = {
      {"Hello WORLD", "hello world", "ASCII letters to lower case"},
      {"ＡＢＣ１２３！", "abc123!", "full-width ASCII to ASCII, then lower case"},
      {"ａ～｛", "a~{", "the ends of the full-width range"},
      {"会議\u3000資料", "会議 資料", "the ideographic space is a blank"},
      {"ｶﾞｷﾞﾊﾟｳﾞ", "ガギパヴ", "half-width kana joined with their sound marks"},
      {"ｱﾞｶﾟ", "ア゛カ゜", "a mark no letter takes stays a spacing mark"},
      {"ｰ｡｢｣", "ー。「」", "half-width punctuation to full-width"},
      {"ひらがなカタカナ", "ひらがなカタカナ", "hiragana and katakana stay distinct"},
      {"🍣𠮷①é", "🍣𠮷①é", "characters beyond Shift-JIS are kept"},
      {"a\xff\xc3z", "a\uFFFD\uFFFDz", "each broken UTF-8 sequence is one U+FFFD"},
  };
  for (const Case& c : cases) EXPECT_EQ(Fold(c.text), c.folded) << c.why;
}

// The index must fold exactly as the quick filter does, or a word the box finds in a
// subject would be missed by the text search (or the other way round). Random Shift-JIS
// texts drawn from the characters the folding treats specially and their neighbours.
TEST(SearchFoldTest, AgreesWithTheQuickFilterOnShiftJisText) {
  std::mt19937 random(26);
  const std::vector<std::string> pieces = {
      "A",        "z",        " ",        "\x81\x40", "\x82\x60", "\x82\x9a",
      "\x82\x4f", "\x81\x60", "\x81\x7c", "\x81\x5f", "\xb6",     "\xde",
      "\xdf",     "\xca",     "\xb3",     "\xa1",     "\x82\xa0", "\x83\x41",
      "\x88\x9f", "\xfa\x56", "\xee\xfc", "\x81\x5e", "\x81\x50", "~"};
  for (int round = 0; round < 2000; ++round) {
    std::string sjis;
    const int length = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < length; ++i) sjis += pieces[random() % pieces.size()];
    EXPECT_EQ(Fold(viewer::Cp932ToUtf8(sjis)), viewer::Cp932ToUtf8(thread::FoldForFilter(sjis)))
        << "for the Shift-JIS text of round " << round;
  }
}

TEST(SearchFoldTest, QueryIsFoldedAndSplitAtBlanks) {
  EXPECT_EQ(QueryWords("  Ｍｅｅｔｉｎｇ\u3000会議\tﾃｽﾄ "),
            (std::vector<std::string>{"meeting", "会議", "テスト"}));
  EXPECT_TRUE(QueryWords(" \u3000\t").empty());
}

// The tokens of `folded`, "^" before the first of a run.
std::vector<std::string> Tokens(std::string_view folded) {
  std::vector<std::string> tokens;
  ForEachToken(folded, [&](std::string_view token, bool run_start) {
    tokens.push_back((run_start ? "^" : "") + std::string(token));
    return 0;
  });
  return tokens;
}

TEST(SearchTokensTest, AsciiWordsByPairsFromTheirStartsAnyOtherCharacterAlone) {
  struct Case {
    const char* folded;
    std::vector<std::string> tokens;
    const char* why;
  } const cases[] = {
      {"東京都", {"^東", "京", "都"}, "Japanese: one character each, the run's first marked"},
      {"pages", {"^pa", "ge", "s"}, "ASCII: pairs that do not overlap, the last alone"},
      {"ab  cd\n", {"^ab", "^cd"}, "each run's first marked, no token for the blanks"},
      {"会議mtg", {"^会", "議", "mt", "g"}, "a word's pairs start after Japanese"},
      {"man-pages", {"^ma", "n", "-", "pa", "ge", "s"}, "and after punctuation"},
      {"x🍣y", {"^x", "🍣", "y"}, "other characters stand alone"},
      {"\x01\x01", {"^\x01", "\x01"}, "a control character alone, marked as any other"},
      {"", {}, "an empty text has no token"},
  };
  for (const Case& c : cases) EXPECT_EQ(Tokens(c.folded), c.tokens) << c.why;
}

}  // namespace
}  // namespace search
