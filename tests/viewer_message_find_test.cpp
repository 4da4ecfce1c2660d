// The find bar's occurrences: the current one moves on and back, wrapping at
// the ends, the count beside the box says which of how many it is, and the
// occurrences in view are told from the others.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "viewer/message_find.h"

namespace viewer {
namespace {

TEST(MessageFind, StepsWrapTheCountFollowsAndTheOnesInViewAreFound) {
  const TextFinder finder({"ab ab", "🍣ab"}, TextForm::kUnicode);
  MessageFind find;
  EXPECT_EQ(find.CountText(), "") << "no query yet";
  find.Search(finder, "AB");
  ASSERT_EQ(find.Matches(), (std::vector<TextRange>{{0, 2}, {3, 5}, {8, 10}}))
      << "in UTF-16 units: the emoji is two";
  struct Step {
    bool next;
    std::size_t current;
    const char* count;
    const char* why;
  };
  const Step steps[] = {
      {false, 2, "3 / 3", "back from the first is the last"},
      {true, 0, "1 / 3", "on from the last is the first"},
      {true, 1, "2 / 3", "on to the second"},
      {false, 0, "1 / 3", "and back"},
  };
  EXPECT_EQ(find.CountText(), "1 / 3") << "a search starts at the first";
  for (const Step& step : steps) {
    step.next ? find.Next() : find.Previous();
    EXPECT_EQ(find.Current(), step.current) << step.why;
    EXPECT_EQ(find.CountText(), step.count) << step.why;
  }
  const struct Shown {
    TextRange shown;
    std::pair<std::size_t, std::size_t> within;
    const char* why;
  } views[] = {
      {{0, 10}, {0, 3}, "the whole text"},
      {{1, 4}, {0, 2}, "a part of each of two"},
      {{2, 3}, {1, 1}, "between two: none"},
      {{5, 9}, {2, 3}, "the last one's first character"},
  };
  for (const Shown& view : views)
    EXPECT_EQ(find.MatchesWithin(view.shown), view.within) << view.why;
  find.Search(finder, "abc");
  EXPECT_EQ(find.Current(), std::nullopt);
  find.Next();
  EXPECT_EQ(find.CountText(), "0 / 0") << "nothing found, and stepping changes nothing";
  find.Search(finder, "");
  EXPECT_EQ(find.CountText(), "") << "an emptied box shows no count";
}

}  // namespace
}  // namespace viewer
