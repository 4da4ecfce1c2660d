// The thread cache "VLTR.ume": its text, and opening a folder through it.

#include "thread/thread_cache.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tests/load_fakes_support.h"
#include "tests/mail_folder_support.h"
#include "thread/ja_texts.h"

namespace thread {
namespace {

using folder_fixture::FakeHost;
using folder_fixture::ListShape;
using folder_fixture::MakeMessage;
using folder_fixture::RecordingProgress;
using folder_fixture::TestFolder;
using folder_fixture::TestMessage;

std::string CacheRecord(const std::string& name, int depth, const std::string& id = "",
                        const std::string& reply_to = "", const std::string& reference = "") {
  return "-*(VLTR)*-\r\n" + id + "\r\n" + reply_to + "\r\n" + reference + "\r\n" + name + ":" +
         std::to_string(depth) + "\r\n";
}

CacheContents ReadText(const std::string& text, LoadContext* context = nullptr) {
  return ReadThreadCache(text, "dir", context);
}

Stamp StampOf(std::uint32_t value) {
  return Stamp{static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
               static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
}

ThreadNode* Node(const std::string& name, int depth, std::uint32_t stamp,
                 const std::string& id = "") {
  ThreadNode* node = NewThreadNode();
  std::copy(name.begin(), name.end(), node->Name.begin());
  node->Depth = depth;
  node->MessageId = node->Keep(id);
  const Stamp bytes = StampOf(stamp);
  std::copy(bytes.begin(), bytes.end(), node->StatusBlock.begin() + 8);
  return node;
}

// A list built from nodes in order.
ThreadList Chain(const std::vector<ThreadNode*>& nodes) {
  for (std::size_t i = 1; i < nodes.size(); ++i) AppendNode(nodes[i - 1], nodes[i]);
  return ThreadList(nodes.empty() ? nullptr : nodes.front());
}

TEST(CacheLastDateTest, EncodesEachNibbleAsALetter) {
  EXPECT_EQ(EncodeLastDate(Stamp{0x00, 0x01, 0x02, 0x03}), "AAABACAD");
  EXPECT_EQ(EncodeLastDate(Stamp{0xFF, 0x10, 0x0A, 0x80}), "PPBAAKIA");
}

TEST(CacheLastDateTest, DecodesLetterPairsModulo256) {
  struct Case {
    const char* letters;
    Stamp expected;
    const char* reason;
  };
  const Case cases[] = {
      {"AAABACAD", {0, 1, 2, 3}, "the written form"},
      {"PPPPPPPP", {0xFF, 0xFF, 0xFF, 0xFF}, "highest letters"},
      {"QAAQAAAA", {0x00, 0x10, 0, 0}, "Q is 16: 16*16 wraps to 0, and a low Q carries"},
      {"aAAAAAAA", {0x00, 0, 0, 0}, "'a' - 'A' is 32: 32*16 wraps to 0"},
      {"AB", {0x01, 0, 0, 0}, "missing letters count as A"},
      {"ABACADAEAF", {1, 2, 3, 4}, "only 8 letters are used"},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeLastDate(c.letters), c.expected) << c.reason;
}

TEST(CacheDepthTest, TakesASignAndDigitsElseZero) {
  struct Case {
    const char* text;
    std::int32_t expected;
    const char* reason;
  };
  const Case cases[] = {
      {"3", 3, "digits"},
      {"+3", 3, "plus sign"},
      {"-2", -2, "minus sign"},
      {"", 0, "nothing"},
      {"-", 0, "sign alone"},
      {"3x", 0, "trailing garbage"},
      {" 3", 0, "leading blank"},
      {"2147483647", 2147483647, "largest"},
      {"2147483648", 0, "past 32 bits"},
      {"-2147483648", -2147483647 - 1, "smallest"},
      {"99999999999999999999999", 0, "far past 32 bits"},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseCacheDepth(c.text), c.expected) << c.reason;
}

TEST(CacheReadTest, ReadsRecordsWithCrLfOrLf) {
  const std::string crlf = CacheRecord("00000001", 0, "a@x", "", "") +
                           CacheRecord("00000002", 1, "b@x", "a@x", "r@x") +
                           "LastDate=AAABACAD\r\n";
  std::string lf = crlf;
  for (std::size_t at; (at = lf.find("\r\n")) != std::string::npos;) lf.erase(at, 1);
  for (const std::string& text : {crlf, lf}) {
    const CacheContents cache = ReadText(text);
    ASSERT_EQ(cache.Status, CacheReadStatus::kLoaded);
    EXPECT_EQ(cache.Records, 2);
    EXPECT_EQ(ListShape(cache.List.Head()), "00000001/0 00000002/1");
    const ThreadNode* second = cache.List.Head()->Next;
    EXPECT_EQ(second->MessageId, "b@x");
    EXPECT_EQ(second->InReplyTo, "a@x");
    EXPECT_EQ(second->LastReference, "r@x");
    EXPECT_EQ(second->FilePath, platform::JoinPath("dir", "00000002.qnm"));
    EXPECT_EQ(cache.LastDate, (Stamp{0, 1, 2, 3}));
  }
}

TEST(CacheReadTest, ARecordCutShortOrOverlongMakesTheCacheUnusable) {
  const std::string whole = CacheRecord("00000001", 0, "a@x");
  struct Case {
    std::string text;
    CacheReadStatus status;
    int records;  // when loaded
    const char* why;
  };
  const Case cases[] = {
      {whole, CacheReadStatus::kLoaded, 1, "a missing LastDate line reads as zero"},
      {"-*(VLTR)*-\r\n\r\n\r\n\r\n00000001:0", CacheReadStatus::kLoaded, 1,
       "a last line without its line end is whole"},
      {"-*(VLTR)*-\r\na@x\r\n\r\n\r\n", CacheReadStatus::kUnusable, 0, "the only record cut short"},
      {whole + "-*(VLTR)*-\r\nb@x\r\n", CacheReadStatus::kUnusable, 0, "a later record cut short"},
      {"-*(VLTR)*-\r\n" + std::string(1000, 'x') + "\r\n\r\n\r\n00000001:0\r\n",
       CacheReadStatus::kUnusable, 0, "an overlong identifier line"},
      {"-*(VLTR)*-\r\n\r\n\r\n" + std::string(1000, 'x') + "\r\n00000001:0\r\n",
       CacheReadStatus::kUnusable, 0, "an overlong reference line"},
      {"-*(VLTR)*-\r\n\r\n\r\n\r\n00000001:" + std::string(995, '0') + "1\r\nLastDate=AAAAAAAB\r\n",
       CacheReadStatus::kUnusable, 0, "an overlong name line"},
  };
  for (const Case& c : cases) {
    const CacheContents cache = ReadText(c.text);
    EXPECT_EQ(cache.Status, c.status) << c.why;
    if (c.status != CacheReadStatus::kLoaded) {
      EXPECT_TRUE(cache.List.Empty()) << c.why;
      continue;
    }
    EXPECT_EQ(cache.Records, c.records) << c.why;
    EXPECT_EQ(cache.LastDate, (Stamp{0, 0, 0, 0})) << c.why;
  }
}

TEST(CacheReadTest, ClampsDepthsThatWouldBreakTheList) {
  const std::string text = CacheRecord("00000001", 2) + CacheRecord("00000002", 5) +
                           CacheRecord("00000003", -4) + CacheRecord("00000004", 1) +
                           "-*(VLTR)*-\r\n\r\n\r\n\r\n00000005:x\r\n";
  const CacheContents cache = ReadText(text);
  ASSERT_EQ(cache.Status, CacheReadStatus::kLoaded);
  EXPECT_EQ(ListShape(cache.List.Head()), "00000001/0 00000002/1 00000003/0 00000004/1 00000005/0");
  std::string why;
  EXPECT_TRUE(CheckThreadListIntegrity(cache.List.Head(), &why)) << why;
}

TEST(CacheReadTest, CancelReleasesWhatWasRead) {
  RecordingProgress progress;
  progress.CancelAfterSteps = 1;
  QuietMonitor monitor;
  LoadContext context{progress, monitor};
  const CacheContents cache =
      ReadText(CacheRecord("00000001", 0) + CacheRecord("00000002", 0), &context);
  EXPECT_EQ(cache.Status, CacheReadStatus::kCancelled);
  EXPECT_TRUE(cache.List.Empty());
}

TEST(CacheWriteTest, WritesCrLfRecordsAndTheGreatestStamp) {
  const ThreadList list = Chain({Node("00000001", 0, 0x00010203, "a@x"), Node("00000002", 1, 5),
                                 Node("00000003", 0, 0x7F000000)});
  list.Head()->Next->InReplyTo = list.Head()->Keep("a@x");
  EXPECT_EQ(ThreadCacheText(list.Head()),
            CacheRecord("00000001", 0, "a@x") + CacheRecord("00000002", 1, "", "a@x") +
                CacheRecord("00000003", 0) + "LastDate=HPAAAAAA\r\n");
}

TEST(CacheWriteTest, ReadingBackGivesTheSameList) {
  const ThreadList list = Chain({Node("00000001", 0, 1, "a@x"), Node("00000002", 1, 9, "b@x"),
                                 Node("00000003", 2, 3, "c@x")});
  list.Head()->Next->LastReference = list.Head()->Keep("a@x");
  const CacheContents cache = ReadText(ThreadCacheText(list.Head()));
  EXPECT_EQ(ListShape(cache.List.Head()), ListShape(list.Head()));
  EXPECT_EQ(cache.List.Head()->Next->LastReference, "a@x");
  EXPECT_EQ(cache.LastDate, StampOf(9));
}

TEST(CacheWriteTest, EmptyListLeavesTheFileAlone) {
  TestFolder folder;
  folder.WriteFile("VLTR.ume", "old");
  const CacheWriter writer(nullptr);
  EXPECT_TRUE(writer.Commit(folder.FilePath("VLTR.ume")));
  EXPECT_EQ(folder.ReadFile("VLTR.ume"), "old");
}

TEST(CacheWriteTest, FailedWriteLeavesNoPartialFile) {
  TestFolder folder;
  // A directory where the cache should be: it cannot be replaced.
  ASSERT_TRUE(platform::MakeDirectory(folder.FilePath("VLTR.ume")));
  folder.WriteFile(platform::JoinPath("VLTR.ume", "keep"), "kept");
  const ThreadList list = Chain({Node("00000001", 0, 1)});
  CacheWriter writer(list.Head());
  writer.Add(*list.Head());
  EXPECT_FALSE(writer.Commit(folder.FilePath("VLTR.ume")));
  EXPECT_EQ(folder.ReadFile(platform::JoinPath("VLTR.ume", "keep")), "kept");
  const auto entries = platform::ListDirectory(folder.Path(), "*");
  ASSERT_EQ(entries.size(), 1u) << "a temporary file was left behind";
  EXPECT_EQ(entries[0].name, "VLTR.ume");
}

// ---- Opening a folder through its cache ---------------------------------

struct CacheLoadFixture {
  TestFolder folder;
  RecordingProgress progress;
  FakeHost monitor;
  LoadContext context{progress, monitor};

  FolderSource Source(int total) const {
    FolderSource source;
    source.Path = folder.Path();
    source.Total = total;
    return source;
  }
};

TEST(CacheLoadTest, DropsMessagesThatLeftTheFolderAndRefreshesTheRest) {
  CacheLoadFixture f;
  f.folder.WriteFile("VLTR.ume", CacheRecord("00000001", 0, "m1@test") +
                                     CacheRecord("00000002", 1, "m2@test", "m1@test") +
                                     CacheRecord("00000003", 2, "m3@test", "m2@test") +
                                     "LastDate=AAAAAAAK\r\n");
  TestMessage first = MakeMessage(1, 10);
  first.Sender = "new sender";
  TestMessage third = MakeMessage(3, 10);
  third.Subject = "Re: now";
  third.Unread = true;
  f.folder.WriteMessages({first, third}, false);

  // A Total smaller than the index: the table must not overrun.
  const ThreadLoad load = LoadThreadCache(f.Source(1), f.context);
  ASSERT_TRUE(load.Show);
  EXPECT_FALSE(load.ForgetFolder);
  EXPECT_EQ(ListShape(load.List.Head()), "00000001/0 00000003/1");
  const ThreadNode* head = load.List.Head();
  EXPECT_EQ(head->Sender, "new sender");
  EXPECT_FALSE(IsUnread(*head));
  EXPECT_EQ(head->Next->Subject, "Re: now");
  EXPECT_TRUE(IsUnread(*head->Next));
  EXPECT_EQ(head->Next->MessageId, "m3@test") << "identifiers come from the cache";
}

TEST(CacheLoadTest, CacheIsCurrentOnlyWhenARewriteWouldReadTheSame) {
  // The open skips rewriting "VLTR.ume" when it reports the cache current, so
  // any change the rewrite would carry must clear it.
  struct Case {
    std::string last_date;
    std::vector<int> messages;  // names in the index, each dated 10
    int extra_date;             // a new message 3 replying to m1, or 0 for none
    bool current;
    bool complete;  // OpenCache alone leaves nothing to link (no progress dialog needed)
    const char* reason;
  };
  const std::vector<Case> cases = {
      {"AAAAAAAK", {1, 2}, 0, true, true, "every record found, nothing new, same LastDate"},
      {"AAAAAAAK", {1}, 0, false, true, "a message left the folder"},
      {"AAAAAAAK", {4}, 0, false, false, "every message left: a full build follows"},
      {"AAAAAAAK", {1, 2}, 11, false, false, "new mail was linked"},
      {"AAAAAAAJ",
       {1, 2},
       0,
       false,
       false,
       "LastDate behind the list: the same mail is looked at again"},
      {"AAAAAAAZ",
       {1, 2},
       0,
       false,
       true,
       "LastDate ahead of the list: mail dated between is missed"},
  };
  for (const Case& c : cases) {
    CacheLoadFixture f;
    f.folder.WriteFile("VLTR.ume", CacheRecord("00000001", 0, "m1@test") +
                                       CacheRecord("00000002", 1, "m2@test", "m1@test") +
                                       "LastDate=" + c.last_date + "\r\n");
    std::vector<TestMessage> messages;
    for (int n : c.messages) messages.push_back(MakeMessage(n, 10));
    if (c.extra_date != 0) {
      messages.push_back(MakeMessage(3, c.extra_date));
      messages.back().InReplyTo = "m1@test";
    }
    f.folder.WriteMessages(messages);
    const FolderSource source = f.Source(static_cast<int>(messages.size()));
    EXPECT_EQ(OpenCache(source, f.context).Complete(), c.complete) << c.reason;
    const ThreadLoad load = LoadThreadCache(source, f.context);
    EXPECT_EQ(load.CacheCurrent, c.current) << c.reason;
  }
}

TEST(CacheLoadTest, LinksOnlyRecordsNewerThanLastDate) {
  CacheLoadFixture f;
  f.folder.WriteFile("VLTR.ume", CacheRecord("00000001", 0, "m1@test") + "LastDate=AAAAAAAK\r\n");
  TestMessage equal = MakeMessage(2, 10);
  equal.InReplyTo = "m1@test";
  TestMessage newer = MakeMessage(3, 11);
  newer.InReplyTo = "m1@test";
  f.folder.WriteMessages({MakeMessage(1, 10), equal, newer});

  const ThreadLoad load = LoadThreadCache(f.Source(3), f.context);
  EXPECT_EQ(ListShape(load.List.Head()), "00000001/0 00000003/1");
  EXPECT_EQ(load.List.Head()->Next->MessageId, "m3@test") << "headers scanned";
}

TEST(CacheLoadTest, WithoutLastDateEveryRecordIsNew) {
  CacheLoadFixture f;
  f.folder.WriteFile("VLTR.ume", CacheRecord("00000001", 0, "m1@test") +
                                     CacheRecord("00000002", 0));
  TestMessage no_id = MakeMessage(2, 5);
  no_id.MessageId.clear();
  f.folder.WriteMessages({MakeMessage(1, 5), no_id});

  const ThreadLoad load = LoadThreadCache(f.Source(2), f.context);
  // m1 is already there and is dropped; the message without an identifier
  // cannot be recognised and is added a second time.
  EXPECT_EQ(ListShape(load.List.Head()), "00000001/0 00000002/0 00000002/0");
}

TEST(CacheLoadTest, WhatAnUnusableCacheOrAnOpenStoppedEarlyShows) {
  const std::string two_records =
      CacheRecord("00000001", 0, "m1@test") + CacheRecord("00000002", 0, "m2@test");
  struct Case {
    std::optional<std::string> cache;  // none: no cache file
    bool index;
    int switch_after_pumps;
    bool show, forget;
    const char* why;
  };
  const Case cases[] = {
      {"", true, -1, false, false, "an empty cache asks for a full build"},
      {"-*(VLTR)*-\r\nm1@test\r\n", true, -1, false, false, "so does one cut short"},
      {std::nullopt, true, -1, false, false, "and a missing one"},
      {two_records + "LastDate=AAAAAAAB\r\n", false, -1, true, true,
       "a missing index empties the list and forgets the folder"},
      {two_records, true, 1, true, true, "another folder chosen while reading the cache"},
  };
  for (const Case& c : cases) {
    CacheLoadFixture f;
    if (c.cache) f.folder.WriteFile("VLTR.ume", *c.cache);
    if (c.index) f.folder.WriteMessages({MakeMessage(1, 1), MakeMessage(2, 2)});
    f.monitor.SwitchAfterPumps = c.switch_after_pumps;
    const ThreadLoad load = LoadThreadCache(f.Source(2), f.context);
    EXPECT_EQ(load.Show, c.show) << c.why;
    EXPECT_EQ(load.ForgetFolder, c.forget) << c.why;
    EXPECT_TRUE(load.List.Empty()) << c.why;
  }
}

TEST(CacheLoadTest, RepeatedNameResolvesLikeTheTableScan) {
  // Three index records, the first and the last with the same name. The first
  // half of the lookups (here one) search from the front and find the first
  // record; the rest search from the back and find the last.
  TestMessage early = MakeMessage(1, 1);
  early.Subject = "early";
  TestMessage late = MakeMessage(1, 1);
  late.Subject = "late";
  for (bool repeated_first : {true, false}) {
    CacheLoadFixture f;
    f.folder.WriteMessages({early, MakeMessage(2, 1), late}, false);
    const std::string repeated = CacheRecord("00000001", 0, "m1@test");
    const std::string other = CacheRecord("00000002", 0, "m2@test");
    f.folder.WriteFile("VLTR.ume", (repeated_first ? repeated + other : other + repeated) +
                                       "LastDate=AAAAAAAB\r\n");
    const ThreadLoad load = LoadThreadCache(f.Source(3), f.context);
    const ThreadNode* node = load.List.Head();
    if (!repeated_first) node = node->Next;
    EXPECT_EQ(node->Subject, repeated_first ? "early" : "late");
  }
}

TEST(CacheLoadTest, ReportsEachPhaseWithItsCancelStateAndRange) {
  CacheLoadFixture f;
  f.folder.WriteFile("VLTR.ume", CacheRecord("00000001", 0, "m1@test") +
                                     CacheRecord("00000002", 0, "m2@test") + "LastDate=AAAAAAAB\r\n");
  TestMessage fresh = MakeMessage(3, 2);
  fresh.Subject = "fresh";
  f.folder.WriteMessages({MakeMessage(1, 1), fresh}, true);
  f.folder.Remove("00000003.qnm");  // a new message whose file is gone is still linked

  const ThreadLoad load = LoadThreadCache(f.Source(7), f.context);
  EXPECT_EQ(ListShape(load.List.Head()), "00000001/0 00000003/0");
  const std::vector<std::string> expected = {
      "title:" + std::string(ja::kCacheReadTitle),
      "cancel:0",
      "title:" + std::string(ja::kReconcileTitle),
      "range:0-2",
      "position:0",
      "cancel:1",
      "title:" + std::string(ja::kNewMailTitle),
      "range:0-6",
      "position:0",
  };
  EXPECT_EQ(f.progress.Events, expected);
  // The removed node's subject (a cached node that is not in the index never
  // got one), then the new message's.
  EXPECT_EQ(f.progress.MailTitles, (std::vector<std::string>{"", "fresh"}));
  EXPECT_TRUE(f.monitor.MainWindowEnabled);
}

TEST(CacheLoadTest, CancelDuringNewMailKeepsWhatWasLinked) {
  CacheLoadFixture f;
  f.folder.WriteFile("VLTR.ume", CacheRecord("00000001", 0, "m1@test") + "LastDate=AAAAAAAB\r\n");
  f.folder.WriteMessages({MakeMessage(1, 1), MakeMessage(2, 2), MakeMessage(3, 3)});
  // One step for the cached record, one for the reconciled node, one for the
  // first new message: cancel is seen after it.
  f.progress.CancelAfterSteps = 3;
  const ThreadLoad load = LoadThreadCache(f.Source(3), f.context);
  EXPECT_TRUE(load.Show);
  EXPECT_FALSE(load.ForgetFolder);
  EXPECT_EQ(ListShape(load.List.Head()), "00000001/0 00000002/0");
}

}  // namespace
}  // namespace thread
