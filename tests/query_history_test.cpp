// The queries run last, and their section of "Veltra.ini".

#include "settings/query_history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/ini_profile.h"
#include "tests/temp_dir_support.h"

namespace settings {
namespace {

using Queries = std::vector<std::string>;

TEST(QueryHistoryTest, AddKeepsTheNewestFirstOnceAndTrims) {
  struct Case {
    Queries added;  // oldest first
    Queries expected;
    const char* reason;
  };
  const Case cases[] = {
      {{"a", "b", "c"}, {"c", "b", "a"}, "the most recent first"},
      {{"a", "b", "a"}, {"a", "b"}, "run again: to the front, once"},
      {{" a ", "a"}, {"a"}, "blanks at the ends do not count"},
      {{"a", "  ", ""}, {"a"}, "blanks only are no query"},
  };
  for (const Case& c : cases) {
    QueryHistory history;
    for (const std::string& q : c.added) history.Add(q);
    EXPECT_EQ(history.Items(), c.expected) << c.reason;
  }
  QueryHistory full;
  for (int i = 0; i <= static_cast<int>(kQueryHistoryLimit); ++i) full.Add("q" + std::to_string(i));
  ASSERT_EQ(full.Items().size(), kQueryHistoryLimit) << "the oldest goes past the limit";
  EXPECT_EQ(full.Items().front(), "q50");
  EXPECT_EQ(full.Items().back(), "q1");
}

TEST(QueryHistoryTest, ValuesAreAsciiAndComeBackWhole) {
  struct Case {
    std::string query;
    std::string stored;
    const char* reason;
  };
  const Case cases[] = {
      {"from:taro subject:\"a b\"", "from:taro subject:%22a b%22", "quotes would be taken off"},
      {"\xE6\x97\xA5\xE6\x9C\xAC", "%E6%97%A5%E6%9C%AC", "Japanese, as UTF-8 bytes"},
      {"\xF0\x9F\x98\x80 100%", "%F0%9F%98%80 100%25", "an emoji Shift-JIS lacks, and a percent"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EscapeQuery(c.query), c.stored) << c.reason;
    EXPECT_EQ(UnescapeQuery(c.stored), c.query) << c.reason;
  }
  for (const char* bad : {"%", "%4", "%GZ"}) EXPECT_EQ(UnescapeQuery(bad), std::nullopt) << bad;
}

TEST(QueryHistoryTest, TheSectionRoundTripsAndReadsWhatItCan) {
  const testing_support::TempDir dir;
  const platform::SystemPath path = platform::SystemPath::FromCp932(dir.Join("Veltra.ini"));
  {
    IniWriter other(path);
    other.WriteInteger("Property", "TabInfo", 2);
    for (int n = 1; n <= 5; ++n)
      other.WriteString(kQueryHistorySection, "Q" + std::to_string(n), "old");
    ASSERT_TRUE(other.Commit());
  }
  QueryHistory history;
  history.Add("\xF0\x9F\x98\x80");
  history.Add("from:\"Taro Yamada\"");
  ASSERT_TRUE(SaveQueryHistory(path, history));
  EXPECT_EQ(LoadQueryHistory(path).Items(), history.Items()) << "the keys past the last go";
  EXPECT_EQ(IniReader(path).ReadInteger("Property", "TabInfo", 0), 2) << "other sections stay";

  const IniText text("[QueryHistory]\r\nQ2=b\r\nQ1=a\r\nQ3=%ZZ\r\nQ4=a\r\nX=c\r\nQ7=d\r\n");
  EXPECT_EQ(ReadQueryHistory(text).Items(), (Queries{"a", "b", "d"}))
      << "by number, gaps and a bad value skipped, a repeat once, other keys ignored";
}

}  // namespace
}  // namespace settings
