// The thread list on a generated mailbox: opening rows in the viewer, unread
// marks and counts, the unread jumps and the list's letter keys.

#include <windows.h>
// commctrl.h needs the types of windows.h.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "mailbox/folder_table.h"
#include "platform/files.h"
#include "platform/wide_win.h"
#include "settings/ini_profile.h"
#include "tests/win/ui_support.h"
#include "thread/thread_node.h"
#include "ui/commands.h"

namespace uitest {
namespace {

// "ファイルが存在しません :再構築をおこなって下さい"
constexpr char kFileMissing[] =
    "\x83t\x83@\x83\x43\x83\x8B\x82\xAA\x91\xB6\x8D\xDD\x82\xB5\x82\xDC\x82\xB9\x82\xF1 :"
    "\x8D\xC4\x8D\x5C\x92z\x82\xF0\x82\xA8\x82\xB1\x82\xC8\x82\xC1\x82\xC4\x89\xBA\x82\xB3\x82\xA2";

std::string WindowText(HWND hwnd) {
  wchar_t text[512] = {};
  GetWindowTextW(hwnd, text, 512);
  return platform::Narrow(text);
}

class ThreadList : public SharedMailbox {};

// The unread mark's image list is the pane's: it outlives the control, which
// must not destroy it as well.
TEST_F(ThreadList, TheImageListOutlivesTheListControl) {
  fixture.Start();
  HIMAGELIST images = fixture.Main().ThreadList().ImageListMail();
  ASSERT_GT(ImageList_GetImageCount(images), 0);
  DestroyWindow(fixture.Main().ThreadList().ListViewMail().hwnd());
  EXPECT_GT(ImageList_GetImageCount(images), 0);
}

void PressEnter(UiFixture& fixture) {
  TypeChar(fixture.Main().ThreadList().ListViewMail().hwnd(), 13);
  Settle();
}

// A row opened with Enter or Space shows its message in the viewer; an unread
// one is marked read and its folder's count drops. No mail client runs here:
// nothing is sent, the message is read locally.
TEST_F(ThreadList, OpeningARowShowsItAndMarksAnUnreadOneRead) {
  const struct Case {
    const char* reason;
    bool unread;
    WORD key;
  } cases[] = {
      {"an unread row opened with Enter", true, VK_RETURN},
      {"a read row opened with Space: no count changes", false, VK_SPACE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    fixture.Restore();
    fixture.Start();
    ui::TVtFormMain& main = fixture.Main();
    HWND list = main.ThreadList().ListViewMail().hwnd();
    const std::vector<int> unread = UnreadRows(fixture);
    int row = 0;
    while (row < fixture.RowCount() &&
           (std::find(unread.begin(), unread.end(), row) != unread.end()) != c.unread) {
      ++row;
    }
    ASSERT_LT(row, fixture.RowCount());
    const thread::ThreadNode& node =
        *main.ThreadList().View().Shown()[static_cast<std::size_t>(row)];
    const int folder_unread = main.Folders()[kInbox].Unread;
    const int expected_unread = folder_unread - (c.unread ? 1 : 0);
    main.SelectRow(row, true);
    SetFocus(list);
    PressKey(list, c.key);
    ASSERT_TRUE(PumpUntil([&] { return main.ViewedNode() == &node; }, 5000));
    EXPECT_TRUE(IsWindowVisible(fixture.Viewer().hwnd()));
    EXPECT_EQ(WindowText(fixture.Viewer().hwnd()),
              "From: " + node.Sender.str() + " - " + node.Subject.str());
    EXPECT_FALSE(fixture.Viewer().BigViewText().empty());
    EXPECT_FALSE(fixture.RowShowsUnread(row));
    EXPECT_FALSE(thread::IsUnread(node));
    EXPECT_EQ(main.Folders()[kInbox].Unread, expected_unread);
    EXPECT_EQ(fixture.StatusText(), mailbox::FolderStatusText(main.Folders()[kInbox]));
    EXPECT_TRUE(fixture.MailClient.Commands.empty());
    EXPECT_FALSE(fixture.Viewer().ViewerBusy.IsSet());
    // Enter again on the same row only focuses the viewer.
    PressEnter(fixture);
    EXPECT_EQ(main.Folders()[kInbox].Unread, expected_unread);
    EXPECT_TRUE(fixture.Errors.empty());
  }
}

TEST_F(ThreadList, OpeningARowWhoseFileWasDeletedReportsItAndLeavesTheRowUnread) {
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  const int row = UnreadRows(fixture).front();
  const thread::ThreadNode& node = *main.ThreadList().View().Shown()[static_cast<std::size_t>(row)];
  const int folder_unread = main.Folders()[kInbox].Unread;
  ASSERT_TRUE(platform::RemoveFile(node.FilePath.str()));
  main.SelectRow(row, true);
  PressEnter(fixture);
  EXPECT_EQ(fixture.Messages, std::vector<std::string>{kFileMissing});
  EXPECT_TRUE(fixture.RowShowsUnread(row));
  EXPECT_TRUE(thread::IsUnread(node));
  EXPECT_EQ(main.Folders()[kInbox].Unread, folder_unread);
  EXPECT_TRUE(fixture.MailClient.Commands.empty());
  EXPECT_FALSE(IsWindowVisible(fixture.Viewer().hwnd()));
}

TEST_F(ThreadList, UnreadJumpsMoveToTheNearestUnreadRowAndNeverWrap) {
  fixture.Start();
  const std::vector<int> unread = UnreadRows(fixture);
  ASSERT_GE(unread.size(), 2u);
  ui::TVtFormMain& main = fixture.Main();
  // From the first row, Ctrl+N walks through every unread row in order.
  main.SelectRow(0, true);
  std::vector<int> visited;
  if (fixture.RowShowsUnread(0)) visited.push_back(0);
  for (std::size_t i = 0; i < unread.size() + 2; ++i) {
    const int before = fixture.SelectedRow();
    fixture.Command("mNextMidoku");
    if (fixture.SelectedRow() != before) visited.push_back(fixture.SelectedRow());
  }
  EXPECT_EQ(visited, unread);
  EXPECT_EQ(fixture.SelectedRow(), unread.back());  // past the last one: no wrap
  // Ctrl+P walks back and stops at the first unread row.
  for (std::size_t i = 0; i < unread.size() + 2; ++i) fixture.Command("mPrevMidoku");
  EXPECT_EQ(fixture.SelectedRow(), unread.front());
  // From the very first row Ctrl+P does nothing.
  main.SelectRow(0, true);
  fixture.Command("mPrevMidoku");
  EXPECT_EQ(fixture.SelectedRow(), 0);
  // The jumps only select: nothing was opened.
  EXPECT_FALSE(IsWindowVisible(fixture.Viewer().hwnd()));
}

// Letters typed in the thread list move the selection, one after the other
// from where the last left it, instead of reaching the list's own search.
TEST_F(ThreadList, LetterKeysNavigateAndDoNotReachTheList) {
  fixture.Start();
  HWND list = fixture.Main().ThreadList().ListViewMail().hwnd();
  const int last = fixture.RowCount() - 1;
  const struct Case {
    const char* reason;
    wchar_t letter;
    int row;
  } cases[] = {
      {"t: the first row", L't', 0},
      {"n: the next row", L'n', 1},
      {"b: the last row", L'b', last},
      {"P, shifted: the previous row", L'P', last - 1},
  };
  SetFocus(list);
  for (const Case& c : cases) {
    TypeChar(list, c.letter);
    EXPECT_TRUE(PumpUntil([&] { return fixture.SelectedRow() == c.row; }, 3000))
        << c.reason << ": at " << fixture.SelectedRow();
  }
}

TEST_F(ThreadList, TheUnreadCheckUpdatesFolderCountsButNotTheStatusBar) {
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  const std::string status = fixture.StatusText();
  settings::IniWriter entry(fixture.FolderPath(kOutbox) + "\\Entry.ini");
  entry.WriteInteger("Property", "UnOpen", 7);
  ASSERT_TRUE(entry.Commit());
  const int selected_row = fixture.SelectedRow();
  fixture.Command("mMidoku");
  EXPECT_EQ(main.Folders()[kOutbox].Unread, 7);
  EXPECT_EQ(fixture.StatusText(), status);
  EXPECT_EQ(fixture.SelectedFolder(), kInbox);
  EXPECT_EQ(fixture.SelectedRow(), selected_row);
  EXPECT_EQ(main.Folders()[kContainer].Unread, 0);
  EXPECT_TRUE(IsWindowEnabled(main.hwnd()));
}

TEST(ShortThreadList, ClickingBelowTheLastRowKeepsARowSelected) {
  MailboxOptions few;
  few.messages_per_folder = 4;  // the rows end well above the list's bottom
  UiFixture fixture(few);
  fixture.Start();
  HWND list = fixture.Main().ThreadList().ListViewMail().hwnd();
  RECT client{};
  GetClientRect(list, &client);
  fixture.Main().SelectRow(1, true);
  const LPARAM at = MAKELPARAM(client.right - 5, client.bottom - 2);
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(list, WM_LBUTTONUP, 0, at);
  Settle();
  EXPECT_EQ(fixture.SelectedRow(), 1);
}

}  // namespace
}  // namespace uitest
