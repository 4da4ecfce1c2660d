#pragma once
// The viewer's command table: its menu bar, its pop-up menus (PopupMenu for a
// right click beside the links, PopupMenuUrl for one on a link,
// PopupMenuAttachment for one on an attachment line) and
// their shortcuts, each command's handler and enabled test.

#include "ui/commands.h"

namespace ui {

class TViewForm;

const CommandTable<TViewForm>& ViewCommands();
const PopupDef<TViewForm>& ViewPopupDef();  // PopupMenu
const PopupDef<TViewForm>& UrlPopupDef();  // PopupMenuUrl; its first item's caption is set on hover
const PopupDef<TViewForm>& AttachmentPopupDef();  // PopupMenuAttachment

inline constexpr char kViewEditMenuName[] = "mEdit";

}  // namespace ui
