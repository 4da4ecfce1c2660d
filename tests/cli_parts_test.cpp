// veltrano-cli "parts" and "part": the exact lines and bytes outside checks read.

#ifndef _WIN32

#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "tests/cli_run_support.h"
#include "tests/temp_dir_support.h"

namespace {

using cli_testing::Quote;
using cli_testing::RunCli;
using testing_support::TempDir;

const std::string kMessage =
    "Subject: s\r\nContent-Type: multipart/mixed; boundary=B\r\n\r\n"
    "--B\r\n\r\nhello\r\n"
    "--B\r\nContent-Type: Application/PDF\r\nContent-Transfer-Encoding: base64\r\n"
    "Content-Disposition: attachment;\r\n filename*0*=iso-2022-jp''%1B%24; "
    "filename*1*=B8%2B%40Q%3Dq%1B%28B.pdf\r\n"
    "\r\nQUJD\r\nREVG\r\n"
    "--B\r\nContent-Type: image/png; name=\"../CON.png\"\r\n\r\nPNG\r\n"
    "--B\r\nContent-Type: message/rfc822\r\n\r\nSubject: fw\r\n\r\nin\r\n"
    "--B--\r\n";

TEST(CliParts, OneLinePerLeafPart) {
  TempDir dir;
  const auto run = RunCli("parts " + Quote(dir.WriteFile("m.qnm", kMessage)));
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out,
            "1\ttext/plain\t5\t\n"
            "2\tapplication/pdf\t6\t見積書.pdf\n"
            "3\timage/png\t3\t../CON.png\n"
            "4\tmessage/rfc822\t17\t\n");
}

TEST(CliPart, DecodedBytesToStandardOutputOrSavedUnderASafeName) {
  TempDir dir;
  const std::string message = Quote(dir.WriteFile("m.qnm", kMessage));
  EXPECT_EQ(RunCli("part " + message + " 2").out, "ABCDEF");

  const std::string out = dir.Join("out");
  ASSERT_EQ(RunCli("part " + message + " 1 --save " + Quote(dir.Join("missing"))).exit_code, 1);
  dir.WriteFile("out/見積書.pdf", "taken");
  struct Case {
    const char* part;
    const char* name;
    const char* why;
  };
  const Case cases[] = {
      {"2", "見積書 (2).pdf", "a name taken is numbered"},
      {"2", "見積書 (3).pdf", "and numbered again"},
      {"3", "_CON.png", "no directory, no device name"},
      {"4", "fw.eml", "a forwarded message by its subject"},
  };
  for (const Case& c : cases) {
    const auto run = RunCli("part " + message + " " + c.part + " --save " + Quote(out));
    EXPECT_EQ(run.exit_code, 0) << c.why;
    EXPECT_EQ(run.out, out + "/" + c.name + "\n") << c.why;
  }
  std::string bytes;
  ASSERT_TRUE(platform::ReadWholeFile(out + "/見積書 (3).pdf", bytes));
  EXPECT_EQ(bytes, "ABCDEF");
  ASSERT_TRUE(platform::ReadWholeFile(out + "/見積書.pdf", bytes));
  EXPECT_EQ(bytes, "taken");

  for (const char* bad : {"0", "5", "x", "1 --keep /tmp"}) {
    EXPECT_NE(RunCli("part " + message + " " + bad).exit_code, 0) << bad;
  }
}

}  // namespace

#endif  // _WIN32
