#pragma once
// The main window's command table: the menu bar, the two pop-up
// menus and their shortcuts, each command's handler and enabled test.

#include "ui/commands.h"

namespace ui {

class TVtFormMain;

const CommandTable<TVtFormMain>& MainCommands();
const PopupDef<TVtFormMain>& PopupMailDef();    // PopupMenu_Mail, right click in the thread list
const PopupDef<TVtFormMain>& PopupFolderDef();  // PopupMenu_Folder, right click in the folder list

// The pull-down whose items are made at run time, one per account.
inline constexpr char kAccountMenuName[] = "mAccount";

}  // namespace ui
