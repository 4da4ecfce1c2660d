#include "settings/ini_profile.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/files.h"
#include "tests/temp_dir_support.h"

namespace {

using settings::IniReader;
using settings::IniText;
using settings::IniWriter;
using testing_support::TempDir;

TEST(IniInteger, AcceptsDecimalAndHexFormsAsThirtyTwoBitsAndNothingElse) {
  struct Case {
    const char* text;
    std::optional<std::int32_t> expected;  // none: rejected
    const char* why;
  } cases[] = {
      {"12", 12, "plain decimal"},
      {"-2147483640", static_cast<std::int32_t>(0x80000008u), "signed colour"},
      {"$80000008", static_cast<std::int32_t>(0x80000008u), "Delphi-style hex is the same colour"},
      {"0x80000005", static_cast<std::int32_t>(0x80000005u), "C-style hex"},
      {"0XfF", 255, "hex digits and prefix in either case"},
      {"  7 ", 7, "blanks around the number"},
      {"4294967295", -1, "decimal wraps to 32 bits"},
      {"", std::nullopt, "empty"},
      {"12abc", std::nullopt, "trailing letters"},
      {"-", std::nullopt, "a sign alone"},
      {"$", std::nullopt, "a hex prefix alone"},
      {"0x", std::nullopt, "a C hex prefix alone"},
      {"1 2", std::nullopt, "two numbers"},
      {"+5", std::nullopt, "a plus sign"},
      {"$G1", std::nullopt, "no hex digit"},
      {"--1", std::nullopt, "two signs"},
  };
  for (const Case& c : cases) {
    std::int32_t v = 99;
    EXPECT_EQ(settings::ParseInteger(c.text, v), c.expected.has_value()) << c.why;
    if (c.expected) {
      EXPECT_EQ(v, *c.expected) << c.why;
    }
  }
}

TEST(IniRead, SectionAndKeyNamesIgnoreLetterCaseAndFirstMatchWins) {
  IniText t("[property]\r\nMAILBOX = \"C:\\Mail\\Mailbox\"\r\nmailbox=second\r\n[Property]\r\nX=3\r\n");
  ASSERT_NE(t.Find("Property", "Mailbox"), nullptr);
  EXPECT_EQ(*t.Find("Property", "Mailbox"), "C:\\Mail\\Mailbox");
  EXPECT_EQ(t.Find("Property", "X"), nullptr) << "keys of a later duplicate section are not seen";
}

TEST(IniRead, MissingFileSectionOrKeyAndNonNumbersGiveTheDefault) {
  TempDir dir;
  const std::string path = dir.WriteFile("a.ini", "[S]\nN=12abc\nE=\nQ=\"\"\nV=  spaced value  \n");
  const IniReader in(path);
  EXPECT_EQ(in.ReadInteger("S", "N", 5), 5);
  EXPECT_EQ(in.ReadInteger("S", "E", 6), 6);
  EXPECT_EQ(in.ReadInteger("T", "N", 7), 7);
  EXPECT_EQ(in.ReadString("S", "Q", "d"), "") << "a present empty value is not the default";
  EXPECT_EQ(in.ReadString("S", "V", "d"), "spaced value");
  EXPECT_EQ(in.ReadString("S", "missing", "d"), "d");
  const IniReader none(dir.Join("missing.ini"));
  EXPECT_EQ(none.ReadString("S", "V", "dflt"), "dflt");
}

TEST(IniWrite, ChangesOnlyTheKeysWrittenAndKeepsEverythingElse) {
  TempDir dir;
  const std::string original =
      "; user comment\r\n[Property]\r\nMailbox=\"old\"\r\nCustom=keep me\r\n\r\n[Other]\r\nA=1\r\n";
  const std::string path = dir.WriteFile("v.ini", original);
  IniWriter w(path);
  w.WriteQuotedString("property", "mailbox", "C:\\new");
  w.WriteInteger("Property", "AccountTitle", 2);
  w.WriteInteger("Fresh", "Width", 631);
  ASSERT_TRUE(w.Commit());
  EXPECT_EQ(dir.ReadFile("v.ini"),
            "; user comment\r\n[Property]\r\nMailbox=\"C:\\new\"\r\nCustom=keep me\r\n"
            "AccountTitle=2\r\n\r\n[Other]\r\nA=1\r\n[Fresh]\r\nWidth=631\r\n");
  const IniReader in(path);
  EXPECT_EQ(in.ReadString("Property", "Mailbox", ""), "C:\\new");
  EXPECT_EQ(in.ReadInteger("Fresh", "Width", 0), 631);
}

TEST(IniWrite, CreatesAMissingFile) {
  TempDir dir;
  IniWriter w(dir.Join("new.ini"));
  w.WriteString("Property", "Quenmar32", "C:\\Q\\quenmar.exe");
  ASSERT_TRUE(w.Commit());
  EXPECT_EQ(dir.ReadFile("new.ini"), "[Property]\r\nQuenmar32=C:\\Q\\quenmar.exe\r\n");
}

TEST(IniWrite, AFailedCommitLeavesTheOldFileWhole) {
  TempDir dir;
  // The target is a directory: the replace cannot succeed.
  const std::string target = dir.MakeDirs("blocked.ini");
  IniWriter w(target);
  w.WriteInteger("S", "K", 1);
  EXPECT_FALSE(w.Commit());
  EXPECT_TRUE(platform::DirectoryExists(target));
}

TEST(IniRead, GarbledAndBinaryTextNeverFails) {
  static const char kBytes[] = "[\x00\xff]]==\r\r\n[[[\n=\n\x82\xa0=\x82\xa2\n[S\nK=v";
  const std::string garbage(kBytes, sizeof kBytes - 1);
  IniText t(garbage);
  ASSERT_NE(t.Find("S", "K"), nullptr) << "an unclosed header still names a section";
  EXPECT_EQ(*t.Find("S", "K"), "v");
  // Written back, every byte but the line ends stays.
  const auto without_line_ends = [](std::string text) {
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    return text;
  };
  EXPECT_EQ(without_line_ends(t.Serialize()), without_line_ends(garbage));
}

}  // namespace
