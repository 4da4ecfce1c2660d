#pragma once
// The main window's commands in one table: the menus (captions with their
// "(&X)" access keys), the pop-up menus, the keyboard shortcuts (built into an
// accelerator table) and whether a command is available in this build all come
// from here, so a key binding lives in exactly one place.

#include <windows.h>

#include <span>
#include <string>

namespace ui {

enum Command : int {
  kCmdNone = 0,
  kCmdRetry1 = 101,   // mRetry1Click: reload the selected folder
  kCmdRetry2,         // mRetry2Click: empty the cache and reload
  kCmdMidoku,         // mPopupMidokuClick: the unread check
  kCmdFolderSet,      // mFolderSetClick: folder properties
  kCmdStartClient,    // KQuenmar321Click: start the mail client
  kCmdExit,           // mExitClick
  kCmdFolderFont,     // mFolderFontClick
  kCmdMailFont,       // mMailFontClick
  kCmdPrevMidoku,     // mPrevMidokuClick
  kCmdNextMidoku,     // mNextMidokuClick
  kCmdSend,           // mSendClick: new mail
  kCmdReplyMail,      // mReplyMailClick
  kCmdForwardMail,    // mForwardMailClick
  kCmdMailDelete,     // mMailDeleteClick: move to the trash
  kCmdMailbox,        // mMailboxClick: choose the mailbox directory
  kCmdOption,         // mOptionClick
  kCmdVersion,        // mVersionClick
  kCmdAccountFirst = 1000,  // account item k of the account menu has id kCmdAccountFirst + k
};

struct Shortcut {
  WORD key = 0;  // virtual key; 0 = none
  bool ctrl = false;
};

struct CommandInfo {
  Command id;
  Shortcut shortcut;
  bool available;  // false: shown disabled, its shortcut does nothing
};

// An entry of a menu: a command with its caption, or a separator (caption null).
struct MenuEntry {
  const char* name;     // the item's name in the window ("mRetry1", "N2", ...)
  const char* caption;  // CP932; nullptr for a separator
  Command command;
};

struct MenuDef {
  const char* name;
  const char* caption;  // CP932
  std::span<const MenuEntry> entries;
};

// All commands with a fixed id. FindCommand returns nullptr for other ids
// (account items are not in the table).
std::span<const CommandInfo> AllCommands();
const CommandInfo* FindCommand(int id);
bool CommandAvailable(int id);

// The pull-down menus of the main menu, in menu-bar order; the account menu
// ("mAccount") has no fixed entries: its items are made at run time.
std::span<const MenuDef> MainMenuDefs();
inline constexpr int kAccountMenuPosition = 3;

// The two pop-up menus.
const MenuDef& PopupMailDef();    // PopupMenu_Mail, right click in the thread list
const MenuDef& PopupFolderDef();  // PopupMenu_Folder, right click in the folder list

// "Ctrl+S", "S", "Del"; empty when the command has no shortcut.
std::string ShortcutText(Shortcut shortcut);

// Menus and accelerators built from the table. The caller owns the handles
// (a menu attached to a window is destroyed with it).
HMENU BuildMainMenu();
HMENU BuildPopupMenu(const MenuDef& def);
HACCEL BuildAccelerators();

// Replaces the items of the account menu with one item per title (CP932);
// item k gets the id kCmdAccountFirst + k.
void FillAccountMenu(HMENU account_menu, std::span<const std::string> titles);

}  // namespace ui
