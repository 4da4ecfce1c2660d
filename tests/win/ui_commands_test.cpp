// The command table: menus, pop-up menus and shortcuts built from one list.

#include <gtest/gtest.h>

#include <cwctype>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/wide_win.h"
#include "ui/main_commands.h"
#include "ui/main_form.h"
#include "ui/view_commands.h"
#include "ui/view_form.h"

namespace {

const ui::CommandTable<ui::TVtFormMain>& Table() { return ui::MainCommands(); }
UINT Id(const char* name) { return static_cast<UINT>(Table().IdOf(name)); }

std::string MenuText(HMENU menu, UINT item, UINT by = MF_BYPOSITION) {
  wchar_t text[256] = {};
  GetMenuStringW(menu, item, text, 256, by);
  return platform::Narrow(text);
}

// No key of a window leads to two different actions: not two shortcuts, not a
// shortcut and a list's own key (the shortcut would leave the key dead), not
// two rows of one list for the same message.
TEST(Commands, NoKeyOfAWindowLeadsToTwoActions) {
  EXPECT_EQ(ui::KeyClashes(ui::TVtFormMain::KeyBindings()), std::vector<std::string>{});
  EXPECT_EQ(ui::KeyClashes(ui::TViewForm::KeyBindings()), std::vector<std::string>{});
}

// The keys that filter by a message's sender, subject or thread are the same
// in the main window and the viewer, and free in both: no other action of
// either window takes them.
TEST(Commands, TheFilterKeysAreTheSameAndFreeInEveryWindow) {
  const std::vector<ui::KeyBinding> windows[] = {ui::TVtFormMain::KeyBindings(),
                                                 ui::TViewForm::KeyBindings()};
  for (const char* name : {"mFilterSender", "mFilterSubject", "mFilterThread"}) {
    std::vector<ui::KeyBinding> own;
    for (const auto& bindings : windows) {
      for (const ui::KeyBinding& b : bindings) {
        if (b.action == name) own.push_back(b);
      }
    }
    ASSERT_EQ(own.size(), 2u) << name << ": a shortcut in each window";
    EXPECT_TRUE(own[0].key == own[1].key && own[0].ctrl == own[1].ctrl &&
                own[0].shift == own[1].shift)
        << name;
    for (const auto& bindings : windows) {
      for (const ui::KeyBinding& b : bindings) {
        const bool same_key = b.key == own[0].key && b.ctrl == own[0].ctrl &&
                              (b.message != 0 || b.shift == own[0].shift);
        EXPECT_FALSE(same_key && b.action != name) << name << " and " << b.action;
      }
    }
  }
}

// The access key of a menu caption: the character after a single "&",
// upper-cased; 0 when it has none ("&&" is a plain "&").
wchar_t AccessKey(const std::wstring& caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != L'&') continue;
    if (caption[i + 1] != L'&') return static_cast<wchar_t>(towupper(caption[i + 1]));
    ++i;
  }
  return 0;
}

// Items of one menu level that share an access key, then the same for each
// pull-down in it: "where: caption and caption".
void CollectAccessKeyClashes(HMENU menu, const std::string& where, std::vector<std::string>& out) {
  std::map<wchar_t, std::wstring> seen;
  for (int k = 0; k < GetMenuItemCount(menu); ++k) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, static_cast<UINT>(k), text, 256, MF_BYPOSITION);
    const std::wstring caption = text;
    if (HMENU sub = GetSubMenu(menu, k)) {
      CollectAccessKeyClashes(sub, where + " > " + platform::Narrow(caption), out);
    }
    const wchar_t key = AccessKey(caption);
    if (key == 0) continue;
    const auto [first, fresh] = seen.emplace(key, caption);
    if (!fresh)
      out.push_back(where + ": " + platform::Narrow(first->second) + " and " +
                    platform::Narrow(caption));
  }
}

// Within a menu bar, a pull-down or a pop-up no two items share an access key,
// or the key would only ever reach the first of them.
TEST(Commands, NoMenuHasTwoItemsWithOneAccessKey) {
  struct Menu {
    const char* name;
    HMENU menu;
  };
  const ui::CommandTable<ui::TViewForm>& view = ui::ViewCommands();
  const Menu menus[] = {
      {"main menu", Table().BuildMenuBar()},
      {"PopupMenu_Mail", Table().BuildPopup(ui::PopupMailDef())},
      {"PopupMenu_Folder", Table().BuildPopup(ui::PopupFolderDef())},
      {"viewer menu", view.BuildMenuBar()},
      {"viewer PopupMenu", view.BuildPopup(ui::ViewPopupDef())},
      {"viewer PopupMenuUrl", view.BuildPopup(ui::UrlPopupDef())},
  };
  for (const Menu& m : menus) {
    std::vector<std::string> clashes;
    CollectAccessKeyClashes(m.menu, m.name, clashes);
    EXPECT_EQ(clashes, std::vector<std::string>{});
    DestroyMenu(m.menu);
  }
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
      {{'F', true, 0, "", "mQuickFilter"},
       {'F', true, 0, "", "mBodySearch", true},
       false,
       "Ctrl+Shift+F is not Ctrl+F"},
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
               ((entries[i].fVirt & FCONTROL) != 0) == row.shortcut.ctrl &&
               ((entries[i].fVirt & FSHIFT) != 0) == row.shortcut.shift;
    }
    EXPECT_TRUE(found) << row.name;
  }
  EXPECT_EQ(count, expected);
  DestroyAcceleratorTable(table);
}

// Every command shows in the pull-down the table names, with its caption and,
// after a tab, its shortcut: "Ctrl+", "Shift+" when held too, and the letter
// for a control key.
TEST(Commands, MainMenuCaptionsCarryTheirShortcuts) {
  HMENU bar = Table().BuildMenuBar();
  for (const auto& row : Table().Rows()) {
    if (row.caption == nullptr || row.menu == ui::kNoMenu) continue;
    const std::string shown = MenuText(GetSubMenu(bar, row.menu), Id(row.name), MF_BYCOMMAND);
    const std::size_t tab = shown.find('\t');
    EXPECT_EQ(shown.substr(0, tab), row.caption) << row.name;
    ASSERT_EQ(tab != std::string::npos, row.shortcut.key != 0) << row.name << ": " << shown;
    if (row.shortcut.ctrl) {
      EXPECT_EQ(shown.substr(tab + 1), std::string("Ctrl+") + (row.shortcut.shift ? "Shift+" : "") +
                                           std::string(1, static_cast<char>(row.shortcut.key)))
          << row.name;
    }
  }
  // The account menu is found by its entry's name, wherever it sits.
  const int account = ui::FindMenuPosition(bar, ui::kAccountMenuName);
  ASSERT_GE(account, 0);
  EXPECT_EQ(ui::FindPullDown(bar, ui::kAccountMenuName), GetSubMenu(bar, account));
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

// Each pop-up shows its entries in their own captions (the folder list's
// "再構築(ALL) " keeps its trailing blank), each running its command.
TEST(Commands, PopUpMenusUseTheirOwnCaptions) {
  for (const auto* def : {&ui::PopupFolderDef(), &ui::PopupMailDef()}) {
    HMENU popup = Table().BuildPopup(*def);
    int commands = 0;
    for (const auto& entry : def->entries) {
      if (entry.caption == nullptr) continue;
      ++commands;
      EXPECT_EQ(MenuText(popup, Id(entry.command), MF_BYCOMMAND), entry.caption)
          << def->name << " " << entry.name;
    }
    int items = 0;
    for (int k = 0; k < GetMenuItemCount(popup); ++k) items += GetMenuItemID(popup, k) != 0;
    EXPECT_EQ(items, commands) << def->name << ": one item per entry";
    DestroyMenu(popup);
  }
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
