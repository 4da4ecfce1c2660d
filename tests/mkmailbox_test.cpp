// Tests of the demo mailbox generator: it runs in-process into a temporary
// directory and the output is read back the way the mail client's readers
// read it (index records decoded by the documented rule, INI files through
// the profile reader).

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/ini_profile.h"
#include "platform/files.h"
#include "tests/temp_dir_support.h"
#include "tools/mkmailbox/generator.h"
#include "tools/mkmailbox/index_format.h"
#include "tools/mkmailbox/message_text.h"

namespace {

using mkmailbox::Options;
using platform::JoinPath;
using testing_support::TempDir;

// One index line decoded as the folder reader does: name, status block with
// bytes 4-7 and 8-11 reversed, sender up to the first ":", subject with each
// ":" quoting the next character.
struct DecodedRecord {
  std::string name;
  std::uint8_t block[12] = {};
  std::string sender;
  std::string subject;

  std::uint32_t flags() const {
    return block[0] | (block[1] << 8) | (block[2] << 16) | (std::uint32_t{block[3]} << 24);
  }
  std::uint32_t BigEndianWord(int first) const {
    return (std::uint32_t{block[first]} << 24) | (block[first + 1] << 16) |
           (block[first + 2] << 8) | block[first + 3];
  }
};

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

bool DecodeRecord(const std::string& line, DecodedRecord& record) {
  if (line.size() <= 25 || line[8] != '=') return false;
  record.name = line.substr(0, 8);
  for (int quantum = 0; quantum < 4; ++quantum) {
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) {
      const int value = Base64Value(line[9 + quantum * 4 + i]);
      if (value < 0) return false;
      bits = (bits << 6) | static_cast<std::uint32_t>(value);
    }
    for (int i = 0; i < 3; ++i) record.block[quantum * 3 + i] = (bits >> (16 - 8 * i)) & 0xFF;
  }
  std::swap(record.block[4], record.block[7]);
  std::swap(record.block[5], record.block[6]);
  std::swap(record.block[8], record.block[11]);
  std::swap(record.block[9], record.block[10]);
  const std::size_t colon = line.find(':', 25);
  record.sender = line.substr(25, colon == std::string::npos ? std::string::npos : colon - 25);
  record.subject.clear();
  if (colon == std::string::npos) return true;
  for (std::size_t i = colon + 1; i < line.size(); ++i) {
    if (line[i] == ':') ++i;
    if (i < line.size()) record.subject.push_back(line[i]);
  }
  return true;
}

// Splits a file into lines, requiring CR LF at the end of every line.
std::vector<std::string> CrLfLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "line without CR LF";
    if (end == std::string::npos) break;
    lines.push_back(bytes.substr(start, end - start));
    EXPECT_EQ(lines.back().find('\n'), std::string::npos) << "bare LF in a line";
    start = end + 2;
  }
  return lines;
}

std::string ReadFile(const std::string& path) {
  std::string bytes;
  EXPECT_TRUE(platform::ReadWholeFile(path, bytes)) << path;
  return bytes;
}

// Header fields of a message, names lower-cased, continuation lines joined
// with a space; the first occurrence of a name wins.
std::map<std::string, std::string> HeaderFields(const std::string& message) {
  std::map<std::string, std::string> fields;
  std::string name;
  for (const std::string& line : CrLfLines(message)) {
    if (line.empty()) break;
    if (line[0] == ' ' || line[0] == '\t') {
      if (!name.empty()) fields[name] += " " + line.substr(1);
      continue;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    name.clear();
    for (char c : line.substr(0, colon)) name.push_back(static_cast<char>(std::tolower(c)));
    if (fields.count(name) != 0) {
      name.clear();
      continue;
    }
    fields[name] = line.substr(colon + 1);
  }
  return fields;
}

// The identifiers written between angle brackets in a header value.
std::vector<std::string> Bracketed(const std::string& value) {
  std::vector<std::string> ids;
  std::size_t open = value.find('<');
  while (open != std::string::npos) {
    const std::size_t close = value.find('>', open);
    if (close == std::string::npos) break;
    ids.push_back(value.substr(open + 1, close - open - 1));
    open = value.find('<', close);
  }
  return ids;
}

// True when the References header goes on over a continuation line.
bool HasWrappedReferences(const std::string& message) {
  const std::size_t start = message.find("\r\nReferences:");
  if (start == std::string::npos) return false;
  const std::size_t next = message.find("\r\n", start + 2) + 2;
  return next < message.size() && (message[next] == ' ' || message[next] == '\t');
}

// Every folder directory below an account, depth first.
void CollectFolders(const std::string& dir, std::vector<std::string>& folders) {
  for (const platform::DirEntry& entry : platform::ListDirectory(dir, "*.box")) {
    if (!entry.is_directory) continue;
    const std::string folder = JoinPath(dir, entry.name);
    folders.push_back(folder);
    CollectFolders(folder, folders);
  }
}

// Relative path -> bytes of every file below `dir`.
void CollectFiles(const std::string& dir, const std::string& prefix,
                  std::map<std::string, std::string>& files) {
  for (const platform::DirEntry& entry : platform::ListDirectory(dir, "*")) {
    const std::string path = JoinPath(dir, entry.name);
    if (entry.is_directory) {
      CollectFiles(path, prefix + entry.name + "/", files);
    } else {
      files[prefix + entry.name] = ReadFile(path);
    }
  }
}

struct FolderContents {
  std::string path;
  std::vector<DecodedRecord> records;
  std::vector<std::string> messages;  // message file bytes, in record order
};

FolderContents ReadFolder(const std::string& path) {
  FolderContents folder;
  folder.path = path;
  std::string index;
  if (!platform::ReadWholeFile(JoinPath(path, "Entry.lst"), index)) return folder;
  for (const std::string& line : CrLfLines(index)) {
    DecodedRecord record;
    EXPECT_TRUE(DecodeRecord(line, record)) << line;
    folder.records.push_back(record);
    folder.messages.push_back(ReadFile(JoinPath(path, record.name + ".qnm")));
  }
  return folder;
}

// One mailbox generated for the tests that only read it.
class GeneratedMailbox : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    Options options;
    options.seed = 5;
    options.messages_per_folder = 40;
    options.big_folder_messages = 60;
    std::string error;
    ASSERT_TRUE(mkmailbox::GenerateMailbox(options, dir_->path(), error)) << error;
    mailbox_ = JoinPath(dir_->path(), "Mailbox");
    folders_ = new std::vector<FolderContents>;
    for (const char* account : {"Acc1", "Acc2"}) {
      std::vector<std::string> paths;
      CollectFolders(JoinPath(mailbox_, account), paths);
      for (const std::string& path : paths) folders_->push_back(ReadFolder(path));
    }
  }
  static void TearDownTestSuite() {
    delete folders_;
    delete dir_;
  }

  static std::string Ini(const std::string& path, const char* key) {
    return ini::IniReader(path).ReadString("Property", key, "<missing>");
  }

  static TempDir* dir_;
  static std::string mailbox_;
  static std::vector<FolderContents>* folders_;
};

TempDir* GeneratedMailbox::dir_ = nullptr;
std::string GeneratedMailbox::mailbox_;
std::vector<FolderContents>* GeneratedMailbox::folders_ = nullptr;

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

TEST_F(GeneratedMailbox, LayoutIsTheMailClientsFolderTree) {
  EXPECT_TRUE(platform::FileExists(JoinPath(mailbox_, "Mailbox.ini")));
  const std::string acc1 = JoinPath(mailbox_, "Acc1");
  const std::string acc2 = JoinPath(mailbox_, "Acc2");
  const std::string acc1_ini = JoinPath(acc1, "Account.ini");
  const std::string acc2_ini = JoinPath(acc2, "Account.ini");
  EXPECT_EQ(Ini(acc1_ini, "Title"), "\x8e\x64\x8e\x96\x97\x70");  // 仕事用
  EXPECT_EQ(Ini(acc2_ini, "Title"), "\x8c\xc2\x90\x6c\x97\x70");  // 個人用
  EXPECT_EQ(Ini(acc1_ini, "Order"), "IO003002004001");
  EXPECT_EQ(Ini(acc2_ini, "Order"), "<missing>");
  EXPECT_EQ(Ini(acc1_ini, "SelTemplate"), "0");
  EXPECT_EQ(Ini(acc2_ini, "SelTemplate"), "0");
  EXPECT_EQ(Ini(JoinPath(JoinPath(acc1, "Inbox.box"), "Entry.ini"), "Title"),
            "\x97\x58\x95\xd6\x8e\xf3\x82\xaf");  // 郵便受け
  const std::string lists = JoinPath(JoinPath(acc1, "User002.box"), "Entry.ini");
  EXPECT_EQ(Ini(lists, "Type"), "Subfolder");
  EXPECT_EQ(Ini(lists, "Order"), "002001");
  const std::string hobby = JoinPath(JoinPath(acc2, "User002.box"), "Entry.ini");
  EXPECT_EQ(Ini(hobby, "Type"), "Subfolder");
  EXPECT_EQ(Ini(hobby, "Order"), "<missing>");
  EXPECT_TRUE(platform::DirectoryExists(JoinPath(JoinPath(acc2, "User002.box"), "User002.box")));
  // Containers hold folders only.
  EXPECT_FALSE(platform::FileExists(JoinPath(JoinPath(acc1, "User002.box"), "Entry.lst")));
}

TEST_F(GeneratedMailbox, EntryIniCountsMatchTheIndex) {
  int mail_folders = 0;
  for (const FolderContents& folder : *folders_) {
    const std::string entry_ini = JoinPath(folder.path, "Entry.ini");
    const ini::IniReader reader(entry_ini);
    const bool container = reader.ReadString("Property", "Type", "") == "Subfolder";
    int unread = 0;
    for (const DecodedRecord& record : folder.records) {
      if (record.flags() & mkmailbox::kUnreadFlag) ++unread;
    }
    EXPECT_EQ(reader.ReadInteger("Property", "Total", -1), static_cast<int>(folder.records.size()))
        << folder.path;
    EXPECT_EQ(reader.ReadInteger("Property", "UnOpen", -1), unread) << folder.path;
    if (!container) {
      ++mail_folders;
      EXPECT_FALSE(folder.records.empty()) << folder.path;
    }
  }
  EXPECT_EQ(mail_folders, 13);
}

TEST_F(GeneratedMailbox, EveryRecordNamesAnExistingMessageOfItsSize) {
  for (const FolderContents& folder : *folders_) {
    std::set<std::string> names;
    for (std::size_t i = 0; i < folder.records.size(); ++i) {
      const DecodedRecord& record = folder.records[i];
      EXPECT_EQ(record.name.find_first_not_of("0123456789ABCDEF"), std::string::npos);
      EXPECT_TRUE(names.insert(record.name).second) << "duplicate name " << record.name;
      EXPECT_TRUE(platform::FileExists(JoinPath(folder.path, record.name + ".qnm")));
      // Bytes 4-7 hold the file size, most significant first after reading.
      EXPECT_EQ(record.BigEndianWord(4), folder.messages[i].size()) << record.name;
    }
  }
}

TEST_F(GeneratedMailbox, DateStampsRiseInIndexOrderAfterTheReadersReversal) {
  const std::uint32_t april_2024 = 1711897200, year_2030 = 1893456000;
  for (const FolderContents& folder : *folders_) {
    for (std::size_t i = 0; i < folder.records.size(); ++i) {
      const DecodedRecord& record = folder.records[i];
      const std::uint32_t stamp = record.BigEndianWord(8);
      EXPECT_GT(stamp, april_2024) << record.name;
      EXPECT_LT(stamp, year_2030) << record.name;
      if (i == 0) continue;
      // Bytewise comparison of the reversed bytes is how the cache orders stamps.
      const DecodedRecord& before = folder.records[i - 1];
      EXPECT_TRUE(std::lexicographical_compare(before.block + 8, before.block + 12,
                                               record.block + 8, record.block + 12))
          << folder.path << " " << record.name;
    }
  }
}

TEST_F(GeneratedMailbox, FlagWordMarksUnreadAndAttachments) {
  int unread = 0, attachments = 0, sent_unread = 0;
  for (const FolderContents& folder : *folders_) {
    const bool sent = folder.path.find("Outbox.box") != std::string::npos;
    for (std::size_t i = 0; i < folder.records.size(); ++i) {
      const std::uint32_t flags = folder.records[i].flags();
      const bool multipart =
          folder.messages[i].find("Content-Type: multipart/mixed") != std::string::npos;
      EXPECT_EQ((flags & mkmailbox::kAttachmentFlag) != 0, multipart) << folder.records[i].name;
      EXPECT_EQ(flags & ~(mkmailbox::kUnreadFlag | mkmailbox::kAttachmentFlag), 0u);
      if (flags & mkmailbox::kUnreadFlag) {
        ++unread;
        if (sent) ++sent_unread;
      }
      if (multipart) ++attachments;
    }
  }
  EXPECT_GT(unread, 10);
  EXPECT_GT(attachments, 10);
  EXPECT_EQ(sent_unread, 0) << "sent mail is never unread";
}

TEST(MkMailboxTest, StatusFieldDecodesToTheIntendedBlock) {
  struct Case {
    std::uint32_t flags, size, date;
    const char* reason;
  };
  const Case cases[] = {
      {mkmailbox::kUnreadFlag, 0, 0x01020304, "unread bit is 0x40 of byte 3"},
      {mkmailbox::kAttachmentFlag, 0x00001234, 0x660A5A70, "attachment bit is 0x80 of byte 2"},
      {mkmailbox::kUnreadFlag | mkmailbox::kAttachmentFlag, 0xFFFFFFFF, 0xFFFFFFFF, "all ones"},
      {0, 0, 0, "all zero"},
  };
  for (const Case& c : cases) {
    const std::string field = mkmailbox::EncodeStatusField(c.flags, c.size, c.date);
    ASSERT_EQ(field.size(), 16u) << c.reason;
    DecodedRecord record;
    ASSERT_TRUE(DecodeRecord("00000001=" + field + "a:b", record)) << c.reason;
    EXPECT_EQ(record.flags(), c.flags) << c.reason;
    EXPECT_EQ((record.block[3] & 0x40) != 0, (c.flags & mkmailbox::kUnreadFlag) != 0) << c.reason;
    EXPECT_EQ((record.block[2] & 0x80) != 0, (c.flags & mkmailbox::kAttachmentFlag) != 0)
        << c.reason;
    EXPECT_EQ(record.BigEndianWord(4), c.size) << c.reason;
    EXPECT_EQ(record.BigEndianWord(8), c.date) << c.reason;
    EXPECT_EQ(record.block[8], c.date >> 24) << c.reason;
    std::uint32_t flags = 1, size = 1, date = 1;
    ASSERT_TRUE(mkmailbox::DecodeStatusField(field, flags, size, date)) << c.reason;
    EXPECT_EQ(flags, c.flags) << c.reason;
    EXPECT_EQ(size, c.size) << c.reason;
    EXPECT_EQ(date, c.date) << c.reason;
  }
}

TEST(MkMailboxTest, StatusFieldDecoderRejectsMalformedFields) {
  const char* const fields[] = {
      "AAAAQAAAAAAEAwIB=",  // 17 characters
      "AAAAQAAAAAAEAwI",    // 15 characters
      "AAAAQAAAAAAEAw==",   // padding is never part of a 12-byte field
      "AAAAQAAA*AAEAwIB",   // not in the alphabet
  };
  for (const char* field : fields) {
    std::uint32_t flags = 0, size = 0, date = 0;
    EXPECT_FALSE(mkmailbox::DecodeStatusField(field, flags, size, date)) << field;
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

TEST_F(GeneratedMailbox, ListFoldersTagSubjectsWithTheSequenceNumber) {
  int tagged = 0;
  for (const FolderContents& folder : *folders_) {
    for (std::size_t i = 0; i < folder.records.size(); ++i) {
      const auto fields = HeaderFields(folder.messages[i]);
      const auto name = fields.find("x-ml-name");
      if (name == fields.end()) {
        EXPECT_EQ(fields.count("sender"), 0u) << "Sender marks list mail only";
        continue;
      }
      ASSERT_EQ(fields.count("x-sequence"), 1u);
      ASSERT_EQ(fields.count("sender"), 1u);
      const std::string list = name->second.substr(1);
      const std::string sequence = fields.at("x-sequence").substr(list.size() + 2);
      char tag[64];
      std::snprintf(tag, sizeof tag, " [%s:%04d] ", list.c_str(), std::stoi(sequence));
      EXPECT_EQ(folder.records[i].subject.rfind(tag, 0), 0u) << folder.records[i].subject;
      ++tagged;
    }
  }
  EXPECT_EQ(tagged, 80);
}

TEST_F(GeneratedMailbox, ThreadsLinkWithinTheFolderInRealisticShapes) {
  int replies = 0, early_replies = 0, without_id = 0, wrapped_references = 0;
  for (const FolderContents& folder : *folders_) {
    std::map<std::string, std::size_t> position;  // Message-ID -> index position
    for (std::size_t i = 0; i < folder.messages.size(); ++i) {
      const auto fields = HeaderFields(folder.messages[i]);
      const auto id = fields.find("message-id");
      if (id == fields.end()) {
        ++without_id;
        continue;
      }
      const std::vector<std::string> ids = Bracketed(id->second);
      ASSERT_EQ(ids.size(), 1u);
      EXPECT_TRUE(position.emplace(ids[0], i).second) << "duplicate Message-ID " << ids[0];
    }
    for (std::size_t i = 0; i < folder.messages.size(); ++i) {
      const auto fields = HeaderFields(folder.messages[i]);
      const auto in_reply_to = fields.find("in-reply-to");
      const auto references = fields.find("references");
      if (references != fields.end() && HasWrappedReferences(folder.messages[i])) {
        ++wrapped_references;
      }
      if (in_reply_to == fields.end()) continue;
      const std::vector<std::string> parent = Bracketed(in_reply_to->second);
      ASSERT_EQ(parent.size(), 1u) << in_reply_to->second;
      ASSERT_EQ(position.count(parent[0]), 1u) << "reply to a message not in the folder";
      if (references != fields.end()) {
        EXPECT_EQ(Bracketed(references->second).back(), parent[0]) << "References ends in parent";
      }
      ++replies;
      if (position[parent[0]] > i) ++early_replies;
      const std::string& subject = folder.records[i].subject;
      EXPECT_TRUE(subject.find("Re: ") != std::string::npos ||
                  subject.find("RE: ") != std::string::npos)
          << subject;
    }
  }
  EXPECT_GT(replies, 100);
  EXPECT_GT(early_replies, 3);
  EXPECT_GT(without_id, 3);
  EXPECT_GT(wrapped_references, 10);
}

TEST_F(GeneratedMailbox, BodiesCoverCharsetsLinksAndAttachments) {
  std::set<std::string> charsets;
  bool http = false, https = false, ftp = false, address = false, attachment = false;
  for (const FolderContents& folder : *folders_) {
    for (const std::string& message : folder.messages) {
      const std::size_t body = message.find("\r\n\r\n");
      ASSERT_NE(body, std::string::npos);
      const std::size_t charset = message.find("charset=");
      ASSERT_NE(charset, std::string::npos);
      charsets.insert(message.substr(charset + 8, message.find("\r\n", charset) - charset - 8));
      http = http || message.find("http://", body) != std::string::npos;
      https = https || message.find("https://", body) != std::string::npos;
      ftp = ftp || message.find("ftp://", body) != std::string::npos;
      address = address || message.find("support@example.co.jp", body) != std::string::npos;
      const std::size_t part = message.find("Content-Transfer-Encoding: base64", body);
      if (part == std::string::npos) continue;
      attachment = true;
      // The first part of a multipart message is the plain text.
      EXPECT_LT(message.find("Content-Type: text/plain", body), part);
    }
  }
  EXPECT_EQ(charsets,
            (std::set<std::string>{"EUC-JP", "ISO-2022-JP", "Shift_JIS", "US-ASCII", "UTF-8"}));
  EXPECT_TRUE(http && https && ftp && address && attachment);
}

TEST_F(GeneratedMailbox, BigFolderHoldsTheRequestedCount) {
  const std::string big = JoinPath(JoinPath(mailbox_, "Acc1"), "User004.box");
  EXPECT_EQ(ini::IniReader(JoinPath(big, "Entry.ini")).ReadInteger("Property", "Total", -1), 60);
  EXPECT_EQ(ReadFolder(big).records.size(), 60u);
}

TEST(MkMailboxTest, NoBigFolderByDefault) {
  TempDir dir;
  Options options;
  options.messages_per_folder = 2;
  std::string error;
  ASSERT_TRUE(mkmailbox::GenerateMailbox(options, dir.path(), error)) << error;
  const std::string acc1 = JoinPath(JoinPath(dir.path(), "Mailbox"), "Acc1");
  EXPECT_FALSE(platform::DirectoryExists(JoinPath(acc1, "User004.box")));
  EXPECT_EQ(ini::IniReader(JoinPath(acc1, "Account.ini")).ReadString("Property", "Order", ""),
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
  EXPECT_EQ(options.messages_per_folder, 30u);
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
