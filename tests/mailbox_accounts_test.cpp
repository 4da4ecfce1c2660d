#include "mailbox/accounts.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "tests/temp_dir_support.h"

namespace {

using mailbox::AccountState;
using testing_support::TempDir;

// A mailbox root with accounts "b-acc" (title Home), "a-acc" (title Work), a
// directory without Account.ini, and a file.
std::string MakeMailbox(const TempDir& dir) {
  dir.WriteFile("Mailbox/Mailbox.ini", "[Property]\r\n");
  dir.WriteFile("Mailbox/b-acc/Account.ini", "[Property]\r\nTitle=Home\r\n");
  dir.WriteFile("Mailbox/a-acc/Account.ini", "[Property]\r\nTitle=Work\r\n");
  dir.MakeDirs("Mailbox/no-account");
  dir.WriteFile("Mailbox/stray.txt", "x");
  return dir.Join("Mailbox");
}

TEST(Accounts, ListsDirectoriesWithAccountIniInListingOrder) {
  TempDir dir;
  const std::string root = MakeMailbox(dir);
  const auto accounts = mailbox::EnumerateAccounts(root);
  ASSERT_EQ(accounts.size(), 2u);
  // POSIX lists names sorted bytewise: not by title.
#ifndef _WIN32
  EXPECT_EQ(accounts[0].Title, "Work");
  EXPECT_EQ(accounts[0].Directory, platform::JoinPath(root, "a-acc"));
  EXPECT_EQ(accounts[1].Title, "Home");
#endif
}

TEST(Accounts, StopsAtNinetyNine) {
  TempDir dir;
  for (int i = 0; i < 101; ++i) dir.WriteFile("Mailbox/acc" + std::to_string(1000 + i) + "/Account.ini", "");
  EXPECT_EQ(mailbox::EnumerateAccounts(dir.Join("Mailbox")).size(), 99u);
}

TEST(Accounts, AnAccountIniThatIsADirectoryOrHiddenDoesNotCount) {
  TempDir dir;
  dir.MakeDirs("Mailbox/acc/Account.ini");
  EXPECT_TRUE(mailbox::EnumerateAccounts(dir.Join("Mailbox")).empty());
}

TEST(Accounts, RegistryValueWithOrWithoutTrailingDelimiterGivesTheSameRoot) {
  const std::string d(1, platform::kPathDelimiter);
  const std::string expected = "C:" + d + "Quenmar" + d + "Mailbox";
  EXPECT_EQ(mailbox::MailboxDirFromClientDataDir("C:" + d + "Quenmar" + d), expected);
  EXPECT_EQ(mailbox::MailboxDirFromClientDataDir("C:" + d + "Quenmar"), expected);
  EXPECT_EQ(mailbox::MailboxDirFromClientDataDir(""), "");
#ifdef _WIN32
  // "ソ" is 0x83 0x5C: its second byte is no delimiter and stays.
  EXPECT_EQ(mailbox::MailboxDirFromClientDataDir("C:\\\x83\x5C"), "C:\\\x83\x5C\\Mailbox");
  // After a complete double-byte character a real backslash is removed.
  EXPECT_EQ(mailbox::MailboxDirFromClientDataDir("C:\\\x83\x5C\\"), "C:\\\x83\x5C\\Mailbox");
#endif
}

TEST(Accounts, BrowseRuleAcceptsOnlyMailboxDirectoriesHoldingMailboxIni) {
  TempDir dir;
  dir.WriteFile("good/MAILBOX/Mailbox.ini", "");
  dir.WriteFile("bad/Mailbox2/Mailbox.ini", "");
  dir.MakeDirs("empty/Mailbox");
  struct Case {
    std::string path;
    bool acceptable;
    const char* why;
  };
  const Case cases[] = {
      {dir.Join("good/MAILBOX"), true, "named Mailbox in any case, holding Mailbox.ini"},
      {dir.Join("bad/Mailbox2"), false, "another name"},
      {dir.Join("empty/Mailbox"), false, "no Mailbox.ini"},
      {"ailbox", false, "a path shorter than the name Mailbox"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(mailbox::AcceptableMailboxDir(c.path), c.acceptable) << c.why;
}

TEST(Accounts, LocateUsesSettingsThenRegistryThenBrowse) {
  TempDir dir;
  const std::string root = MakeMailbox(dir);
  int browsed = 0;
  auto browse = [&](const std::string&) { ++browsed; return root; };

  AccountState from_settings;
  from_settings.MailboxDir = root;
  from_settings.AccountIndex = 1;
  EXPECT_TRUE(mailbox::LocateMailbox(from_settings, [] { return std::string("unused"); }, browse));
  EXPECT_EQ(from_settings.AccountDir, from_settings.AccountList[1].Directory);

  AccountState from_registry;
  const std::string data_dir = dir.path() + platform::kPathDelimiter;
  EXPECT_TRUE(mailbox::LocateMailbox(from_registry, [&] { return data_dir; }, browse));
  EXPECT_EQ(from_registry.MailboxDir, dir.Join("Mailbox"));
  EXPECT_EQ(browsed, 0);

  AccountState from_browse;
  EXPECT_TRUE(mailbox::LocateMailbox(from_browse, [] { return std::string(); }, browse));
  EXPECT_EQ(browsed, 1);
  EXPECT_EQ(from_browse.AccountList.size(), 2u);

  AccountState cancelled;
  EXPECT_FALSE(mailbox::LocateMailbox(cancelled, nullptr, [](const std::string&) { return std::string(); }));
  EXPECT_TRUE(cancelled.AccountDir.empty());
}

TEST(Accounts, SavedIndexPastTheAccountsSelectsTheFirst) {
  TempDir dir;
  AccountState state;
  state.MailboxDir = MakeMailbox(dir);
  state.AccountIndex = 7;
  mailbox::LocateMailbox(state, nullptr, nullptr);
  EXPECT_EQ(state.AccountIndex, 0);
  EXPECT_EQ(state.AccountDir, state.AccountList[0].Directory);
}

TEST(Accounts, NoAccountsGiveEmptyDirectoryAndBareCaption) {
  TempDir dir;
  AccountState state;
  state.MailboxDir = dir.MakeDirs("Mailbox");
  mailbox::LocateMailbox(state, nullptr, nullptr);
  mailbox::ReadAccountName(state);
  EXPECT_TRUE(state.AccountDir.empty());
  EXPECT_EQ(state.AccountName, "");
  EXPECT_EQ(state.AccountIniPath, "") << "no Account.ini of no folder (the drive's root)";
  EXPECT_EQ(mailbox::CaptionText(state.AccountName), "[] - Veltrano");
}

TEST(Accounts, ChangingToTheSameMailboxInOtherCaseChangesNothing) {
  TempDir dir;
  AccountState state;
  state.MailboxDir = MakeMailbox(dir);
  state.AccountIndex = 1;
  mailbox::LocateMailbox(state, nullptr, nullptr);
  std::string other_case = state.MailboxDir;
  for (char& c : other_case) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_FALSE(mailbox::ChangeMailbox(state, other_case));
  EXPECT_FALSE(mailbox::ChangeMailbox(state, ""));
  EXPECT_EQ(state.AccountIndex, 1);
}

TEST(Accounts, ChangingMailboxAlwaysSelectsItsFirstAccount) {
  TempDir first, second;
  AccountState state;
  state.MailboxDir = MakeMailbox(first);
  state.AccountIndex = 1;
  mailbox::LocateMailbox(state, nullptr, nullptr);
  ASSERT_TRUE(mailbox::ChangeMailbox(state, MakeMailbox(second)));
  EXPECT_EQ(state.AccountIndex, 0);
  EXPECT_EQ(state.AccountDir, state.AccountList[0].Directory);
  EXPECT_EQ(state.AccountName, state.AccountList[0].Title);
}

TEST(Accounts, SwitchingToTheCheckedAccountDoesNothingAndOutOfRangeFallsBack) {
  TempDir dir;
  AccountState state;
  state.MailboxDir = MakeMailbox(dir);
  mailbox::LocateMailbox(state, nullptr, nullptr);
  mailbox::ReadAccountName(state);
  EXPECT_FALSE(mailbox::SwitchAccount(state, 0));
  ASSERT_TRUE(mailbox::SwitchAccount(state, 1));
  EXPECT_EQ(state.AccountName, state.AccountList[1].Title);
  EXPECT_EQ(mailbox::CaptionText(state.AccountName), "[" + state.AccountList[1].Title + "] - Veltrano");
  ASSERT_TRUE(mailbox::SwitchAccount(state, 5));
  EXPECT_EQ(state.AccountIndex, 0);
}

}  // namespace
