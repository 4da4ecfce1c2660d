#include "mailbox/folder_discovery.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "tests/temp_dir_support.h"

namespace {

using mailbox::FolderTable;
using testing_support::TempDir;

constexpr char kInbox[] = "\x97\x58\x95\xD6\x8E\xF3\x82\xAF";  // 郵便受け
constexpr char kOutbox[] = "\x91\x97\x90\x4D\x94\xA0";         // 送信箱

std::string EntryIni(const std::string& title, int total, int unread, const char* extra = "") {
  return "[Property]\r\nTitle=" + title + "\r\nTotal=" + std::to_string(total) +
         "\r\nUnOpen=" + std::to_string(unread) + "\r\n" + extra;
}

struct Discovered {
  std::unique_ptr<FolderTable> table = std::make_unique<FolderTable>();
  std::string account;
  int count = 0;
  const mailbox::FolderInfo& operator[](int i) const { return (*table)[i]; }
};

Discovered Discover(const TempDir& dir, mailbox::DiscoveryOptions options = {}) {
  Discovered d;
  d.account = dir.Join("acc");
  mailbox::DiscoverFolders(d.account, options, *d.table);
  d.count = mailbox::FolderCount(*d.table);
  return d;
}

// The titles and depths of the folders found, e.g. "Box:0 Child1:1".
std::string Listed(const Discovered& d) {
  std::string listed;
  for (int i = 0; i < d.count; ++i) {
    listed += (i == 0 ? "" : " ") + d[i].Title + ":" + std::to_string(d[i].Depth);
  }
  return listed;
}

TEST(FolderDiscovery, WithoutOrderListsInboxOutboxThenUserFoldersByNumberWithChildrenAfterContainers) {
  TempDir dir;
  dir.WriteFile("acc/Account.ini", "[Property]\r\nTitle=Home\r\n");
  dir.WriteFile("acc/Inbox.box/Entry.ini", EntryIni("ignored", 12, 3));
  dir.WriteFile("acc/User002.box/Entry.ini", EntryIni("Two", 5, 1));
  dir.WriteFile("acc/User001.box/Entry.ini", EntryIni("Box", 0, 0, "Type=Subfolder\r\n"));
  dir.WriteFile("acc/User001.box/User002.box/Entry.ini", EntryIni("Child2", 1, 0));
  dir.WriteFile("acc/User001.box/User001.box/Entry.ini", EntryIni("Child1", 1, 0));
  dir.MakeDirs("acc/User003.box");  // no Entry.ini: passed over

  const Discovered d = Discover(dir);
  ASSERT_EQ(Listed(d), std::string(kInbox) + ":0 " + kOutbox + ":0 Box:0 Child1:1 Child2:1 Two:0");
  EXPECT_EQ(d[0].Total, 12);
  EXPECT_EQ(d[0].Path, platform::JoinPath(d.account, "Inbox.box"));
  EXPECT_EQ(d[1].Kind, mailbox::kFolderMail) << "a missing Outbox is still listed";
  EXPECT_EQ(d[2].Kind, mailbox::kFolderContainer);
  EXPECT_EQ(d[4].Path, dir.Join("acc/User001.box/User002.box"));
  EXPECT_EQ(d[0].Unread, 0) << "MidokuSearch 0 leaves unread counts at 0";
  EXPECT_EQ(d[0].SelectedIndex, -1);
}

TEST(FolderDiscovery, OrderOrTheNumberedScanChoosesTheFolders) {
  const std::string in = std::string(kInbox) + ":0 ";
  const std::string out = std::string(kOutbox) + ":0";
  struct Case {
    std::vector<std::pair<const char*, std::string>> files;  // below the account
    std::string listed;
    const char* why;
  };
  const Case cases[] = {
      {{{"Account.ini", "[Property]\r\nOrder=IO003T001xy\r\n"},
        {"User001.box/Entry.ini", EntryIni("One", 1, 0, "Type=Subfolder\r\nOrder=I002\r\n")},
        {"User001.box/User002.box/Entry.ini", EntryIni("Inner", 1, 0)},
        {"User003.box/Entry.ini", EntryIni("Three", 1, 0)}},
       in + out + " Three:0 One:0 " + in + "Inner:1",
       "Order lists exactly its codes, unknown ones skipped, an Inbox inside a container too"},
      {{{"Account.ini", "[Property]\r\nOrder=O*I\r\n"}},
       out,
       "an Order of the Outbox alone gives no automatic Inbox, and '*' ends it"},
      {{{"Account.ini", ""}, {"User999.box/Entry.ini", EntryIni("Last", 2, 0)}},
       in + out + " Last:0",
       "the scan reaches User999"},
      {{{"Account.ini", ""},
        {"User1.box/Entry.ini", EntryIni("one-digit", 1, 0)},
        {"UserAB.box/Entry.ini", EntryIni("letters", 1, 0)},
        {"User500.box/Entry.ini", EntryIni("Five hundred", 1, 0)}},
       in + out + " Five hundred:0",
       "oddly named directories do not hide numbered ones"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    for (const auto& [name, bytes] : c.files) dir.WriteFile(std::string("acc/") + name, bytes);
    EXPECT_EQ(Listed(Discover(dir)), c.listed) << c.why;
  }
}

TEST(FolderDiscovery, StopsAtThreeHundredFolders) {
  TempDir dir;
  dir.WriteFile("acc/Account.ini", "");
  for (int i = 1; i <= 310; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "acc/User%03d.box/Entry.ini", i);
    dir.WriteFile(name, EntryIni("F", 0, 0));
  }
  const Discovered d = Discover(dir);
  EXPECT_EQ(d.count, mailbox::kFolderCapacity);
  EXPECT_EQ(d[299].Path, dir.Join("acc/User298.box"));
}

TEST(FolderDiscovery, MidokuSearchReadsUnreadCountsButNotForContainers) {
  TempDir dir;
  dir.WriteFile("acc/Account.ini", "[Property]\r\nOrder=I001\r\n");
  dir.WriteFile("acc/Inbox.box/Entry.ini", EntryIni("", 9, 4));
  dir.WriteFile("acc/User001.box/Entry.ini", EntryIni("C", 9, 4, "Type=Subfolder\r\n"));
  mailbox::DiscoveryOptions options;
  options.MidokuSearch = 1;
  const Discovered d = Discover(dir, options);
  EXPECT_EQ(d[0].Unread, 4);
  EXPECT_EQ(d[1].Unread, 0);
}

TEST(FolderDiscovery, DisplaySettingsComeFromVltrFolWithTheSettingsDefaultAndContainersGetZero) {
  TempDir dir;
  dir.WriteFile("acc/Account.ini", "[Property]\r\nOrder=IO001\r\n");
  dir.WriteFile("acc/Inbox.box/VLTR.fol", "[Property]\r\nMlStringDelete=1\r\n");
  dir.WriteFile("acc/Outbox.box/VLTR.fol", "[property]\r\ntabinfo=0\r\n");
  dir.WriteFile("acc/User001.box/Entry.ini", "[Property]\r\nType=Subfolder\r\n");
  dir.WriteFile("acc/User001.box/VLTR.fol", "[Property]\r\nTabInfo=1\r\nMlStringDelete=1\r\n");
  mailbox::DiscoveryOptions options;
  options.TabInfoDefault = 1;
  const Discovered d = Discover(dir, options);
  EXPECT_EQ(d[0].TabInfo, 1);
  EXPECT_EQ(d[0].MlStringDelete, 1);
  EXPECT_EQ(d[1].TabInfo, 0);
  EXPECT_EQ(d[2].TabInfo, 0);
  EXPECT_EQ(d[2].MlStringDelete, 0);
}

TEST(FolderDiscovery, RefreshingARecordReadsTheInboxTitleFromItsEntryIni) {
  TempDir dir;
  dir.WriteFile("acc/Account.ini", "");
  dir.WriteFile("acc/Inbox.box/Entry.ini", EntryIni("Own title", 3, 0));
  Discovered d = Discover(dir);
  ASSERT_EQ(d[0].Title, kInbox);
  mailbox::AddFolder(*d.table, 0, d[0].Path, d[0].Depth, "", {});
  EXPECT_EQ(d[0].Title, "Own title");
}

TEST(FolderDiscovery, RefreshingARecordReadsItsCountsButKeepsItsDisplaySettings) {
  TempDir dir;
  dir.WriteFile("acc/Account.ini", "");
  dir.WriteFile("acc/Inbox.box/Entry.ini", EntryIni("", 3, 1));
  dir.WriteFile("acc/Inbox.box/VLTR.fol", "[Property]\r\nTabInfo=1\r\nMlStringDelete=1\r\n");
  mailbox::DiscoveryOptions options;
  options.MidokuSearch = 1;
  Discovered d = Discover(dir, options);
  // New mail arrived and the file changed behind the program's back: the
  // counts are read again, the display settings only after the
  // folder-properties dialog.
  dir.WriteFile("acc/Inbox.box/Entry.ini", EntryIni("", 5, 2));
  dir.WriteFile("acc/Inbox.box/VLTR.fol", "[Property]\r\nTabInfo=0\r\nMlStringDelete=0\r\n");
  mailbox::RefreshFolderEntry((*d.table)[0], kInbox, options);
  EXPECT_EQ(d[0].Total, 5);
  EXPECT_EQ(d[0].Unread, 2);
  EXPECT_EQ(d[0].TabInfo, 1);
  EXPECT_EQ(d[0].MlStringDelete, 1);
  EXPECT_EQ(d[0].Title, kInbox);
}

TEST(FolderDiscovery, GarbledEntryIniGivesDefaults) {
  TempDir dir;
  dir.WriteFile("acc/Account.ini", std::string("\x00\xff[Property\n\x82", 11));
  dir.WriteFile("acc/Inbox.box/Entry.ini", std::string("[Property]\nTotal=\x82\xa0\nType=subfolder\n"));
  const Discovered d = Discover(dir);
  ASSERT_EQ(d.count, 2);
  EXPECT_EQ(d[0].Total, 0);
  EXPECT_EQ(d[0].Kind, mailbox::kFolderMail) << "Type is compared case-sensitively";
}

TEST(FolderStatus, FormatsCountsAndDashesForContainers) {
  mailbox::FolderInfo f;
  f.Kind = mailbox::kFolderMail;
  f.Total = 12;
  f.Unread = 3;
  EXPECT_EQ(mailbox::FolderStatusText(f),
            "[\xD2\xB0\xD9\x90\x94 :   12] [\x96\xA2\x93\xC7\xD2\xB0\xD9\x90\x94\x81\x46    3]");
  f.Kind = mailbox::kFolderContainer;
  EXPECT_EQ(mailbox::FolderStatusText(f),
            "[\xD2\xB0\xD9\x90\x94 :-----] [\x96\xA2\x93\xC7\xD2\xB0\xD9\x90\x94\x81\x46    3]");
}

}  // namespace
