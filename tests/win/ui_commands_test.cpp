// The command table: menus, pop-up menus and shortcuts built from one list.

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "platform/wide_win.h"
#include "ui/main_commands.h"
#include "ui/main_form.h"
#include "ui/view_form.h"

namespace {

const ui::CommandTable<ui::TVtFormMain>& Table() { return ui::MainCommands(); }
UINT Id(const char* name) { return static_cast<UINT>(Table().IdOf(name)); }

std::string MenuText(HMENU menu, UINT position) {
  wchar_t text[256] = {};
  GetMenuStringW(menu, position, text, 256, MF_BYPOSITION);
  return platform::Narrow(text);
}

// No key of a window leads to two different actions: not two shortcuts, not a
// shortcut and a list's own key (the shortcut would leave the key dead), not
// two rows of one list for the same message.
TEST(Commands, NoKeyOfAWindowLeadsToTwoActions) {
  EXPECT_EQ(ui::KeyClashes(ui::TVtFormMain::KeyBindings()), std::vector<std::string>{});
  EXPECT_EQ(ui::KeyClashes(ui::TViewForm::KeyBindings()), std::vector<std::string>{});
}

TEST(Commands, ClashCheckTellsSharedKeysFromClashes) {
  using B = ui::KeyBinding;
  struct Case {
    B a, b;
    bool clash;
    const char* why;
  };
  const Case cases[] = {
      {{'N', false, 0, "", "mNextMail"},
       {'N', false, WM_CHAR, "BigView", "mNextMail"},
       false,
       "a shortcut and a list key running the same command"},
      {{'S', false, 0, "", "mSend"},
       {'S', false, WM_CHAR, "List", "List row 1"},
       true,
       "a shortcut leaves the list's own S dead"},
      {{'S', true, 0, "", "mRetry1"}, {'S', false, 0, "", "mSend"}, false, "Ctrl+S is not S"},
      {{'N', false, WM_CHAR, "ListBoxF", "ListBoxF row 2"},
       {'N', false, WM_CHAR, "ListViewMail", "ListViewMail row 3"},
       false,
       "two lists: the focus decides"},
      {{VK_TAB, false, WM_KEYDOWN, "List", "List row 1"},
       {VK_TAB, false, WM_CHAR, "List", "List row 2"},
       false,
       "a key down and its character are two steps of one key"},
      {{'T', false, WM_CHAR, "List", "List row 1"},
       {'T', false, WM_CHAR, "List", "List row 2"},
       true,
       "two rows of one list for one character"},
  };
  for (const Case& c : cases) {
    const B pair[] = {c.a, c.b};
    EXPECT_EQ(ui::KeyClashes(pair).size(), c.clash ? 1u : 0u) << c.why;
  }
}

TEST(Commands, TheAcceleratorTableHoldsEveryShortcut) {
  HACCEL table = Table().BuildAccelerators();
  ASSERT_NE(table, nullptr);
  ACCEL entries[64] = {};
  const int count = CopyAcceleratorTableW(table, entries, 64);
  int expected = 0;
  for (const auto& row : Table().Rows()) {
    if (row.shortcut.key == 0) continue;
    ++expected;
    bool found = false;
    for (int i = 0; i < count; ++i) {
      found |= entries[i].cmd == Id(row.name) && entries[i].key == row.shortcut.key &&
               ((entries[i].fVirt & FCONTROL) != 0) == row.shortcut.ctrl;
    }
    EXPECT_TRUE(found) << row.name;
  }
  EXPECT_EQ(count, expected);
  DestroyAcceleratorTable(table);
}

TEST(Commands, MainMenuCaptionsCarryTheirShortcuts) {
  HMENU bar = Table().BuildMenuBar();
  ASSERT_EQ(GetMenuItemCount(bar), 6);
  EXPECT_EQ(MenuText(bar, 0), "\x83t\x83@\x83\x43\x83\x8B(&F)");  // ファイル(&F)
  EXPECT_EQ(MenuText(bar, 3), "\x83\x41\x83J\x83\x45\x83\x93\x83g(&A)");  // アカウント(&A)
  HMENU file = GetSubMenu(bar, 0);
  EXPECT_EQ(MenuText(file, 0), "\x8D\xC4\x8D\x5C\x92z(&1)\tCtrl+S");  // 再構築(&1)
  EXPECT_EQ(MenuText(file, 8), "Veltrano \x8FI\x97\xB9(&X)\tCtrl+X");  // Veltrano 終了(&X)
  HMENU mail = GetSubMenu(bar, 2);
  EXPECT_EQ(MenuText(mail, 1), "\x8E\x9F\x82\xCC\x96\xA2\x93\xC7\x83\x81\x81[\x83\x8B(&N)\tCtrl+N");
  EXPECT_EQ(MenuText(mail, 7), "\x82\xB2\x82\xDD\x94\xA0\x82\xC9\x88\xDA\x93\xAE(&T)\tDel");
  // The account menu is found by its entry's name, wherever it sits.
  EXPECT_EQ(ui::FindMenuPosition(bar, ui::kAccountMenuName), 3);
  EXPECT_EQ(ui::FindPullDown(bar, ui::kAccountMenuName), GetSubMenu(bar, 3));
  EXPECT_EQ(ui::FindMenuPosition(bar, "nothing"), -1);
  DestroyMenu(bar);
}

TEST(Commands, EveryRowHasItsOwnIdAndIsFoundByName) {
  std::set<UINT> ids;
  for (const auto& row : Table().Rows()) {
    if (row.caption == nullptr) continue;
    EXPECT_TRUE(ids.insert(Id(row.name)).second) << row.name;
    EXPECT_EQ(Table().Find(static_cast<int>(Id(row.name))), &row) << row.name;
  }
  EXPECT_EQ(Table().IdOf("nothing"), 0);
  EXPECT_EQ(Table().Find(Table().IdOf("N2")), nullptr);  // a separator is no command
}

TEST(Commands, EveryMenuCommandHasItsHandlerAndIsEnabled) {
  HMENU bar = Table().BuildMenuBar();
  for (const auto& row : Table().Rows()) {
    if (row.caption == nullptr) continue;
    EXPECT_TRUE(Table().Built(static_cast<int>(Id(row.name)))) << row.name;
    EXPECT_EQ(GetMenuState(bar, Id(row.name), MF_BYCOMMAND) & MF_GRAYED, 0u) << row.name;
  }
  DestroyMenu(bar);
}

TEST(Commands, PopUpMenusUseTheirOwnCaptions) {
  HMENU folder = Table().BuildPopup(ui::PopupFolderDef());
  HMENU mail = Table().BuildPopup(ui::PopupMailDef());
  ASSERT_EQ(GetMenuItemCount(folder), 6);
  ASSERT_EQ(GetMenuItemCount(mail), 6);
  EXPECT_EQ(MenuText(folder, 1), "\x8D\xC4\x8D\x5C\x92z(ALL) ");  // trailing blank kept
  EXPECT_EQ(MenuText(mail, 1), "\x8D\xC4\x8D\x5C\x92z(ALL)");
  EXPECT_EQ(GetMenuItemID(folder, 0), Id("mRetry1"));
  EXPECT_EQ(GetMenuItemID(mail, 3), Id("mMidoku"));
  DestroyMenu(folder);
  DestroyMenu(mail);
}

TEST(Commands, AccountMenuGetsOneItemPerAccount) {
  HMENU menu = CreatePopupMenu();
  const std::string titles[] = {"Work", "\x8E\x84\x97\x70"};  // 私用
  ui::FillAccountMenu(menu, titles);
  ui::FillAccountMenu(menu, titles);  // refilling replaces the items
  ASSERT_EQ(GetMenuItemCount(menu), 2);
  EXPECT_EQ(MenuText(menu, 1), "\x8E\x84\x97\x70");
  EXPECT_EQ(GetMenuItemID(menu, 1), static_cast<UINT>(ui::kAccountFirstId + 1));
  DestroyMenu(menu);
}

}  // namespace
