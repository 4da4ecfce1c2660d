// Stopping the index's work from another thread, as the program's close and a change
// of mailbox do: a merge after a bulk build, a wait for another program's lock, a
// thread held up where nothing interrupts it; and a query that fails while the
// searcher goes on.

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"
#include "search/background_index.h"
#include "search/index_file.h"
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
using Clock = std::chrono::steady_clock;

constexpr auto kStopWithin = std::chrono::seconds(1);

class SearchStopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.WriteFile("Mailbox/Mailbox.ini", "");
    dir_.WriteFile("Mailbox/Acc1/Account.ini", "[Property]\r\nTitle=a\r\n");
  }
  // A folder of `count` messages, enough for a bulk build to merge the index after it.
  void WriteMessages(int count) {
    std::vector<MiniMessage> messages;
    for (int i = 0; i < count; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "%08d", i);
      messages.push_back({name, 1000u + static_cast<std::uint32_t>(i), "taro",
                          "word" + std::to_string(i),
                          "body " + std::to_string(i % 97) + " text\r\nof message " + name +
                              ", at " + std::to_string(i * 7919 % 100003) + "\r\n"});
    }
    WriteFolder(dir_, "Mailbox/Acc1/Inbox.box", messages);
  }
  std::unique_ptr<MailIndex> Connect() const {
    std::string error;
    std::unique_ptr<MailIndex> index = MailIndex::OpenAt(mailbox_, index_path_, &error);
    EXPECT_NE(index, nullptr) << error;
    return index;
  }
  BackgroundIndex::OpenFn Open() const {
    return [this](std::string*) { return Connect(); };
  }

  testing_support::TempDir dir_;
  std::string mailbox_ = platform::JoinPath(dir_.path(), "Mailbox");
  std::string inbox_ = platform::JoinPath(mailbox_, "Acc1/Inbox.box");
  std::string index_path_ = dir_.Join("index.fts");
};

// The merge is interrupted in the middle of its statement: the update stops (no error),
// and the index it leaves answers as before.
TEST_F(SearchStopTest, AnInterruptStopsTheMergeMidwayAndLeavesTheIndexWhole) {
  WriteMessages(2500);
  std::unique_ptr<MailIndex> index = Connect();
  ASSERT_NE(index, nullptr);
  std::promise<void> began;
  std::promise<void> interrupted;
  std::shared_future<void> interrupted_seen = interrupted.get_future().share();
  bool first = true;
  auto update = std::async(std::launch::async, [&] {
    return index->UpdateAll(nullptr, [&](MailIndex::Progress now) {
      if (!now.merging || !first) return;
      first = false;
      began.set_value();  // from inside the merge's statement, which waits here
      interrupted_seen.wait_for(std::chrono::seconds(20));
    });
  });
  ASSERT_EQ(began.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);
  const auto start = Clock::now();
  index->Interrupt();
  interrupted.set_value();
  ASSERT_EQ(update.wait_for(std::chrono::seconds(20)), std::future_status::ready);
  EXPECT_LE(Clock::now() - start, kStopWithin);
  EXPECT_FALSE(update.get()) << "the merge did not finish";
  EXPECT_EQ(index->Error(), "") << "a stop, not a failure";
  index.reset();

  const std::unique_ptr<MailIndex> after = Connect();
  ASSERT_NE(after, nullptr);
  const thread::ParsedQuery query = search_testing::Words("word2499");
  const auto hits = after->FolderLeafHits(inbox_, {&query.root.children[0]}, nullptr);
  ASSERT_TRUE(hits.has_value()) << after->Error();
  EXPECT_EQ(*hits, OneLeaf({"00002499"}));
}

// The program's close: the threads end within a second while the keeper merges after a
// bulk build, and while it waits for the write lock another program holds (a wait of
// 10 s otherwise). A stop is not said as a failure.
TEST_F(SearchStopTest, StopEndsBothThreadsWithinASecondDuringAMergeOrAHeldLock) {
  FaultyFiles files;
  files.SleepForReal();
  Holder holder;
  struct Case {
    const char* reason;
    std::function<void()> prepare;
    std::function<bool(Reports&)> wait_busy;  // until the keeper is in the middle of it
  };
  int sleeps = 0;  // the busy handler's, before the keeper starts
  const Case cases[] = {
      {"a merge", [&] { WriteMessages(2500); },
       [](Reports& reports) { return reports.WaitFor([&] { return reports.merge_began; }); }},
      {"a held lock",
       [&] {
         WriteMessages(3);
         Connect()->UpdateAll(nullptr, nullptr);
         WriteMessages(4);  // one for the keeper to add
         EXPECT_TRUE(holder.Hold(index_path_));
         sleeps = files.Faults();
       },
       [&](Reports&) { return PollUntil([&] { return files.Faults() > sleeps; }); }},
  };
  for (const Case& c : cases) {
    c.prepare();
    Reports reports;
    BackgroundIndex index(mailbox_, reports.Events(), Open());
    ASSERT_TRUE(c.wait_busy(reports)) << c.reason;
    const auto start = Clock::now();
    index.Stop();
    EXPECT_TRUE(index.WaitEnded(std::chrono::seconds(20))) << c.reason;
    EXPECT_LE(Clock::now() - start, kStopWithin) << c.reason;
    EXPECT_TRUE(reports.failures.empty()) << c.reason;
    EXPECT_FALSE(reports.Updated("")) << c.reason << ": the pass did not end";
  }
}

// A change of mailbox: the window lets the old index go without waiting while its keeper
// is held up where nothing interrupts it (a folder listing on a slow share, here its
// open). WaitEnded gives up at its limit; no event comes once Stop has returned; the
// thread then ends on its own and frees what it used.
TEST_F(SearchStopTest, ADetachedIndexEndsOnItsOwnAndSaysNothingMore) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::promise<void> entered;
  auto probe = std::make_shared<int>(0);  // held by the open function, so by the threads
  const std::weak_ptr<int> watch = probe;
  Reports reports;
  auto index = std::make_unique<BackgroundIndex>(mailbox_, reports.Events(),
                                                 [&entered, released, probe](std::string* error) {
                                                   entered.set_value();
                                                   released.wait_for(std::chrono::seconds(20));
                                                   *error = "given up";
                                                   return std::unique_ptr<MailIndex>();
                                                 });
  probe.reset();
  ASSERT_EQ(entered.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);
  index->Stop();
  const auto start = Clock::now();
  EXPECT_FALSE(index->WaitEnded(std::chrono::milliseconds(100)));
  EXPECT_LE(Clock::now() - start, kStopWithin) << "waited past its limit";
  index->Detach();
  index.reset();
  EXPECT_LE(Clock::now() - start, kStopWithin) << "the owner waited";

  release.set_value();
  EXPECT_TRUE(PollUntil([&] { return watch.expired(); })) << "the threads ended, freeing it";
  EXPECT_TRUE(reports.errors.empty()) << "said after the stop";
}

// A query that fails (its reads fail) is answered with the error, and the searcher
// answers the next one.
TEST_F(SearchStopTest, AFailedQueryIsAnsweredSoAndTheSearcherGoesOn) {
  WriteMessages(3);
  FaultyFiles files;
  // Two connections take turns on the file here: their lock retries must wait.
  files.SleepForReal();
  Reports reports;
  BackgroundIndex index(mailbox_, reports.Events(), Open());
  ASSERT_TRUE(reports.WaitFor([&] { return reports.Updated(""); }));
  const std::uint64_t first =
      index.Ask(inbox_, "word2", true);  // the searcher's connection is open
  ASSERT_TRUE(reports.WaitFor([&] { return reports.AnswerTo(first) != nullptr; }));
  WriteMessages(4);  // a change, so that the searcher reads the file again, not its cache
  index.UpdateFolder(inbox_);
  ASSERT_TRUE(reports.WaitFor([&] { return reports.Updated(inbox_); }));
  files.FailReads(SQLITE_IOERR_READ);
  const std::uint64_t failing = index.Ask(inbox_, "word1", true);
  ASSERT_TRUE(reports.WaitFor([&] { return reports.AnswerTo(failing) != nullptr; }));
  EXPECT_NE(reports.AnswerTo(failing)->error, "");
  EXPECT_TRUE(reports.AnswerTo(failing)->leaf_names.empty());
  files.FailReads(SQLITE_OK);
  const std::uint64_t next = index.Ask(inbox_, "word1", true);
  ASSERT_TRUE(reports.WaitFor([&] { return reports.AnswerTo(next) != nullptr; }));
  EXPECT_EQ(reports.AnswerTo(next)->error, "");
  EXPECT_EQ(reports.AnswerTo(next)->leaf_names, OneLeaf({"00000001"}));
  EXPECT_TRUE(reports.errors.empty()) << "the index stays available";
}

}  // namespace
}  // namespace search
