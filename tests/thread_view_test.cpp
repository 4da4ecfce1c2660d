// The thread list as a view: the filter's fold and matching, whole threads in
// list order, collapsed threads and their counts, rows and nodes after
// removals, and the unread moves through collapsed and filtered threads.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "thread/quick_filter.h"
#include "thread/row_view.h"
#include "thread/search_query.h"
#include "viewer/unicode_text.h"

namespace thread {
namespace {

// The box's Shift-JIS text read as the window reads it, on a fixed clock.
ParsedQuery Query(std::string_view sjis) {
  return ParseQuery(viewer::Cp932ToUtf8(sjis),
                    {{2026, 3, 31}, [](const CivilDay& day) { return std::int64_t{day.day}; }});
}

// The index's one answer as the hits of a one-word query searched too; no answer as the
// subject and sender alone.
std::vector<std::vector<std::string>> HitsOf(const std::vector<std::string>& hits) {
  if (hits.empty()) return {};
  return {hits};
}

struct Message {
  int depth;
  std::string subject;
  std::string sender;
  bool unread = false;
};

// A list of the messages in order, named "m0", "m1"...; shown in a view.
class ViewedList {
 public:
  explicit ViewedList(const std::vector<Message>& messages, std::int32_t ml_string_delete = 0,
                      CollapsedThreads collapsed = {}) {
    ThreadNode* last = nullptr;
    for (std::size_t i = 0; i < messages.size(); ++i) {
      ThreadNode* node = NewThreadNode();
      const std::string name = "m" + std::to_string(i);
      std::copy(name.begin(), name.end(), node->Name.begin());
      node->Depth = messages[i].depth;
      node->Subject = node->Keep(messages[i].subject);
      node->Sender = node->Keep(messages[i].sender);
      if (messages[i].unread) node->StatusBlock[3] = 0x40;
      if (last == nullptr) {
        list_.Reset(node);
      } else {
        AppendNode(last, node);
      }
      last = node;
      nodes_.push_back(node);
    }
    view.Reset(nodes_, ml_string_delete, std::move(collapsed));
  }
  // Removals may have moved the head: the list is freed from the view's.
  ~ViewedList() {
    list_.Release();
    FreeThreadList(view.Head());
  }

  ThreadNode* Node(std::size_t i) const { return nodes_[i]; }
  // The shown rows by message index ("m3" -> 3), in row order.
  std::vector<int> Rows() const {
    std::vector<int> rows;
    for (std::size_t r = 0; r < view.size(); ++r)
      rows.push_back(std::stoi(view[r]->Name.data() + 1));
    return rows;
  }
  int Index(const ThreadNode* node) const {
    return node == nullptr ? -1 : std::stoi(node->Name.data() + 1);
  }

  RowView view;

 private:
  ThreadList list_;
  std::vector<ThreadNode*> nodes_;
};

TEST(ThreadViewTest, FoldMakesTypedAndWrittenFormsMeet) {
  struct Case {
    std::string text;
    std::string folded;
    const char* reason;
  };
  const Case cases[] = {
      {"Hello World", "hello world", "ASCII letters to lower case"},
      {"\x82\x60\x82\x81\x82\x4f", "aa0", "full-width Ａ ａ ０ to ASCII, then lower case"},
      {"\x81\x49\x81\x97\x81\x60", "!@~", "full-width symbols to ASCII"},
      {"\xEE\xFC\xFA\x56", "\"'", "the second codes of ＂ and ＇ fold as well"},
      {"a\x81\x40"
       "b",
       "a b", "the ideographic space to a blank"},
      {"\xB6\xC0\xB6\xC5", "\x83\x4A\x83\x5E\x83\x4A\x83\x69", "ｶﾀｶﾅ to カタカナ"},
      {"\xB6\xDE\xCA\xDF\xB3\xDE", "\x83\x4B\x83\x70\x83\x94", "ｶﾞ ﾊﾟ ｳﾞ join to ガ パ ヴ"},
      {"\xB1\xDE", "\x83\x41\x81\x4A", "ｱﾞ has no one character: ア and the spacing ゛"},
      {"\xB6\xDF", "\x83\x4A\x81\x4B", "ｶﾟ likewise: カ and ゜"},
      {"\xDE", "\x81\x4A", "a lone ﾞ is the spacing ゛"},
      {"\xA1\xA4\xB0", "\x81\x42\x81\x41\x81\x5B", "half-width 。、ー to full-width"},
      {"\x82\xA9\x83\x4A", "\x82\xA9\x83\x4A", "hiragana and katakana stay distinct"},
      {"\x83\x41", "\x83\x41", "ア (trail 0x41 = 'A') is no letter to fold"},
      {"\x95\x5C", "\x95\x5C", "表 (trail byte '\\\\') stays whole"},
      {"\x82", "\x82", "a lead byte at the end is kept"},
  };
  for (const Case& c : cases) EXPECT_EQ(FoldForFilter(c.text), c.folded) << c.reason;
}

TEST(ThreadViewTest, FilterMatchesEveryWordInSubjectOrSenderAsShown) {
  struct Case {
    std::string filter;
    std::string subject;
    std::string sender;
    std::int32_t ml_string_delete;
    bool matches;
    const char* reason;
  };
  const Case cases[] = {
      {"meeting", "Weekly MEETING", "bob", 0, true, "case is folded on both sides"},
      {"\x82\x6C\x82\x85\x82\x85\x82\x94", "meeting", "x", 0, true, "typed full-width"},
      {"weekly bob", "Weekly meeting", "bob", 0, true,
       "one word in the subject, one in the sender"},
      {"weekly alice", "Weekly meeting", "bob", 0, false, "every word must occur"},
      {"weekly\x81\x40meeting", "weekly meeting", "x", 0, true, "ideographic space splits words"},
      {"list", " [list:01] news", "x", 1, false, "the hidden list tag is not shown, so no match"},
      {"list", " [list:01] news", "x", 0, true, "the shown list tag matches"},
      {"\x83\x4B", "\xB6\xDE", "x", 0, true, "ガ typed finds ｶﾞ written"},
      {"\x82\xAA", "\x83\x4B", "x", 0, false, "hiragana が does not find ガ"},
      {"\x40", "\x83\x40", "x", 0, false, "a match may not start on a second byte"},
  };
  for (const Case& c : cases) {
    ViewedList list({{0, c.subject, c.sender}}, c.ml_string_delete);
    list.view.SetFilter(Query(c.filter));
    EXPECT_EQ(list.view.size(), c.matches ? 1u : 0u) << c.reason;
  }
}

// Each leaf of a query read against the row: fields, dates, flags, the
// folder's title, the index's hits, and negation, OR and groups over them.
TEST(ThreadViewTest, FilterReadsEveryKindOfLeaf) {
  // One-message threads. Stamps count days as 20260314 does, on a clock whose
  // days start at the same numbers: each message is on its day.
  struct Row {
    const char* subject;
    const char* sender;
    std::uint32_t stamp;
    bool unread;
    bool attachment;
  };
  const Row rows[] = {
      {"meeting  notes", "taro", 20260301, true, true},  // m0
      {"lunch", "hanako", 20260314, false, false},       // m1
      {"meeting", "hanako", 20260210, false, true},      // m2
      {"re: taro", "jiro", 20260331, true, false},       // m3
  };
  std::vector<Message> messages;
  for (const Row& row : rows) messages.push_back({0, row.subject, row.sender});
  const QueryClock clock{{2026, 3, 31}, [](const CivilDay& day) {
                           return std::int64_t{day.year} * 10000 + day.month * 100 + day.day;
                         }};
  const std::string inbox = "\x8e\xf3\x90\x4d\x94\xa0";  // 受信箱
  struct Case {
    const char* query;
    std::vector<std::vector<std::string>> hits;
    std::vector<int> shown;
    const char* reason;
  };
  const Case cases[] = {
      {"taro", {}, {0, 3}, "a bare word in the sender or the subject"},
      {"from:taro", {}, {0}, "from: the sender alone"},
      {"subject:taro", {}, {3}, "subject: the subject alone"},
      {"from:x", {{"m2"}}, {2}, "from: also by the index (the address)"},
      {"to:jiro", {{"m1"}}, {1}, "to: by the index alone, not the row's sender"},
      {"-to:jiro", {{"m1"}}, {0, 2, 3}, "a negated leaf of hits"},
      {"\"meeting notes\"", {}, {0}, "a phrase's blank matches the row's run of blanks"},
      {"\"meeting \t notes\"", {}, {0}, "and a run of blanks in the phrase"},
      {"\"notes taro\"", {}, {}, "a phrase does not span the subject and the sender"},
      {"date:2026-03", {}, {0, 1, 3}, "a month, both ends' days included"},
      {"date:2026-03-14", {}, {1}, "a day"},
      {"before:2026-03-01", {}, {2}, "before: not that day"},
      {"date:7d", {}, {3}, "an age from today"},
      {"is:unread", {}, {0, 3}, "the unread flag"},
      {"is:read", {}, {1, 2}, "its absence"},
      {"has:attachment", {}, {0, 2}, "the attachment flag"},
      {"folder:\xe5\x8f\x97\xe4\xbf\xa1", {}, {0, 1, 2, 3}, "the folder's title holds it"},
      {"folder:x", {}, {}, "the folder's title does not"},
      {"-meeting", {}, {1, 3}, "a negated first word"},
      {"meeting -is:unread", {}, {2}, "a word and a negated flag"},
      {"lunch OR jiro", {}, {1, 3}, "either side"},
      {"-(lunch OR jiro)", {}, {0, 2}, "a negated group"},
      {"(meeting OR lunch) hanako", {}, {1, 2}, "a group beside a word"},
  };
  for (const Case& c : cases) {
    ViewedList list(messages);
    for (std::size_t i = 0; i < std::size(rows); ++i) {
      ThreadNode& node = *list.Node(i);
      for (int b = 0; b < 4; ++b) {
        node.StatusBlock[8 + b] = static_cast<std::uint8_t>(rows[i].stamp >> (24 - 8 * b));
      }
      if (rows[i].unread) node.StatusBlock[3] |= 0x40;
      if (rows[i].attachment) node.StatusBlock[2] |= 0x80;
    }
    ParsedQuery query = ParseQuery(c.query, clock);
    ASSERT_TRUE(query.Ok()) << c.reason << ": " << query.error;
    EXPECT_TRUE(list.view.SetFilter(std::move(query), false, inbox, nullptr, c.hits));
    EXPECT_EQ(list.Rows(), c.shown) << c.reason << " (" << c.query << ")";
  }
}

// Only queries of positive words narrow as typing goes on: a word that grows
// under a negation or OR shows more threads, not fewer.
TEST(ThreadViewTest, QueriesThatDoNotNarrowTestEveryThread) {
  const std::vector<Message> messages = {{0, "alpha", "x"}, {0, "alps", "x"}, {0, "bravo", "x"}};
  const char* const typed[] = {"-al", "-alp", "-alph", "a OR b", "a OR br", "alp", "alph", ""};
  ViewedList list(messages);
  for (const char* text : typed) {
    list.view.SetFilter(Query(text));
    ViewedList fresh(messages);
    fresh.view.SetFilter(Query(text));
    EXPECT_EQ(list.Rows(), fresh.Rows()) << text;
  }
}

const std::vector<Message> kThreads = {
    {0, "alpha", "ann"},            // 0  thread A
    {1, "Re: alpha", "bob"},        // 1
    {2, "Re: alpha", "cid", true},  // 2
    {0, "beta", "dee"},             // 3  thread B
    {1, "Re: beta x", "ann"},       // 4
    {0, "gamma", "eve", true},      // 5  thread C, one message
    {0, "delta", "fay"},            // 6  thread D
    {1, "Re: delta", "gus", true},  // 7
};

TEST(ThreadViewTest, FilterShowsWholeThreadsInListOrder) {
  struct Case {
    std::string filter;
    std::vector<int> rows;
    std::size_t shown_messages;
    const char* reason;
  };
  const Case cases[] = {
      {"", {0, 1, 2, 3, 4, 5, 6, 7}, 8, "no filter: every row"},
      {"  ", {0, 1, 2, 3, 4, 5, 6, 7}, 8, "blanks only: no filter"},
      {"x", {3, 4}, 2, "a reply's match shows its whole thread"},
      {"ann", {0, 1, 2, 3, 4}, 5, "matches in two threads keep list order"},
      {"cid", {0, 1, 2}, 3, "a deep reply brings its root"},
      {"nothing", {}, 0, "no match: no rows"},
  };
  for (const Case& c : cases) {
    ViewedList list(kThreads);
    list.view.SetFilter(Query("a"));  // start from a filter on, as typing does
    EXPECT_TRUE(list.view.SetFilter(Query(c.filter)));
    EXPECT_EQ(list.Rows(), c.rows) << c.reason;
    EXPECT_EQ(list.view.ShownMessages(), c.shown_messages) << c.reason;
  }
}

// Typing reuses what earlier filters found (the rows shown when the text
// grows, the threads of a text typed before when it shrinks), and a filter
// told to stop may leave half its work behind: after every step the rows must
// be those a fresh view shows for the text applied.
TEST(ThreadViewTest, TypingErasingAndDroppedFiltersShowWhatAFreshFilterShows) {
  // Enough threads that a filter asks `stop` (every 2048 threads) before it ends.
  const char* const words[] = {"alpha", "alps", "bravo", "bolt", "alder"};
  std::vector<Message> many;
  for (int i = 0; i < 9000; ++i) {
    many.push_back({i % 3, std::string(words[i % 5]) + " " + words[(i / 7) % 5], "x"});
  }
  struct Step {
    const char* text;
    bool stop;
    const char* reason;
  };
  const Step steps[] = {
      {"a", false, "a first character tests every thread"},
      {"al", false, "a longer text tests the threads shown"},
      {"alp", false, ""},
      {"alph", true, "dropped while narrowing: the rows of alp stay"},
      {"al", false, "Backspace: the threads of al again, untested"},
      {"ald", false, "another branch from a step that is not the text shown"},
      {"alp", true, "dropped while testing the threads of a kept step"},
      {"alps", false, "the rows shown (ald) are not that step's threads"},
      {"b", true, "dropped while testing every thread"},
      {"alp", false, "after a dropped filter wrote over what it tested"},
      {"alp b", false, "a second word"},
      {"alp", false, "back to a text whose step was kept"},
      {"", false, "an empty box shows every thread"},
      {"alps", false, "the steps start again after an empty box"},
  };
  ViewedList list(many);
  std::string applied;
  for (const Step& step : steps) {
    const bool done = list.view.SetFilter(Query(step.text), false, {}, [&] { return step.stop; });
    EXPECT_EQ(done, !step.stop) << step.text;
    if (done) applied = step.text;
    ViewedList fresh(many);
    fresh.view.SetFilter(Query(applied));
    EXPECT_EQ(list.Rows(), fresh.Rows()) << "after " << step.text << ": " << step.reason;
  }
}

// The full-text index's hits for the text join the subject and sender
// matches, whole threads again; the steps kept for typing hold for the
// subject and sender alone, so that a text with hits, and every text after
// one, shows what a fresh view shows.
TEST(ThreadViewTest, IndexHitsShowTheirThreadsBesideSubjectAndSenderMatches) {
  ViewedList small(kThreads);
  small.view.SetFilter(Query("x"), true, {}, nullptr, {{"m1", "m6"}});
  EXPECT_EQ(small.Rows(), (std::vector<int>{0, 1, 2, 3, 4, 6, 7})) << "a hit in a reply or a root";

  const char* const words[] = {"alpha", "alps", "bravo", "bolt", "alder"};
  std::vector<Message> many;
  for (int i = 0; i < 9000; ++i) {
    many.push_back({i % 3, std::string(words[i % 5]) + " " + words[(i / 7) % 5], "x"});
  }
  const std::vector<std::string> some = {"m3001", "m4", "m8998"};  // sorted as text
  struct Step {
    const char* text;
    std::vector<std::string> hits;
    bool stop;
    const char* reason;
  };
  const Step steps[] = {
      {"al", {}, false, "subject matches only: a step is kept"},
      {"al", some, false, "the index's answer for the same text adds threads"},
      {"alp", {}, false, "typed on before the answer: subject matches of every thread"},
      {"alp", some, true, "an answer dropped: the rows of alp stay"},
      {"alps", some, false, "hits for a longer text"},
      {"alp", {}, false, "Backspace after hits: no step of the hits is taken"},
      {"zzz", some, false, "hits alone"},
      {"", some, false, "an empty box shows every thread"},
  };
  ViewedList list(many);
  std::string applied;
  std::vector<std::string> applied_hits;
  for (const Step& step : steps) {
    const bool done = list.view.SetFilter(
        Query(step.text), !step.hits.empty(), {}, [&] { return step.stop; }, HitsOf(step.hits));
    EXPECT_EQ(done, !step.stop) << step.text;
    if (done) {
      applied = step.text;
      applied_hits = step.hits;
    }
    ViewedList fresh(many);
    fresh.view.SetFilter(Query(applied), !applied_hits.empty(), {}, nullptr, HitsOf(applied_hits));
    EXPECT_EQ(list.Rows(), fresh.Rows()) << "after " << step.text << ": " << step.reason;
  }
}

TEST(ThreadViewTest, CollapsedThreadsShowTheirFirstRowWithHiddenCounts) {
  ViewedList list(kThreads);
  EXPECT_TRUE(list.view.Collapse(list.Node(2)));  // any row of the thread
  EXPECT_FALSE(list.view.Collapse(list.Node(5))) << "a one-message thread has nothing to hide";
  EXPECT_EQ(list.Rows(), (std::vector<int>{0, 3, 4, 5, 6, 7}));
  EXPECT_TRUE(list.view.IsCollapsedRoot(*list.Node(0)));
  const HiddenCount a = RowView::Hidden(*list.Node(0));
  EXPECT_EQ(a.Messages, 2);
  EXPECT_EQ(a.Unread, 1);
  EXPECT_EQ(RowView::Hidden(*list.Node(5)).Messages, 0);

  list.view.CollapseAll();
  EXPECT_EQ(list.Rows(), (std::vector<int>{0, 3, 5, 6}));
  list.view.SetFilter(Query("ann"));
  EXPECT_EQ(list.Rows(), (std::vector<int>{0, 3})) << "collapsed and filtered together";
  EXPECT_EQ(list.view.ShownMessages(), 5u) << "hidden rows of shown threads count as shown";
  list.view.Expand(list.Node(4));
  EXPECT_EQ(list.Rows(), (std::vector<int>{0, 3, 4}));
  list.view.SetFilter(Query(""));
  EXPECT_EQ(list.Rows(), (std::vector<int>{0, 3, 4, 5, 6}));
  list.view.ExpandAll();
  EXPECT_EQ(list.Rows(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));

  // The state outlives the nodes: a list read again keeps its collapsed threads.
  list.view.Collapse(list.Node(7));
  ViewedList again(kThreads, 0, list.view.Collapsed());
  EXPECT_EQ(again.Rows(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
}

// Every row maps to its node and back, and every node to its position.
void ExpectRowsAndNodesAgree(const RowView& view, const char* when) {
  for (std::size_t r = 0; r < view.size(); ++r) {
    EXPECT_EQ(view.RowOf(view[r]), static_cast<int>(r)) << when;
  }
  int position = 0;
  for (const ThreadNode* node = view.Head(); node != nullptr; node = node->Next, ++position) {
    EXPECT_EQ(view.AtPosition(position), node) << when;
    EXPECT_EQ(RowView::Position(*node), position) << when;
  }
  EXPECT_EQ(static_cast<std::size_t>(position), view.MessageCount()) << when;
}

TEST(ThreadViewTest, RowsAndNodesAgreeAfterRemovals) {
  ViewedList list(kThreads);
  list.view.Collapse(list.Node(6));
  ExpectRowsAndNodesAgree(list.view, "collapsed");
  EXPECT_EQ(list.view.RowOf(list.Node(7)), -1) << "a hidden row has no row";
  EXPECT_EQ(list.view.ShownRowFor(list.Node(7)), list.view.RowOf(list.Node(6)));

  list.view.Remove(list.Node(1));  // a reply: its reply moves up in its place
  EXPECT_EQ(list.Rows(), (std::vector<int>{0, 2, 3, 4, 5, 6}));
  EXPECT_EQ(list.Node(2)->Depth, 1);
  ExpectRowsAndNodesAgree(list.view, "reply removed");

  ThreadNode* head = list.view.Remove(list.Node(0));  // the head: its reply is the new root
  EXPECT_EQ(head, list.Node(2));
  EXPECT_EQ(list.Node(2)->Depth, 0);
  ExpectRowsAndNodesAgree(list.view, "head removed");

  list.view.SetFilter(Query("ann"));
  EXPECT_EQ(list.Rows(), (std::vector<int>{3, 4}));
  list.view.Remove(list.Node(3));  // the root goes: its reply alone matches "ann"
  EXPECT_EQ(list.Rows(), (std::vector<int>{4}));
  EXPECT_EQ(list.Node(4)->Depth, 0);
  ExpectRowsAndNodesAgree(list.view, "filtered root removed");
}

TEST(ThreadViewTest, UnreadMovesSeeHiddenRowsAndExpandWhereTheyLand) {
  ViewedList list(kThreads);
  list.view.CollapseAll();
  // From the first row, the next unread message is under the collapsed first row.
  ThreadNode* found = list.view.FindUnread(list.Node(0), UnreadDirection::kNext);
  EXPECT_EQ(list.Index(found), 2);
  EXPECT_EQ(list.view.Reveal(found), 2) << "its thread expands: rows 0, 1, 2";
  EXPECT_EQ(list.Rows(), (std::vector<int>{0, 1, 2, 3, 5, 6}));
  EXPECT_EQ(list.Index(list.view.FindUnread(list.Node(2), UnreadDirection::kNext)), 5);
  EXPECT_EQ(list.Index(list.view.FindUnread(list.Node(6), UnreadDirection::kPrevious)), 5);
  EXPECT_EQ(list.view.FindUnread(list.Node(7), UnreadDirection::kNext), nullptr) << "no wrap";

  // Next unread thread: the first unread message of the next thread with any.
  EXPECT_EQ(list.Index(list.view.NextUnreadThread(list.Node(1))), 5);
  EXPECT_EQ(list.Index(list.view.NextUnreadThread(list.Node(5))), 7);
  EXPECT_EQ(list.view.NextUnreadThread(list.Node(7)), nullptr) << "at the end nothing moves";

  // Threads the filter hides are passed over, both ways.
  list.view.SetFilter(Query("de"));  // dee (B), delta (D)
  EXPECT_EQ(list.Rows(), (std::vector<int>{3, 6}));
  EXPECT_EQ(list.Index(list.view.FindUnread(list.Node(3), UnreadDirection::kNext)), 7);
  EXPECT_EQ(list.view.FindUnread(list.Node(6), UnreadDirection::kPrevious), nullptr)
      << "the unread messages of A and C are filtered out";
  EXPECT_EQ(list.Index(list.view.NextUnreadThread(list.Node(3))), 7);

  // Stepping goes into collapsed threads rather than past them.
  EXPECT_EQ(list.Index(list.view.Adjacent(list.Node(4), UnreadDirection::kNext)), 6);
  EXPECT_EQ(list.Index(list.view.Adjacent(list.Node(6), UnreadDirection::kNext)), 7);
  EXPECT_EQ(list.Index(list.view.Adjacent(list.Node(6), UnreadDirection::kPrevious)), 4);
  EXPECT_EQ(list.view.Adjacent(list.Node(3), UnreadDirection::kPrevious), nullptr);
}

}  // namespace
}  // namespace thread
