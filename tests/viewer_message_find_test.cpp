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

// The query of a search highlighted in a message opened from its hits: each
// word on its own, wherever it is, overlapping ones as one range; none of
// them current until a step, which goes to the first (back: to the last).
TEST(MessageFind, EachWordOfAQueryIsFoundAndOverlapsAreJoined) {
  const TextFinder finder({"the cat sat", "🍣 catalog"}, TextForm::kUnicode);
  const struct Case {
    std::vector<std::string> words;
    std::vector<TextRange> matches;  // UTF-16 units
    const char* why;
  } cases[] = {
      {{"sat", "cat"}, {{4, 7}, {8, 11}, {15, 18}}, "left to right whatever the words' order"},
      {{"CAT", "zzz"}, {{4, 7}, {15, 18}}, "a missing word is no bar"},
      {{"cat", "atal"}, {{4, 7}, {15, 20}}, "overlapping occurrences are one range"},
      {{"at", "at"}, {{5, 7}, {9, 11}, {16, 18}}, "a word twice is found once"},
      {{}, {}, "no word, no occurrence"},
  };
  for (const Case& c : cases) {
    MessageFind find;
    find.SearchWords(finder, c.words);
    EXPECT_EQ(find.Matches(), c.matches) << c.why;
  }
  MessageFind none;
  none.SearchWords(finder, {});
  EXPECT_EQ(none.CountText(), "") << "no count for nothing to look for";
  const struct Step {
    bool next;
    const char* count;
    const char* why;
  } steps[] = {
      {true, "1 / 3", "on from none: the first"},
      {false, "3 / 3", "back from none: the last"},
  };
  for (const Step& step : steps) {
    MessageFind find;
    find.SearchWords(finder, {"cat", "sat"});
    EXPECT_EQ(find.Current(), std::nullopt) << step.why;
    EXPECT_EQ(find.CountText(), "? / 3") << step.why;
    step.next ? find.Next() : find.Previous();
    EXPECT_EQ(find.CountText(), step.count) << step.why;
  }
}

}  // namespace
}  // namespace viewer
