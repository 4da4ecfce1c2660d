// The hits of a whole-mailbox search as thread-list rows: read from each hit's
// own folder, in the order of the hits, and none for a message that left its
// folder after it was indexed; and the search run on its own thread, the
// newest hits answered first.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "platform/files.h"
#include "search/index_file.h"
#include "search/mail_index.h"
#include "search/mailbox_search.h"
#include "search/result_rows.h"
#include "tests/search_mailbox_support.h"
#include "tests/temp_dir_support.h"

namespace search {
namespace {

using search_testing::MiniMessage;
using search_testing::WriteFolder;

class ResultRowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.WriteFile("Mailbox/Mailbox.ini", "");
    dir_.WriteFile("Mailbox/Acc1/Account.ini", "[Property]\r\nTitle=a\r\n");
    WriteFolder(dir_, "Mailbox/Acc1/Inbox.box",
                {{"00000001", 1000, "taro", "plan A", "meeting\r\n"},
                 {"00000002", 3000, "hanako", "lunch", "meeting room\r\n"}});
    WriteFolder(dir_, "Mailbox/Acc1/User001.box", {{"0000000A", 2000, "jiro", "plan B", "x\r\n"}});
    // The folder list's order differs from the mailbox's: rows take the table's index.
    AddFolder("Acc1/User001.box");
    AddFolder("Acc1/Inbox.box");
    std::string error;
    index_ = MailIndex::OpenAt(mailbox_, index_path_, &error);
    ASSERT_NE(index_, nullptr) << error;
    ASSERT_TRUE(index_->UpdateAll(nullptr, nullptr)) << index_->Error();
  }
  void AddFolder(const std::string& relative) {
    mailbox::FolderInfo& info = folders_[static_cast<std::size_t>(mailbox::FolderCount(folders_))];
    info.Kind = mailbox::kFolderMail;
    info.Title = relative;
    info.Path = platform::JoinPath(mailbox_, relative);
  }
  // Each row as "folder index, file path, sender, subject", in list order.
  std::vector<std::string> Rows(const std::string& query) {
    const auto hits = index_->Search(search_testing::Words(query), -1);
    EXPECT_TRUE(hits.has_value()) << index_->Error();
    const ResultRows rows = MakeResultRows(hits.value_or(std::vector<MailIndex::Hit>{}),
                                           SearchScope(folders_), mailbox_);
    std::string why;
    EXPECT_TRUE(thread::CheckThreadListIntegrity(rows.List.Head(), &why)) << why;
    std::vector<std::string> texts;
    for (const thread::ThreadNode* node = rows.List.Head(); node != nullptr; node = node->Next) {
      EXPECT_EQ(node->Depth, 0) << "no threading";
      texts.push_back(std::to_string(rows.Folder(node)) + " " + node->FilePath.str() + " " +
                      node->Sender.str() + " " + node->Subject.str());
    }
    return texts;
  }
  std::string File(const std::string& folder, const std::string& name) const {
    return platform::JoinPath(platform::JoinPath(mailbox_, folder), name);
  }

  testing_support::TempDir dir_;
  std::string mailbox_ = platform::JoinPath(dir_.path(), "Mailbox");
  std::string index_path_ = dir_.Join("index.fts");
  mailbox::FolderTable folders_{};
  std::unique_ptr<MailIndex> index_;
};

TEST_F(ResultRowsTest, HitsOfTwoFoldersBecomeRowsOfTheirOwnFolderNewestFirst) {
  EXPECT_EQ(Rows("plan"), (std::vector<std::string>{
                              "0 " + File("Acc1/User001.box", "0000000A.qnm") + " jiro plan B",
                              "1 " + File("Acc1/Inbox.box", "00000001.qnm") + " taro plan A"}));
}

TEST_F(ResultRowsTest, AHitWhoseMessageOrFolderIsGoneGivesNoRow) {
  // The index still holds both until its next update.
  WriteFolder(dir_, "Mailbox/Acc1/Inbox.box",
              {{"00000001", 1000, "taro", "plan A", "meeting\r\n"}});
  EXPECT_EQ(
      Rows("meeting"),
      (std::vector<std::string>{"1 " + File("Acc1/Inbox.box", "00000001.qnm") + " taro plan A"}))
      << "a record gone from Entry.lst";
  folders_[1] = mailbox::FolderInfo{};
  EXPECT_TRUE(Rows("meeting").empty()) << "a folder no longer in the folder list";
}

// A stop (a newer query, the program's close) is asked before each folder's records are
// read: the rows end there.
TEST_F(ResultRowsTest, AStopAskedBetweenFoldersEndsTheRows) {
  const auto hits = index_->Search(search_testing::Words("plan"), -1);
  ASSERT_TRUE(hits.has_value()) << index_->Error();
  int asked = 0;
  const ResultRows rows =
      MakeResultRows(*hits, SearchScope(folders_), mailbox_, [&] { return ++asked > 1; });
  ASSERT_NE(rows.List.Head(), nullptr);
  EXPECT_EQ(rows.List.Head()->Sender.str(), "jiro") << "the first folder's row";
  EXPECT_EQ(rows.List.Head()->Next, nullptr) << "none of the second folder";
  EXPECT_EQ(asked, 2);
}

// Every message of a folder with more hits than the first answer takes: the
// first answer holds the newest of them, the second all, both newest first.
// Another account's folder, not in the folder table, has more and newer hits:
// none of them is a row, nor counted among the first answer's.
TEST_F(ResultRowsTest, ASearchOnItsThreadAnswersTheNewestHitsOfItsFoldersFirstThenAll) {
  std::vector<MiniMessage> many;
  std::vector<MiniMessage> elsewhere;
  const int total = static_cast<int>(MailboxSearch::kFirstHits) + 3;
  for (int i = 0; i < total; ++i) {
    char name[9];
    std::snprintf(name, sizeof name, "%08d", i + 100);
    many.push_back({name, static_cast<std::uint32_t>(5000 + i), "saburo", "report", "x\r\n"});
    elsewhere.push_back({name, static_cast<std::uint32_t>(9000 + i), "shiro", "report", "y\r\n"});
  }
  WriteFolder(dir_, "Mailbox/Acc1/Inbox.box", many);
  dir_.WriteFile("Mailbox/Acc2/Account.ini", "[Property]\r\nTitle=b\r\n");
  WriteFolder(dir_, "Mailbox/Acc2/Inbox.box", elsewhere);
  ASSERT_TRUE(index_->UpdateAll(nullptr, nullptr)) << index_->Error();

  std::mutex mutex;
  std::condition_variable changed;
  std::vector<MailboxSearch::Answer> answers;
  std::uint64_t asked = 0;
  {
    MailboxSearch search(
        mailbox_,
        [&](MailboxSearch::Answer answer) {
          {
            const std::lock_guard<std::mutex> lock(mutex);
            answers.push_back(std::move(answer));
          }
          changed.notify_all();
        },
        [&](std::string* error) { return MailIndex::OpenAt(mailbox_, index_path_, error); });
    asked = search.Ask("REPORT", SearchScope(folders_));
    std::unique_lock<std::mutex> lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(20),
                                 [&] { return !answers.empty() && answers.back().complete; }));
  }
  ASSERT_EQ(answers.size(), 2u);
  auto names = [](const MailboxSearch::Answer& answer) {
    std::vector<std::string> out;
    for (auto* node = answer.rows.List.Head(); node != nullptr; node = node->Next) {
      EXPECT_EQ(answer.rows.Folder(node), 1);
      out.push_back(node->Name.data());
    }
    return out;
  };
  std::vector<std::string> newest_first;
  for (int i = total - 1; i >= 0; --i)
    newest_first.push_back(many[static_cast<std::size_t>(i)].name);
  EXPECT_EQ(answers[0].query, asked);
  EXPECT_FALSE(answers[0].complete);
  EXPECT_EQ(names(answers[0]),
            std::vector<std::string>(newest_first.begin(),
                                     newest_first.begin() + MailboxSearch::kFirstHits));
  EXPECT_EQ(names(answers[1]), newest_first);
}

}  // namespace
}  // namespace search
