// The query syntax: how each text is read (by its explanation), the errors it names,
// dates on a fixed clock, and the evaluation of negation, OR and groups.

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <set>
#include <string>
#include <vector>

#include "thread/search_query.h"

namespace thread {
namespace {

// 2026-03-31, days starting at UTC midnight.
std::int64_t UtcDayStart(const CivilDay& day) {
  std::int64_t y = day.year - (day.month <= 2 ? 1 : 0);
  const std::int64_t era = y / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * ((day.month + 9) % 12) + 2) / 5 + day.day - 1;
  const std::int64_t days = era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
  return days * 86400;
}

QueryClock FixedClock(CivilDay today = {2026, 3, 31}) { return {today, UtcDayStart}; }

ParsedQuery Parse(const std::string& text) { return ParseQuery(text, FixedClock()); }

TEST(SearchQueryTest, ReadsEachFormAsTheSyntaxSays) {
  struct Case {
    const char* text;
    const char* read;
    const char* why;
  };
  const Case cases[] = {
      {"taro  会議", "「taro」 かつ 「会議」", "blanks of any length split words"},
      {"a\xE3\x80\x80"
       "b",
       "「a」 かつ 「b」", "the ideographic space is a blank"},
      {"\"Taro  Yamada\"", "『Taro  Yamada』", "a phrase keeps its blanks"},
      {"from:taro SUBJECT:会議 本文：議事録",
       "差出人に「taro」 かつ 件名に「会議」 かつ 本文に「議事録」",
       "field names ignore case; aliases take the full-width colon"},
      {"from:\"Taro Yamada\" to:hanako", "差出人に『Taro Yamada』 かつ 宛先に「hanako」",
       "a field takes a phrase"},
      {R"(from:"say \"hi\" C:\\x\y")", R"(差出人に『say "hi" C:\x\y』)",
       "inside quotes a backslash escapes a quote or a backslash, and is itself before others"},
      {"nq:x file:a.pdf 添付:b 差出人:c 宛先:d 件名:e",
       "引用外の本文に「x」 かつ 添付名に「a.pdf」 かつ 添付名に「b」 かつ 差出人に「c」 かつ "
       "宛先に「d」 かつ 件名に「e」",
       "every field and alias"},
      {"Re: 10:30 http://x", "「Re:」 かつ 「10:30」 かつ 「http://x」",
       "an unknown name before a colon is a plain word"},
      {"a b OR c", "「a」 かつ (「b」 または 「c」)", "OR binds tighter than adjacency"},
      {"a OR b OR c d", "(「a」 または 「b」 または 「c」) かつ 「d」", "OR chains"},
      {"(a b) OR c", "((「a」 かつ 「b」) または 「c」)", "a group as one side of OR"},
      {"-a b", "「a」 でない かつ 「b」", "the first term may be negated"},
      {"-(a OR b)", "(「a」 または 「b」) でない", "a group negated"},
      {"--a", "「a」", "two negations cancel"},
      {"ls(1) (x)", "「ls(1)」 かつ 「x」",
       "a bracket inside a word is the word's; a group of one"},
      {"(ls(1) y)", "(「ls(1)」 かつ 「y」)", "a word's own brackets stay whole in a group"},
      {"a)", "「a)」", "a ')' with no group open is part of the word"},
      {"or a", "「or」 かつ 「a」", "only upper-case OR is the operator"},
      {"ORder", "「ORder」", "OR inside a word is the word"},
      {"is:unread -is:read HAS:attachment", "未読 かつ 既読 でない かつ 添付あり",
       "flags, keywords ignoring case"},
      {"folder:受信", "フォルダ名に「受信」", "a folder's title"},
      {"x-y", "「x-y」", "a '-' inside a word is the word's"},
      {"   ", "", "blanks only: no terms"},
  };
  for (const Case& c : cases) {
    const ParsedQuery query = Parse(c.text);
    EXPECT_TRUE(query.Ok()) << c.why << ": " << query.error;
    EXPECT_EQ(ExplainQuery(query), c.read) << c.why << " (" << c.text << ")";
  }
}

TEST(SearchQueryTest, NamesEachErrorWithTheOffendingText) {
  struct Case {
    const char* text;
    const char* error;
    const char* why;
  };
  const Case cases[] = {
      {"a \"b c", "引用符が閉じられていません：「\"b c」", "unclosed quote"},
      {"from:\"Taro", "引用符が閉じられていません：「\"Taro」", "unclosed quote after a field"},
      {"\"\"", "引用符の中が空です：「\"\"」", "an empty phrase searches nothing"},
      {"(a OR b", "括弧が閉じられていません：「(a OR b」", "a group never closed"},
      {"a ()", "括弧の中が空です：「()」", "an empty group"},
      {"date:2026-13-45",
       "「date:2026-13-45」の値が読めません（2026-03-14, 2026-03, 2026, 2026-01..2026-03, 7d 3w 2m "
       "1y）",
       "no such month"},
      {"date:2026-02-30",
       "「date:2026-02-30」の値が読めません（2026-03-14, 2026-03, 2026, 2026-01..2026-03, 7d 3w 2m "
       "1y）",
       "no such day in the month"},
      {"date:..",
       "「date:..」の値が読めません（2026-03-14, 2026-03, 2026, 2026-01..2026-03, 7d 3w 2m 1y）",
       "a range open at both ends"},
      {"date:2026-03..2026-01", "「date:2026-03..2026-01」の範囲の始めが終わりより後です",
       "a range backwards"},
      {"after:7d", "「after:7d」の値が読めません（2026-03-14, 2026-03, 2026）",
       "after: takes a day, not an age"},
      {"is:maybe", "「is:maybe」の値が読めません（unread か read）", "unknown is: value"},
      {"has:x", "「has:x」の値が読めません（attachment）", "unknown has: value"},
      {"a from:", "「from:」の後に値がありません", "a field at the end"},
      {"from: x", "「from:」の後に値がありません", "a blank after the colon"},
      {"(件名：)", "「件名：」の後に値がありません", "a field closed by its group"},
      {"OR a", "「OR」の前に語がありません", "OR first"},
      {"a OR", "「OR」の後に語がありません", "OR last"},
      {"(a OR)", "「OR」の後に語がありません", "OR last in a group"},
      {"a OR OR b", "「OR」の後に語がありません", "OR twice"},
      {"a -", "「-」の後に語がありません", "a lone minus"},
  };
  for (const Case& c : cases) {
    const ParsedQuery query = Parse(c.text);
    EXPECT_EQ(query.error, c.error) << c.why << " (" << c.text << ")";
    EXPECT_TRUE(query.Empty()) << c.why;
    EXPECT_EQ(ExplainQuery(query), query.error) << c.why;
  }
}

TEST(SearchQueryTest, DatesBecomeDayBoundsOnTheClock) {
  struct Case {
    CivilDay today;
    const char* text;
    const char* read;
    std::optional<CivilDay> from;    // the day whose start is the lower bound
    std::optional<CivilDay> before;  // the day whose start is the upper bound
    const char* why;
  };
  const CivilDay kToday{2026, 3, 31};
  const Case cases[] = {
      {kToday, "date:2026-03-14", "日付 2026-03-14〜2026-03-14", CivilDay{2026, 3, 14},
       CivilDay{2026, 3, 15}, "a day"},
      {kToday, "date:2026/02", "日付 2026-02-01〜2026-02-28", CivilDay{2026, 2, 1},
       CivilDay{2026, 3, 1}, "a month with a slash"},
      {kToday, "date:2024", "日付 2024-01-01〜2024-12-31", CivilDay{2024, 1, 1},
       CivilDay{2025, 1, 1}, "a year"},
      {kToday, "date:2026-01..2026-03", "日付 2026-01-01〜2026-03-31", CivilDay{2026, 1, 1},
       CivilDay{2026, 4, 1}, "a range includes both ends' days"},
      {kToday, "date:2026-01..", "日付 2026-01-01〜", CivilDay{2026, 1, 1}, std::nullopt,
       "open end"},
      {kToday, "date:..2026-03", "日付 〜2026-03-31", std::nullopt, CivilDay{2026, 4, 1},
       "open start"},
      {kToday, "date:0d", "日付 2026-03-31〜", CivilDay{2026, 3, 31}, std::nullopt, "today"},
      {kToday, "date:7d", "日付 2026-03-24〜", CivilDay{2026, 3, 24}, std::nullopt, "days"},
      {kToday, "date:3W", "日付 2026-03-10〜", CivilDay{2026, 3, 10}, std::nullopt, "weeks"},
      {kToday, "date:1m", "日付 2026-02-28〜", CivilDay{2026, 2, 28}, std::nullopt,
       "a month back clamps Mar 31 to Feb 28"},
      {{2024, 3, 31},
       "date:1m",
       "日付 2024-02-29〜",
       CivilDay{2024, 2, 29},
       std::nullopt,
       "to Feb 29 in a leap year"},
      {{2026, 1, 15},
       "date:2m",
       "日付 2025-11-15〜",
       CivilDay{2025, 11, 15},
       std::nullopt,
       "months across the year"},
      {{2024, 2, 29},
       "date:1y",
       "日付 2023-02-28〜",
       CivilDay{2023, 2, 28},
       std::nullopt,
       "a year back from Feb 29"},
      {{2026, 1, 3},
       "date:7d",
       "日付 2025-12-27〜",
       CivilDay{2025, 12, 27},
       std::nullopt,
       "days across the year"},
      {kToday, "after:2026-03-01", "日付 2026-03-01〜", CivilDay{2026, 3, 1}, std::nullopt,
       "after: includes its day"},
      {kToday, "before:2026-03-01", "日付 〜2026-02-28", std::nullopt, CivilDay{2026, 3, 1},
       "before: excludes its day"},
  };
  for (const Case& c : cases) {
    const ParsedQuery query = ParseQuery(c.text, FixedClock(c.today));
    ASSERT_TRUE(query.Ok()) << c.why << ": " << query.error;
    ASSERT_EQ(query.root.children.size(), 1u) << c.why;
    const QueryNode& date = query.root.children[0];
    EXPECT_EQ(ExplainQuery(query), c.read) << c.why;
    const auto stamp = [](const std::optional<CivilDay>& day) {
      return day ? std::optional<std::int64_t>(UtcDayStart(*day)) : std::nullopt;
    };
    EXPECT_EQ(date.from_stamp, stamp(c.from)) << c.why;
    EXPECT_EQ(date.before_stamp, stamp(c.before)) << c.why;
  }
}

TEST(SearchQueryTest, EvaluatesNegationOrAndGroups) {
  struct Case {
    const char* text;
    std::set<std::string> words;  // the words a message holds
    bool holds;
    const char* why;
  };
  const Case cases[] = {
      {"a b", {"a"}, false, "adjacent terms all hold"},
      {"a b", {"a", "b"}, true, "both present"},
      {"a b OR c", {"a", "c"}, true, "a with the OR's other side"},
      {"a b OR c", {"b", "c"}, false, "OR does not reach past adjacency"},
      {"-a", {"b"}, true, "a negated first term"},
      {"-a", {"a"}, false, "a negated term present"},
      {"-(a OR b)", {"b"}, false, "a negated group"},
      {"-(a OR b)", {"c"}, true, "neither of a negated group"},
      {"(a b) OR c", {"a", "b"}, true, "a group's terms all hold"},
      {"(a b) OR c", {"a"}, false, "half a group"},
      {"-a OR b", {"a", "b"}, true, "negation binds to its term, not the OR"},
      {"", {}, true, "no terms hold always"},
  };
  for (const Case& c : cases) {
    const ParsedQuery query = Parse(c.text);
    ASSERT_TRUE(query.Ok()) << c.why;
    const bool holds =
        Evaluate(query.root, [&](const QueryNode& leaf) { return c.words.count(leaf.text) > 0; });
    EXPECT_EQ(holds, c.holds) << c.why << " (" << c.text << ")";
  }
}

TEST(SearchQueryTest, VisitsLeavesInOrderWithTheirSign) {
  const ParsedQuery query = Parse("a -(b OR -c) -date:2026 is:unread");
  std::string seen;
  ForEachLeaf(query.root, [&](const QueryNode& leaf, bool positive) {
    seen += (positive ? "+" : "-") + (leaf.text.empty() ? std::string("?") : leaf.text) + " ";
  });
  EXPECT_EQ(seen, "+a -b +c -? +? ");
}

TEST(SearchQueryTest, DerivesTheFoldedShiftJisFormOfTexts) {
  struct Case {
    const char* text;
    std::optional<std::string> folded;
    const char* why;
  };
  const Case cases[] = {
      {"ＡＢc", "abc", "full-width letters fold to lower-case ASCII"},
      {"会議", "\x89\xEF\x8B\x63", "kanji in Shift-JIS"},
      {"\xEF\xBD\xB6\xEF\xBE\x9E", "\x83\x4B", "half-width ka with its mark joins to ガ"},
      {"caf\xC3\xA9", std::nullopt, "é has no Shift-JIS form"},
  };
  for (const Case& c : cases) {
    const ParsedQuery query = Parse(std::string("\"") + c.text + "\"");
    ASSERT_TRUE(query.Ok()) << c.why;
    const QueryNode& leaf = query.root.children[0];
    EXPECT_EQ(leaf.text, c.text) << c.why << ": the text is kept as typed";
    EXPECT_EQ(leaf.sjis_folded, c.folded) << c.why;
  }
}

TEST(SearchQueryTest, AsksTheIndexOnlyForWhatARowDoesNotHold) {
  struct Case {
    const char* text;
    bool body_search;
    bool asked;
    const char* why;
  };
  const Case cases[] = {
      {"a", false, false, "a bare word is the row's"},
      {"a", true, true, "unless the text is searched too"},
      {"subject:a", true, false, "the subject is the row's"},
      {"from:a", false, true, "the sender's address is not the row's"},
      {"to:a", false, true, "To is not the row's"},
      {"nq:a", false, true, "the text is not the row's"},
      {"folder:a", true, false, "the folder is the list's"},
      {"is:unread", true, false, "the flag is the row's"},
  };
  for (const Case& c : cases) {
    const ParsedQuery query = Parse(c.text);
    ASSERT_TRUE(query.Ok()) << c.why;
    EXPECT_EQ(AskedOfIndex(query.root.children[0], c.body_search), c.asked) << c.why;
  }
}

TEST(SearchQueryTest, LocalClockTodayStartedWithinTheLastDay) {
  const QueryClock clock = LocalQueryClock();
  const std::int64_t now = std::time(nullptr);
  const std::int64_t start = clock.day_start(clock.today);
  EXPECT_LE(start, now);
  EXPECT_LT(now - start, 25 * 3600) << "a day is at most 25 hours, summer time included";
}

}  // namespace
}  // namespace thread
