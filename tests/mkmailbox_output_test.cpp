// Tests of a generated demo mailbox, read back the way the mail client's
// readers read it: folder tree and INI files through the profile reader,
// index records as the folder reader decodes them, message headers and
// bodies.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/files.h"
#include "settings/ini_profile.h"
#include "tests/mkmailbox_support.h"
#include "tests/temp_dir_support.h"
#include "tools/mkmailbox/generator.h"
#include "tools/mkmailbox/index_format.h"

namespace {

using mkmailbox::Options;
using mkmailbox_testing::Bracketed;
using mkmailbox_testing::CollectFolders;
using mkmailbox_testing::DecodedRecord;
using mkmailbox_testing::FolderContents;
using mkmailbox_testing::HasWrappedReferences;
using mkmailbox_testing::HeaderFields;
using mkmailbox_testing::ReadFolder;
using platform::JoinPath;
using testing_support::TempDir;

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
    return settings::IniReader(path).ReadString("Property", key, "<missing>");
  }

  static TempDir* dir_;
  static std::string mailbox_;
  static std::vector<FolderContents>* folders_;
};

TempDir* GeneratedMailbox::dir_ = nullptr;
std::string GeneratedMailbox::mailbox_;
std::vector<FolderContents>* GeneratedMailbox::folders_ = nullptr;

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
    const settings::IniReader reader(entry_ini);
    const bool container = reader.ReadString("Property", "Type", "") == "Subfolder";
    int unread = 0;
    for (const DecodedRecord& record : folder.records) {
      if (record.flags() & thread::kUnreadFlag) ++unread;
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
      EXPECT_TRUE(std::lexicographical_compare(before.block.begin() + 8, before.block.begin() + 12,
                                               record.block.begin() + 8, record.block.begin() + 12))
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
      EXPECT_EQ((flags & thread::kAttachmentFlag) != 0, multipart) << folder.records[i].name;
      EXPECT_EQ(flags & ~(thread::kUnreadFlag | thread::kAttachmentFlag), 0u);
      if (flags & thread::kUnreadFlag) {
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
  EXPECT_EQ(settings::IniReader(JoinPath(big, "Entry.ini")).ReadInteger("Property", "Total", -1),
            60);
  EXPECT_EQ(ReadFolder(big).records.size(), 60u);
}

}  // namespace
