// The terms the thread list's commands put into the quick filter box, and the
// senders offered after "from:".

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "thread/filter_terms.h"
#include "thread/thread_node.h"

namespace thread {
namespace {

// Shift-JIS bytes of the Japanese used below.
const std::string kReplyJa = "\x95\xd4\x90\x4d";  // 返信
const std::string kWideColon = "\x81\x46";        // ：
const std::string kIdeographic = "\x81\x40";      // the ideographic space
const std::string kTanaka = "\x93\x63\x92\x86";   // 田中
const std::string kSoSpace = "\x83\x5c";          // ソ: its second byte is a backslash
const std::string kWideTag =
    "\x81\x79"
    "ml"
    "\x81\x7a";  // 【ml】

TEST(FilterTermsTest, BareSubjectDropsReplyMarksAndListTags) {
  struct Case {
    std::string subject, expected;
    const char* reason;
  };
  const Case cases[] = {
      {" Re: hello", "hello", "the index's leading blank and one mark"},
      {"RE: Fwd: re: hello ", "hello", "marks in any case and number, blanks at the end"},
      {"[ml:0012] Re: hello", "hello", "a list tag before the mark"},
      {"Re: [ml:0012] hello", "hello", "a list tag after the mark"},
      {"Re[2]: Re^3: Re(4): hello", "hello", "marks with a count"},
      {kReplyJa + kWideColon + kIdeographic + "hello", "hello", "the Japanese mark, full-width"},
      {kWideTag + "hello", "hello", "a tag in wide brackets"},
      {"Report: sales", "Report: sales", "a word that begins as a mark does is none"},
      {"Re hello", "Re hello", "no colon, no mark"},
      {"[unclosed hello", "[unclosed hello", "a bracket never closed is text"},
      {"hello " + kSoSpace, "hello " + kSoSpace, "a trail byte like a blank stays"},
      {"Re: ", "", "nothing but a mark"},
  };
  for (const Case& c : cases) EXPECT_EQ(BareSubject(c.subject), c.expected) << c.reason;
}

TEST(FilterTermsTest, SenderWordIsTheAddressWhenThereIsOne) {
  struct Case {
    std::string sender, expected;
    const char* reason;
  };
  const Case cases[] = {
      {"taro@example.jp", "taro@example.jp", "an address alone"},
      {kTanaka + " <tanaka@example.jp>", "tanaka@example.jp", "a name with its address"},
      {"<list@example.jp>", "list@example.jp", "an address in brackets"},
      {"  " + kTanaka + "  ", kTanaka, "a name alone, blanks off"},
      {"\"Tanaka, Taro\"", "Tanaka, Taro", "the quotes around a name off"},
      {"Taro <not an address>", "Taro <not an address>", "brackets without @ are the name's"},
  };
  for (const Case& c : cases) EXPECT_EQ(SenderWord(c.sender), c.expected) << c.reason;
}

TEST(FilterTermsTest, FieldTermQuotesValuesTheQueryWouldSplit) {
  struct Case {
    std::string value, expected;
    const char* reason;
  };
  const Case cases[] = {
      {"taro@example.jp", "from:taro@example.jp", "one word stays bare"},
      {"Taro Yamada", "from:\"Taro Yamada\"", "a blank"},
      {kTanaka + kIdeographic + "Taro", "from:\"" + kTanaka + kIdeographic + "Taro\"",
       "an ideographic space"},
      {"say \"hi\"", "from:\"say \\\"hi\\\"\"", "quotes inside are escaped"},
      {"a\\b c", "from:\"a\\\\b c\"", "a backslash inside quotes is escaped"},
      {kSoSpace + " x", "from:\"" + kSoSpace + " x\"", "a trail byte is no backslash"},
      {"-minus", "from:\"-minus\"", "a leading minus would negate"},
      {"ls(1)", "from:\"ls(1)\"", "parentheses"},
      {"", "", "no value, no term"},
  };
  for (const Case& c : cases) EXPECT_EQ(FieldTerm("from", c.value), c.expected) << c.reason;
}

// A folder's list from (sender, subject, depth) rows.
class TermsList {
 public:
  struct Message {
    std::string sender;
    std::string subject;
    int depth = 0;
  };
  explicit TermsList(const std::vector<Message>& messages) {
    ThreadNode* last = nullptr;
    for (const Message& m : messages) {
      ThreadNode* node = NewThreadNode();
      node->Sender = node->Keep(m.sender);
      node->Subject = node->Keep(m.subject);
      node->Depth = m.depth;
      if (last == nullptr) {
        list_.Reset(node);
      } else {
        AppendNode(last, node);
      }
      last = node;
      nodes_.push_back(node);
    }
  }
  const ThreadNode& Node(std::size_t i) const { return *nodes_[i]; }
  const ThreadNode* Head() const { return list_.Head(); }

 private:
  ThreadList list_;
  std::vector<ThreadNode*> nodes_;
};

TEST(FilterTermsTest, ThreadTermIsTheFirstMessagesSubject) {
  const TermsList list({{"a@x", " [ml:1] Plan B", 0},
                        {"Bob <b@x>", " Re: [ml:2] Plan B", 1},
                        {"c@x", " Re: off topic", 2},
                        {"d@x", " Lunch", 0}});
  EXPECT_EQ(ThreadTerm(list.Node(2)), "subject:\"Plan B\"") << "two levels down";
  EXPECT_EQ(SubjectTerm(list.Node(2)), "subject:\"off topic\"") << "its own subject";
  EXPECT_EQ(ThreadTerm(list.Node(3)), "subject:Lunch") << "a first message stands for itself";
  EXPECT_EQ(SenderTerm(list.Node(1)), "from:b@x");
}

TEST(FilterTermsTest, SendersRankByCountThenFirstShownAndNarrow) {
  const TermsList list({{"Carol <c@x>", "s"},
                        {"a@x", "s"},
                        {"b@x", "s"},
                        {"b@x", "s"},
                        {"<a@x>", "s"},
                        {"Anna <anna@y>", "s"},
                        {"", "s"}});
  const SenderRanking ranking(list.Head());
  EXPECT_EQ(ranking.Matching("", 10), (std::vector<std::string>{"a@x", "b@x", "c@x", "anna@y"}))
      << "two each, in the order first shown, then one each; an empty sender is none";
  EXPECT_EQ(ranking.Matching("A", 10), (std::vector<std::string>{"a@x", "anna@y"}))
      << "narrowed by the typed text, letter case folded";
  EXPECT_EQ(ranking.Matching("", 2).size(), 2u) << "no more than asked for";
}

}  // namespace
}  // namespace thread
