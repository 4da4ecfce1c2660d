// The texts handed to the mail client, byte for byte.

#include <gtest/gtest.h>

#include <string>

#include "client/client_commands.h"

namespace client {
namespace {

const std::string kMailbox = "C:\\Mail\\Mailbox";
// "ごみ箱"
const std::string kTrash = "\x82\xb2\x82\xdd\x94\xa0";

TEST(RelativeMailName, StripsMailboxDelimiterAndExtension) {
  struct Case {
    std::string mailbox;
    std::string path;
    std::string name;
    const char* why;
  };
  const Case cases[] = {
      {kMailbox, "C:\\Mail\\Mailbox\\Acc1\\Inbox.box\\00000123.qnm", "Acc1\\Inbox.box\\00000123",
       "a folder of an account"},
      {kMailbox, "C:\\Mail\\Mailbox\\Acc1\\User001.box\\User002.box\\00000042.qnm",
       "Acc1\\User001.box\\User002.box\\00000042", "a subfolder keeps its full path"},
      {kMailbox, "C:\\Mail\\Mailbox\\Acc1\\x.eml", "Acc1\\x", "the last four characters, whatever"},
      {"/mail/Mailbox", "/mail/Mailbox/Acc1/Inbox.box/00000001.qnm", "Acc1/Inbox.box/00000001",
       "a slash as the delimiter"},
      {kMailbox, "D:\\Other\\Acc1\\00000001.qnm", "", "not below the mailbox: nothing to send"},
      {kMailbox, "C:\\Mail\\Mailbox2\\Acc1\\00000001.qnm", "", "a longer directory name is not below"},
      {kMailbox, "C:\\Mail\\Mailbox\\.qnm", "", "no name left"},
      {kMailbox, "C:\\Mail\\Mailbox", "", "the mailbox itself"},
      {kMailbox, "c:\\mail\\mailbox\\Acc1\\00000001.qnm", "", "the prefix is compared as stored"},
  };
  for (const Case& c : cases) EXPECT_EQ(RelativeMailName(c.mailbox, c.path), c.name) << c.why;
}

TEST(RelativeMailName, RefusesNamesThatAreNoPlainMessageNames) {
  struct Case {
    std::string file;  // below kMailbox + "\\Acc1\\"
    std::string name;
    const char* why;
  };
  const Case cases[] = {
      {"Ab_9-z.qnm", "Acc1\\Ab_9-z", "letters, digits, '_' and '-'"},
      {"0000,1).qnm", "", "',' or ')' would end the DDE command's argument"},
      {"a:b.qnm", "", "':' names an alternate stream"},
      {"a b.qnm", "", "a blank"},
      {"a.b.qnm", "", "a second extension"},
      {"COM0.qnm", "", "a device: ports count from 0"},
      {"nul.qnm", "", "device names in any letter case"},
      {"Lpt9.qnm", "", "to 9"},
      {"COM10.qnm", "Acc1\\COM10", "no device after the ninth port"},
      {"CONX.qnm", "Acc1\\CONX", "a device name only when it is the whole name"},
      {"a,\x95\\b.qnm", "", "the second byte of a Shift-JIS character is no delimiter"},
      {"\x95\\.box\\00000001.qnm", "Acc1\\\x95\\.box\\00000001",
       "a folder ending in such a character keeps its name"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RelativeMailName(kMailbox, kMailbox + "\\Acc1\\" + c.file), c.name) << c.why;
  }
}

TEST(HostCommands, MarkMailAndMoveMailTexts) {
  EXPECT_EQ(MarkMailCommand("Acc1\\Inbox.box\\00000123"),
            "MarkMail(Acc1\\Inbox.box\\00000123,1073741824,0)");
  EXPECT_EQ(MoveMailCommand("Acc1\\Inbox.box\\00000123", "My Account"),
            "MoveMail(Acc1\\Inbox.box\\00000123,\"My Account\\" + kTrash + "\")");
}

TEST(DataDirArgument, DropsTheLastEightCharactersWhateverTheyAre) {
  struct Case {
    const char* mailbox;
    const char* argument;
    const char* why;
  };
  const Case cases[] = {
      {"C:\\Mail\\Mailbox", " \"C:\\Mail\"", "\\Mailbox goes"},
      {"C:\\Mail\\Postbox1", " \"C:\\Mail\\\"", "a nine-character ending keeps its delimiter"},
      {"D:\\Data\\MB", " \"D:\"", "a shorter ending takes the directory before it too"},
      {"\\Mailbox", " \"\"", "nothing left"},
      {"short", " \"\"", "shorter than eight characters"},
  };
  for (const Case& c : cases) EXPECT_EQ(DataDirArgument(c.mailbox), c.argument) << c.why;
}

TEST(ComposeParameters, PieceByPiece) {
  const std::string account = "My \x8e\x84\x97\x70 Mail";  // "My 私用 Mail"
  const std::string message = "Acc1\\Inbox.box\\00000123";
  struct Case {
    std::string parameters;
    std::string expected;
    const char* why;
  };
  const Case cases[] = {
      {NewMailParameters("Home", kMailbox), "/send:\"Home\" \"C:\\Mail\"", "new mail"},
      {ReplyParameters(message, "Home", kMailbox),
       "/reply:\"Acc1\\Inbox.box\\00000123\" /send:\"Home\"  \"C:\\Mail\"",
       "reply: two spaces before the data directory"},
      {ForwardParameters(message, "Home", kMailbox),
       "/forward:\"Acc1\\Inbox.box\\00000123\" /send:\"Home\"  \"C:\\Mail\"", "forward likewise"},
      {MailToParameters("taro@example.com", kMailbox), "/mailto:taro@example.com \"C:\\Mail\"",
       "mail to an address"},
      {StartClientParameters("Home", kMailbox), "/account:\"Home\" \"C:\\Mail\"", "start"},
      {NewMailParameters(account, kMailbox), "/send:\"" + account + "\" \"C:\\Mail\"",
       "an account name with blanks and Japanese stays intact"},
      {StartClientParameters(account, kMailbox), "/account:\"" + account + "\" \"C:\\Mail\"",
       "in every command"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.parameters, c.expected) << c.why;
}

TEST(AddressSafeForMailTo, RefusesTextsThatWouldAddArguments) {
  struct Case {
    std::string address;
    bool safe;
    const char* why;
  };
  const Case cases[] = {
      {"taro.y@mail.example.com", true, "an address"},
      {"a@b \"/reply:x\"", false, "blank and quotes would add a switch"},
      {"a@b\"", false, "double quote"},
      {"a@b\r\nx", false, "control characters"},
      {"taro", false, "no @"},
      {"", false, "empty"},
  };
  for (const Case& c : cases) EXPECT_EQ(AddressSafeForMailTo(c.address), c.safe) << c.why;
}

TEST(ClientConfigured, OnlyAPathToTheClientsExecutableItself) {
  struct Case {
    std::string path;
    bool configured;
    const char* why;
  };
  const Case cases[] = {
      {"C:\\Mail\\quenmar.exe", true, "the executable"},
      {"C:\\Mail\\QUENMAR.EXE", true, "letter case does not count"},
      {"C:/Mail/quenmar.exe", true, "a slash as the delimiter"},
      {"quenmar.exe", true, "a bare name"},
      {"C:\\quenmar.exe\\other.exe", false, "only the last component counts"},
      {"C:\\Mail\\notquenmar.exe", false, "a longer name"},
      {"quenmar.exe.bat", false, "another extension"},
      {"C:\\Mail\\", false, "a directory"},
      {"", false, "not set"},
      {"C:\\\x95\\quenmar.exe", false, "a Shift-JIS character ending in 0x5C is no delimiter"},
  };
  for (const Case& c : cases) EXPECT_EQ(ClientConfigured(c.path), c.configured) << c.why;
}

}  // namespace
}  // namespace client
