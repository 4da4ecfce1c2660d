// The index kept current and asked on threads of its own: a whole pass from the
// start, a folder brought up to date when asked, the newest query answered with
// the folder's hits, and an index that cannot be opened said so.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "platform/files.h"
#include "search/background_index.h"
#include "search/index_file.h"
#include "tests/search_mailbox_support.h"
#include "tests/temp_dir_support.h"

namespace search {
namespace {

using search_testing::MiniMessage;
using search_testing::WriteFolder;

// What the threads reported, waited for with a bound.
class Reports {
 public:
  BackgroundIndex::Events Events() {
    BackgroundIndex::Events events;
    events.unavailable = [this](const std::string& error) {
      Add([&] { errors.push_back(error); });
    };
    events.updated = [this](const std::string& folder) { Add([&] { updated.push_back(folder); }); };
    events.answered = [this](BackgroundIndex::Answer answer) {
      Add([&] { answers.push_back(std::move(answer)); });
    };
    return events;
  }
  template <class Done>
  bool WaitFor(Done done) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(20), done);
  }
  const BackgroundIndex::Answer* AnswerTo(std::uint64_t query) const {
    for (const auto& answer : answers) {
      if (answer.query == query) return &answer;
    }
    return nullptr;
  }
  bool Updated(const std::string& folder) const {
    return std::find(updated.begin(), updated.end(), folder) != updated.end();
  }

  std::vector<std::string> errors;
  std::vector<std::string> updated;
  std::vector<BackgroundIndex::Answer> answers;

 private:
  template <class Change>
  void Add(Change change) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      change();
    }
    changed_.notify_all();
  }
  std::mutex mutex_;
  std::condition_variable changed_;
};

class SearchBackgroundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.WriteFile("Mailbox/Mailbox.ini", "");
    dir_.WriteFile("Mailbox/Acc1/Account.ini", "[Property]\r\nTitle=a\r\n");
    WriteFolder(dir_, "Mailbox/Acc1/Inbox.box", messages_);
  }
  BackgroundIndex::OpenFn Open() const {
    return [mailbox = mailbox_](std::string* error) {
      return MailIndex::OpenAt(mailbox, RootIndexPath(mailbox), "", error);
    };
  }

  testing_support::TempDir dir_;
  std::string mailbox_ = platform::JoinPath(dir_.path(), "Mailbox");
  std::string inbox_ = platform::JoinPath(mailbox_, "Acc1/Inbox.box");
  std::vector<MiniMessage> messages_ = {{"00000001", 1000, "taro", "Hello", "東京都の会議\r\n"},
                                        {"00000002", 3000, "hanako", "Re: Hello", "鍵\r\n"}};
  Reports reports_;
};

TEST_F(SearchBackgroundTest, BuildsFromTheStartFollowsAFolderAndAnswersTheNewestQuery) {
  BackgroundIndex index(mailbox_, reports_.Events(), Open());
  ASSERT_TRUE(reports_.WaitFor([&] { return reports_.Updated(""); })) << "the whole pass";
  const std::uint64_t key = index.Ask(inbox_, "\x8c\xae");  // 鍵 in Shift-JIS
  ASSERT_TRUE(reports_.WaitFor([&] { return reports_.AnswerTo(key) != nullptr; }));
  EXPECT_EQ(reports_.AnswerTo(key)->names, std::vector<std::string>{"00000002"}) << "a body word";
  EXPECT_EQ(reports_.AnswerTo(key)->unindexed, 0u);

  messages_.erase(messages_.begin());
  messages_.push_back({"00000003", 4000, "saburo", "new", "東京タワー\r\n"});
  WriteFolder(dir_, "Mailbox/Acc1/Inbox.box", messages_);
  index.UpdateFolder(inbox_);
  ASSERT_TRUE(reports_.WaitFor([&] { return reports_.Updated(inbox_); }));
  const std::uint64_t older = index.Ask(inbox_, "e");
  const std::uint64_t newest = index.Ask(inbox_, "\x93\x8c\x8b\x9e");  // 東京
  EXPECT_FALSE(index.IsCurrent(older)) << "overtaken by the newest";
  ASSERT_TRUE(reports_.WaitFor([&] { return reports_.AnswerTo(newest) != nullptr; }));
  EXPECT_EQ(reports_.AnswerTo(newest)->names, std::vector<std::string>{"00000003"})
      << "the new message in, the one that left out";
  index.Forget();
  EXPECT_FALSE(index.IsCurrent(newest));
  EXPECT_TRUE(reports_.errors.empty());
}

TEST_F(SearchBackgroundTest, AnIndexThatCannotBeOpenedIsSaidSoAndNeverAnswers) {
  {
    BackgroundIndex index(mailbox_, reports_.Events(), [](std::string* error) {
      *error = "no room";
      return std::unique_ptr<MailIndex>();
    });
    index.Ask(inbox_, "e");
    ASSERT_TRUE(reports_.WaitFor([&] { return !reports_.errors.empty(); }));
  }  // both threads end
  EXPECT_EQ(reports_.errors, std::vector<std::string>{"no room"});
  EXPECT_TRUE(reports_.answers.empty());
}

}  // namespace
}  // namespace search
