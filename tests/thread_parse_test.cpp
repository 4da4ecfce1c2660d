// Index records of "Entry.lst" and the threading headers of message files.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text_reader.h"
#include "tests/temp_dir_support.h"
#include "thread/index_record.h"
#include "thread/message_headers.h"
#include "thread/thread_node.h"

namespace thread {
namespace {

// A record line: name, "=", status field, then sender:subject as given.
std::string Record(const std::string& name, const std::string& status, const std::string& rest) {
  return name + "=" + status + rest + "\n";
}

// The records as IndexRecords finds them (without their line ends).
std::vector<std::string> ReadAllRecords(const std::string& bytes) {
  IndexRecords walker(bytes);
  std::vector<std::string> records;
  std::string_view line;
  while (walker.Next(line)) records.push_back(std::string(line));
  return records;
}

TEST(IndexRecordTest, RecognisesRecordLinesOnly) {
  struct Case {
    std::string line;
    bool expected;
    const char* reason;
  };
  const Case cases[] = {
      {"00000001=" + std::string(15, 'A') + "\n", true, "25 characters with the line end"},
      {"00000001=" + std::string(14, 'A') + "\n", false, "24 characters with the line end"},
      {"00000001=" + std::string(15, 'A'), false, "24 characters, no line end"},
      {"00000001=" + std::string(16, 'A'), true, "25 characters, no line end"},
      {"0000001=AAAAAAAAAAAAAAAAAxxx\n", false, "'=' at position 7"},
      {"000000012AAAAAAAAAAAAAAAAxxx\n", false, "no '=' at position 8"},
      {"Ab_9-xYz=AAAAAAAAAAAAAAAAxxx\n", true, "letters, digits, '_' and '-' make a name"},
      {"[Folder]=AAAAAAAAAAAAAAAAxxx\n", false, "brackets are no name characters"},
      {"ab,c)def=AAAAAAAAAAAAAAAAxxx\n", false, "',' or ')' would change a client command"},
      {"abcd:efg=AAAAAAAAAAAAAAAAxxx\n", false, "':' names an alternate stream"},
      {"ab\x82\xa0wxyz=AAAAAAAAAAAAAAAAxxx\n", false, "a Shift-JIS character"},
      {"..\\..\\ab=AAAAAAAAAAAAAAAAxxx\n", false, "name with '\\' and '..'"},
      {"../../ab=AAAAAAAAAAAAAAAAxxx\n", false, "name with '/'"},
      {"abc..def=AAAAAAAAAAAAAAAAxxx\n", false, "name with '..'"},
      {"abc.d.ef=AAAAAAAAAAAAAAAAxxx\n", false, "a dot would start another extension"},
      {"ab\"cdefg=AAAAAAAAAAAAAAAAxxx\n", false, "name with a double quote"},
      {"ab\tcdefg=AAAAAAAAAAAAAAAAxxx\n", false, "name with a control byte"},
      {std::string("ab\0cdefg=AAAAAAAAAAAAAAAAxxx\n", 29), false, "name with a NUL byte"},
      {"ab\x7f"
       "cdefg=AAAAAAAAAAAAAAAAxxx\n",
       false, "name with DEL"},
  };
  for (const Case& c : cases) EXPECT_EQ(IsIndexRecord(c.line), c.expected) << c.reason;
}

TEST(IndexRecordTest, ReaderYieldsOnlyRecordsThatStartALine) {
  const std::string first = Record("00000001", "AAAAAAAAAAAAAAAA", "Taro:hello");
  // A subject long enough that the second 1000-character piece of its line
  // looks like a record on its own.
  std::string long_line = "00000002=AAAAAAAAAAAAAAAATaro:";
  long_line.append(1000 - long_line.size(), 'x');
  long_line += Record("PHANTOM1", "AAAAAAAAAAAAAAAA", "Evil:phantom");
  const std::string last = Record("00000003", "AAAAAAAAAAAAAAAA", "Hana:bye");
  const std::string text = "[header]\n" + first + long_line + "short\n" + last;

  const std::vector<std::string> records = ReadAllRecords(text);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0] + "\n", first);
  EXPECT_EQ(records[1].substr(0, 8), "00000002");
  EXPECT_EQ(records[1].size(), kIndexReadChars);
  EXPECT_EQ(records[2] + "\n", last);
}

TEST(IndexRecordTest, ReaderCountsTheLineEndAsOneCharacter) {
  const std::string shortest = "00000001=" + std::string(15, 'A');  // 24 characters
  struct Case {
    std::string text;
    std::size_t records;
    const char* reason;
  };
  const Case cases[] = {
      {shortest + "\n", 1, "24 characters and LF"},
      {shortest + "\r\n", 1, "24 characters and CR LF: still one line end"},
      {shortest, 0, "24 characters at the end of the text"},
      {shortest + "\r", 1, "a lone CR is a 25th character"},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadAllRecords(c.text).size(), c.records) << c.reason;
}

TEST(IndexRecordTest, ReaderSkipsUnsafeNames) {
  const std::string text = Record("..\\..\\x.", "AAAAAAAAAAAAAAAA", "a:b") +
                           Record("00000001", "AAAAAAAAAAAAAAAA", "a:b");
  const std::vector<std::string> records = ReadAllRecords(text);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].substr(0, 8), "00000001");
}

TEST(IndexRecordTest, SplitsSenderAndUnquotesSubject) {
  struct Case {
    std::string rest;
    std::string sender;
    std::string subject;
    const char* reason;
  };
  const Case cases[] = {
      {"Taro:Re:: hello\n", "Taro", "Re: hello", "a doubled colon gives one colon"},
      {"Taro:a:b\n", "Taro", "ab", "a single colon before a character is dropped"},
      {"Taro:a:::b\n", "Taro", "a:b", "a third colon quotes the b"},
      {"Taro:hello:\n", "Taro", "hello", "a single colon before the line end gives nothing"},
      {"Taro:hello:", "Taro", "hello", "a single colon at the end of the text gives nothing"},
      {"Taro:hello", "Taro", "hello", "no line end: the copy stops at the end"},
      {"Taro only\n", "Taro only", "", "no colon: all sender, empty subject"},
      {":subject\n", "", "subject", "empty sender"},
      {"\x93\xfa\x96\x7b:\x95\x5c\x8e\xa6\n", "\x93\xfa\x96\x7b", "\x95\x5c\x8e\xa6",
       "Shift-JIS text is copied as it is"},  // 日本:表示
      {"Taro:a\rb\n", "Taro", "a\rb", "a lone CR is an ordinary byte"},
  };
  for (const Case& c : cases) {
    const std::string line = "00000001=AAECAwQFBgcICQoL" + c.rest;
    const IndexRecord record = ParseIndexRecord(line);
    EXPECT_EQ(record.Sender, c.sender) << c.reason;
    EXPECT_EQ(record.Subject, c.subject) << c.reason;
    EXPECT_STREQ(record.Name.data(), "00000001") << c.reason;
    // Parsing into a node takes a shorter road for subjects without quoting.
    ThreadList owner(NewThreadNode());
    ParseIndexRecordInto(line, *owner.Head());
    EXPECT_EQ(owner.Head()->Sender, c.sender) << c.reason << " (into a node)";
    EXPECT_EQ(owner.Head()->Subject, c.subject) << c.reason << " (into a node)";
  }
}

TEST(IndexRecordTest, StatusBlockReversesTheSecondAndThirdWords) {
  struct Case {
    const char* status;
    std::vector<int> block;
    const char* reason;
  };
  const Case cases[] = {
      {"AAECAwQFBgcICQoL", {0, 1, 2, 3, 7, 6, 5, 4, 11, 10, 9, 8, 0, 0, 0}, "bytes 0 to 11"},
      {"AAECAw*FBgcICQoL",
       {0, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
       "a damaged quantum: it and the rest are zero, and the record stays"},
  };
  for (const Case& c : cases) {
    const std::string line = Record("00000001", c.status, "Taro:hello");
    ASSERT_TRUE(IsIndexRecord(line)) << c.reason;
    const IndexRecord record = ParseIndexRecord(line);
    EXPECT_EQ(std::vector<int>(record.StatusBlock.begin(), record.StatusBlock.end()), c.block)
        << c.reason;
    EXPECT_EQ(record.Sender, "Taro") << c.reason;
    EXPECT_EQ(record.Subject, "hello") << c.reason;
  }
}

TEST(IndexRecordTest, FlagWordUnreadAndDateStampComeFromTheStatusBlock) {
  // Bytes 01 00 20 40 | 00 00 00 09 | 65 43 21 10 in the file.
  ThreadList owner(NewThreadNode());  // a node with a store for its texts
  ThreadNode& node = *owner.Head();
  ParseIndexRecordInto(Record("0000000A", "AQAgQAAAAAllQyEQ", "Taro:hi"), node);
  EXPECT_EQ(FlagWord(node), 0x40200001u);
  EXPECT_TRUE(IsUnread(node));
  EXPECT_EQ(DateStamp(node), (Stamp{0x10, 0x21, 0x43, 0x65}));
  EXPECT_STREQ(node.Name.data(), "0000000A");
  EXPECT_EQ(node.Sender, "Taro");
  EXPECT_EQ(node.Subject, "hi");

  node.StatusBlock[3] = 0x3F;
  EXPECT_FALSE(IsUnread(node));
}

TEST(IndexRecordTest, MarkReadClearsOnlyTheUnreadBit) {
  // The mail client keeps other flags in the unread bit's byte: they must survive.
  const ThreadList owner(NewThreadNode());
  ThreadNode& node = *owner.Head();
  ParseIndexRecordInto(Record("0000000A", "/////wAAAAllQyEQ", "Taro:hi"), node);
  ASSERT_EQ(FlagWord(node), 0xFFFFFFFFu);
  const StatusBytes before = node.StatusBlock;
  MarkRead(node);
  EXPECT_FALSE(IsUnread(node));
  EXPECT_EQ(FlagWord(node), 0xBFFFFFFFu);
  for (std::size_t i = 4; i < before.size(); ++i) EXPECT_EQ(node.StatusBlock[i], before[i]) << i;
  MarkRead(node);
  EXPECT_EQ(FlagWord(node), 0xBFFFFFFFu) << "a read message stays as it is";
}

TEST(IndexRecordTest, CompareStampsOrdersByUnsignedBytes) {
  EXPECT_LT(CompareStamps({0x00, 0xFF, 0xFF, 0xFF}, {0x01, 0x00, 0x00, 0x00}), 0);
  EXPECT_GT(CompareStamps({0x80, 0x00, 0x00, 0x00}, {0x7F, 0xFF, 0xFF, 0xFF}), 0);
  EXPECT_EQ(CompareStamps({1, 2, 3, 4}, {1, 2, 3, 4}), 0);
}

TEST(Base64BlockTest, DecodesQuantaAndStopsAtPaddingOrBadCharacters) {
  struct Case {
    std::string text;
    std::vector<int> bytes;
    bool corrupt;
    const char* reason;
  };
  const Case cases[] = {
      {"/+7dzLuqmYh3ZlVE", {0xFF, 0xEE, 0xDD, 0xCC, 0xBB, 0xAA, 0x99, 0x88, 0x77, 0x66, 0x55, 0x44}, false,
       "all four quanta, whole alphabet range"},
      {"AAECAw==BgcICQoL", {0, 1, 2, 3}, false, "'=' in third place: one byte, then decoding ends"},
      {"AAECAwQ=BgcICQoL", {0, 1, 2, 3, 4}, false, "'=' in fourth place: two bytes, then decoding ends"},
      {"AAEC=AAABgcICQoL", {0, 1, 2}, true, "'=' first in a quantum stops there"},
      {"AAECA=AABgcICQoL", {0, 1, 2}, true, "'=' second in a quantum stops there"},
      {"AAECAwQFBg*ICQoL", {0, 1, 2, 3, 4, 5}, true, "a bad character drops its quantum and the rest"},
      {"*AECAwQFBgcICQoL", {}, true, "a bad first character gives nothing"},
      {"AAECAwQFBgcICQo\n", {0, 1, 2, 3, 4, 5, 6, 7, 8}, true, "the line end inside the field is bad"},
      {"AAECAwQF", {0, 1, 2, 3, 4, 5}, true, "short text: missing quanta give nothing"},
  };
  for (const Case& c : cases) {
    const Base64Block block = DecodeBase64Block(c.text);
    EXPECT_EQ(block.Corrupt, c.corrupt) << c.reason;
    ASSERT_EQ(block.Length, c.bytes.size()) << c.reason;
    for (std::size_t i = 0; i < block.Bytes.size(); ++i) {
      EXPECT_EQ(block.Bytes[i], i < c.bytes.size() ? c.bytes[i] : 0) << c.reason << " byte " << i;
    }
  }
}

TEST(BracketedTest, TakesFirstAndLastIdentifiers) {
  struct Case {
    std::string line;
    bool found;
    std::string first;
    std::string last;
    const char* reason;
  };
  const Case cases[] = {
      {"Message-ID: <m1@x>\n", true, "m1@x", "m1@x", "one pair"},
      {"References: <m1> <m2>\n", true, "m1", "m2", "two pairs"},
      {"In-Reply-To: some words <m1>\n", true, "m1", "m1", "words before the pair"},
      {"In-Reply-To: < m1 >\n", true, "m1", "m1", "spaces inside are trimmed"},
      {"References: <m1> <m2\n", true, "m1", "m1", "a last '<' without '>' is no further pair"},
      {"References: <m1> <m2> tail>\n", true, "m1", "m2", "a stray '>' after the last pair"},
      {"References: <m1 <m2>\n", true, "m1 <m2", "m1 <m2", "'<' inside a pair is text"},
      {"x > y < z\n", true, "z", "z", "'>' before '<': text runs from '<' to the end"},
      {"Message-ID: m1\n", false, "", "", "no brackets"},
      {"Message-ID: <m1\n", false, "", "", "no '>' anywhere"},
      {"Message-ID: m1>\n", false, "", "", "no '<' anywhere"},
      {"<>\n", true, "", "", "empty pair is found with empty text"},
  };
  for (const Case& c : cases) {
    const Bracketed first = TakeFirstBracketed(c.line);
    const Bracketed last = TakeLastBracketed(c.line);
    EXPECT_EQ(first.Found, c.found) << c.reason;
    EXPECT_EQ(first.Text, c.first) << c.reason;
    EXPECT_EQ(last.Found, c.found) << c.reason;
    EXPECT_EQ(last.Text, c.last) << c.reason;
  }
}

struct ScanResult {
  std::string message_id;
  std::string in_reply_to;
  std::string last_reference;
  bool ml = false;
};

ScanResult ScanBytes(const std::string& bytes, bool ml_before = false) {
  platform::TextReader reader;
  reader.OpenBytes(bytes);
  ThreadList owner(NewThreadNode());  // a node with a store for its texts
  ThreadNode& node = *owner.Head();
  node.MessageId = node.Keep("stale");
  node.InReplyTo = node.Keep("stale");
  node.LastReference = node.Keep("stale");
  node.MlFlag = ml_before;
  ScanMessageHeaders(reader, node);
  return {node.MessageId.str(), node.InReplyTo.str(), node.LastReference.str(), node.MlFlag};
}

TEST(HeaderScanTest, ReadsTheThreadingHeaders) {
  struct Case {
    std::string text;
    std::string message_id;
    std::string in_reply_to;
    std::string last_reference;
    bool ml;
    const char* reason;
    bool ml_before = false;
  };
  std::string long_header = "X-Long: ";
  long_header.append(kHeaderReadChars - long_header.size(), 'a');
  const Case cases[] = {
      {"Message-Id: <m1>\n\nbody\n", "m1", "", "", false, "mixed-case name"},
      {"message-id:<m1>\n\n", "m1", "", "", false, "lower-case name, no space"},
      {"Resent-Message-ID: <m1>\n\n", "", "", "", false, "first letter R and no REFERENCES:"},
      {"Message-ID:\n <m1>\nSubject: x\n\n", "m1", "", "", false,
       "identifier on a blank-led next line"},
      {"Message-ID:\n\t<m1>\n\n", "m1", "", "", false, "tab-led continuation"},
      {"Message-ID:\n<m1>\n\n", "m1", "", "", false, "'<'-led continuation"},
      {"Message-ID:\n words\n\n", "", "", "", false,
       "continuation without a pair empties the field"},
      {"Message-ID:\nIn-Reply-To: <p1>\n\n", "", "p1", "", false,
       "a non-continuation line is handled as a header of its own"},
      {"Message-ID: <m1>\nMessage-ID: <m2>\n\n", "m2", "", "", false,
       "a later header replaces the value"},
      {"References: <m1> <m2>\n <m3>\nSubject: x\n\n", "", "", "m3", false,
       "continuation gives the last"},
      {"References: <m1> <m2>\n <m3>\n\nMessage-ID: <body>\n", "", "", "m3", false,
       "an empty line after a continuation ends the header block"},
      {"References: <m1>\nplain words\n\n", "", "", "", false,
       "a continuation without a pair empties it"},
      {"References: <m1>\n<m2>\n\t<m3>\nMessage-ID: <m9>\n\n", "m9", "", "m3", false,
       "a line with ':' ends the continuation and is handled"},
      {"References: <m1>\n <m2>", "", "", "m2", false, "the file ends inside the continuation"},
      {"In-Reply-To: some words <p1>\n\n", "", "p1", "", false, "words before the identifier"},
      {"In-Reply-To: < p1 >\n\n", "", "p1", "", false, "spaces trimmed"},
      {"X-ML-Name: list\n\n", "", "", "", true, "X-ML header"},
      {"X-Sequence: list 12\n\n", "", "", "", true, "X-Sequence header"},
      {"Sender: owner@list\n\n", "", "", "", true, "Sender header"},
      {"X-Mailer: client\n\n", "", "", "", false, "X-Mailer is not a list header"},
      {"Subject: x\n\nMessage-ID: <body>\n", "", "", "", false, "the body is never read"},
      {"Subject: x\r\nMessage-ID: <m1>\r\n\r\nIn-Reply-To: <body>\r\n", "m1", "", "", false,
       "CR LF line ends"},
      {"", "", "", "", false, "empty file"},
      {"Subject: x\n\n", "", "", "", true, "the list flag is never cleared", true},
      {"Message-ID: <m1>\nIn-Reply-To: <p1>\nReferences: <r0> <r1>\nX-ML-Name: list\n"
       "Message-ID: <late>\n\n",
       "m1", "p1", "r1", true, "the scan stops once everything is known"},
      {"X-ML-Name: list\nMessage-ID: <m1>\nIn-Reply-To: <p1>\nReferences: <r1>\nMessage-ID: "
       "<m2>\n\n",
       "m2", "p1", "r1", true,
       "the line ending the References continuation is handled before the early stop"},
      {long_header + "\nMessage-ID: <m1>\n\n", "", "", "", false,
       "a line of the piece size leaves its line end alone, an empty line that ends the header"},
      {long_header.substr(1) + "\nMessage-ID: <m1>\n\n", "m1", "", "", false,
       "one character shorter fits with its line end"},
      {long_header + "Message-ID: <m2>\n\n", "m2", "", "", false,
       "the second piece of a long line is judged as a line of its own"},
  };
  for (const Case& c : cases) {
    const ScanResult r = ScanBytes(c.text, c.ml_before);
    EXPECT_EQ(r.message_id, c.message_id) << c.reason;
    EXPECT_EQ(r.in_reply_to, c.in_reply_to) << c.reason;
    EXPECT_EQ(r.last_reference, c.last_reference) << c.reason;
    EXPECT_EQ(r.ml, c.ml) << c.reason;
  }
}

TEST(HeaderFileTest, ScansTheNodesFile) {
  const testing_support::TempDir dir;
  ThreadList owner(NewThreadNode());  // a node with a store for its texts
  ThreadNode& node = *owner.Head();
  node.FilePath = node.Keep(
      dir.WriteFile("m.qnm", "Message-ID: <m1@a>\r\nReferences: <r0>\r\n <r1>\r\n\r\nbody\r\n"));
  ScanMessageHeaders(node);
  EXPECT_EQ(node.MessageId, "m1@a");
  EXPECT_EQ(node.InReplyTo, "");
  EXPECT_EQ(node.LastReference, "r1");
}

TEST(HeaderFileTest, MissingFileLeavesIdentifiersEmpty) {
  const testing_support::TempDir dir;
  ThreadList owner(NewThreadNode());  // a node with a store for its texts
  ThreadNode& node = *owner.Head();
  node.FilePath = node.Keep(dir.Join("no_such_message.qnm"));
  node.MessageId = node.Keep("old");
  node.InReplyTo = node.Keep("old");
  node.LastReference = node.Keep("old");
  node.MlFlag = true;
  ScanMessageHeaders(node);
  EXPECT_EQ(node.MessageId, "");
  EXPECT_EQ(node.InReplyTo, "");
  EXPECT_EQ(node.LastReference, "");
  EXPECT_TRUE(node.MlFlag);
}

}  // namespace
}  // namespace thread
