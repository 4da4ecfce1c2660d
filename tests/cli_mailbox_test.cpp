// The output of veltrano-cli accounts and folders is read by outside checks:
// these tests pin it byte for byte.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/cli_run_support.h"
#include "tests/temp_dir_support.h"

namespace {

using testing_support::TempDir;

struct Result {
  int status = -1;
  std::string out;
};

Result RunCli(const std::string& args) {
  const cli_testing::CliRun run = cli_testing::RunCli(args);
  return {run.exit_code, run.out};
}

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

TEST(CliMailbox, AccountsPrintsIndexTitleAndDirectory) {
  TempDir dir;
  MakeMailbox(dir);
  const Result r = RunCli("accounts " + dir.Join("Mailbox"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "0\t\x8E\x84\x93\x49\t" + dir.Join("Mailbox/acc1") + "\n1\tWork\t" +
                       dir.Join("Mailbox/acc2") + "\n");
}

TEST(CliMailbox, FoldersPrintsTheTableWithRelativePaths) {
  TempDir dir;
  MakeMailbox(dir);
  const Result r = RunCli("folders " + dir.Join("Mailbox"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "0\t1\t0\t12\t0\t0\t0\t\x97\x58\x95\xD6\x8E\xF3\x82\xAF\tInbox.box\n"
            "1\t1\t0\t0\t0\t0\t0\t\x91\x97\x90\x4D\x94\xA0\tOutbox.box\n"
            "2\t2\t0\t0\t0\t0\t0\tML\tUser001.box\n"
            "3\t1\t1\t7\t0\t1\t1\tlist\tUser001.box/User001.box\n");
}

TEST(CliMailbox, FoldersReadsUnreadCountsWithMidokuAndSelectsAnAccount) {
  TempDir dir;
  MakeMailbox(dir);
  const Result midoku = RunCli("folders --midoku " + dir.Join("Mailbox"));
  EXPECT_NE(midoku.out.find("0\t1\t0\t12\t3\t"), std::string::npos);
  EXPECT_NE(midoku.out.find("3\t1\t1\t7\t2\t"), std::string::npos);
  const Result second = RunCli("folders --account 1 " + dir.Join("Mailbox"));
  EXPECT_EQ(second.out,
            "0\t1\t0\t0\t0\t0\t0\t\x97\x58\x95\xD6\x8E\xF3\x82\xAF\tInbox.box\n"
            "1\t1\t0\t1\t0\t0\t0\tTwo\tUser002.box\n");
}

TEST(CliMailbox, BadArgumentsExitWithTwo) {
  EXPECT_EQ(RunCli("").status, 2);
  EXPECT_EQ(RunCli("nonsense").status, 2);
  EXPECT_EQ(RunCli("accounts").status, 2);
  EXPECT_EQ(RunCli("folders --account x /tmp").status, 2);
  EXPECT_EQ(RunCli("folders --bogus /tmp").status, 2);
}

TEST(CliMailbox, MissingMailboxPrintsNothing) {
  TempDir dir;
  const Result r = RunCli("folders " + dir.Join("nothing"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
}

}  // namespace

#endif  // _WIN32
