// Tests of the mail-client stand-in quenmar.exe (built beside this program):
// each test starts it, waits for its window as the viewer does, talks to it
// through DDE or starts it again with switches, and reads its log.

#include <windows.h>
// ddeml.h needs the types of windows.h.
#include <ddeml.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "client/mail_client_win.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "settings/ini_profile.h"
#include "tests/temp_dir_support.h"
#include "tests/win/standin_support.h"
#include "thread/index_record.h"
#include "tools/mkmailbox/generator.h"
#include "tools/mkmailbox/index_format.h"

namespace {

using platform::JoinPath;
using testing_support::LogLines;
using testing_support::StandIn;
using testing_support::WaitForWindow;

constexpr DWORD kWaitMs = testing_support::kStandInWaitMs;

// Sends one command as a CF_TEXT execute transaction, including its zero byte,
// from a DDE client of the ANSI or the Unicode kind. True when acknowledged.
bool SendCommand(const std::string& command, bool unicode_client) {
  DWORD instance = 0;
  const UINT init = unicode_client ? DdeInitializeW(&instance, nullptr, APPCMD_CLIENTONLY, 0)
                                   : DdeInitializeA(&instance, nullptr, APPCMD_CLIENTONLY, 0);
  if (init != DMLERR_NO_ERROR) return false;
  HSZ service = unicode_client ? DdeCreateStringHandleW(instance, L"QUENMAR32", CP_WINUNICODE)
                               : DdeCreateStringHandleA(instance, "QUENMAR32", CP_WINANSI);
  HSZ topic = unicode_client ? DdeCreateStringHandleW(instance, L"*", CP_WINUNICODE)
                             : DdeCreateStringHandleA(instance, "*", CP_WINANSI);
  bool acknowledged = false;
  if (HCONV conversation = DdeConnect(instance, service, topic, nullptr)) {
    std::vector<BYTE> bytes(command.begin(), command.end());
    bytes.push_back(0);
    DWORD result = 0;
    acknowledged =
        DdeClientTransaction(bytes.data(), static_cast<DWORD>(bytes.size()), conversation, nullptr,
                             CF_TEXT, XTYP_EXECUTE, 10000, &result) != nullptr;
    DdeDisconnect(conversation);
  }
  DdeFreeStringHandle(instance, service);
  DdeFreeStringHandle(instance, topic);
  DdeUninitialize(instance);
  return acknowledged;
}

// Reads the flag word of record `name` of an index as the program reads it;
// false when the record is missing.
bool ReadFlags(const std::string& index_path, const std::string& name, std::uint32_t& flags) {
  std::string index;
  platform::ReadWholeFile(index_path, index);
  const std::size_t record = index.find(name + "=");
  if (record == std::string::npos) return false;
  const std::string line = index.substr(record, index.find('\n', record) - record + 1);
  if (!thread::IsIndexRecord(line)) return false;
  flags = thread::FlagWord(thread::ParseIndexRecord(line).StatusBlock);
  return true;
}

// 仕事用\ごみ箱: an account name and the trash folder, with a 0x5C trail byte.
const std::string kMoveCommand =
    "MoveMail(Acc1\\Inbox.box\\00000002,\"\x8e\x64\x8e\x96\x97\x70\\\x82\xb2\x82\xdd\x94\xa0\")";

TEST(StandInTest, LogsExecutedCommandsByteExactFromEitherKindOfClient) {
  testing_support::TempDir dir;
  const std::string log = dir.Join("standin.log");
  StandIn standin;
  ASSERT_TRUE(standin.Start("", log));
  ASSERT_TRUE(WaitForWindow());
  const std::string mark = "MarkMail(Acc1\\Inbox.box\\00000001,1073741824,0)";
  for (const bool unicode_client : {false, true}) {
    EXPECT_TRUE(SendCommand(mark, unicode_client)) << unicode_client;
    EXPECT_TRUE(SendCommand(kMoveCommand, unicode_client)) << unicode_client;
  }
  const std::vector<std::string> expected = {"CommandLine: ", mark, kMoveCommand, mark,
                                             kMoveCommand};
  EXPECT_EQ(LogLines(log), expected);
}

TEST(StandInTest, SecondStartLogsItsSwitchesAndEnds) {
  testing_support::TempDir dir;
  const std::string log = dir.Join("standin.log");
  StandIn first;
  ASSERT_TRUE(first.Start("", log));
  ASSERT_TRUE(WaitForWindow());
  // A reply as the viewer starts it: two blanks before the data directory.
  const std::string reply =
      "/reply:\"Acc1\\User001.box\\User002.box\\00000042\" /send:\"\x8e\x64\x8e\x96\x97\x70\"  "
      "\"C:\\Mail\"";  // 仕事用
  StandIn second;
  ASSERT_TRUE(second.Start(reply, log));
  EXPECT_TRUE(second.WaitForExit(kWaitMs));
  const std::vector<std::string> expected = {"CommandLine: ", "CommandLine: " + reply};
  EXPECT_EQ(LogLines(log), expected);
}

TEST(StandInTest, MarkMailClearsTheUnreadBitInTheDataDirectorysMailbox) {
  testing_support::TempDir dir;
  mkmailbox::Options options;
  options.messages_per_folder = 20;
  std::string error;
  ASSERT_TRUE(mkmailbox::GenerateMailbox(options, dir.path(), error)) << error;
  const std::string inbox =
      JoinPath(JoinPath(JoinPath(dir.path(), "Mailbox"), "Acc1"), "Inbox.box");
  const std::string index_path = JoinPath(inbox, "Entry.lst");
  const std::string ini_path = JoinPath(inbox, "Entry.ini");
  // The first unread message of the Inbox.
  std::string name;
  for (std::uint32_t number = 1; number <= 20 && name.empty(); ++number) {
    std::uint32_t flags = 0;
    ASSERT_TRUE(ReadFlags(index_path, mkmailbox::MessageName(number), flags));
    if (flags & thread::kUnreadFlag) name = mkmailbox::MessageName(number);
  }
  ASSERT_FALSE(name.empty());
  const std::int32_t unread = settings::IniReader(ini_path).ReadInteger("Property", "UnOpen", -1);

  StandIn standin;
  ASSERT_TRUE(standin.Start("/account:\"x\" \"" + dir.path() + "\"", dir.Join("standin.log")));
  ASSERT_TRUE(WaitForWindow());
  ASSERT_TRUE(SendCommand("MarkMail(Acc1\\Inbox.box\\" + name + ",1073741824,0)", false));
  // The transaction is acknowledged after the files were written.
  std::uint32_t flags = 0;
  ASSERT_TRUE(ReadFlags(index_path, name, flags)) << "record lost";
  EXPECT_EQ(flags & thread::kUnreadFlag, 0u);
  EXPECT_EQ(settings::IniReader(ini_path).ReadInteger("Property", "UnOpen", -1), unread - 1);
  // A second mark changes nothing more.
  ASSERT_TRUE(SendCommand("MarkMail(Acc1\\Inbox.box\\" + name + ",1073741824,0)", false));
  EXPECT_EQ(settings::IniReader(ini_path).ReadInteger("Property", "UnOpen", -1), unread - 1);
}

// The program's own DDE channel: the command arrives byte-exact (Japanese account name
// with a 0x5C trail byte included) and the wait ends as soon as the file is free; with
// no client the command is dropped at once.
TEST(StandInTest, TheProgramsChannelDeliversCommandsAndNeverHangs) {
  testing_support::TempDir dir;
  const std::string message = dir.WriteFile("Mailbox/Acc1/Inbox.box/00000002.qnm", "body");
  {
    client::DdeHostChannel channel;
    const DWORD start = GetTickCount();
    EXPECT_EQ(client::SendHostCommand(channel, kMoveCommand, message),
              client::HostCommandResult::kNotSent);
    EXPECT_LT(GetTickCount() - start, 2000u) << "no client: no wait";
  }
  const std::string log = dir.Join("standin.log");
  StandIn standin;
  ASSERT_TRUE(standin.Start("", log));
  ASSERT_TRUE(WaitForWindow());
  client::DdeHostChannel channel;
  EXPECT_EQ(client::SendHostCommand(channel, kMoveCommand, message),
            client::HostCommandResult::kReleased);
  EXPECT_EQ(client::SendHostCommand(channel, kMoveCommand, dir.Join("missing.qnm")),
            client::HostCommandResult::kFileGone);
  const std::vector<std::string> expected = {"CommandLine: ", kMoveCommand, kMoveCommand};
  EXPECT_EQ(LogLines(log), expected);
}

// The client ends while a batch's conversation is open (it exits, or starts
// again): the batch's next command goes to the client running then, on a new
// conversation, and so do the ones after it.
TEST(StandInTest, ABatchGoesOnWithTheClientThatStartedAgain) {
  testing_support::TempDir dir;
  const std::string message = dir.WriteFile("Mailbox/Acc1/Inbox.box/00000002.qnm", "body");
  const std::string mark = "MarkMail(Acc1\\Inbox.box\\00000002,1073741824,0)";
  constexpr auto kBatch = client::HostCommandPace::kBatch;
  client::DdeHostChannel channel;
  {
    StandIn first;
    ASSERT_TRUE(first.Start("", dir.Join("first.log")));
    ASSERT_TRUE(WaitForWindow());
    ASSERT_EQ(client::SendHostCommand(channel, mark, message, kBatch),
              client::HostCommandResult::kReleased);
    ASSERT_TRUE(channel.IsOpen()) << "the batch's conversation stays open";
  }
  const std::string log = dir.Join("second.log");
  StandIn second;
  ASSERT_TRUE(second.Start("", log));
  ASSERT_TRUE(WaitForWindow());
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(client::SendHostCommand(channel, mark, message, kBatch),
              client::HostCommandResult::kReleased);
  }
  const std::vector<std::string> expected = {"CommandLine: ", mark, mark};
  EXPECT_EQ(LogLines(log), expected);
}

}  // namespace
