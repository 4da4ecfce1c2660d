// The output of veltrano-cli accounts and folders is read by outside checks:
// these tests pin it byte for byte.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <string>

#include "tests/cli_run_support.h"
#include "tests/temp_dir_support.h"

namespace {

using testing_support::TempDir;

using cli_testing::RunCli;

void MakeMailbox(const TempDir& dir) {
  dir.WriteFile("Mailbox/Mailbox.ini", "");
  dir.WriteFile("Mailbox/acc1/Account.ini", "[Property]\r\nTitle=\x8E\x84\x93\x49\r\n");  // 私的
  dir.WriteFile("Mailbox/acc2/Account.ini", "[Property]\r\nTitle=Work\r\nOrder=I002\r\n");
  dir.WriteFile("Mailbox/acc1/Inbox.box/Entry.ini", "[Property]\r\nTotal=12\r\nUnOpen=3\r\n");
  dir.WriteFile("Mailbox/acc1/User001.box/Entry.ini",
                "[Property]\r\nTitle=ML\r\nType=Subfolder\r\nTotal=0\r\n");
  dir.WriteFile("Mailbox/acc1/User001.box/User001.box/Entry.ini",
                "[Property]\r\nTitle=list\r\nTotal=7\r\nUnOpen=2\r\n");
  dir.WriteFile("Mailbox/acc1/User001.box/User001.box/VLTR.fol",
                "[Property]\r\nTabInfo=1\r\nMlStringDelete=1\r\n");
  dir.WriteFile("Mailbox/acc2/User002.box/Entry.ini", "[Property]\r\nTitle=Two\r\nTotal=1\r\n");
}

TEST(CliMailbox, AccountsAndFoldersPrintTheirTables) {
  TempDir dir;
  MakeMailbox(dir);
  const std::string mailbox = " " + dir.Join("Mailbox");
  struct Case {
    std::string arguments;
    std::string out;
    const char* why;
  };
  const Case cases[] = {
      {"accounts" + mailbox,
       "0\t\x8E\x84\x93\x49\t" + dir.Join("Mailbox/acc1") + "\n1\tWork\t" +
           dir.Join("Mailbox/acc2") + "\n",
       "index, title and directory of each account"},
      {"folders" + mailbox,
       "0\t1\t0\t12\t0\t0\t0\t\x97\x58\x95\xD6\x8E\xF3\x82\xAF\tInbox.box\n"
       "1\t1\t0\t0\t0\t0\t0\t\x91\x97\x90\x4D\x94\xA0\tOutbox.box\n"
       "2\t2\t0\t0\t0\t0\t0\tML\tUser001.box\n"
       "3\t1\t1\t7\t0\t1\t1\tlist\tUser001.box/User001.box\n",
       "the folder table of the first account, paths relative to it"},
      {"folders --midoku" + mailbox,
       "0\t1\t0\t12\t3\t0\t0\t\x97\x58\x95\xD6\x8E\xF3\x82\xAF\tInbox.box\n"
       "1\t1\t0\t0\t0\t0\t0\t\x91\x97\x90\x4D\x94\xA0\tOutbox.box\n"
       "2\t2\t0\t0\t0\t0\t0\tML\tUser001.box\n"
       "3\t1\t1\t7\t2\t1\t1\tlist\tUser001.box/User001.box\n",
       "--midoku reads the unread counts"},
      {"folders --account 1" + mailbox,
       "0\t1\t0\t0\t0\t0\t0\t\x97\x58\x95\xD6\x8E\xF3\x82\xAF\tInbox.box\n"
       "1\t1\t0\t1\t0\t0\t0\tTwo\tUser002.box\n",
       "--account selects another account"},
      {"folders " + dir.Join("nothing"), "", "a missing mailbox prints nothing"},
  };
  for (const Case& c : cases) {
    const cli_testing::CliRun run = RunCli(c.arguments);
    EXPECT_EQ(run.exit_code, 0) << c.why;
    EXPECT_EQ(run.out, c.out) << c.why;
  }
}

TEST(CliMailbox, BadArgumentsExitWithTwo) {
  for (const char* arguments :
       {"", "nonsense", "accounts", "folders --account x /tmp", "folders --bogus /tmp"}) {
    EXPECT_EQ(RunCli(arguments).exit_code, 2) << arguments;
  }
}

}  // namespace

#endif  // _WIN32
