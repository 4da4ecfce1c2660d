// veltrano-cli "index" and "search": the exact output outside checks read, on a small
// mailbox of two accounts (host only).

#ifndef _WIN32

#include <gtest/gtest.h>

#include <string>

#include "tests/cli_run_support.h"
#include "tests/search_mailbox_support.h"
#include "tests/temp_dir_support.h"

namespace {

using cli_testing::Quote;
using cli_testing::RunCli;

class CliSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
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
  std::string Search(const std::string& options, const std::string& text) {
    return RunCli("search " + options + " " + Quote(mailbox_) + " " + Quote(text)).out;
  }
  testing_support::TempDir dir_;
  std::string mailbox_ = dir_.Join("Mailbox");
};

TEST_F(CliSearchTest, PrintsFolderAndNameOfEachHitNewestFirst) {
  EXPECT_EQ(Search("", "議"),
            "Acc1\\Inbox.box\t00000002\nAcc1\\User001.box\t0000000A\nAcc1\\Inbox.box\t00000001\n");
  EXPECT_EQ(Search("--limit 2", "議"), "Acc1\\Inbox.box\t00000002\nAcc1\\User001.box\t0000000A\n");
  EXPECT_EQ(Search("--count", "議"), "3\n");
  EXPECT_EQ(Search("--count", "ＨＥＬＬＯ 議事"), "2\n") << "folded, every word";
  EXPECT_EQ(Search("", "zz"), "");
}

TEST_F(CliSearchTest, IndexSaysWhatItDidAndBadArgumentsAreRefused) {
  EXPECT_EQ(RunCli("index " + Quote(mailbox_)).exit_code, 0);
  EXPECT_EQ(RunCli("index").exit_code, 2);
  EXPECT_EQ(RunCli("search " + Quote(mailbox_)).exit_code, 2) << "no TEXT";
  EXPECT_EQ(RunCli("search --limit x " + Quote(mailbox_) + " a").exit_code, 2);
  EXPECT_EQ(RunCli("search --what " + Quote(mailbox_) + " a").exit_code, 2);
}

}  // namespace

#endif  // _WIN32
