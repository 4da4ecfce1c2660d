// The thread list as a view in the window: the quick filter box, the collapse
// keys, the menu items that collapse, expand and jump to the next unread
// thread, and the option that opens folders collapsed.

#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, whose types it uses
#include <commctrl.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/wide_win.h"
#include "tests/win/ui_support.h"
#include "thread/ja_texts.h"
#include "thread/row_view.h"
#include "thread/thread_node.h"
#include "ui/ja_texts.h"

namespace uitest {
namespace {

const thread::ThreadNode* RootOf(const thread::ThreadNode* node) {
  while (node->Depth > 0) node = node->Prev;
  return node;
}

// The nodes of `root`'s thread in list order.
std::vector<const thread::ThreadNode*> ThreadOf(const thread::ThreadNode* root) {
  std::vector<const thread::ThreadNode*> nodes{root};
  for (const thread::ThreadNode* at = root->Next; at != nullptr && at->Depth > 0; at = at->Next) {
    nodes.push_back(at);
  }
  return nodes;
}

// The first row that is a reply in a thread holding an unread message.
int ReplyRowInAnUnreadThread(UiFixture& fixture) {
  for (int row = 0; row < fixture.RowCount(); ++row) {
    const thread::ThreadNode& node = RowNode(fixture, row);
    if (node.Depth == 0) continue;
    for (const thread::ThreadNode* at : ThreadOf(RootOf(&node))) {
      if (thread::IsUnread(*at)) return row;
    }
  }
  return -1;
}

std::string BoxText(UiFixture& fixture) {
  wchar_t text[256] = {};
  GetWindowTextW(fixture.Main().ThreadList().FilterBox().hwnd(), text, 256);
  return platform::Narrow(text);
}

class ThreadView : public SharedMailbox {};

TEST_F(ThreadView, TheFilterBoxShowsWholeMatchingThreadsAsTheUserTypes) {
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  HWND box = main.ThreadList().FilterBox().hwnd();
  HWND list = main.ThreadList().ListViewMail().hwnd();
  const int total = fixture.RowCount();
  const int reply = ReplyRowInAnUnreadThread(fixture);
  ASSERT_GE(reply, 0);
  const thread::ThreadNode& node = RowNode(fixture, reply);
  const thread::RowView& view = main.ThreadList().View();

  fixture.Command("mQuickFilter");  // Ctrl+F
  EXPECT_EQ(GetFocus(), box);
  // Typed fast: each character may cut short the filter of the one before.
  const std::string typed = node.Sender.str();
  for (wchar_t c : platform::Widen(typed)) TypeChar(box, c);
  ASSERT_TRUE(PumpUntil(
      [&] {
        return BoxText(fixture) == typed && view.RowOf(&node) >= 0 && fixture.RowCount() < total;
      },
      5000));
  // The reply's thread is shown whole, in list order, from its first row.
  const std::vector<const thread::ThreadNode*> thread = ThreadOf(RootOf(&node));
  const int first = view.RowOf(thread.front());
  ASSERT_GE(first, 0);
  for (std::size_t k = 0; k < thread.size(); ++k) {
    EXPECT_EQ(view.RowOf(thread[k]), first + static_cast<int>(k));
  }
  EXPECT_NE(fixture.StatusText().find(thread::ja::kFilterShownLabel +
                                      std::to_string(view.ShownMessages())),
            std::string::npos);
  // In the box the plain shortcut letters are text, not commands.
  MSG letter{box, WM_KEYDOWN, 'S', 1, 0, {}};
  EXPECT_FALSE(main.PreTranslate(letter));

  PressKey(box, VK_RETURN);
  EXPECT_TRUE(PumpUntil([&] { return GetFocus() == list; }, 2000)) << "Enter: to the list";
  SetFocus(box);
  PressKey(box, VK_ESCAPE);
  EXPECT_TRUE(PumpUntil([&] { return GetFocus() == list && fixture.RowCount() == total; }, 2000))
      << "Esc: box emptied, every row back, focus on the list";
  EXPECT_EQ(BoxText(fixture), "");

  // Another folder empties the box.
  TypeChar(box, L'x');
  ASSERT_TRUE(PumpUntil([&] { return BoxText(fixture) == "x"; }, 2000));
  fixture.SelectFolderWithKeys(kOutbox);
  EXPECT_EQ(BoxText(fixture), "");
  EXPECT_FALSE(view.FilterOn());
  EXPECT_TRUE(fixture.Errors.empty());
}

// "本文も検索" (Ctrl+Shift+F) makes the box's words match the text too: a word
// written only in one message's text, after the index was made, shows that
// message's thread once the folder is read again. The check box is
// remembered in "Veltra.ini" across a restart.
TEST_F(ThreadView, BodySearchShowsTheThreadOfAWordOnlyInAMessagesText) {
  fixture.FullTextIndex = true;
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  HWND box = main.ThreadList().FilterBox().hwnd();
  const thread::ThreadNode* plain = PlainTextMessage(fixture);
  ASSERT_NE(plain, nullptr);
  const std::string path(plain->FilePath.str());
  const std::string name(plain->Name.data());
  std::ofstream(path, std::ios::binary | std::ios::app) << "\r\nzqxjvw\r\n";
  fixture.Command("mRetry1");  // read again: the index takes the changed file next
  const int total = fixture.RowCount();

  // Ctrl+Shift+F typed in the thread list, through the window's shortcuts.
  HWND list = main.ThreadList().ListViewMail().hwnd();
  SetFocus(list);
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  PressKey(list, 'F');
  const bool turned_on = PumpUntil(
      [&] {
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
          if (main.PreTranslate(message)) continue;
          TranslateMessage(&message);
          DispatchMessageW(&message);
        }
        return main.ThreadList().BodySearch();
      },
      2000);
  keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
  EXPECT_TRUE(turned_on);
  EXPECT_EQ(GetFocus(), box);
  for (wchar_t c : std::wstring(L"zqxjvw")) TypeChar(box, c);
  const thread::RowView& view = main.ThreadList().View();
  const auto named = [&](int row) { return std::string(RowNode(fixture, row).Name.data()); };
  ASSERT_TRUE(PumpUntil(
      [&] {
        if (fixture.RowCount() == total) return false;
        for (int row = 0; row < fixture.RowCount(); ++row) {
          if (named(row) == name) return true;
        }
        return false;
      },
      20000))
      << "the word in the text found";
  const thread::ThreadNode* found = nullptr;
  for (int row = 0; row < fixture.RowCount(); ++row) {
    if (named(row) == name) found = &RowNode(fixture, row);
  }
  EXPECT_EQ(static_cast<std::size_t>(fixture.RowCount()), ThreadOf(RootOf(found)).size())
      << "its thread alone";
  EXPECT_EQ(view.ShownMessages(), ThreadOf(RootOf(found)).size());
  HWND check_box = main.ThreadList().FilterBox().BodySearchBox().hwnd();
  SendMessageW(check_box, BM_CLICK, 0, 0);
  EXPECT_FALSE(main.ThreadList().BodySearch());
  EXPECT_EQ(fixture.RowCount(), 0) << "off: the subject and sender alone hold no such word";

  SendMessageW(check_box, BM_CLICK, 0, 0);
  main.SaveAllSettings();
  fixture.Stop();
  fixture.Start();
  EXPECT_TRUE(fixture.Main().ThreadList().BodySearch()) << "remembered across a restart";
  EXPECT_TRUE(fixture.Errors.empty());
}

// Counts the texts a window is given with SB_SETTEXTW while it is watched.
class StatusTexts {
 public:
  explicit StatusTexts(HWND status) : status_(status) {
    SetWindowSubclass(status_, &Watch, kId, reinterpret_cast<DWORD_PTR>(this));
  }
  ~StatusTexts() { RemoveWindowSubclass(status_, &Watch, kId); }
  int count = 0;

 private:
  static constexpr UINT_PTR kId = 0x5354;
  static LRESULT CALLBACK Watch(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                DWORD_PTR self) {
    if (message == SB_SETTEXTW) ++reinterpret_cast<StatusTexts*>(self)->count;
    return DefSubclassProc(hwnd, message, wparam, lparam);
  }
  HWND status_;
};

// An input method hands its commit to the box, and its characters come
// queued together (WM_IME_CHAR): the rows are filtered once, for the whole
// text (each filter ends by showing its count in the status bar). The box
// asks for a commit as one change of its text.
TEST_F(ThreadView, AnInputMethodsCommitFiltersTheRowsOnce) {
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  HWND box = main.ThreadList().FilterBox().hwnd();
  EXPECT_EQ(SendMessageW(box, EM_GETIMESTATUS, EMSIS_COMPOSITIONSTRING, 0) & EIMES_GETCOMPSTRATONCE,
            EIMES_GETCOMPSTRATONCE);
  const std::string sender = RowNode(fixture, fixture.RowCount() - 1).Sender.str();
  SetFocus(box);
  StatusTexts shown(GetDlgItem(main.hwnd(), ui::TVtFormMain::kStatusBarId));
  for (const wchar_t c : platform::Widen(sender)) PostMessageW(box, WM_IME_CHAR, c, 1);
  ASSERT_TRUE(PumpUntil([&] { return BoxText(fixture) == sender; }, 3000));
  Settle();
  EXPECT_TRUE(main.ThreadList().View().FilterOn());
  EXPECT_EQ(shown.count, 1) << "filtered once for " << platform::Widen(sender).size()
                            << " characters";
}

// The box's text is read as a query: the status bar says how beside the
// counts, and a text that cannot be read is named there while the rows stay
// those of the last one read.
TEST_F(ThreadView, TheStatusBarSaysHowTheBoxWasReadOrWhyItCannotBe) {
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  HWND box = main.ThreadList().FilterBox().hwnd();
  const thread::RowView& view = main.ThreadList().View();
  const int total = fixture.RowCount();
  SetFocus(box);
  for (const wchar_t c : std::wstring(L"is:unread")) TypeChar(box, c);
  const std::string unread = "\x96\xa2\x93\xc7";  // 未読
  ASSERT_TRUE(PumpUntil(
      [&] {
        return BoxText(fixture) == "is:unread" && view.FilterOn() &&
               fixture.StatusText().find(unread) != std::string::npos;
      },
      5000));
  EXPECT_LT(fixture.RowCount(), total) << "only threads with an unread message";
  EXPECT_NE(fixture.StatusText().find(thread::ja::kFilterShownLabel), std::string::npos);
  const std::vector<thread::ThreadNode*> rows = view.Shown();

  for (const wchar_t c : std::wstring(L" (")) TypeChar(box, c);
  // 括弧が閉じられていません：「(」
  const std::string unclosed =
      "\x8a\x87\x8c\xca\x82\xaa\x95\xc2\x82\xb6\x82\xe7\x82\xea\x82\xc4\x82\xa2\x82\xdc\x82\xb9"
      "\x82\xf1\x81\x46\x81\x75\x28\x81\x76";
  EXPECT_TRUE(
      PumpUntil([&] { return fixture.StatusText().find(unclosed) != std::string::npos; }, 2000))
      << fixture.StatusText();
  EXPECT_EQ(view.Shown(), rows) << "the rows of the text last read stay";
  EXPECT_TRUE(fixture.Errors.empty());
}

// A folder without messages shows no rows, but choosing it empties the box
// as choosing any other folder does: coming back finds every row.
TEST_F(ThreadView, AnEmptyFolderChosenAndLeftEmptiesTheFilterBox) {
  fixture.Start();
  const int total = fixture.RowCount();
  {
    std::ofstream entry(fixture.FolderPath(kOutbox) + "\\Entry.ini", std::ios::binary);
    entry << "[Property]\r\nTotal=0\r\nUnOpen=0\r\n";
  }
  HWND box = fixture.Main().ThreadList().FilterBox().hwnd();
  SetFocus(box);
  TypeChar(box, L'x');
  ASSERT_TRUE(PumpUntil([&] { return BoxText(fixture) == "x"; }, 2000));
  fixture.SelectFolderWithKeys(kOutbox);
  ASSERT_EQ(fixture.RowCount(), 0);
  fixture.SelectFolderWithKeys(kInbox);
  EXPECT_EQ(BoxText(fixture), "");
  EXPECT_EQ(fixture.RowCount(), total);
}

// The rows the list shows selected.
int SelectedRowCount(HWND list) {
  int count = 0;
  for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0;
       row = ListView_GetNextItem(list, row, LVNI_SELECTED)) {
    ++count;
  }
  return count;
}

// However the number of rows changes, one row is selected afterwards: the
// row number selected before, which now stands for another message, is not.
TEST_F(ThreadView, EveryRowCountChangeLeavesExactlyOneRowSelected) {
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  HWND list = main.ThreadList().ListViewMail().hwnd();
  HWND box = main.ThreadList().FilterBox().hwnd();
  const int reply = ReplyRowInAnUnreadThread(fixture);
  ASSERT_GE(reply, 0);
  const std::wstring sender = platform::Widen(RowNode(fixture, reply).Sender.str());
  struct Case {
    const char* reason;
    std::function<void()> change;
  };
  const Case cases[] = {
      {"a reply's thread collapsed",
       [&] {
         main.SelectRow(reply, true);
         PressKey(list, VK_LEFT);
       }},
      {"expanded again", [&] { PressKey(list, VK_RIGHT); }},
      {"every thread collapsed, from the first row",
       [&] {
         main.SelectRow(0, true);
         fixture.Command("mCollapseAll");
       }},
      {"a collapsed thread entered by Ctrl+N", [&] { fixture.Command("mNextMidoku"); }},
      {"every thread expanded", [&] { fixture.Command("mExpandAll"); }},
      {"filtered from the last row",
       [&] {
         main.SelectRow(fixture.RowCount() - 1, true);
         SetWindowTextW(box, sender.c_str());
       }},
      {"the filter emptied", [&] { SetWindowTextW(box, L""); }},
  };
  for (const Case& c : cases) {
    const int before = fixture.RowCount();
    c.change();
    ASSERT_TRUE(PumpUntil([&] { return fixture.RowCount() != before; }, 3000)) << c.reason;
    Settle();
    EXPECT_EQ(SelectedRowCount(list), 1) << c.reason;
  }
}

// Tab goes round the folder list, the filter box, its check box "本文も検索"
// and the thread list; Shift+Tab goes round the other way. Space toggles the
// check box where the focus stays.
TEST_F(ThreadView, TabAndShiftTabGoRoundThePanesBothWays) {
  fixture.Start();
  const ui::ThreadListPane& pane = fixture.Main().ThreadList();
  HWND folders = fixture.Main().FolderList().ListBoxF().hwnd();
  HWND box = pane.FilterBox().hwnd();
  HWND check = pane.FilterBox().BodySearchBox().hwnd();
  HWND list = pane.ListViewMail().hwnd();
  struct Case {
    HWND from;
    bool shift;
    HWND to;
    const char* reason;
  };
  const Case cases[] = {
      {folders, false, box, "Tab: folder list to filter box"},
      {box, false, check, "Tab: filter box to its check box"},
      {check, false, list, "Tab: check box to thread list"},
      {list, false, folders, "Tab: thread list to folder list"},
      {folders, true, list, "Shift+Tab: folder list back to thread list"},
      {list, true, check, "Shift+Tab: thread list back to the check box"},
      {check, true, box, "Shift+Tab: check box back to filter box"},
      {box, true, folders, "Shift+Tab: filter box back to folder list"},
  };
  for (const Case& c : cases) {
    SetFocus(c.from);
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = c.shift ? 0x80 : 0;
    SetKeyboardState(keys);
    PressKey(c.from, VK_TAB);
    EXPECT_TRUE(PumpUntil([&] { return GetFocus() == c.to; }, 2000)) << c.reason;
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
  }
  for (const bool on : {!pane.BodySearch(), pane.BodySearch()}) {
    SetFocus(check);
    PressKey(check, VK_SPACE);
    EXPECT_TRUE(PumpUntil([&] { return pane.BodySearch() == on; }, 2000)) << "Space toggles";
    EXPECT_EQ(GetFocus(), check);
  }
}

TEST_F(ThreadView, LeftAndRightCollapseAndExpandTheSelectedThread) {
  fixture.Start();
  HWND list = fixture.Main().ThreadList().ListViewMail().hwnd();
  const int total = fixture.RowCount();
  const int reply = ReplyRowInAnUnreadThread(fixture);
  ASSERT_GE(reply, 0);
  const thread::ThreadNode* root = RootOf(&RowNode(fixture, reply));
  const std::vector<const thread::ThreadNode*> thread = ThreadOf(root);
  const int hidden = static_cast<int>(thread.size()) - 1;
  bool any_unread = false;
  for (const thread::ThreadNode* at : thread) any_unread |= thread::IsUnread(*at);

  struct Case {
    WORD collapse_key;
    wchar_t collapse_char;
    WORD expand_key;
    wchar_t expand_char;
    const char* reason;
  };
  const Case cases[] = {{VK_LEFT, 0, VK_RIGHT, 0, "Left and Right"},
                        {0, L'-', 0, L'+', "\"-\" and \"+\""}};
  for (const Case& c : cases) {
    fixture.Main().SelectRow(reply, true);
    SetFocus(list);
    c.collapse_key != 0 ? PressKey(list, c.collapse_key) : TypeChar(list, c.collapse_char);
    ASSERT_TRUE(PumpUntil([&] { return fixture.RowCount() == total - hidden; }, 2000)) << c.reason;
    const int root_row = fixture.SelectedRow();
    EXPECT_EQ(&RowNode(fixture, root_row), root) << "the selection is on the first row";
    const std::string caption = fixture.Cell(root_row, 0);
    const std::string count = "(+" + std::to_string(hidden) + ")";
    EXPECT_EQ(caption.substr(caption.size() - count.size()), count) << c.reason;
    EXPECT_EQ(fixture.RowShowsUnread(root_row), any_unread) << "hidden unread mail shows";
    c.expand_key != 0 ? PressKey(list, c.expand_key) : TypeChar(list, c.expand_char);
    ASSERT_TRUE(PumpUntil([&] { return fixture.RowCount() == total; }, 2000)) << c.reason;
    EXPECT_EQ(&RowNode(fixture, fixture.SelectedRow()), root) << c.reason;
  }
}

// The first unread node after `from` in list order, and the first unread node
// of the first thread after `from`'s that has one.
const thread::ThreadNode* NextUnread(const thread::ThreadNode* from) {
  for (const thread::ThreadNode* at = from->Next; at != nullptr; at = at->Next) {
    if (thread::IsUnread(*at)) return at;
  }
  return nullptr;
}
const thread::ThreadNode* NextUnreadThread(const thread::ThreadNode* from) {
  const thread::ThreadNode* at = from->Next;
  while (at != nullptr && at->Depth > 0) at = at->Next;
  return at == nullptr || thread::IsUnread(*at) ? at : NextUnread(at);
}

TEST_F(ThreadView, MenuItemsCollapseExpandAndFindUnreadMailUnderCollapsedRows) {
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  const int total = fixture.RowCount();
  const thread::ThreadNode* first = &RowNode(fixture, 0);

  fixture.Command("mCollapseAll");
  ASSERT_LT(fixture.RowCount(), total);
  for (int row = 0; row < fixture.RowCount(); ++row) EXPECT_EQ(RowNode(fixture, row).Depth, 0);
  // Ctrl+N sees the hidden rows and opens the thread it lands in.
  main.SelectRow(0, true);
  fixture.Command("mNextMidoku");
  const thread::ThreadNode* unread = NextUnread(first);
  ASSERT_NE(unread, nullptr);
  ASSERT_GE(fixture.SelectedRow(), 0);
  EXPECT_EQ(&RowNode(fixture, fixture.SelectedRow()), unread);

  // Collapsed threads stay so for the folder while the program runs.
  fixture.Command("mCollapseAll");
  const int collapsed_rows = fixture.RowCount();
  fixture.SelectFolderWithKeys(kOutbox);
  fixture.SelectFolderWithKeys(kInbox);
  EXPECT_EQ(fixture.RowCount(), collapsed_rows);

  fixture.Command("mExpandAll");
  EXPECT_EQ(fixture.RowCount(), total);
  first = &RowNode(fixture, 0);  // the folder was read again
  // Ctrl+T: the first unread message of the next thread with unread mail.
  main.SelectRow(0, true);
  const thread::ThreadNode* expected = NextUnreadThread(first);
  ASSERT_NE(expected, nullptr);
  fixture.Command("mNextThread");
  EXPECT_EQ(&RowNode(fixture, fixture.SelectedRow()), expected);
  // At the end nothing moves.
  main.SelectRow(total - 1, true);
  fixture.Command("mNextThread");
  EXPECT_EQ(fixture.SelectedRow(), total - 1);
  EXPECT_FALSE(IsWindowVisible(fixture.Viewer().hwnd())) << "the moves only select";
}

// Space at the end of a message enters a collapsed thread rather than passing
// it, and Ctrl+Space finds unread mail under a collapsed first row.
TEST_F(ThreadView, TheViewersSpaceKeysEnterCollapsedThreads) {
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  fixture.Command("mCollapseAll");
  int row = 0;
  while (row < fixture.RowCount() &&
         !main.ThreadList().View().IsCollapsedRoot(RowNode(fixture, row))) {
    ++row;
  }
  ASSERT_LT(row, fixture.RowCount());
  const thread::ThreadNode* root = &RowNode(fixture, row);
  struct Case {
    std::vector<BYTE> held;
    const thread::ThreadNode* to;
    const char* reason;
  };
  const Case cases[] = {
      {{}, root->Next, "Space: the first reply under the collapsed row"},
      {{VK_CONTROL}, NextUnread(root), "Ctrl+Space: the next unread message, hidden or not"},
  };
  for (const Case& c : cases) {
    ASSERT_NE(c.to, nullptr) << c.reason;
    fixture.Command("mCollapseAll");
    Open(fixture, main.ThreadList().View().RowOf(root));
    MoveWindow(fixture.Viewer().hwnd(), 0, 0, 900, 1000, TRUE);
    for (int presses = 0; presses < 30 && main.ViewedNode() == root; ++presses) {
      PressWith(fixture, c.held, VK_SPACE);
    }
    EXPECT_EQ(main.ViewedNode(), c.to) << c.reason;
    ASSERT_GE(fixture.SelectedRow(), 0) << c.reason;
    EXPECT_EQ(&RowNode(fixture, fixture.SelectedRow()), c.to) << c.reason << ": shown and selected";
  }
  // Shift+Space at the top goes back to the first row.
  fixture.Command("mCollapseAll");
  Open(fixture, main.ThreadList().View().RowOf(root));
  for (int presses = 0; presses < 30 && main.ViewedNode() == root; ++presses) {
    PressWith(fixture, {}, VK_SPACE);
  }
  ASSERT_EQ(main.ViewedNode(), root->Next);
  for (int presses = 0; presses < 30 && main.ViewedNode() == root->Next; ++presses) {
    PressWith(fixture, {VK_SHIFT}, VK_SPACE);
  }
  EXPECT_EQ(main.ViewedNode(), root);
}

TEST_F(ThreadView, TheCollapseOptionOpensFoldersWithEveryThreadCollapsed) {
  fixture.Dir().WriteFile("Veltra.ini", "[Property]\r\nMailbox=\"" + fixture.MailboxDir() +
                                            "\"\r\nCollapseThreads=1\r\n");
  fixture.Start();
  const int rows = fixture.RowCount();
  ASSERT_GT(rows, 0);
  for (int row = 0; row < rows; ++row) EXPECT_EQ(RowNode(fixture, row).Depth, 0);
  EXPECT_LT(static_cast<std::size_t>(rows), fixture.Main().ThreadList().View().MessageCount());
}

}  // namespace
}  // namespace uitest
