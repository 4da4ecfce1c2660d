// veltrano-cli "message" and "command": the exact output that outside checks
// read. Runs the built program on files in a temporary directory (host only).

#ifndef _WIN32

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/cli_run_support.h"

namespace {

using cli_testing::CliRun;
using cli_testing::Quote;
using cli_testing::RunCli;

// "  ―――――― このメールにはファイルが添付されています ――――――"
const std::string kNotice =
    "  \x81\x5c\x81\x5c\x81\x5c\x81\x5c\x81\x5c\x81\x5c "
    "\x82\xb1\x82\xcc\x83\x81\x81\x5b\x83\x8b\x82\xc9\x82\xcd\x83\x74\x83\x40\x83\x43"
    "\x83\x8b\x82\xaa\x93\x59\x95\x74\x82\xb3\x82\xea\x82\xc4\x82\xa2\x82\xdc\x82\xb7"
    " \x81\x5c\x81\x5c\x81\x5c\x81\x5c\x81\x5c\x81\x5c";

const std::string kMultipart =
    "From: a@example.com\r\n"
    "Content-Type: multipart/mixed; boundary=\"B\"\r\n"
    "\r\n"
    "--B\r\n"
    "Content-Type: text/plain\r\n"
    "\r\n"
    "see http://a.example/\r\n"
    "mail x@y.example\r\n"
    "--B--\r\n";

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() / (std::string("veltrano_cli_") + info->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  std::filesystem::path dir_;
};

TEST_F(CliTest, MessagePrintsShownLinesThenLinks) {
  const std::string path = Write("m.qnm", kMultipart);
  const CliRun run = RunCli("message --flags 80800000 " + Quote(path));
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out,
            "see http://a.example/\n"
            "mail x@y.example\n"
            "\n" +
                kNotice +
                "\n"
                "--- links\n"
                "4\t21\thttp://a.example/\n"
                "28\t39\tx@y.example\n");
}

TEST_F(CliTest, MessageWithHeaderCountsPositionsFromTheHeader) {
  const std::string path = Write("m.qnm", kMultipart);
  const CliRun run = RunCli("message --header --flags 0x80800000 " + Quote(path));
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out,
            "From: a@example.com\n"
            "Content-Type: multipart/mixed; boundary=\"B\"\n"
            "\n"
            "see http://a.example/\n"
            "mail x@y.example\n"
            "\n" +
                kNotice +
                "\n"
                "--- links\n"
                "72\t89\thttp://a.example/\n"
                "6\t19\ta@example.com\n"
                "96\t107\tx@y.example\n");
}

TEST_F(CliTest, MessageWithoutFlagsShowsTheWholeBody) {
  const std::string path = Write("m.qnm", "Subject: s\n\nftp://f/ https://s/\n");
  const CliRun run = RunCli("message --forced --flags 10000 " + Quote(path));
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, "ftp://f/ https://s/\n--- links\n9\t19\thttps://s/\n0\t8\tftp://f/\n");
}

TEST_F(CliTest, TextPartIsConvertedAndTheNoticeIsNot) {
  // "日本語のテキストです。" in EUC-JP and in UTF-8 parts; shown in Shift-JIS.
  const std::string shift_jis =
      "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x65\x83\x4c\x83\x58\x83\x67\x82\xc5\x82\xb7\x81\x42";
  const std::string parts[] = {
      "\xc6\xfc\xcb\xdc\xb8\xec\xa4\xce\xa5\xc6\xa5\xad\xa5\xb9\xa5\xc8\xa4\xc7\xa4\xb9\xa1\xa3",
      "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae\xe3\x83\x86\xe3\x82\xad\xe3\x82\xb9"
      "\xe3\x83\x88\xe3\x81\xa7\xe3\x81\x99\xe3\x80\x82",
  };
  for (const std::string& part : parts) {
    const std::string path = Write("m.qnm",
                                   "Content-Type: multipart/mixed; boundary=\"B\"\n\n--B\n"
                                   "Content-Type: text/plain\n\n" +
                                       part + "\n--B--\n");
    const CliRun run = RunCli("message --flags 800000 " + Quote(path));
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.out, shift_jis + "\n\n" + kNotice + "\n--- links\n");
  }
}

TEST_F(CliTest, MessageBytesArePrintedRaw) {
  const std::string body("a\0b \x93\xfa\x96\x7b\n", 9);
  const std::string path = Write("m.qnm", "X-Quenmar-Signature: 1\n\n" + body);
  const CliRun run = RunCli("message " + Quote(path));
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, body + "--- links\n");
}

TEST_F(CliTest, MessageWithNothingToShowPrintsOnlyTheLinkMarker) {
  const std::string path = Write("m.qnm", "Subject: no body\n");
  const CliRun run = RunCli("message --flags 10000 " + Quote(path));
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, "--- links\n");
}

TEST_F(CliTest, MessageFailures) {
  const std::string path = Write("m.qnm", kMultipart);
  EXPECT_EQ(RunCli("message").exit_code, 2);
  EXPECT_EQ(RunCli("message --flags " + Quote(path)).exit_code, 2);
  EXPECT_EQ(RunCli("message --flags xyz " + Quote(path)).exit_code, 2);
  EXPECT_EQ(RunCli("message --flags 123456789 " + Quote(path)).exit_code, 2);
  EXPECT_EQ(RunCli("message --bogus " + Quote(path)).exit_code, 2);
  EXPECT_EQ(RunCli("message " + Quote(path) + " " + Quote(path)).exit_code, 2);
  const CliRun missing = RunCli("message " + Quote((dir_ / "missing.qnm").string()));
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_EQ(missing.out, "");
}

// --utf8: every character kept, LF line ends, link positions in code points
// of the printed text (an emoji and 𠮷 before a link count one each).
TEST_F(CliTest, Utf8PrintsEveryCharacterAndCountsCodePoints) {
  const std::string path = Write("m.qnm",
                                 "Subject: =?UTF-8?B?8J+Now==?= sushi\r\n"
                                 "Content-Type: text/plain; charset=UTF-8\r\n"
                                 "\r\n"
                                 "今日は🍣を食べました。𠮷野家 café ①\r\n"
                                 "🍣 http://a.example/ 𠮷 a@b.example\r\n");
  const CliRun run = RunCli("message --utf8 " + Quote(path));
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out,
            "今日は🍣を食べました。𠮷野家 café ①\n"
            "🍣 http://a.example/ 𠮷 a@b.example\n"
            "--- links\n"
            "24\t41\thttp://a.example/\n"
            "44\t55\ta@b.example\n");
  const CliRun header = RunCli("message --utf8 --header " + Quote(path));
  EXPECT_EQ(header.out,
            "Subject: 🍣 sushi\n"
            "Content-Type: text/plain; charset=UTF-8\n"
            "\n"
            "今日は🍣を食べました。𠮷野家 café ①\n"
            "🍣 http://a.example/ 𠮷 a@b.example\n"
            "--- links\n"
            "82\t99\thttp://a.example/\n"
            "102\t113\ta@b.example\n");
}

// Without --utf8 the output stays Shift-JIS, with encoded parts now decoded.
TEST_F(CliTest, EncodedTextPartIsDecodedInTheShiftJisOutput) {
  // "日本語" in UTF-8, quoted-printable, with a soft line break.
  const std::string path = Write("m.qnm",
                                 "Content-Type: text/plain; charset=utf-8\n"
                                 "Content-Transfer-Encoding: quoted-printable\n\n"
                                 "=E6=97=A5=E6=9C=AC=\n=E8=AA=9E\n");
  const CliRun run = RunCli("message " + Quote(path));
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, "\x93\xfa\x96\x7b\x8c\xea\n--- links\n");
}

TEST(CliCommand, PrintsTheClientTexts) {
  const std::string file = "'C:\\Mail\\Mailbox\\Acc1\\Inbox.box\\00000123.qnm'";
  EXPECT_EQ(RunCli("command mark 'C:\\Mail\\Mailbox' " + file).out,
            "MarkMail(Acc1\\Inbox.box\\00000123,1073741824,0)\n");
  // "ごみ箱"
  EXPECT_EQ(RunCli("command move 'C:\\Mail\\Mailbox' " + file + " 'My Home'").out,
            "MoveMail(Acc1\\Inbox.box\\00000123,\"My Home\\\x82\xb2\x82\xdd\x94\xa0\")\n");
  EXPECT_EQ(RunCli("command new 'C:\\Mail\\Mailbox' Home").out, "/send:\"Home\" \"C:\\Mail\"\n");
  EXPECT_EQ(RunCli("command reply 'C:\\Mail\\Mailbox' " + file + " Home").out,
            "/reply:\"Acc1\\Inbox.box\\00000123\" /send:\"Home\"  \"C:\\Mail\"\n");
  EXPECT_EQ(RunCli("command forward 'C:\\Mail\\Mailbox' " + file + " Home").out,
            "/forward:\"Acc1\\Inbox.box\\00000123\" /send:\"Home\"  \"C:\\Mail\"\n");
  EXPECT_EQ(RunCli("command mailto 'C:\\Mail\\Mailbox' a@b.example").out,
            "/mailto:a@b.example \"C:\\Mail\"\n");
  EXPECT_EQ(RunCli("command start 'C:\\Mail\\Mailbox' Home").out, "/account:\"Home\" \"C:\\Mail\"\n");
}

TEST(CliCommand, BadArgumentsAndRefusedInputs) {
  EXPECT_EQ(RunCli("command").exit_code, 2);
  EXPECT_EQ(RunCli("command open x y").exit_code, 2);
  EXPECT_EQ(RunCli("command mark 'C:\\Mail\\Mailbox'").exit_code, 2);
  EXPECT_EQ(RunCli("command reply 'C:\\Mail\\Mailbox' 'C:\\Mail\\Mailbox\\A\\1.qnm'").exit_code, 2);
  EXPECT_EQ(RunCli("command new 'C:\\Mail\\Mailbox' Home extra").exit_code, 2);
  const CliRun outside = RunCli("command mark 'C:\\Mail\\Mailbox' 'D:\\x\\00000001.qnm'");
  EXPECT_EQ(outside.exit_code, 1);
  EXPECT_EQ(outside.out, "");
  EXPECT_EQ(RunCli("command mailto 'C:\\Mail\\Mailbox' 'a@b \"/x\"'").exit_code, 1);
}

}  // namespace

#endif  // _WIN32
