// The command table: menus, pop-up menus and shortcuts built from one list.

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "platform/wide_win.h"
#include "ui/main_commands.h"
#include "ui/main_form.h"

namespace {

const ui::CommandTable<ui::TVtFormMain>& Table() { return ui::MainCommands(); }
UINT Id(const char* name) { return static_cast<UINT>(Table().IdOf(name)); }

std::string MenuText(HMENU menu, UINT position) {
  wchar_t text[256] = {};
  GetMenuStringW(menu, position, text, 256, MF_BYPOSITION);
  return platform::Narrow(text);
}

TEST(Commands, EveryShortcutIsBoundOnce) {
  std::set<std::pair<WORD, bool>> seen;
  for (const auto& row : Table().Rows()) {
    if (row.shortcut.key == 0) continue;
    EXPECT_TRUE(seen.insert({row.shortcut.key, row.shortcut.ctrl}).second) << row.name;
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
