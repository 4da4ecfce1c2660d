// The thread list, its invariants, the Shift-JIS subject helpers and the
// linking rules of ThreadLinker on small folders.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tests/literal_linker_support.h"
#include "thread/node_index.h"
#include "thread/order_labels.h"
#include "thread/sjis_text.h"
#include "thread/thread_linker.h"
#include "thread/thread_node.h"

namespace thread {
namespace {

using testing::MakeNode;
using testing::TestMessage;
using testing::Shape;

// A list built by linking messages in order with one linker.
class Folder {
 public:
  explicit Folder(LinkOptions options = {}) : linker_(options) {}

  bool Add(const TestMessage& message) { return linker_.Link(list_.MutableHead(), MakeNode(message)); }
  ThreadNode* Find(const std::string& name) const {
    for (ThreadNode* n = list_.Head(); n != nullptr; n = n->Next) {
      if (name == n->Name.data()) return n;
    }
    return nullptr;
  }
  void Remove(const std::string& name) { linker_.RemoveNodeKeepingReplies(list_.MutableHead(), Find(name)); }
  std::string Shape() const {
    std::string why;
    EXPECT_TRUE(CheckThreadListIntegrity(list_.Head(), &why)) << why;
    return testing::Shape(list_.Head());
  }
  ThreadLinker& Linker() { return linker_; }
  ThreadList& List() { return list_; }

 private:
  ThreadList list_;  // destroyed after the linker that refers to its nodes
  ThreadLinker linker_;
};

// A list with the given depths, names "n0", "n1", ...
ThreadList ListWithDepths(const std::vector<int>& depths) {
  ThreadNode* head = nullptr;
  ThreadNode* last = nullptr;
  for (std::size_t i = 0; i < depths.size(); ++i) {
    TestMessage message;
    message.Name = "n";
    message.Name += std::to_string(i);
    ThreadNode* node = MakeNode(message);
    node->Depth = depths[i];
    if (last == nullptr) {
      head = node;
    } else {
      AppendNode(last, node);
    }
    last = node;
  }
  return ThreadList(head);
}

TEST(ThreadListTest, InsertAndUnlinkKeepBothDirections) {
  ThreadList list(MakeNode({"a"}));
  ThreadNode* a = list.Head();
  ThreadNode* c = MakeNode({"c"});
  AppendNode(a, c);
  ThreadNode* b = MakeNode({"b"});
  InsertAfter(a, b);
  ThreadNode* z = MakeNode({"z"});
  InsertBefore(a, z);
  list.MutableHead() = z;
  EXPECT_EQ(Shape(list.Head()), "z:0 a:0 b:0 c:0");
  ASSERT_TRUE(CheckThreadListIntegrity(list.Head(), nullptr));

  UnlinkNode(b);
  EXPECT_EQ(Shape(list.Head()), "z:0 a:0 c:0");
  EXPECT_EQ(c->Prev, a);
  EXPECT_EQ(b->Prev, a);  // the unlinked node keeps its own links
  EXPECT_EQ(b->Next, c);
  FreeNode(b);
}

TEST(ThreadListTest, RemovingANodeMovesItsSubtreeUp) {
  ThreadList list = ListWithDepths({0, 1, 2, 3, 2, 1, 0});
  ThreadNode* head = list.Release();
  RemoveNodeKeepingReplies(head, head->Next->Next);  // n2 at Depth 2
  EXPECT_EQ(Shape(head), "n0:0 n1:1 n3:2 n4:2 n5:1 n6:0");
  RemoveNodeKeepingReplies(head, head);  // the head root: its replies become roots
  EXPECT_EQ(Shape(head), "n1:0 n3:1 n4:1 n5:0 n6:0");
  EXPECT_TRUE(CheckThreadListIntegrity(head, nullptr));
  list.Reset(head);
}

TEST(ThreadListTest, IntegrityCheckFindsEachBrokenInvariant) {
  EXPECT_TRUE(CheckThreadListIntegrity(nullptr, nullptr));
  {
    ThreadList list = ListWithDepths({0, 1, 2, 1, 0, 1});
    std::string why;
    EXPECT_TRUE(CheckThreadListIntegrity(list.Head(), &why)) << why;
  }
  struct Case {
    std::vector<int> depths;
    const char* reason;
  };
  const Case depth_cases[] = {
      {{1, 2}, "head not at Depth 0"},
      {{0, 2}, "Depth jumps by two"},
      {{0, -1}, "negative Depth"},
  };
  for (const Case& c : depth_cases) {
    ThreadList list = ListWithDepths(c.depths);
    std::string why;
    EXPECT_FALSE(CheckThreadListIntegrity(list.Head(), &why)) << c.reason;
    EXPECT_FALSE(why.empty()) << c.reason;
  }
  {
    ThreadList list = ListWithDepths({0, 0, 0});
    ThreadNode* second = list.Head()->Next;
    ThreadNode* saved = second->Prev;
    second->Prev = second->Next;
    EXPECT_FALSE(CheckThreadListIntegrity(list.Head(), nullptr)) << "Prev does not match Next";
    second->Prev = saved;
  }
  {
    ThreadList list = ListWithDepths({0, 0});
    ThreadNode* stray = MakeNode({"stray"});
    list.Head()->Prev = stray;
    EXPECT_FALSE(CheckThreadListIntegrity(list.Head(), nullptr)) << "head has a Prev";
    list.Head()->Prev = nullptr;
    FreeNode(stray);
  }
  {
    ThreadList list = ListWithDepths({0, 1, 0});
    list.Head()->MessageId = list.Head()->Keep("Same@Host");
    list.Head()->Next->Next->MessageId = list.Head()->Keep("same@host");
    EXPECT_FALSE(CheckThreadListIntegrity(list.Head(), nullptr)) << "duplicate MessageId ignoring case";
    list.Head()->Next->Next->MessageId = list.Head()->Keep("other@host");
    EXPECT_TRUE(CheckThreadListIntegrity(list.Head(), nullptr));
  }
}

TEST(OrderLabelTest, LabelsStayIncreasingUnderCrowdedInsertions) {
  // Insert many nodes at the same few places, which exhausts any fixed gap
  // and forces the label ranges to be spread out again and again.
  std::mt19937 rng(7);
  ThreadList list(MakeNode({"h"}));
  AssignOrderAfter(nullptr, list.Head());
  std::vector<ThreadNode*> nodes = {list.Head()};
  for (int i = 0; i < 20000; ++i) {
    ThreadNode* node = NewThreadNode();
    const int choice = static_cast<int>(rng() % 4);
    if (choice == 0) {
      InsertBefore(list.Head(), node);
      list.MutableHead() = node;
    } else if (choice == 1) {
      InsertAfter(list.Head(), node);
    } else {
      InsertAfter(nodes[rng() % nodes.size()], node);
    }
    AssignOrder(node);
    nodes.push_back(node);
  }
  std::size_t count = 0;
  for (const ThreadNode* n = list.Head(); n != nullptr; n = n->Next, ++count) {
    if (n->Next != nullptr) {
      ASSERT_LT(n->Order, n->Next->Order) << "at node " << count;
    }
  }
  EXPECT_EQ(count, nodes.size());
}

TEST(NodeIndexTest, FindsTheEarliestMatchThroughCollisionsAndRemovals) {
  // Few distinct hashes, all near the end of the table, so that probe runs
  // wrap around and removals must shift entries back; several keys share a
  // hash and several nodes share a key.
  constexpr int kKeys = 12;
  const auto hash_of = [](int key) -> std::uint64_t {
    const std::uint64_t k = static_cast<std::uint64_t>(key);
    return k % 2 == 0 ? 13 + 16 * (k % 5) : 15 + 16 * (k % 4);
  };
  std::mt19937 rng(11);
  std::vector<ThreadNode*> nodes;
  for (int i = 0; i < 60; ++i) {
    nodes.push_back(NewThreadNode(nodes.empty() ? nullptr : nodes.front()));
    nodes.back()->MessageId = nodes.back()->Keep(std::to_string(static_cast<int>(rng() % kKeys)));
    nodes.back()->Order = rng();
  }
  NodeIndex index;
  std::vector<bool> filed(nodes.size(), false);
  for (int step = 0; step < 3000; ++step) {
    const std::size_t pick = rng() % nodes.size();
    ThreadNode* node = nodes[pick];
    const std::uint64_t hash = hash_of(std::stoi(node->MessageId.str()));
    if (filed[pick]) {
      index.Remove(hash, node);
    } else {
      index.Add(hash, node);
    }
    filed[pick] = !filed[pick];
    for (int key = 0; key < kKeys; ++key) {
      const std::string text = std::to_string(key);
      ThreadNode* expected = nullptr;
      for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (filed[i] && nodes[i]->MessageId == text && (expected == nullptr || nodes[i]->Order < expected->Order)) {
          expected = nodes[i];
        }
      }
      ASSERT_EQ(index.Earliest(hash_of(key), [&](const ThreadNode* n) { return n->MessageId == text; }), expected)
          << "step " << step << " key " << key;
    }
  }
  for (ThreadNode* node : nodes) FreeNode(node);
}

TEST(SjisTextTest, SearchesNeverStartOnASecondByte) {
  struct Case {
    std::string text;
    std::string needle;
    bool expected;
    const char* reason;
  };
  const Case cases[] = {
      {"abc", "bc", true, "plain match"},
      {"abc", "", false, "an empty needle is never contained"},
      {"\x81\x5b", "[", false, "'[' as the second byte of \xe3\x83\xbc"},
      {"\x81\x5b[", "[", true, "'[' after a double-byte character"},
      {"\x83" "Re:", "Re:", false, "'R' as the second byte of a double-byte character"},
      {"x\x83" "Re:", "e:", true, "a match may start after the double-byte character"},
      {"\x95\x5c\x5c", "\x5c", true, "the single byte after \xe8\xa1\xa8 (0x95 0x5C)"},
      {"Re", "Re:", false, "needle longer than the rest"},
  };
  for (const Case& c : cases) EXPECT_EQ(SjisContains(c.text, c.needle), c.expected) << c.reason;
}

TEST(SjisTextTest, ReplyMarksAreReAndREOnly) {
  struct Case {
    std::string subject;
    bool marked;
    const char* reason;
  };
  const Case cases[] = {
      {"Re: hello", true, "Re:"},
      {"[ml:1] RE: hello", true, "RE: after a list tag"},
      {"FwdRe:x", true, "anywhere in the subject"},
      {"re: hello", false, "lower case"},
      {"rE: hello", false, "mixed case"},
      {"Re hello", false, "no colon"},
      {"\x83Re: x", false, "0x83 0x52 is one character"},
  };
  for (const Case& c : cases) EXPECT_EQ(HasReplyMark(c.subject), c.marked) << c.reason;
}

TEST(SjisTextTest, SubjectKeySkipsTagAndOneCharacter) {
  struct Case {
    std::string subject;
    bool skip_tag;
    std::string key;
    const char* reason;
  };
  const Case cases[] = {
      {" [ml:0001] word", true, "word", "tag after a space, then the space after ']'"},
      {" [ml:0001] word", false, "[ml:0001] word", "tag kept without the list flag"},
      {" word", true, "word", "no tag: the first character goes"},
      {"word", false, "ord", "a subject without a leading space loses its first letter"},
      {"[ml:0001] word", true, "ml:0001] word", "'[' first: no tag, the '[' goes"},
      {" [ml:0001 word", true, "[ml:0001 word", "no ']': no tag"},
      {"][x", true, "[x", "the only ']' comes before the '['"},
      {" [a]", true, "", "nothing after the tag"},
      {"W", true, "", "a single character leaves nothing"},
      {"", true, "", "empty subject"},
      {"\x93\xfa[ml:1] x", true, "x", "double-byte first character, then the tag"},
      {"\x93\xfa" "abc", false, "abc", "a double-byte first character is skipped whole"},
      {"\x81\x5bml:1] x", true, "ml:1] x", "'[' as a second byte is no tag"},
      {" [ml\x83\x5d \x93\xfa", true, "[ml\x83\x5d \x93\xfa", "']' as a second byte does not close a tag"},
      {" [ml\x83\x5d x] yz", true, "yz", "the first real ']' closes the tag"},
      {" [a]\x93\xfa" "b", true, "b", "the character after ']' is double-byte"},
  };
  for (const Case& c : cases) EXPECT_EQ(SubjectKey(c.subject, c.skip_tag), c.key) << c.reason;
}

TEST(LinkTest, MessagesLinkedInOrderGiveTheListOfTheRules) {
  const LinkOptions plain{false, false};
  const LinkOptions references{true, false};
  const LinkOptions subjects{false, true};
  struct Case {
    LinkOptions options;
    std::vector<TestMessage> messages;
    std::string shape;
    std::string dropped;  // names Add refused as duplicates
    const char* reason;
  };
  // clang-format off
  const Case cases[] = {
      {plain, {{"A", "a@x"}}, "A:0", "", "the first message becomes the head"},
      {plain, {{"A", "a@x"}, {"B", "b@x", "a@x"}, {"Z", "z@x"}, {"B2", "b2@x", "b@x"}, {"C", "c@x", "a@x"}},
       "A:0 B:1 B2:2 C:1 Z:0", "", "a later reply follows the earlier reply's subtree"},
      {plain, {{"B", "b@x", "a@x"}, {"B2", "b2@x", "b@x"}, {"D", "d@x", "A@X"}, {"E", "e@x"},
               {"F", "f@x", "a@x"}, {"A", "a@x"}},
       "A:0 B:1 B2:2 D:1 E:0 F:0", "",
       "a late parent adopts the run of roots answering it (case ignored); E ends the run"},
      {plain, {{"X", "x@x"}, {"B", "b@x", "a@x"}, {"A", "a@x"}},
       "X:0 A:0 B:1", "", "adopting a later root does not move the head"},
      {plain, {{"A", "Abc@Host"}, {"A2", "aBC@host"}}, "A:0", "A2", "a duplicate differing in case only"},
      {plain, {{"P", "p@x"}, {"X", "x@x", "p@x"}, {"X2", "x@x", "p@x"}, {"R", "r@x", "q@x"}, {"R2", "r@x"}},
       "P:0 X:1 R:0", "X2 R2", "a duplicate is dropped even when the list meets its parent first"},
      {plain, {{"R", "r@x", "n@x"}, {"P", "p@x"}, {"N", "n@x", "p@x"}},
       "N:0 R:1 P:0", "", "adopting R, which comes before the parent P, wins: the first node in list order"},
      {plain, {{"C", "p@x", "n@x"}, {"N", "n@x", "p@x"}},
       "C:0 N:1", "", "the parent rule goes before adoption at the same node"},
      {plain, {{"A", "a@x"}, {"Z", "z@x"}, {"B", "b@x", "", "a@x"}},
       "A:0 Z:0 B:0", "", "without the option the last reference is not used"},
      {references, {{"A", "a@x"}, {"Z", "z@x"}, {"B", "b@x", "", "a@x"}},
       "A:0 B:1 Z:0", "", "with the option a message links through its last reference"},
      {references, {{"B", "b@x", "", "a@x"}, {"C", "c@x", "", "a@x"}, {"A", "a@x"}},
       "A:0 B:1 C:0", "", "roots are adopted by their last reference; C lacks one and stays a root"},
      {subjects, {{"Q", "q@x", "", "", " Other"}, {"S", "s@x", "", "", " Word"}, {"T", "t@x", "", "", "Word"},
                  {"R", "", "", "", "Re: Word"}, {"L", "", "", "", "re: Word"}},
       "Q:0 S:0 R:1 T:0 L:0", "", "a reply without identifiers is placed by subject; a lower-case mark is none"},
      {subjects, {{"T", "t@x", "", "", " [ml:0001] Word"}, {"R", "", "", "", "Re: [ml:0002] Word", false}},
       "T:0 R:0", "", "the list tag is part of the subject of mail not from a list"},
      {subjects, {{"T", "t@x", "", "", " [ml:0001] Word"}, {"R", "", "", "", "Re: [ml:0002] Word", true}},
       "T:0 R:1", "", "the list tag is skipped for list mail"},
      {subjects, {{"S", "s@x", "", "", " Word"}, {"R", "r@x", "gone@x", "", "Re: Word"},
                  {"U", "u@x", "late@x", "", "Re: Unknown"}, {"L", "late@x", "", "", " Unknown"}},
       "S:0 R:1 L:0 U:1", "",
       "a held-back reply is placed by subject or made a root, and keeps its InReplyTo for a later parent"},
      {plain, {{"S", "s@x", "", "", " Word"}, {"R", "r@x", "gone@x", "", "Re: Word"}},
       "S:0 R:0", "", "without the subject option an unknown parent gives a root"},
  };
  // clang-format on
  for (const Case& c : cases) {
    Folder folder(c.options);
    std::string dropped;
    for (const TestMessage& message : c.messages) {
      if (!folder.Add(message)) dropped += (dropped.empty() ? "" : " ") + message.Name;
    }
    EXPECT_EQ(folder.Shape(), c.shape) << c.reason;
    EXPECT_EQ(dropped, c.dropped) << c.reason;
  }
}

TEST(LinkTest, LinkThreadNodeReportsAHeldBackNode) {
  Folder folder({false, true});
  folder.Add({"S", "s@x"});
  ThreadNode* node = MakeNode({"R", "r@x", "gone@x", "", "Re: x"});
  EXPECT_FALSE(folder.Linker().LinkThreadNode(node));
  EXPECT_EQ(node->Next, nullptr);
  EXPECT_EQ(node->Prev, nullptr);
  EXPECT_EQ(folder.Shape(), "S:0");
  FreeNode(node);
}

TEST(LinkTest, ExistingListRegisteredInOrderKeepsLinking) {
  ThreadList list = ListWithDepths({0, 1, 0});
  ThreadNode* n0 = list.Head();
  n0->MessageId = n0->Keep("a@x");
  n0->Next->MessageId = n0->Keep("b@x");
  n0->Next->InReplyTo = n0->Keep("a@x");
  n0->Next->Next->MessageId = n0->Keep("c@x");
  n0->Next->Next->InReplyTo = n0->Keep("z@x");
  ThreadLinker linker({false, false});
  for (ThreadNode* n = list.Head(); n != nullptr; n = n->Next) linker.AddExisting(n);

  EXPECT_TRUE(linker.Link(list.MutableHead(), MakeNode({"d", "d@x", "b@x"})));
  EXPECT_FALSE(linker.Link(list.MutableHead(), MakeNode({"dup", "C@X"})));
  EXPECT_TRUE(linker.Link(list.MutableHead(), MakeNode({"z", "z@x"})));
  EXPECT_EQ(Shape(list.Head()), "n0:0 n1:1 d:2 z:0 n2:1");
}

TEST(LinkTest, DamagedDepthsOfAnExistingListAreClamped) {
  ThreadList list = ListWithDepths({0, 3, -2, 1, 1, 7});
  list.Head()->MessageId = list.Head()->Keep("a@x");
  ThreadLinker linker({false, false});
  for (ThreadNode* n = list.Head(); n != nullptr; n = n->Next) linker.AddExisting(n);
  EXPECT_EQ(Shape(list.Head()), "n0:0 n1:1 n2:0 n3:1 n4:1 n5:2");
  EXPECT_TRUE(linker.Link(list.MutableHead(), MakeNode({"r", "r@x", "a@x"})));
  EXPECT_EQ(Shape(list.Head()), "n0:0 n1:1 r:1 n2:0 n3:1 n4:1 n5:2");
  EXPECT_TRUE(CheckThreadListIntegrity(list.Head(), nullptr));
}

TEST(LinkTest, RemovalThroughTheLinkerKeepsItsIndexesRight) {
  Folder folder;
  folder.Add({"A", "a@x"});
  folder.Add({"B", "b@x", "a@x"});
  folder.Add({"C", "c@x", "a@x"});
  folder.Add({"Z", "z@x"});
  folder.Remove("A");
  EXPECT_EQ(folder.Shape(), "B:0 C:0 Z:0");
  // B and C are roots answering a@x now; a new copy of A adopts both.
  EXPECT_TRUE(folder.Add({"A2", "a@x"}));
  EXPECT_EQ(folder.Shape(), "A2:0 B:1 C:1 Z:0");
  folder.Remove("Z");
  folder.Add({"Y", "y@x"});
  EXPECT_EQ(folder.Shape(), "A2:0 B:1 C:1 Y:0");
}

}  // namespace
}  // namespace thread
