// Muted threads: which messages a mute holds as replies arrive in any order
// and its first messages leave, the records in "VLTR.fol" beside the display
// settings, bad sections, two writers, the skipping of muted threads, and the
// messages a catch-up chooses.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "mailbox/folder_discovery.h"
#include "settings/ini_profile.h"
#include "tests/mail_folder_support.h"
#include "thread/catch_up.h"
#include "thread/full_build.h"
#include "thread/mute_list.h"
#include "thread/row_view.h"
#include "thread/search_query.h"
#include "thread/thread_rows.h"

namespace thread {
namespace {

using folder_fixture::MakeMessage;
using folder_fixture::TestFolder;
using folder_fixture::TestMessage;

ThreadList Build(const TestFolder& folder, const LinkOptions& link) {
  QuietProgress progress;
  QuietMonitor monitor;
  LoadContext context{progress, monitor};
  FolderSource source;
  source.Path = folder.Path();
  source.Link = link;
  ThreadLoad load = BuildThreadsFromIndex(source, context);
  EXPECT_TRUE(load.Show);
  return std::move(load.List);
}

// The folder shown as the window shows it: records read, applied, grown ones
// written back.
std::set<std::string> ShowMuted(const TestFolder& folder, const ThreadList& list) {
  MuteList mutes = MuteList::Read(folder.Path());
  EXPECT_TRUE(WriteMutes(folder.Path(), mutes, mutes.Apply(list.Head()), {}));
  std::set<std::string> muted;
  for (const ThreadNode* node = list.Head(); node != nullptr; node = node->Next) {
    if (node->Muted) muted.insert(node->Name.data());
  }
  return muted;
}

ThreadNode* Find(const ThreadList& list, const std::string& name) {
  for (ThreadNode* node = list.Head(); node != nullptr; node = node->Next) {
    if (name == node->Name.data()) return node;
  }
  return nullptr;
}

// A "Hello" is muted while alone; B answers it by In-Reply-To, C answers B
// only by References, D is a "Re: Hello" with no identifiers (the subject
// fallback), E is another thread. The replies arrive one by one in every
// order, with each set of options, the folder shown after each; then A and
// B leave the folder.
TEST(MuteListTest, AMuteHoldsWhatTheThreadingJoinsToItAndOutlivesItsFirstMessages) {
  TestMessage a = MakeMessage(1, 10);
  a.Subject = "Hello";
  TestMessage e = MakeMessage(5, 11);
  e.Subject = "Other";
  TestMessage b = MakeMessage(2);
  b.Subject = "Re: Hello";
  b.InReplyTo = "m1@test";
  TestMessage c = MakeMessage(3);
  c.Subject = "Re: Re: Hello";
  c.References = "m2@test";
  TestMessage d = MakeMessage(4);
  d.Subject = "Re: Hello";
  d.MessageId.clear();  // recorded by its name
  for (const bool references : {false, true}) {
    for (const bool subject : {false, true}) {
      LinkOptions link;
      link.References = references;
      link.Subject = subject;
      std::vector<TestMessage> arrivals = {b, c, d};
      do {
        SCOPED_TRACE(std::string("references ") + (references ? "on" : "off") + ", subject " +
                     (subject ? "on" : "off") + ", order " + arrivals[0].Name + " " +
                     arrivals[1].Name + " " + arrivals[2].Name);
        TestFolder folder;
        folder.WriteFile("VLTR.fol", "[Property]\r\nTabInfo=1\r\n");
        std::vector<TestMessage> present = {a, e};
        folder.WriteMessages(present);
        {
          const ThreadList list = Build(folder, link);
          MuteList mutes = MuteList::Read(folder.Path());
          ASSERT_TRUE(ToggleMute(folder.Path(), mutes, Find(list, "00000001")));
        }
        std::set<std::string> expected;
        for (TestMessage arrival : arrivals) {
          arrival.Stamp = 20 + static_cast<std::uint32_t>(present.size());
          present.push_back(arrival);
          folder.WriteMessages(present);
          // Muted: exactly the thread the list puts A in, B always among them.
          const ThreadList list = Build(folder, link);
          expected.clear();
          ThreadNode* const root = ThreadRoot(Find(list, "00000001"));
          for (ThreadNode* n = root; n != ThreadEnd(root); n = n->Next)
            expected.insert(n->Name.data());
          EXPECT_EQ(expected.count("00000002"), Find(list, "00000002") != nullptr ? 1u : 0u);
          EXPECT_EQ(expected.count("00000005"), 0u);
          EXPECT_EQ(ShowMuted(folder, list), expected);
        }
        // A and B leave: C and D stay muted by their own records.
        present.erase(present.begin(), present.begin() + 1);
        std::erase_if(present, [](const TestMessage& m) { return m.Name == "00000002"; });
        folder.WriteMessages(present);
        expected.erase("00000001");
        expected.erase("00000002");
        EXPECT_EQ(ShowMuted(folder, Build(folder, link)), expected);
        EXPECT_EQ(
            settings::IniReader(folder.FilePath("VLTR.fol")).ReadInteger("Property", "TabInfo", 0),
            1);
      } while (std::next_permutation(
          arrivals.begin(), arrivals.end(),
          [](const TestMessage& x, const TestMessage& y) { return x.Name < y.Name; }));
    }
  }
}

// Two lists: a root with a reply, and a root alone.
struct TwoThreads {
  ThreadList list;
  ThreadNode* first = nullptr;
  ThreadNode* reply = nullptr;
  ThreadNode* second = nullptr;
  TwoThreads(const std::string& first_id, const std::string& second_id) {
    first = NewThreadNode();
    first->MessageId = first->Keep(first_id);
    std::copy_n("00000001", 8, first->Name.begin());
    reply = NewThreadNode(first);
    reply->Depth = 1;
    std::copy_n("00000002", 8, reply->Name.begin());  // no identifier
    second = NewThreadNode(first);
    second->MessageId = second->Keep(second_id);
    std::copy_n("00000003", 8, second->Name.begin());
    AppendNode(first, reply);
    AppendNode(reply, second);
    list.Reset(first);
  }
};

TEST(MuteListTest, BadSectionsAreReadAsFarAsTheyGoAndOtherKeysSurviveTheWrites) {
  const std::string property = "[Property]\r\nTabInfo=1\r\nMlStringDelete=1\r\n";
  struct Case {
    std::string section;
    bool first_muted;
    const char* why;
  };
  const Case cases[] = {
      {"", false, "no section"},
      {"[Mute]\r\nT00000000000000aa=a@x\r\n", true, "no version: read all the same"},
      {"[Mute]\r\nVersion=7\r\nT00000000000000aa=a@x|2026 more\r\nFormat=new\r\n", false,
       "a newer version's value: its tokens do not name the thread"},
      {"[Mute]\r\nVersion=7\r\nT00000000000000aa=zz \x01\x7f A@X\t\r\n", true,
       "control bytes split tokens; identifiers match ignoring case"},
      {"[Mute]\r\n=a@x\r\nT123=a@x\r\nXa@x\r\n[broken\r\nT00000000000000aa\r\n", false,
       "keys of other forms and lines without '=' are skipped"},
      {"[Mute]\r\nT00000000000000aa=\r\nT00000000000000ab=\"a@x\"\r\n", true,
       "an empty record is none; quotes are taken off the value"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    TestFolder folder;
    folder.WriteFile("VLTR.fol", property + c.section);
    TwoThreads threads("a@x", "b@x");
    MuteList mutes = MuteList::Read(folder.Path());
    EXPECT_TRUE(WriteMutes(folder.Path(), mutes, mutes.Apply(threads.list.Head()), {}));
    EXPECT_EQ(threads.first->Muted, c.first_muted);
    EXPECT_EQ(threads.reply->Muted, c.first_muted) << "a reply shares its thread's mute";
    EXPECT_FALSE(threads.second->Muted);
    // Mute and unmute the second thread: the display settings and every
    // line not of this program's records stay.
    ASSERT_TRUE(ToggleMute(folder.Path(), mutes, threads.second));
    EXPECT_EQ(MuteList::Read(folder.Path()).size(), mutes.size());
    ASSERT_TRUE(ToggleMute(folder.Path(), mutes, threads.second));
    EXPECT_FALSE(threads.second->Muted);
    const mailbox::FolderDisplaySettings shown =
        mailbox::ReadFolderDisplaySettings(folder.Path(), 0);
    EXPECT_EQ(shown.TabInfo, 1);
    EXPECT_EQ(shown.MlStringDelete, 1);
    const std::string text = folder.ReadFile("VLTR.fol");
    if (c.section.find("Format=new") != std::string::npos) {
      EXPECT_NE(text.find("Version=7\r\n"), std::string::npos) << "a newer version is not lowered";
      EXPECT_NE(text.find("Format=new\r\n"), std::string::npos);
    }
  }
}

TEST(MuteListTest, AHugeSectionIsReadWholeAndTwoWritersKeepEachOthersThreads) {
  std::string text = "[Property]\r\nTabInfo=0\r\n[Mute]\r\nVersion=1\r\n";
  for (int i = 0; i < 100000; ++i) {
    char line[64];
    std::snprintf(line, sizeof line, "T%016x=id%d@huge\r\n", static_cast<unsigned>(i), i);
    text += line;
  }
  TestFolder folder;
  folder.WriteFile("VLTR.fol", text);
  MuteList window1 = MuteList::Read(folder.Path());
  MuteList window2 = MuteList::Read(folder.Path());
  EXPECT_EQ(window1.size(), 100000u);
  TwoThreads threads1("id99999@huge", "new1@x");
  TwoThreads threads2("id0@huge", "new2@x");
  window1.Apply(threads1.list.Head());
  window2.Apply(threads2.list.Head());
  EXPECT_TRUE(threads1.first->Muted);
  // Each window mutes its own thread and unmutes one the file held; neither
  // undoes the other's.
  ASSERT_TRUE(ToggleMute(folder.Path(), window1, threads1.second));
  ASSERT_TRUE(ToggleMute(folder.Path(), window2, threads2.second));
  ASSERT_TRUE(ToggleMute(folder.Path(), window2, threads2.first));
  TwoThreads check1("new1@x", "new2@x");
  TwoThreads check2("id0@huge", "id99999@huge");
  // (Each check reads the file afresh: the two lists reuse message names.)
  MuteList::Read(folder.Path()).Apply(check1.list.Head());
  MuteList now = MuteList::Read(folder.Path());
  now.Apply(check2.list.Head());
  EXPECT_TRUE(check1.first->Muted);
  EXPECT_TRUE(check1.second->Muted);
  EXPECT_FALSE(check2.first->Muted) << "unmuted by the second window";
  EXPECT_TRUE(check2.second->Muted);
  EXPECT_EQ(now.size(), 100001u);
}

TEST(MuteListTest, UnreadMovesSkipMutedThreadsAndTheRowsCanLeaveThemOut) {
  // Threads: [0 unread, 1 unread] [2 unread] [3 read, 4 unread]; the second muted.
  std::vector<ThreadNode*> nodes;
  ThreadNode* last = nullptr;
  const int depths[] = {0, 1, 0, 0, 1};
  const bool unread[] = {true, true, true, false, true};
  for (int i = 0; i < 5; ++i) {
    ThreadNode* node = NewThreadNode(last);
    node->Depth = depths[i];
    if (unread[i]) node->StatusBlock[3] = 0x40;
    if (last != nullptr) AppendNode(last, node);
    nodes.push_back(last = node);
  }
  ThreadList list(nodes[0]);
  nodes[2]->Muted = true;
  RowView rows;
  rows.Reset(nodes, 0, {});
  EXPECT_EQ(rows.FindUnread(nodes[1], UnreadDirection::kNext), nodes[4]);
  EXPECT_EQ(rows.FindUnread(nodes[3], UnreadDirection::kPrevious), nodes[1]);
  EXPECT_EQ(rows.NextUnreadThread(nodes[0]), nodes[4]);
  EXPECT_EQ(FindUnreadRow(nodes[1], 1, UnreadDirection::kNext), 4);
  EXPECT_EQ(rows.Adjacent(nodes[1], UnreadDirection::kNext), nodes[3]) << "Space runs past it";
  EXPECT_EQ(rows.Adjacent(nodes[3], UnreadDirection::kPrevious), nodes[1]);
  rows.SetHideMuted(true);
  EXPECT_EQ(rows.RowOf(nodes[2]), -1);
  EXPECT_EQ(rows.RowOf(nodes[3]), 2);
  const QueryClock clock{{2026, 3, 31}, [](const CivilDay&) { return std::int64_t{0}; }};
  rows.SetFilter(ParseQuery("x", clock));  // matches nothing, then everything again
  rows.SetFilter(ParseQuery("", clock));
  EXPECT_EQ(rows.size(), 4u) << "a muted thread stays out when the filter changes";
  nodes[2]->Muted = false;
  rows.MutesChanged();
  EXPECT_EQ(rows.RowOf(nodes[2]), 2);
}

TEST(CatchUpTest, OlderThanCountsWholeDaysBeforeAFixedClock) {
  const std::uint32_t now = 1'700'000'000;
  const std::uint32_t day = kSecondsPerDay;
  struct Row {
    std::uint32_t stamp;
    bool unread;
    bool older_than_3;  // chosen with N = 3
    const char* why;
  };
  const Row table[] = {
      {now - 3 * day - 1, true, true, "a second past three days"},
      {now - 3 * day, true, false, "exactly three days is not older"},
      {now - 3 * day + 1, true, false, "younger"},
      {now - 10 * day, false, false, "read messages are never chosen"},
      {0, true, true, "no stamp: as old as can be"},
      {now + day, true, false, "a stamp ahead of the clock"},
  };
  std::vector<ThreadNode*> nodes;
  ThreadNode* last = nullptr;
  for (const Row& row : table) {
    ThreadNode* node = NewThreadNode(last);
    for (int b = 0; b < 4; ++b)
      node->StatusBlock[8 + b] = static_cast<std::uint8_t>(row.stamp >> (24 - 8 * b));
    if (row.unread) node->StatusBlock[3] = 0x40;
    if (last != nullptr) AppendNode(last, node);
    nodes.push_back(last = node);
  }
  ThreadList list(nodes[0]);
  const std::vector<ThreadNode*> older = ChooseCatchUp(list.Head(), 3, now);
  const std::vector<ThreadNode*> all = ChooseCatchUp(list.Head(), -1, now);
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    SCOPED_TRACE(table[i].why);
    EXPECT_EQ(std::count(older.begin(), older.end(), nodes[i]), table[i].older_than_3 ? 1 : 0);
    EXPECT_EQ(std::count(all.begin(), all.end(), nodes[i]), table[i].unread ? 1 : 0);
  }
  EXPECT_TRUE(std::is_sorted(all.begin(), all.end(), [&](ThreadNode* x, ThreadNode* y) {
    return std::find(nodes.begin(), nodes.end(), x) < std::find(nodes.begin(), nodes.end(), y);
  })) << "in list order";
}

// The print that spares most messages the exact look-up must never hide one
// of a muted thread, nor mute a look-alike.
TEST(MuteListTest, IdentifiersAlikeInThePrintedPlacesAreToldApart) {
  const std::string base = "0123456789abcdef0123456789ABCDEF01234567@x";
  std::string near = base;
  near[10] = 'Z';  // outside the first, middle and last eight bytes
  struct Case {
    std::string muted;   // the first thread's identifier, muted
    std::string second;  // the second thread's, muted only when it is the same
    bool second_muted;
    const char* why;
  };
  const Case cases[] = {
      {base, near, false, "one byte apart where the print does not look"},
      {"a@x", "A@X", true, "letter case ignored"},
      {"a@x", "a`x", false, "'@' and '`' share a print, not an identity"},
      {base, base.substr(0, base.size() - 1), false, "one byte shorter"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    TwoThreads threads(c.muted, c.second);
    MuteList mutes;
    mutes.Mute(threads.first);
    TwoThreads shown(c.muted, c.second);
    mutes.Apply(shown.list.Head());
    EXPECT_TRUE(shown.first->Muted);
    EXPECT_TRUE(shown.reply->Muted) << "the reply is recorded by its name";
    EXPECT_EQ(shown.second->Muted, c.second_muted);
  }
}

// The rows' pass marks the muted threads as Apply does: a record met further
// down a thread mutes the messages before it, stale flags are cleared, and
// the record grows by the thread's other messages in list order.
TEST(MuteListTest, TheRowsPassMarksAsApplyDoes) {
  const char* const ids[] = {"r0@x", "r1@x", "r2@x", "s0@x"};
  const int depths[] = {0, 1, 1, 0};
  struct Case {
    int recorded;  // the message the record holds
    std::vector<std::string> grown;
    const char* why;
  };
  const Case cases[] = {
      {0, {"r0@x", "r1@x", "r2@x"}, "the thread's first message"},
      {1, {"r1@x", "r0@x", "r2@x"}, "a reply in the middle: the first is muted after it"},
      {2, {"r2@x", "r0@x", "r1@x"}, "the last reply"},
      {3, {}, "a thread of one: nothing joins"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    TestFolder folder;
    folder.WriteFile("VLTR.fol", std::string("[Mute]\r\nVersion=1\r\nT00000000000000aa=") +
                                     ids[c.recorded] + "\r\n");
    for (const bool rows_pass : {false, true}) {
      ThreadNode* nodes[4];
      for (int i = 0; i < 4; ++i) {
        nodes[i] = NewThreadNode(i > 0 ? nodes[0] : nullptr);
        nodes[i]->MessageId = nodes[i]->Keep(ids[i]);
        nodes[i]->Depth = depths[i];
        nodes[i]->Muted = true;  // left from an earlier mute
        if (i > 0) AppendNode(nodes[i - 1], nodes[i]);
      }
      const ThreadList list(nodes[0]);
      MuteList mutes = MuteList::Read(folder.Path());
      std::vector<MuteRecord> grown;
      if (!rows_pass) {
        grown = mutes.Apply(list.Head());
      } else {
        MuteMarker marker(mutes);
        mailbox::FolderInfo shown;
        EXPECT_EQ(FillThreadList(list.Head(), shown, false, &marker).Rows.size(), 4u);
        grown = marker.Finish();
      }
      SCOPED_TRACE(rows_pass ? "in the rows' pass" : "by Apply");
      for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(nodes[i]->Muted, (i < 3) == (c.recorded < 3)) << ids[i];
      }
      std::vector<std::string> grown_tokens;
      for (const MuteRecord& record : grown) {
        grown_tokens.insert(grown_tokens.end(), record.Tokens.begin(), record.Tokens.end());
      }
      EXPECT_EQ(grown_tokens, c.grown);
    }
  }
}

// The dialog's list: each muted thread once with its subject, newest date
// and count, then the records whose messages all left; unmuting one of
// either kind leaves only the others in the file.
TEST(MuteListTest, TheMutedThreadsAreListedWithRecordsAloneAndUnmutedOneByOne) {
  TestFolder folder;
  folder.WriteFile("VLTR.fol",
                   "[Property]\r\nTabInfo=1\r\n[Mute]\r\nVersion=1\r\n"
                   "T00000000000000aa=gone@x\r\nT00000000000000ab=<00000099\r\n");
  TwoThreads threads("a@x", "b@x");
  threads.first->Subject = threads.first->Keep(" Hello");
  const std::uint32_t stamps[] = {1'700'000'000, 1'700'000'600, 1'600'000'000};
  ThreadNode* nodes[] = {threads.first, threads.reply, threads.second};
  for (int n = 0; n < 3; ++n) {
    for (int b = 0; b < 4; ++b)
      nodes[n]->StatusBlock[8 + b] = static_cast<std::uint8_t>(stamps[n] >> (24 - 8 * b));
  }
  MuteList mutes = MuteList::Read(folder.Path());
  mutes.Apply(threads.list.Head());
  ASSERT_TRUE(ToggleMute(folder.Path(), mutes, threads.first));
  struct Row {
    const char* subject;
    std::uint32_t last;
    std::size_t count;
    bool alone;
  };
  const Row expected[] = {
      {" Hello", stamps[1], 2, false},  // the reply is the newer
      {"<gone@x>", 0, 0, true},
      {"00000099", 0, 0, true},  // recorded by its name
  };
  std::vector<MutedThread> listed = mutes.Threads(threads.list.Head());
  ASSERT_EQ(listed.size(), std::size(expected));
  for (std::size_t i = 0; i < listed.size(); ++i) {
    SCOPED_TRACE(expected[i].subject);
    EXPECT_EQ(listed[i].Subject, expected[i].subject);
    EXPECT_EQ(listed[i].Last, expected[i].last);
    EXPECT_EQ(listed[i].Count, expected[i].count);
    EXPECT_EQ(listed[i].Root == nullptr, expected[i].alone);
  }
  // Unmute the thread and the first record alone.
  EXPECT_TRUE(WriteMutes(folder.Path(), mutes, {}, mutes.Unmute(listed[0])));
  EXPECT_TRUE(WriteMutes(folder.Path(), mutes, {}, mutes.Unmute(listed[1])));
  EXPECT_FALSE(threads.first->Muted);
  EXPECT_FALSE(threads.reply->Muted);
  MuteList now = MuteList::Read(folder.Path());
  ASSERT_EQ(now.size(), 1u);
  const std::vector<MutedThread> left = now.Threads(threads.list.Head());
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].Subject, "00000099");
  EXPECT_TRUE(mutes.Unmute(listed[1]).empty()) << "a record taken out twice gives nothing";
}

TEST(CatchUpTest, StampsReadAsCivilDates) {
  const struct {
    std::uint32_t seconds;
    const char* text;
    const char* why;
  } cases[] = {
      {0, "", "no stamp"},
      {1, "1970/01/01 00:00", "the first second"},
      {951'782'400, "2000/02/29 00:00", "a leap day of a century divisible by 400"},
      {1'700'000'000, "2023/11/14 22:13", "minutes cut, not rounded"},
      {4'294'967'295, "2106/02/07 06:28", "the greatest stamp"},
  };
  for (const auto& c : cases) EXPECT_EQ(StampText(c.seconds), c.text) << c.why;
}

}  // namespace
}  // namespace thread
