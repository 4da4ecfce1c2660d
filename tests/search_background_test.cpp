// The index kept current and asked on threads of its own: a whole pass from the
// start, a folder brought up to date when asked, the newest query answered with
// the folder's hits, an index that cannot be opened said so, and one that
// cannot be written said so once while it goes on answering.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "search/background_index.h"
#include "search/index_file.h"
#include "search/ja_texts.h"
#include "search/message_text.h"
#include "tests/search_mailbox_support.h"
#include "tests/search_threads_support.h"
#include "tests/sqlite_faults_support.h"
#include "tests/temp_dir_support.h"

namespace search {
namespace {

// The answer to a query of one word: the hits of its one leaf.
std::vector<std::vector<std::string>> OneLeaf(std::vector<std::string> names) {
  return {std::move(names)};
}

using search_testing::FaultyFiles;
using search_testing::Holder;
using search_testing::MiniMessage;
using search_testing::PollUntil;
using search_testing::Reports;
using search_testing::WriteFolder;

class SearchBackgroundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.WriteFile("Mailbox/Mailbox.ini", "");
    dir_.WriteFile("Mailbox/Acc1/Account.ini", "[Property]\r\nTitle=a\r\n");
    WriteFolder(dir_, "Mailbox/Acc1/Inbox.box", messages_);
  }
  BackgroundIndex::OpenFn Open() const {
    return [mailbox = mailbox_, path = index_path_](std::string* error) {
      return MailIndex::OpenAt(mailbox, path, error);
    };
  }

  testing_support::TempDir dir_;
  std::string mailbox_ = platform::JoinPath(dir_.path(), "Mailbox");
  std::string inbox_ = platform::JoinPath(mailbox_, "Acc1/Inbox.box");
  std::string index_path_ = dir_.Join("index.fts");
  std::vector<MiniMessage> messages_ = {{"00000001", 1000, "taro", "Hello", "東京都の会議\r\n"},
                                        {"00000002", 3000, "hanako", "Re: Hello", "鍵\r\n"}};
  Reports reports_;
};

TEST_F(SearchBackgroundTest, BuildsFromTheStartFollowsAFolderAndAnswersTheNewestQuery) {
  BackgroundIndex index(mailbox_, reports_.Events(), Open());
  ASSERT_TRUE(reports_.WaitFor([&] { return reports_.Updated(""); })) << "the whole pass";
  const std::uint64_t key = index.Ask(inbox_, "鍵", true);
  ASSERT_TRUE(reports_.WaitFor([&] { return reports_.AnswerTo(key) != nullptr; }));
  EXPECT_EQ(reports_.AnswerTo(key)->leaf_names, OneLeaf({"00000002"})) << "a body word";
  EXPECT_EQ(reports_.AnswerTo(key)->unindexed, 0u);

  messages_.erase(messages_.begin());
  messages_.push_back({"00000003", 4000, "saburo", "new", "東京タワー\r\n"});
  WriteFolder(dir_, "Mailbox/Acc1/Inbox.box", messages_);
  index.UpdateFolder(inbox_);
  ASSERT_TRUE(reports_.WaitFor([&] { return reports_.Updated(inbox_); }));
  const std::uint64_t older = index.Ask(inbox_, "e", true);
  const std::uint64_t newest = index.Ask(inbox_, "東京", true);
  EXPECT_FALSE(index.IsCurrent(older)) << "overtaken by the newest";
  ASSERT_TRUE(reports_.WaitFor([&] { return reports_.AnswerTo(newest) != nullptr; }));
  EXPECT_EQ(reports_.AnswerTo(newest)->leaf_names, OneLeaf({"00000003"}))
      << "the new message in, the one that left out";
  index.Forget();
  EXPECT_FALSE(index.IsCurrent(newest));
  EXPECT_TRUE(reports_.errors.empty());
  // The window lowers the keeper's I/O priority for a whole pass only: a folder the
  // user opened is not served at it.
  EXPECT_GE(reports_.passes, 1);
  EXPECT_EQ(reports_.updated_in_pass, 0);
}

TEST_F(SearchBackgroundTest, AnIndexThatCannotBeOpenedIsSaidSoAndNeverAnswers) {
  {
    BackgroundIndex index(mailbox_, reports_.Events(), [](std::string* error) {
      *error = "no room";
      return std::unique_ptr<MailIndex>();
    });
    index.Ask(inbox_, "e", true);
    ASSERT_TRUE(reports_.WaitFor([&] { return !reports_.errors.empty(); }));
  }  // both threads end
  EXPECT_EQ(reports_.errors, std::vector<std::string>{"no room"});
  EXPECT_TRUE(reports_.answers.empty());
}

// The index cannot be written partway through the whole pass, for a reason other than a
// stop: said once with its reason, while the searcher goes on answering from what the
// index holds; a second failure is not said again; once the cause is gone, a folder
// asked for is brought up to date and the whole pass runs again.
TEST_F(SearchBackgroundTest, AnUpdateThatFailsIsSaidOnceAndSearchesGoOn) {
  FaultyFiles files;
  Holder holder;
  {  // the index as a run before left it
    std::string error;
    const std::unique_ptr<MailIndex> built = Open()(&error);
    ASSERT_TRUE(built && built->UpdateAll(nullptr, nullptr)) << error;
  }
  struct Case {
    const char* reason;
    const char* said;  // in the error (CP932)
    std::function<void()> begin;
    std::function<void()> end;
  };
  const Case cases[] = {
      {"the disk is full", ja::kDiskFull, [&] { files.FailWrites(SQLITE_FULL); },
       [&] { files.FailWrites(SQLITE_OK); }},
      {"another program holds the index beyond the busy timeout", ja::kBusy,
       [&] { EXPECT_TRUE(holder.Hold(index_path_)); }, [&] { holder.Release(); }},
  };
  std::vector<std::string> tokyo = {"00000001"};  // the hits for 東京
  for (const Case& c : cases) {
    // A message the index does not hold yet, for the pass to add.
    const std::string name = "0000001" + std::to_string(&c - cases);
    messages_.push_back(
        {name, 4000 + static_cast<std::uint32_t>(&c - cases), "saburo", "new", "東京タワー\r\n"});
    WriteFolder(dir_, "Mailbox/Acc1/Inbox.box", messages_);
    Reports reports;
    int opened = 0;  // the keeper opens first, then the searcher
    BackgroundIndex index(mailbox_, reports.Events(), [&](std::string* error) {
      std::unique_ptr<MailIndex> connection = Open()(error);
      if (opened++ == 0) c.begin();
      return connection;
    });
    ASSERT_TRUE(reports.WaitFor([&] { return !reports.failures.empty(); })) << c.reason;
    EXPECT_NE(reports.failures[0].find(SjisToUtf8(c.said)), std::string::npos)
        << c.reason << ": " << reports.failures[0];
    const std::uint64_t key = index.Ask(inbox_, "鍵", true);
    ASSERT_TRUE(reports.WaitFor([&] { return reports.AnswerTo(key) != nullptr; })) << c.reason;
    EXPECT_EQ(reports.AnswerTo(key)->leaf_names, OneLeaf({"00000002"})) << c.reason;
    EXPECT_EQ(reports.AnswerTo(key)->unindexed, 1u) << c.reason;

    const int faults = files.Faults();
    index.UpdateFolder(inbox_);
    ASSERT_TRUE(PollUntil([&] { return files.Faults() > faults; })) << c.reason << ": tried again";
    c.end();
    index.UpdateFolder(inbox_);
    ASSERT_TRUE(reports.WaitFor([&] { return reports.Updated(inbox_) && reports.Updated(""); }))
        << c.reason << ": the folder, then the whole pass";
    EXPECT_EQ(reports.failures.size(), 1u) << c.reason;
    EXPECT_TRUE(reports.errors.empty()) << c.reason << ": never unavailable";
    tokyo.push_back(name);
    const std::uint64_t tower = index.Ask(inbox_, "東京", true);
    ASSERT_TRUE(reports.WaitFor([&] { return reports.AnswerTo(tower) != nullptr; })) << c.reason;
    EXPECT_EQ(reports.AnswerTo(tower)->leaf_names, OneLeaf(tokyo)) << c.reason;
  }
}

// A pause asked as the whole pass begins stops it before it reads a message, while
// queries are answered; once resumed, the pass begins again and ends.
TEST_F(SearchBackgroundTest, APausedKeeperReadsNoMessageUntilResumed) {
  std::atomic<BackgroundIndex*> keeper{nullptr};
  BackgroundIndex::Events events = reports_.Events();
  int begun = 0;  // on the keeper's thread only
  events.whole_pass = [&, said = events.whole_pass](bool running) {
    if (running && begun++ == 0) keeper.load()->Pause();
    said(running);
  };
  BackgroundIndex index(mailbox_, std::move(events), [&](std::string* error) {
    EXPECT_TRUE(PollUntil([&] { return keeper.load() != nullptr; }));
    return Open()(error);
  });
  keeper = &index;
  ASSERT_TRUE(reports_.WaitFor([&] { return reports_.passes == 1 && !reports_.in_pass; }));
  const std::uint64_t paused = index.Ask(inbox_, "鍵", true);
  ASSERT_TRUE(reports_.WaitFor([&] { return reports_.AnswerTo(paused) != nullptr; }));
  EXPECT_TRUE(reports_.AnswerTo(paused)->leaf_names == OneLeaf({}));
  EXPECT_EQ(reports_.AnswerTo(paused)->unindexed, 2u) << "no message read";
  EXPECT_FALSE(reports_.Updated(""));

  index.Resume();
  ASSERT_TRUE(reports_.WaitFor([&] { return reports_.Updated(""); }));
  EXPECT_EQ(reports_.passes, 2);
  const std::uint64_t resumed = index.Ask(inbox_, "鍵", true);
  ASSERT_TRUE(reports_.WaitFor([&] { return reports_.AnswerTo(resumed) != nullptr; }));
  EXPECT_EQ(reports_.AnswerTo(resumed)->leaf_names, OneLeaf({"00000002"}));
  EXPECT_EQ(reports_.AnswerTo(resumed)->unindexed, 0u);
}

// Damage found by the keeper (both connections open): said once, as an index that cannot
// be opened is, not as a failed update; the keeper stops, and the file waits, marked, for
// the next start.
TEST_F(SearchBackgroundTest, ADamagedIndexIsSaidUnavailableOnce) {
  FaultyFiles files;
  {
    std::atomic<int> opened{0};
    BackgroundIndex index(mailbox_, reports_.Events(), [&](std::string* error) {
      std::unique_ptr<MailIndex> connection = Open()(error);
      if (++opened == 2) files.FailWrites(SQLITE_CORRUPT);
      return connection;
    });
    ASSERT_TRUE(PollUntil([&] { return opened == 2; }));
    messages_.push_back({"00000003", 4000, "saburo", "new", "東京タワー\r\n"});
    WriteFolder(dir_, "Mailbox/Acc1/Inbox.box", messages_);
    index.UpdateFolder(inbox_);
    ASSERT_TRUE(reports_.WaitFor([&] { return !reports_.errors.empty(); }));
    index.UpdateFolder(inbox_);
  }  // both threads end
  EXPECT_EQ(reports_.errors.size(), 1u);
  EXPECT_TRUE(reports_.failures.empty());
  EXPECT_FALSE(reports_.Updated(inbox_));
  EXPECT_TRUE(platform::FileExists(index_path_ + kDamagedSuffix));
}

}  // namespace
}  // namespace search
