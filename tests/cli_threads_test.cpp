// veltrano-cli threads: the exact row output, run as a separate process.

#ifndef _WIN32

#include <gtest/gtest.h>

#include <string>

#include "tests/cli_run_support.h"
#include "tests/mail_folder_support.h"

namespace {

using cli_testing::Quote;
using folder_fixture::MakeMessage;
using folder_fixture::TestFolder;
using folder_fixture::TestMessage;

cli_testing::CliRun RunCli(const std::string& arguments) {
  return cli_testing::RunCli("threads " + arguments);
}

// 1 "Hello" (unread) <- 2 "Re: Hello" <- 4; 3 is a root with a list tag;
// 5 answers 1 only through References.
void WriteSampleFolder(const TestFolder& folder) {
  TestMessage hello = MakeMessage(1, 1);
  hello.Subject = "Hello";
  hello.Sender = "Taro";
  hello.Unread = true;
  TestMessage reply = MakeMessage(2, 2);
  reply.Subject = "Re: Hello";
  reply.Sender = "Hanako";
  reply.InReplyTo = "m1@test";
  TestMessage news = MakeMessage(3, 3);
  // " [ml:7] ニュース" in Shift-JIS.
  news.Subject = " [ml:7] \x83\x6a\x83\x85\x81\x5b\x83\x58";
  news.Sender = "List";
  TestMessage deeper = MakeMessage(4, 4);
  deeper.Subject = "Re: Re: Hello";
  deeper.Sender = "Taro";
  deeper.InReplyTo = "m2@test";
  TestMessage referenced = MakeMessage(5, 5);
  referenced.Subject = "ref";
  referenced.Sender = "Jiro";
  referenced.References = "m1@test";
  folder.WriteMessages({hello, reply, news, deeper, referenced});
}

TEST(CliThreadsTest, FolderSettingsShapeTheCaptions) {
  TestFolder folder;
  WriteSampleFolder(folder);
  folder.WriteFile("VLTR.fol", "[Property]\r\nMlStringDelete=1\r\n");
  const cli_testing::CliRun result = RunCli("--tab-default 1 " + Quote(folder.Path()));
  EXPECT_EQ(result.out,
            "0\t00000001\t1\tello\tTaro\n"
            "1\t00000002\t0\t  +e: Hello\tHanako\n"
            "2\t00000004\t0\t  +e: Re: Hello\tTaro\n"
            "0\t00000003\t0\t\x83\x6a\x83\x85\x81\x5b\x83\x58\tList\n"
            "0\t00000005\t0\tef\tJiro\n");
}

TEST(CliThreadsTest, CacheModeWritesTheCacheAndReadsItBack) {
  TestFolder folder;
  WriteSampleFolder(folder);
  const cli_testing::CliRun built = RunCli("--cache " + Quote(folder.Path()));
  EXPECT_EQ(built.exit_code, 0);
  EXPECT_EQ(built.out, RunCli(Quote(folder.Path())).out);
  const std::string cache = folder.ReadFile("VLTR.ume");
  EXPECT_EQ(cache.substr(0, 12), "-*(VLTR)*-\r\n");
  EXPECT_NE(cache.find("LastDate=AAAAAAAF\r\n"), std::string::npos);

  // The threads now come from the cache: message files are not needed.
  folder.Remove("00000002.qnm");
  EXPECT_EQ(RunCli("--cache " + Quote(folder.Path())).out, built.out);

  folder.WriteEntryIni(0);
  const cli_testing::CliRun empty = RunCli("--cache " + Quote(folder.Path()));
  EXPECT_EQ(empty.exit_code, 0);
  EXPECT_EQ(empty.out, "");
  EXPECT_EQ(folder.ReadFile("VLTR.ume"), "") << "Total 0 empties the cache";
}

// mute and unmute as the window does them; threads --muted shows them, with
// the threading options deciding what the thread of a message is.
TEST(CliThreadsTest, MuteAndUnmuteAThreadOfTheFolder) {
  TestFolder folder;
  WriteSampleFolder(folder);
  folder.WriteFile("VLTR.fol", "[Property]\r\nMlStringDelete=1\r\n");
  const std::string dir = Quote(folder.Path());
  EXPECT_EQ(cli_testing::RunCli("mute --references " + dir + " 00000004").exit_code, 0);
  const char* const muted_rows =
      "0\t00000001\t1\tello\tTaro\t1\n"
      "1\t00000002\t0\t    +e: Hello\tHanako\t1\n"
      "2\t00000004\t0\t      +e: Re: Hello\tTaro\t1\n"
      "1\t00000005\t0\t    +ef\tJiro\t1\n"
      "0\t00000003\t0\t\x83\x6a\x83\x85\x81\x5b\x83\x58\tList\t0\n";
  EXPECT_EQ(RunCli("--muted --references " + dir).out, muted_rows);
  EXPECT_EQ(RunCli("--muted --references --cache " + dir).out, muted_rows);
  // Without References, 5 is a thread of its own, yet muted: it was one of
  // the thread's messages when it was muted.
  EXPECT_EQ(RunCli("--muted --collapsed " + dir).out,
            "0\t00000001\t1\tello\tTaro\t1\t2\t0\n"
            "0\t00000003\t0\t\x83\x6a\x83\x85\x81\x5b\x83\x58\tList\t0\t0\t0\n"
            "0\t00000005\t0\tef\tJiro\t1\t0\t0\n");
  EXPECT_EQ(cli_testing::RunCli("unmute " + dir + " 00000002").exit_code, 0);
  EXPECT_EQ(RunCli("--muted " + dir).out.find("\t1\n"), std::string::npos)
      << "unmuting takes out every record the thread met";
  EXPECT_EQ(folder.ReadFile("VLTR.fol").find("[Property]\r\nMlStringDelete=1\r\n"), 0u);
  EXPECT_EQ(cli_testing::RunCli("mute " + dir + " 00000009").exit_code, 1) << "no such message";
  EXPECT_EQ(cli_testing::RunCli("mute " + dir).exit_code, 2) << "no name";
}

TEST(CliThreadsTest, FolderWithoutIndexPrintsNothing) {
  TestFolder folder;
  for (const char* options : {"", "--cache "}) {
    const cli_testing::CliRun result = RunCli(options + Quote(folder.Path()));
    EXPECT_EQ(result.exit_code, 0) << options;
    EXPECT_EQ(result.out, "") << options;
  }
}

TEST(CliThreadsTest, OptionsChangeTheRowsPrinted) {
  TestFolder folder;
  WriteSampleFolder(folder);
  struct Case {
    std::string arguments;
    std::string output;
    const char* reason;
  };
  const Case cases[] = {
      {"",
       "0\t00000001\t1\tHello\tTaro\n"
       "1\t00000002\t0\t    +Re: Hello\tHanako\n"
       "2\t00000004\t0\t      +Re: Re: Hello\tTaro\n"
       "0\t00000003\t0\t [ml:7] \x83\x6a\x83\x85\x81\x5b\x83\x58\tList\n"
       "0\t00000005\t0\tref\tJiro\n",
       "a full build: depth, name, unread, indented caption and sender, in list order"},
      {"--references",
       "0\t00000001\t1\tHello\tTaro\n"
       "1\t00000002\t0\t    +Re: Hello\tHanako\n"
       "2\t00000004\t0\t      +Re: Re: Hello\tTaro\n"
       "1\t00000005\t0\t    +ref\tJiro\n"
       "0\t00000003\t0\t [ml:7] \x83\x6a\x83\x85\x81\x5b\x83\x58\tList\n",
       "a message answering only through References joins its thread"},
      {"--filter hanako",
       "0\t00000001\t1\tHello\tTaro\n"
       "1\t00000002\t0\t    +Re: Hello\tHanako\n"
       "2\t00000004\t0\t      +Re: Re: Hello\tTaro\n",
       "a reply's sender brings its whole thread, rows unchanged"},
      // "ﾆｭｰｽ" typed in half-width finds the full-width subject.
      {"--filter \xc6\xad\xb0\xbd",
       "0\t00000003\t0\t [ml:7] \x83\x6a\x83\x85\x81\x5b\x83\x58\tList\n",
       "the text is taken as Shift-JIS bytes and folded"},
      {"--collapsed",
       "0\t00000001\t1\tHello\tTaro\t2\t0\n"
       "0\t00000003\t0\t [ml:7] \x83\x6a\x83\x85\x81\x5b\x83\x58\tList\t0\t0\n"
       "0\t00000005\t0\tref\tJiro\t0\t0\n",
       "one line per thread with its hidden and hidden unread counts"},
      {"--collapsed --filter \"ref jiro\"", "0\t00000005\t0\tref\tJiro\t0\t0\n",
       "the filter first, every word in subject or sender"},
      {"--filter nomatch", "", "no thread matches"},
  };
  for (const Case& c : cases) {
    const cli_testing::CliRun run = RunCli(c.arguments + " " + Quote(folder.Path()));
    EXPECT_EQ(run.exit_code, 0) << c.reason;
    EXPECT_EQ(run.out, c.output) << c.reason;
  }
  EXPECT_FALSE(folder.Exists("VLTR.ume")) << "without --cache nothing is written";
}

TEST(CliThreadsTest, BadArgumentsExitWithUsage) {
  for (const char* arguments :
       {"", "--bogus /tmp", "--tab-default", "--tab-default x /tmp", "--filter", "/tmp /tmp"}) {
    EXPECT_EQ(RunCli(arguments).exit_code, 2) << arguments;
  }
}

}  // namespace

#endif  // _WIN32
