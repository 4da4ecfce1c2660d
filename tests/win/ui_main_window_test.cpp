// The main window on a generated mailbox: start-up, folder selection with its
// delay, the status bar, row memory per folder, reload and rebuild, closing.

#include <gtest/gtest.h>

#include "mailbox/folder_table.h"
#include "platform/files.h"
#include "platform/wide_win.h"
#include "settings/ini_profile.h"
#include "tests/win/ui_support.h"
#include "ui/commands.h"
#include "ui/ja_texts.h"

namespace uitest {
namespace {

// "[ﾒｰﾙ数 :   30] [未読ﾒｰﾙ数：    n]" for the status bar of a 30-message folder.
std::string StatusFor(int total, int unread) {
  char counts[64];
  std::snprintf(counts, sizeof counts, "%5d", total);
  std::string text = std::string("[\xD2\xB0\xD9\x90\x94 :") + counts + "] [\x96\xA2\x93\xC7\xD2\xB0\xD9\x90\x94\x81\x46";
  std::snprintf(counts, sizeof counts, "%5d", unread);
  return text + counts + "]";
}

class MainWindow : public SharedMailbox {};

TEST_F(MainWindow, StartUpFillsTheFolderListOpensTheFirstFolderAtItsLastRowAndNamesTheAccount) {
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  EXPECT_EQ(main.FolderList().ListBoxF().Count(), mailbox::FolderCount(main.Folders()));
  EXPECT_EQ(main.FolderList().ListBoxF().ItemText(kInbox), main.Folders()[kInbox].Title);
  EXPECT_EQ(fixture.SelectedFolder(), kInbox);
  EXPECT_EQ(main.CurrentFolderIndex(), kInbox);
  ASSERT_EQ(fixture.RowCount(), 30);
  EXPECT_EQ(fixture.SelectedRow(), 29);  // MailIniPos 1: the last row
  EXPECT_EQ(main.ThreadList().ListViewMail().ColumnCaption(0), "\x91\xE8\x96\xBC");    // 題名
  EXPECT_EQ(main.ThreadList().ListViewMail().ColumnCaption(1), "\x8D\xB7\x8Fo\x90l");  // 差出人
  // Every row shows its node: subject (after the indentation) and sender.
  for (int row = 0; row < fixture.RowCount(); ++row) {
    const thread::ThreadNode& node =
        *main.ThreadList().View().Shown()[static_cast<std::size_t>(row)];
    EXPECT_NE(fixture.Cell(row, 0).find(node.Subject), std::string::npos) << row;
    EXPECT_EQ(fixture.Cell(row, 1), node.Sender) << row;
    EXPECT_EQ(fixture.RowShowsUnread(row), thread::IsUnread(node)) << row;
  }
  const int unread = static_cast<int>(UnreadRows(fixture).size());
  EXPECT_EQ(fixture.StatusText(), StatusFor(30, unread));
  EXPECT_EQ(main.Folders()[kInbox].Unread, unread);
  EXPECT_TRUE(platform::FileExists(fixture.FolderPath(kInbox) + "\\VLTR.ume"));
  EXPECT_TRUE(fixture.Errors.empty());
  wchar_t caption[256] = {};
  GetWindowTextW(main.hwnd(), caption, 256);
  EXPECT_EQ(platform::Narrow(caption), "[" + main.Account().AccountName + "] - Veltrano");
}

TEST_F(MainWindow, HoldingDownInTheFolderListOpensOnlyWhereTheSelectionRests) {
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  const std::size_t opened_before = main.OpenedFolders().size();
  HWND list = main.FolderList().ListBoxF().hwnd();
  SetFocus(list);
  // Key repeat: one step every 60 ms, well inside the 400 ms delay.
  for (int folder = 1; folder <= 2; ++folder) {
    PressKey(list, VK_DOWN);
    Pump(60);
    EXPECT_EQ(fixture.SelectedFolder(), folder);
    EXPECT_EQ(fixture.StatusText(), mailbox::FolderStatusText(main.Folders()[folder]));
    EXPECT_EQ(main.CurrentFolderIndex(), kInbox);
  }
  ASSERT_TRUE(fixture.WaitForFolder(2));
  const std::vector<int> opened(main.OpenedFolders().begin() + opened_before, main.OpenedFolders().end());
  EXPECT_EQ(opened, std::vector<int>{2});
  EXPECT_EQ(fixture.RowCount(), 30);
}

// Letters typed in the folder list move its selection, one after the other
// from the Inbox; a folder chosen opens after the selection delay.
TEST_F(MainWindow, FolderListLettersMoveTheSelection) {
  fixture.Start();
  HWND list = fixture.Main().FolderList().ListBoxF().hwnd();
  const int last = fixture.Main().FolderList().ListBoxF().Count() - 1;
  const struct Case {
    const char* reason;
    wchar_t letter;
    int folder;
    bool wait_until_open;
  } cases[] = {
      {"n: the next folder, which then opens", L'n', 1, true},
      {"b: the last folder", L'b', last, false},
      {"p: the previous folder", L'p', last - 1, false},
      {"t: the first folder", L't', 0, false},
  };
  SetFocus(list);
  for (const Case& c : cases) {
    TypeChar(list, c.letter);
    EXPECT_TRUE(PumpUntil([&] { return fixture.SelectedFolder() == c.folder; }, 3000))
        << c.reason << ": at " << fixture.SelectedFolder();
    if (c.wait_until_open) {
      EXPECT_TRUE(fixture.WaitForFolder(c.folder)) << c.reason;
    }
  }
}

TEST_F(MainWindow, AContainerShowsDashesForItsMailCount) {
  fixture.Start();
  fixture.SelectFolderWithKeys(kContainer);
  EXPECT_NE(fixture.StatusText().find("[\xD2\xB0\xD9\x90\x94 :-----]"), std::string::npos);
  EXPECT_EQ(fixture.RowCount(), 0);
}

TEST_F(MainWindow, ComingBackToAFolderSelectsTheRowItWasLeftOn) {
  fixture.Start();
  fixture.Main().SelectRow(5, true);
  fixture.SelectFolderWithKeys(kOutbox);
  EXPECT_EQ(fixture.SelectedRow(), 29);
  fixture.SelectFolderWithKeys(kInbox);
  EXPECT_EQ(fixture.SelectedRow(), 5);
}

TEST_F(MainWindow, ReloadKeepsTheSelectedRowAndRebuildRewritesTheCache) {
  fixture.Start();
  fixture.Main().SelectRow(7, true);
  const std::string cache = fixture.FolderPath(kInbox) + "\\VLTR.ume";
  std::string before;
  ASSERT_TRUE(platform::ReadWholeFile(cache, before));
  fixture.Command("mRetry1");
  EXPECT_EQ(fixture.RowCount(), 30);
  EXPECT_EQ(fixture.SelectedRow(), 7);
  fixture.Command("mRetry2");
  EXPECT_EQ(fixture.RowCount(), 30);
  EXPECT_EQ(fixture.SelectedRow(), 7);
  std::string after;
  ASSERT_TRUE(platform::ReadWholeFile(cache, after));
  EXPECT_EQ(after, before);  // the same mail threads to the same cache
  EXPECT_EQ(fixture.Main().JobForm(), nullptr);  // the progress dialog is gone
}

TEST_F(MainWindow, ClosingSavesTheViewerSettingsThenTheMainWindowSettings) {
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  MoveWindow(main.hwnd(), 20, 30, 700, 450, TRUE);
  Settle();
  const int column1 = main.ThreadList().ListViewMail().ColumnWidth(0);
  const int folder_list_width = main.FolderList().ListBoxF().Width();
  SendMessageW(main.hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(main.hwnd(), nullptr);
  std::string text;
  ASSERT_TRUE(platform::ReadWholeFile(fixture.SettingsPath(), text));
  const std::size_t viewer = text.find("[ViewWindow]");
  const std::size_t window = text.find("[MainWindow]");
  ASSERT_NE(viewer, std::string::npos);
  ASSERT_NE(window, std::string::npos);
  EXPECT_LT(viewer, window);
  settings::IniReader saved(fixture.SettingsPath());
  EXPECT_EQ(saved.ReadInteger("MainWindow", "Left", 0), 20);
  EXPECT_EQ(saved.ReadInteger("MainWindow", "Top", 0), 30);
  EXPECT_EQ(saved.ReadInteger("MainWindow", "Width", 0), 700);
  EXPECT_EQ(saved.ReadInteger("MainWindow", "Height", 0), 450);
  EXPECT_EQ(saved.ReadInteger("MainWindow", "bMaximize", -1), 0);
  EXPECT_EQ(saved.ReadInteger("ListView", "Column1", 0), column1);
  EXPECT_EQ(saved.ReadInteger("ListBox", "Width", 0), folder_list_width);
  EXPECT_EQ(saved.ReadString("Property", "Mailbox", ""), fixture.MailboxDir());
  EXPECT_NE(text.find("Mailbox=\"" + fixture.MailboxDir() + "\""), std::string::npos);
}

// A settings file that cannot be written is told once a run, naming the file,
// and the save gives up after its bounded tries.
TEST_F(MainWindow, ASaveThatFailsIsToldOnceAfterBoundedTries) {
  fixture.Start();
  // Held open by another program that lets nobody replace it.
  HANDLE held =
      CreateFileW(platform::Widen(fixture.SettingsPath()).c_str(), GENERIC_READ, FILE_SHARE_READ,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const DWORD start = GetTickCount();
  fixture.Main().SaveAllSettings();
  const DWORD took = GetTickCount() - start;
  fixture.Main().SaveAllSettings();
  CloseHandle(held);
  // Two passes of half a second of tries each.
  EXPECT_LT(took, 1600u);
  ASSERT_EQ(fixture.Messages.size(), 1u);
  EXPECT_EQ(fixture.Messages[0], ui::ja::kSettingsNotSaved + fixture.SettingsPath());
}

TEST_F(MainWindow, SettingsFromTheFileShapeTheWindow) {
  fixture.Dir().WriteFile("Veltra.ini",
                          "[Property]\r\nMailbox=\"" + fixture.MailboxDir() +
                              "\"\r\nMailIniPos=0\r\n[MainWindow]\r\nLeft=50\r\nTop=60\r\n"
                              "Width=800\r\nHeight=500\r\n[ListBox]\r\nWidth=200\r\n"
                              "[ListView]\r\nColumn1=250\r\n");
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  RECT frame{};
  GetWindowRect(main.hwnd(), &frame);
  EXPECT_EQ(frame.left, 50);
  EXPECT_EQ(frame.top, 60);
  EXPECT_EQ(frame.right - frame.left, 800);
  EXPECT_EQ(main.FolderList().ListBoxF().Width(), 200);
  EXPECT_EQ(main.ThreadList().ListViewMail().ColumnWidth(0), 250);
  RECT client{};
  GetClientRect(main.ThreadList().ListViewMail().hwnd(), &client);
  EXPECT_EQ(main.ThreadList().ListViewMail().ColumnWidth(1), client.right - 250);
  EXPECT_EQ(fixture.SelectedRow(), 0);  // MailIniPos 0: the first row
}

TEST_F(MainWindow, WithoutAMailboxTheWindowClosesAndSavesAnEmptyMailbox) {
  fixture.Dir().WriteFile("Veltra.ini", "");
  fixture.Start();
  EXPECT_EQ(fixture.Main().FolderList().ListBoxF().Count(), 0);
  // The close posted by the start-up runs.
  EXPECT_TRUE(PumpUntil([&] { return fixture.Main().hwnd() == nullptr; }, 5000));
  settings::IniReader saved(fixture.SettingsPath());
  EXPECT_EQ(saved.ReadString("Property", "Mailbox", "unset"), "");
  EXPECT_GT(saved.ReadInteger("MainWindow", "Width", 0), 0) << "the window's settings are saved";
}

}  // namespace
}  // namespace uitest
