// Tests of the demo mailbox generator's parts and of its determinism: the
// index record encoding read back as the folder reader reads it, the
// arguments, the Date header.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/files.h"
#include "settings/ini_profile.h"
#include "tests/mkmailbox_support.h"
#include "tests/temp_dir_support.h"
#include "tools/mkmailbox/generator.h"
#include "tools/mkmailbox/index_format.h"
#include "tools/mkmailbox/message_text.h"

namespace {

using mkmailbox::Options;
using mkmailbox_testing::CollectFiles;
using mkmailbox_testing::DecodedRecord;
using mkmailbox_testing::DecodeRecord;
using platform::JoinPath;
using testing_support::TempDir;

TEST(MkMailboxTest, SameSeedGivesSameBytesAndOtherSeedOtherBytes) {
  Options options;
  options.seed = 11;
  options.messages_per_folder = 12;
  options.big_folder_messages = 20;
  TempDir first, second, third;
  std::string error;
  ASSERT_TRUE(mkmailbox::GenerateMailbox(options, first.path(), error)) << error;
  ASSERT_TRUE(mkmailbox::GenerateMailbox(options, second.path(), error)) << error;
  options.seed = 12;
  ASSERT_TRUE(mkmailbox::GenerateMailbox(options, third.path(), error)) << error;
  std::map<std::string, std::string> a, b, c;
  CollectFiles(first.path(), "", a);
  CollectFiles(second.path(), "", b);
  CollectFiles(third.path(), "", c);
  EXPECT_GT(a.size(), 150u);
  EXPECT_TRUE(a == b) << "two runs with one seed differ";
  EXPECT_NE(a.at("Mailbox/Acc1/Inbox.box/Entry.lst"), c.at("Mailbox/Acc1/Inbox.box/Entry.lst"));
}

TEST(MkMailboxTest, StatusFieldDecodesToTheIntendedBlock) {
  struct Case {
    std::uint32_t flags, size, date;
    const char* reason;
  };
  const Case cases[] = {
      {thread::kUnreadFlag, 0, 0x01020304, "unread bit is 0x40 of byte 3"},
      {thread::kAttachmentFlag, 0x00001234, 0x660A5A70, "attachment bit is 0x80 of byte 2"},
      {thread::kUnreadFlag | thread::kAttachmentFlag, 0xFFFFFFFF, 0xFFFFFFFF, "all ones"},
      {0, 0, 0, "all zero"},
  };
  for (const Case& c : cases) {
    const std::string field = mkmailbox::EncodeStatusField(c.flags, c.size, c.date);
    ASSERT_EQ(field.size(), 16u) << c.reason;
    DecodedRecord record;
    ASSERT_TRUE(DecodeRecord("00000001=" + field + "a:b", record)) << c.reason;
    EXPECT_EQ(record.flags(), c.flags) << c.reason;
    EXPECT_EQ((record.block[3] & 0x40) != 0, (c.flags & thread::kUnreadFlag) != 0) << c.reason;
    EXPECT_EQ((record.block[2] & 0x80) != 0, (c.flags & thread::kAttachmentFlag) != 0) << c.reason;
    EXPECT_EQ(record.BigEndianWord(4), c.size) << c.reason;
    EXPECT_EQ(record.BigEndianWord(8), c.date) << c.reason;
    EXPECT_EQ(record.block[8], c.date >> 24) << c.reason;
    EXPECT_EQ(mkmailbox::EncodeStatusField(record.block), field)
        << c.reason << ": the block as read encodes back to the same field";
  }
}

// Every record comes out unread with its other bits, size and date kept;
// what is not a whole record comes out byte for byte.
TEST(MkMailboxTest, EveryRecordUnreadSetsOnlyTheUnreadBit) {
  const std::uint32_t flags = thread::kAttachmentFlag | 0x5;
  const std::string read_record =
      "00000001=" + mkmailbox::EncodeStatusField(flags, 1234, 0x5f000000) + "a:b\r\n";
  const std::string unread_record =
      "00000002=" + mkmailbox::EncodeStatusField(thread::kUnreadFlag, 10, 20) + "c:d\r\n";
  struct Case {
    std::string line;
    bool record;  // read back as a record that must be unread
    const char* reason;
  };
  const Case cases[] = {
      {read_record, true, "a read record"},
      {unread_record, true, "an unread record"},
      {"00000003=AAAA!AAAAAAAAAAAsender:subject\r\n", false, "a damaged status field"},
      {"[Header]\r\n", false, "a line that is no record"},
      {"00000004=" + mkmailbox::EncodeStatusField(0, 1, 2) + "x:y", true,
       "the last record without a line end"},
  };
  std::string index;
  for (const Case& c : cases) index += c.line;
  const std::string unread = mkmailbox::WithEveryRecordUnread(index);
  ASSERT_EQ(unread.size(), index.size());
  std::size_t at = 0;
  for (const Case& c : cases) {
    const std::string line = unread.substr(at, c.line.size());
    at += c.line.size();
    if (!c.record) {
      EXPECT_EQ(line, c.line) << c.reason;
      continue;
    }
    DecodedRecord before, after;
    ASSERT_TRUE(DecodeRecord(c.line, before)) << c.reason;
    ASSERT_TRUE(DecodeRecord(line, after)) << c.reason;
    EXPECT_EQ(after.flags(), before.flags() | thread::kUnreadFlag) << c.reason;
    EXPECT_EQ(after.BigEndianWord(4), before.BigEndianWord(4)) << c.reason;
    EXPECT_EQ(after.BigEndianWord(8), before.BigEndianWord(8)) << c.reason;
    EXPECT_EQ(line.substr(25), c.line.substr(25)) << c.reason << ": sender and subject kept";
  }
}

TEST(MkMailboxTest, SubjectColonsRoundTripThroughTheRecord) {
  struct Case {
    const char* subject;
    const char* stored;
    const char* reason;
  };
  const Case cases[] = {
      {" [vt-dev:0012] Re: x", " [vt-dev::0012] Re:: x", "list tag and reply mark"},
      {"a::b", "a::::b", "a doubled colon doubles again"},
      {"ends:", "ends::", "colon at the end"},
      {":", "::", "colon alone"},
      {"\x8f\x54\x96\x96\x82\xcc\x97\x5c\x92\xe8: x",
       "\x8f\x54\x96\x96\x82\xcc\x97\x5c\x92\xe8:: x",
       "Shift-JIS with a 0x5C trail byte"},  // 週末の予定: x
      {"", "", "empty"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(mkmailbox::QuoteIndexSubject(c.subject), c.stored) << c.reason;
    mkmailbox::IndexEntry entry;
    entry.name = "0000ABCD";
    entry.sender = "Taro";
    entry.subject = c.subject;
    std::string line;
    mkmailbox::AppendIndexRecord(line, entry);
    ASSERT_GE(line.size(), 2u);
    EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
    DecodedRecord record;
    ASSERT_TRUE(DecodeRecord(line.substr(0, line.size() - 2), record)) << c.reason;
    EXPECT_EQ(record.name, "0000ABCD");
    EXPECT_EQ(record.sender, "Taro") << c.reason;
    EXPECT_EQ(record.subject, c.subject) << c.reason;
  }
}

TEST(MkMailboxTest, NoBigFolderByDefault) {
  TempDir dir;
  Options options;
  options.messages_per_folder = 2;
  std::string error;
  ASSERT_TRUE(mkmailbox::GenerateMailbox(options, dir.path(), error)) << error;
  const std::string acc1 = JoinPath(JoinPath(dir.path(), "Mailbox"), "Acc1");
  EXPECT_FALSE(platform::DirectoryExists(JoinPath(acc1, "User004.box")));
  EXPECT_EQ(settings::IniReader(JoinPath(acc1, "Account.ini")).ReadString("Property", "Order", ""),
            "IO003002001");
}

TEST(MkMailboxTest, ArgumentsAreValidated) {
  struct Case {
    std::vector<std::string> args;
    bool valid;
    const char* reason;
  };
  const Case cases[] = {
      {{"out"}, true, "output directory alone"},
      {{"--seed", "18446744073709551615", "--big-folder-messages", "1000000",
        "--messages-per-folder", "100000", "out"},
       true,
       "every option at its limit"},
      {{}, false, "no output directory"},
      {{"--seed", "3"}, false, "options without output directory"},
      {{"a", "b"}, false, "two output directories"},
      {{"--seed"}, false, "missing value"},
      {{"--seed", "-1", "out"}, false, "negative"},
      {{"--seed", "1x", "out"}, false, "trailing characters"},
      {{"--seed", "18446744073709551616", "out"}, false, "seed too large"},
      {{"--big-folder-messages", "1000001", "out"}, false, "big folder over its limit"},
      {{"--messages-per-folder", "100001", "out"}, false, "folder size over its limit"},
      {{"--size", "3", "out"}, false, "unknown option"},
  };
  for (const Case& c : cases) {
    Options options;
    std::string output_dir, error;
    EXPECT_EQ(mkmailbox::ParseArguments(c.args, options, output_dir, error), c.valid) << c.reason;
    if (!c.valid) {
      EXPECT_FALSE(error.empty()) << c.reason;
    }
  }
  Options options;
  std::string output_dir, error;
  ASSERT_TRUE(mkmailbox::ParseArguments({"--seed", "9", "--big-folder-messages", "70", "dir"},
                                        options, output_dir, error));
  EXPECT_EQ(options.seed, 9u);
  EXPECT_EQ(options.big_folder_messages, 70u);
  EXPECT_EQ(options.messages_per_folder, Options{}.messages_per_folder) << "not given: the default";
  EXPECT_EQ(output_dir, "dir");
}

TEST(MkMailboxTest, MailDateIsJapanTime) {
  struct Case {
    std::uint32_t time;
    const char* text;
  };
  const Case cases[] = {
      {0, "Thu, 01 Jan 1970 09:00:00 +0900"},
      {1711897200, "Mon, 01 Apr 2024 00:00:00 +0900"},
      {951782400, "Tue, 29 Feb 2000 09:00:00 +0900"},
      {4102444799u, "Fri, 01 Jan 2100 08:59:59 +0900"},
  };
  for (const Case& c : cases) EXPECT_EQ(mkmailbox::FormatMailDate(c.time), c.text);
}

}  // namespace
