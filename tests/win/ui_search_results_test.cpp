// The search of every folder and the index's news as the main window takes
// them while the user goes on: an answer that comes late, and news that come
// while a newly chosen folder waits to open.

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "mailbox/folder_table.h"
#include "tests/win/ui_support.h"

namespace uitest {
namespace {

class SearchResults : public SharedMailbox {};

// The first answer of a search finds the user where they asked: the hits open
// in the thread list, which takes the focus. Found elsewhere (another folder
// chosen meanwhile, or the focus moved), it only adds the row "検索結果".
TEST_F(SearchResults, ALateFirstAnswerOpensTheHitsOnlyWhereTheUserStayed) {
  const struct Case {
    const char* why;
    bool choose_folder;  // Down in the folder list, else the focus to the filter box
    bool stay;
  } cases[] = {
      {"another folder chosen: it opens", true, false},
      {"the focus moved to the filter box: it stays there", false, false},
      {"stayed: the hits open", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    fixture.Restore();
    fixture.FullTextIndex = true;
    fixture.Start();
    ui::TVtFormMain& main = fixture.Main();
    HWND folders = main.FolderList().ListBoxF().hwnd();
    HWND list = main.ThreadList().ListViewMail().hwnd();
    SetFocus(list);
    AskSearchAll(fixture, L"zz", [&] {
      if (c.stay) return;
      if (c.choose_folder) {
        SendMessageW(folders, WM_KEYDOWN, VK_DOWN, 1);
      } else {
        SetFocus(main.ThreadList().FilterBox().hwnd());
      }
    });
    const HWND focus = GetFocus();
    const int chosen = main.FolderList().SelectedFolder();
    const int results_row = mailbox::FolderCount(main.Folders());
    ASSERT_TRUE(PumpUntil([&] { return main.FolderList().IsHitsRow(results_row); }, 10000))
        << "the answer came";
    Settle();
    if (c.stay) {
      EXPECT_TRUE(main.Shown().ShowsHits());
      EXPECT_EQ(GetFocus(), list);
      continue;
    }
    EXPECT_EQ(main.FolderList().SelectedFolder(), chosen);
    EXPECT_TRUE(fixture.WaitForFolder(chosen)) << "the folder chosen opens";
    EXPECT_FALSE(main.Shown().ShowsHits());
    EXPECT_EQ(GetFocus(), focus);
  }
}

// While a folder chosen in the folder list waits for its delay to open, the
// status bar shows its counts; news of the index (here: none new, as a
// report of a folder brought up to date) leave them there.
TEST_F(SearchResults, TheIndexsNewsKeepTheCountsOfAFolderWaitingToOpen) {
  fixture.FullTextIndex = true;
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  ASSERT_EQ(main.CurrentFolderIndex(), kInbox);
  const std::string chosen = mailbox::FolderStatusText(main.Folders()[kOutbox]);
  ASSERT_NE(mailbox::FolderStatusText(main.Folders()[kInbox]), chosen);
  SendMessageW(main.FolderList().ListBoxF().hwnd(), WM_KEYDOWN, VK_DOWN, 1);
  ASSERT_TRUE(main.TimerKeyWaitRunning());
  SendMessageW(main.hwnd(), ui::TVtFormMain::kIndexNewsMessage, 0, 0);
  EXPECT_TRUE(main.TimerKeyWaitRunning());
  EXPECT_EQ(fixture.StatusText().rfind(chosen, 0), 0u) << fixture.StatusText();
  EXPECT_TRUE(fixture.WaitForFolder(kOutbox));
}

}  // namespace
}  // namespace uitest
