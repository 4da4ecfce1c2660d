// veltrano-cli "index" and "search": the exact output outside checks read, on a small
// mailbox of two accounts (host only).

#ifndef _WIN32

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/files.h"
#include "tests/cli_run_support.h"
#include "tests/search_mailbox_support.h"
#include "tests/temp_dir_support.h"

namespace {

using cli_testing::Quote;
using cli_testing::RunCli;

class CliSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnv("XDG_CACHE_HOME", dir_.Join("cache").c_str());  // never the user's own
    dir_.WriteFile("Mailbox/Mailbox.ini", "");
    dir_.WriteFile("Mailbox/Acc1/Account.ini", "[Property]\r\nTitle=a\r\nOrder=I001\r\n");
    dir_.WriteFile("Mailbox/Acc2/Account.ini", "[Property]\r\nTitle=b\r\n");
    search_testing::WriteFolder(dir_, "Mailbox/Acc1/Inbox.box",
                                {{"00000001", 100, "taro", "Hello", "会議の議事録です\r\n"},
                                 {"00000002", 300, "jiro", "Re: Hello", "議事は以上\r\n"}});
    search_testing::WriteFolder(dir_, "Mailbox/Acc1/User001.box",
                                {{"0000000A", 200, "hanako", "Memo", "議題\r\n"}});
    search_testing::WriteFolder(dir_, "Mailbox/Acc2/Inbox.box",
                                {{"0000000B", 400, "saburo", "Other", "nothing\r\n"}});
  }
  void TearDown() override {
    for (auto& [name, value] : saved_env_) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
  }
  // Sets (or, with null, removes) a variable of this process and so of the program run,
  // until the test ends.
  void SetEnv(const std::string& name, const char* value) {
    if (saved_env_.count(name) == 0) {
      const char* old = std::getenv(name.c_str());
      saved_env_[name] = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value != nullptr) {
      ::setenv(name.c_str(), value, 1);
    } else {
      ::unsetenv(name.c_str());
    }
  }
  std::string Search(const std::string& options, const std::string& text) {
    return RunCli("search " + options + " " + Quote(mailbox_) + " " + Quote(text)).out;
  }
  testing_support::TempDir dir_;
  std::string mailbox_ = dir_.Join("Mailbox");
  std::map<std::string, std::optional<std::string>> saved_env_;
};

TEST_F(CliSearchTest, PrintsFolderAndNameOfEachHitNewestFirst) {
  EXPECT_EQ(Search("", "議"),
            "Acc1\\Inbox.box\t00000002\nAcc1\\User001.box\t0000000A\nAcc1\\Inbox.box\t00000001\n");
  EXPECT_EQ(Search("--limit 2", "議"), "Acc1\\Inbox.box\t00000002\nAcc1\\User001.box\t0000000A\n");
  EXPECT_EQ(Search("--count", "議"), "3\n");
  EXPECT_EQ(Search("--count", "ＨＥＬＬＯ 議事"), "2\n") << "folded, every word";
  EXPECT_EQ(Search("", "zz"), "");
}

// TEXT is a query: fields and negation answered; --explain says how it was read on
// standard error before the hits, which stay as they are; a query that cannot be read
// says why and runs nothing.
TEST_F(CliSearchTest, TextIsAQueryExplainedOnRequestAndRefusedWhenUnreadable) {
  const cli_testing::CliRun refused =
      RunCli("search " + Quote(mailbox_) + " " + Quote("date:2026-13"), true);
  EXPECT_EQ(refused.exit_code, 2) << "a month that is none";
  EXPECT_FALSE(refused.out.empty()) << "the error said";
  EXPECT_FALSE(std::filesystem::exists(dir_.Join("cache/veltrano"))) << "nothing run, no index";

  struct Case {
    const char* text;
    const char* out;
    const char* why;
  } const cases[] = {
      {"議 -subject:hello", "Acc1\\User001.box\t0000000A\n", "a word and a negated field"},
      {"from:jiro OR from:saburo", "Acc2\\Inbox.box\t0000000B\nAcc1\\Inbox.box\t00000002\n",
       "OR of two senders"},
  };
  for (const Case& c : cases) EXPECT_EQ(Search("", c.text), c.out) << c.why;
  const std::string command = "search --explain " + Quote(mailbox_) + " " + Quote("議");
  const cli_testing::CliRun explained = RunCli(command, true);
  EXPECT_EQ(explained.exit_code, 0);
  EXPECT_FALSE(explained.out.empty()) << "the explanation on standard error";
  EXPECT_EQ(RunCli(command).out, Search("", "議")) << "the hits as without --explain";
}

TEST_F(CliSearchTest, IndexSaysWhatItDidAndBadArgumentsAreRefused) {
  EXPECT_EQ(RunCli("index " + Quote(mailbox_)).exit_code, 0);
  EXPECT_EQ(RunCli("index").exit_code, 2);
  EXPECT_EQ(RunCli("search " + Quote(mailbox_)).exit_code, 2) << "no TEXT";
  EXPECT_EQ(RunCli("search --limit x " + Quote(mailbox_) + " a").exit_code, 2);
  EXPECT_EQ(RunCli("search --what " + Quote(mailbox_) + " a").exit_code, 2);
}

// The index lives in the user's cache folder, one file per mailbox, and the summary's last
// field names it; the mailbox root gets nothing, and an index left there by an older run
// is not touched.
TEST_F(CliSearchTest, TheIndexIsKeptInTheUsersCacheFolderAndNamedLast) {
  dir_.WriteFile("Mailbox/VLTR.fts", "an old index");
  struct Case {
    std::optional<std::string> cache_home;  // XDG_CACHE_HOME; none: unset, HOME's .cache
    std::string folder;
    const char* why;
  } const cases[] = {
      {dir_.Join("xdg"), dir_.Join("xdg/veltrano"), "XDG_CACHE_HOME"},
      {std::nullopt, dir_.Join("home/.cache/veltrano"), "HOME without XDG_CACHE_HOME"},
  };
  dir_.MakeDirs("home");
  SetEnv("HOME", dir_.Join("home").c_str());
  for (const Case& c : cases) {
    SetEnv("XDG_CACHE_HOME", c.cache_home ? c.cache_home->c_str() : nullptr);
    std::string err = RunCli("index " + Quote(mailbox_), true).out;
    ASSERT_FALSE(err.empty()) << c.why;
    err.pop_back();  // the line end
    const std::string last = err.substr(err.rfind('\n') + 1);
    const std::size_t tab = last.rfind('\t');
    ASSERT_NE(tab, std::string::npos) << c.why << ": " << last;
    const std::string path = last.substr(tab + 1);
    EXPECT_EQ(std::filesystem::path(path).parent_path(), std::filesystem::path(c.folder)) << c.why;
    EXPECT_TRUE(platform::FileExists(path)) << c.why;
    EXPECT_EQ(last.substr(0, last.find(" 0 unreadable; ")),
              path + ": 4 messages in 4 folders; 4 added, 0 removed,")
        << c.why << ": the summary as before";
  }
  std::set<std::string> root;
  for (const auto& entry : std::filesystem::directory_iterator(mailbox_)) {
    root.insert(entry.path().filename().string());
  }
  EXPECT_EQ(root, (std::set<std::string>{"Acc1", "Acc2", "Mailbox.ini", "VLTR.fts"}));
  EXPECT_EQ(dir_.ReadFile("Mailbox/VLTR.fts"), "an old index");
}

}  // namespace

#endif  // _WIN32
