// veltrano-cli "message" and "command": the exact output that outside checks
// read. Runs the built program on files in a temporary directory (host only).

#ifndef _WIN32

#include <gtest/gtest.h>

#include <string>

#include "tests/cli_run_support.h"
#include "tests/temp_dir_support.h"

namespace {

using cli_testing::CliRun;
using cli_testing::Quote;
using cli_testing::RunCli;
using testing_support::TempDir;

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
    "--B\r\n"
    "Content-Type: application/pdf; name=\"=?UTF-8?B?6KaL56mN5pu4LnBkZg==?=\"\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "\r\n"
    "QUJD\r\n"
    "--B--\r\n";
// Its attachment line: "  見積書.pdf (3 B)".
const std::string kPdfLine = "  \x8c\xa9\x90\xcf\x8f\x91.pdf (3 B)";

// "日本語のテキストです。" in Shift-JIS, and a multipart message with it in `part`.
const std::string kJapaneseShiftJis =
    "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x65\x83\x4c\x83\x58\x83\x67\x82\xc5\x82\xb7\x81\x42";
std::string JapanesePart(const std::string& part) {
  return "Content-Type: multipart/mixed; boundary=\"B\"\n\n--B\nContent-Type: text/plain\n\n" +
         part + "\n--B--\n";
}

const std::string kUtf8Message =
    "Subject: =?UTF-8?B?8J+Now==?= sushi\r\n"
    "Content-Type: text/plain; charset=UTF-8\r\n"
    "\r\n"
    "今日は🍣を食べました。𠮷野家 café ①\r\n"
    "🍣 http://a.example/ 𠮷 a@b.example\r\n";

TEST(CliMessage, PrintsTheShownLinesThenTheLinks) {
  struct Case {
    std::string message;
    std::string options;
    std::string out;
    const char* why;
  };
  const Case cases[] = {
      {kMultipart, "--flags 80800000",
       "see http://a.example/\nmail x@y.example\n\n" + kNotice + "\n" + kPdfLine +
           "\n--- links\n4\t21\thttp://a.example/\n28\t39\tx@y.example\n",
       "the text part, the notice, the attachment line, then start, end and text of each link"},
      {kMultipart, "--header --flags 0x80800000",
       "From: a@example.com\nContent-Type: multipart/mixed; boundary=\"B\"\n\n"
       "see http://a.example/\nmail x@y.example\n\n" +
           kNotice + "\n" + kPdfLine +
           "\n--- links\n72\t89\thttp://a.example/\n6\t19\ta@example.com\n96\t107\tx@y.example\n",
       "--header: positions count from the header, whose links come after the body's"},
      {"Subject: s\n\nftp://f/ https://s/\n", "--forced --flags 10000",
       "ftp://f/ https://s/\n--- links\n9\t19\thttps://s/\n0\t8\tftp://f/\n",
       "no attachment flag: the whole body"},
      {JapanesePart("\xc6\xfc\xcb\xdc\xb8\xec\xa4\xce\xa5\xc6\xa5\xad\xa5\xb9\xa5\xc8\xa4\xc7\xa4"
                    "\xb9\xa1\xa3"),
       "--flags 800000", kJapaneseShiftJis + "\n--- links\n",
       "an EUC-JP text part is converted; no attachment, no notice"},
      {JapanesePart("\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae\xe3\x83\x86\xe3\x82\xad\xe3"
                    "\x82\xb9\xe3\x83\x88\xe3\x81\xa7\xe3\x81\x99\xe3\x80\x82"),
       "", kJapaneseShiftJis + "\n--- links\n",
       "a UTF-8 text part likewise, the attachment flag or not"},
      {"X-Quenmar-Signature: 1\n\n" + std::string("a\0b \x93\xfa\x96\x7b\n", 9), "",
       std::string("a\0b \x93\xfa\x96\x7b\n", 9) + "--- links\n",
       "bytes are printed raw, a zero byte too"},
      {"Subject: no body\n", "--flags 10000", "--- links\n",
       "nothing to show: only the link marker"},
      {kUtf8Message, "--utf8",
       "今日は🍣を食べました。𠮷野家 café ①\n"
       "🍣 http://a.example/ 𠮷 a@b.example\n"
       "--- links\n24\t41\thttp://a.example/\n44\t55\ta@b.example\n",
       "--utf8: every character, LF line ends, positions in code points (🍣 and 𠮷 count one)"},
      {kUtf8Message, "--utf8 --header",
       "Subject: 🍣 sushi\n"
       "Content-Type: text/plain; charset=UTF-8\n"
       "\n"
       "今日は🍣を食べました。𠮷野家 café ①\n"
       "🍣 http://a.example/ 𠮷 a@b.example\n"
       "--- links\n82\t99\thttp://a.example/\n102\t113\ta@b.example\n",
       "--utf8 --header: the header's encoded words decoded"},
      {"Content-Type: text/plain; charset=utf-8\nContent-Transfer-Encoding: quoted-printable\n\n"
       "=E6=97=A5=E6=9C=AC=\n=E8=AA=9E\n",
       "", "\x93\xfa\x96\x7b\x8c\xea\n--- links\n",
       "Shift-JIS output of a quoted-printable UTF-8 text decodes it (日本語)"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const CliRun run =
        RunCli("message " + c.options + " " + Quote(dir.WriteFile("m.qnm", c.message)));
    EXPECT_EQ(run.exit_code, 0) << c.why;
    EXPECT_EQ(run.out, c.out) << c.why;
  }
}

TEST(CliMessage, FindPrintsTheOccurrencesAfterTheUtf8Output) {
  TempDir dir;
  const std::string path = Quote(dir.WriteFile("m.qnm", kUtf8Message));
  struct Case {
    std::string options;
    std::string find;
    std::string found;
    const char* why;
  };
  const Case cases[] = {
      {"--utf8", "🍣", "3\t4\n22\t23\n", "code points: 🍣 and 𠮷 count one"},
      {"--utf8", "①\n🍣 HTTP", "20\t28\n", "across the printed line end, letter case folded"},
      {"--utf8 --header", "🍣", "9\t10\n61\t62\n80\t81\n", "--header: the header is searched too"},
      {"--utf8", "", "", "an empty text finds nothing"},
  };
  for (const Case& c : cases) {
    const CliRun shown = RunCli("message " + c.options + " " + path);
    const CliRun run = RunCli("message " + c.options + " --find " + Quote(c.find) + " " + path);
    EXPECT_EQ(run.exit_code, 0) << c.why;
    EXPECT_EQ(run.out, shown.out + "--- found\n" + c.found) << c.why;
  }
}

TEST(CliMessage, FailuresExitWithTheirCodeAndPrintNothing) {
  TempDir dir;
  const std::string path = Quote(dir.WriteFile("m.qnm", kMultipart));
  struct Case {
    std::string arguments;
    int exit_code;
    const char* why;
  };
  const Case cases[] = {
      {"", 2, "no file"},
      {"--flags " + path, 2, "--flags without a value"},
      {"--flags xyz " + path, 2, "flags not hexadecimal"},
      {"--flags 123456789 " + path, 2, "flags past 32 bits"},
      {"--bogus " + path, 2, "unknown option"},
      {path + " " + path, 2, "two files"},
      {"--find x " + path, 2, "--find without --utf8, whose code points it counts"},
      {"--utf8 " + path + " --find", 2, "--find without a text"},
      {Quote(dir.Join("missing.qnm")), 1, "a file that cannot be read"},
  };
  for (const Case& c : cases) {
    const CliRun run = RunCli("message " + c.arguments);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.why;
    EXPECT_EQ(run.out, "") << c.why;
  }
}

TEST(CliCommand, PrintsTheClientTexts) {
  const std::string mailbox = "'C:\\Mail\\Mailbox' ";
  const std::string file = "'C:\\Mail\\Mailbox\\Acc1\\Inbox.box\\00000123.qnm'";
  struct Case {
    std::string arguments;
    std::string out;
  };
  const Case cases[] = {
      {"mark " + mailbox + file, "MarkMail(Acc1\\Inbox.box\\00000123,1073741824,0)\n"},
      // "ごみ箱"
      {"move " + mailbox + file + " 'My Home'",
       "MoveMail(Acc1\\Inbox.box\\00000123,\"My Home\\\x82\xb2\x82\xdd\x94\xa0\")\n"},
      {"new " + mailbox + "Home", "/send:\"Home\" \"C:\\Mail\"\n"},
      {"reply " + mailbox + file + " Home",
       "/reply:\"Acc1\\Inbox.box\\00000123\" /send:\"Home\"  \"C:\\Mail\"\n"},
      {"forward " + mailbox + file + " Home",
       "/forward:\"Acc1\\Inbox.box\\00000123\" /send:\"Home\"  \"C:\\Mail\"\n"},
      {"mailto " + mailbox + "a@b.example", "/mailto:a@b.example \"C:\\Mail\"\n"},
      {"start " + mailbox + "Home", "/account:\"Home\" \"C:\\Mail\"\n"},
  };
  for (const Case& c : cases) {
    const CliRun run = RunCli("command " + c.arguments);
    EXPECT_EQ(run.exit_code, 0) << c.arguments;
    EXPECT_EQ(run.out, c.out) << c.arguments;
  }
}

TEST(CliCommand, BadArgumentsAndRefusedInputs) {
  const std::string mailbox = "'C:\\Mail\\Mailbox' ";
  struct Case {
    std::string arguments;
    int exit_code;
    const char* why;
  };
  const Case cases[] = {
      {"", 2, "no command"},
      {"open x y", 2, "unknown command"},
      {"mark " + mailbox, 2, "no file"},
      {"reply " + mailbox + "'C:\\Mail\\Mailbox\\A\\1.qnm'", 2, "no account"},
      {"new " + mailbox + "Home extra", 2, "one argument too many"},
      {"mark " + mailbox + "'D:\\x\\00000001.qnm'", 1, "a file outside the mailbox"},
      {"mailto " + mailbox + "'a@b \"/x\"'", 1, "an address that would add a switch"},
  };
  for (const Case& c : cases) {
    const CliRun run = RunCli("command " + c.arguments);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.why;
    EXPECT_EQ(run.out, "") << c.why;
  }
}

}  // namespace

#endif  // _WIN32
