#include "ui/commands.h"

#include <vector>

#include "platform/wide_win.h"

namespace ui {
namespace {

constexpr CommandInfo kCommands[] = {
    {kCmdRetry1, {'S', true}, true},
    {kCmdRetry2, {'A', true}, true},
    {kCmdMidoku, {'M', true}, true},
    {kCmdFolderSet, {}, false},
    {kCmdStartClient, {}, false},
    {kCmdExit, {'X', true}, true},
    {kCmdFolderFont, {}, false},
    {kCmdMailFont, {}, false},
    {kCmdPrevMidoku, {'P', true}, true},
    {kCmdNextMidoku, {'N', true}, true},
    {kCmdSend, {'S', false}, false},
    {kCmdReplyMail, {'R', false}, false},
    {kCmdForwardMail, {'F', false}, false},
    {kCmdMailDelete, {VK_DELETE, false}, false},
    {kCmdMailbox, {}, false},
    {kCmdOption, {}, false},
    {kCmdVersion, {}, false},
};

// ファイル(&F)
constexpr MenuEntry kFileMenu[] = {
    {"mRetry1", "\x8D\xC4\x8D\x5C\x92z(&1)", kCmdRetry1},  // 再構築(&1)
    {"mRetry2", "\x8D\xC4\x8D\x5C\x92z(ALL)(&2)", kCmdRetry2},  // 再構築(ALL)(&2)
    {"N2", nullptr, kCmdNone},
    // 未読メールのチェック(&C)
    {"mMidoku", "\x96\xA2\x93\xC7\x83\x81\x81[\x83\x8B\x82\xCC\x83`\x83\x46\x83\x62\x83N(&C)", kCmdMidoku},
    {"N6", nullptr, kCmdNone},
    // フォルダのプロパティ(&R)
    {"mFolderSet2", "\x83t\x83H\x83\x8B\x83_\x82\xCC\x83v\x83\x8D\x83p\x83\x65\x83\x42(&R)", kCmdFolderSet},
    {"N1", nullptr, kCmdNone},
    {"KQuenmar321", "Quenmar32\x82\xCC\x8BN\x93\xAE(&A)", kCmdStartClient},  // Quenmar32の起動(&A)
    {"mExit", "Veltrano \x8FI\x97\xB9(&X)", kCmdExit},  // Veltrano 終了(&X)
};

// 表示(&V)
constexpr MenuEntry kShowMenu[] = {
    // フォルダのフォント(&F)
    {"mFolderFont", "\x83t\x83H\x83\x8B\x83_\x82\xCC\x83t\x83H\x83\x93\x83g(&F)", kCmdFolderFont},
    // メール画面のフォント(&M)
    {"mMailFont", "\x83\x81\x81[\x83\x8B\x89\xE6\x96\xCA\x82\xCC\x83t\x83H\x83\x93\x83g(&M)", kCmdMailFont},
};

// メール(&M)
constexpr MenuEntry kMailMenu[] = {
    {"mPrevMidoku", "\x91O\x82\xCC\x96\xA2\x93\xC7\x83\x81\x81[\x83\x8B(&P)", kCmdPrevMidoku},  // 前の未読メール(&P)
    {"mNextMidoku", "\x8E\x9F\x82\xCC\x96\xA2\x93\xC7\x83\x81\x81[\x83\x8B(&N)", kCmdNextMidoku},  // 次の未読メール(&N)
    {"N7", nullptr, kCmdNone},
    {"mSend", "\x90V\x8BK\x82\xC9\x91\x97\x90M\x82\xB7\x82\xE9(&S)", kCmdSend},  // 新規に送信する(&S)
    {"mReplyMail", "\x95\xD4\x8E\x96\x82\xF0\x82\xBE\x82\xB7(&R)", kCmdReplyMail},  // 返事をだす(&R)
    {"mForwardMail", "\x93]\x91\x97\x82\xB7\x82\xE9(&F)", kCmdForwardMail},  // 転送する(&F)
    {"N8", nullptr, kCmdNone},
    {"mMailDelete", "\x82\xB2\x82\xDD\x94\xA0\x82\xC9\x88\xDA\x93\xAE(&T)", kCmdMailDelete},  // ごみ箱に移動(&T)
};

// 設定(&T)
constexpr MenuEntry kSettingsMenu[] = {
    // メールボックスの指定(&M)
    {"mMailbox", "\x83\x81\x81[\x83\x8B\x83{\x83\x62\x83N\x83X\x82\xCC\x8Ew\x92\xE8(&M)", kCmdMailbox},
    {"mOption", "\x83I\x83v\x83V\x83\x87\x83\x93(&O)", kCmdOption},  // オプション(&O)
};

// ヘルプ(&H)
constexpr MenuEntry kHelpMenu[] = {
    {"mVersion", "\x83o\x81[\x83W\x83\x87\x83\x93(&A)", kCmdVersion},  // バージョン(&A)
};

const MenuDef kMainMenu[] = {
    {"File1", "\x83t\x83@\x83\x43\x83\x8B(&F)", kFileMenu},  // ファイル(&F)
    {"Show1", "\x95\x5C\x8E\xA6(&V)", kShowMenu},  // 表示(&V)
    {"mMail", "\x83\x81\x81[\x83\x8B(&M)", kMailMenu},  // メール(&M)
    {"mAccount", "\x83\x41\x83J\x83\x45\x83\x93\x83g(&A)", {}},  // アカウント(&A)
    {"K1", "\x90\xDD\x92\xE8(&T)", kSettingsMenu},  // 設定(&T)
    {"KH1", "\x83w\x83\x8B\x83v(&H)", kHelpMenu},  // ヘルプ(&H)
};

constexpr MenuEntry kPopupMail[] = {
    {"mPopupRetry", "\x8D\xC4\x8D\x5C\x92z", kCmdRetry1},  // 再構築
    {"mPopupRetry2", "\x8D\xC4\x8D\x5C\x92z(ALL)", kCmdRetry2},  // 再構築(ALL)
    {"N3", nullptr, kCmdNone},
    // 未読メールのチェック
    {"mPopupMidoku", "\x96\xA2\x93\xC7\x83\x81\x81[\x83\x8B\x82\xCC\x83`\x83\x46\x83\x62\x83N", kCmdMidoku},
    {"N5", nullptr, kCmdNone},
    // フォルダのプロパティ
    {"mFolderSet1", "\x83t\x83H\x83\x8B\x83_\x82\xCC\x83v\x83\x8D\x83p\x83\x65\x83\x42", kCmdFolderSet},
};

constexpr MenuEntry kPopupFolder[] = {
    {"MenuItem1", "\x8D\xC4\x8D\x5C\x92z", kCmdRetry1},  // 再構築
    {"MenuItem2", "\x8D\xC4\x8D\x5C\x92z(ALL) ", kCmdRetry2},  // "再構築(ALL) ", trailing blank kept
    {"MenuItem3", nullptr, kCmdNone},
    // 未読メールのチェック
    {"MenuItem4", "\x96\xA2\x93\xC7\x83\x81\x81[\x83\x8B\x82\xCC\x83`\x83\x46\x83\x62\x83N", kCmdMidoku},
    {"N4", nullptr, kCmdNone},
    // フォルダのプロパティ
    {"mFolderSet", "\x83t\x83H\x83\x8B\x83_\x82\xCC\x83v\x83\x8D\x83p\x83\x65\x83\x42", kCmdFolderSet},
};

const MenuDef kPopupMailDef{"PopupMenu_Mail", "", kPopupMail};
const MenuDef kPopupFolderDef{"PopupMenu_Folder", "", kPopupFolder};

void AppendEntries(HMENU menu, std::span<const MenuEntry> entries, bool with_shortcuts) {
  for (const MenuEntry& entry : entries) {
    if (entry.caption == nullptr) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    std::string text = entry.caption;
    const CommandInfo* info = FindCommand(entry.command);
    if (with_shortcuts && info != nullptr && info->shortcut.key != 0) {
      text += "\t" + ShortcutText(info->shortcut);
    }
    UINT flags = MF_STRING;
    if (info != nullptr && !info->available) flags |= MF_GRAYED;
    AppendMenuW(menu, flags, static_cast<UINT_PTR>(entry.command), platform::Widen(text).c_str());
  }
}

}  // namespace

std::span<const CommandInfo> AllCommands() { return kCommands; }

const CommandInfo* FindCommand(int id) {
  for (const CommandInfo& info : kCommands) {
    if (info.id == id) return &info;
  }
  return nullptr;
}

bool CommandAvailable(int id) {
  if (id >= kCmdAccountFirst) return true;
  const CommandInfo* info = FindCommand(id);
  return info != nullptr && info->available;
}

std::span<const MenuDef> MainMenuDefs() { return kMainMenu; }
const MenuDef& PopupMailDef() { return kPopupMailDef; }
const MenuDef& PopupFolderDef() { return kPopupFolderDef; }

std::string ShortcutText(Shortcut shortcut) {
  if (shortcut.key == 0) return {};
  std::string key = shortcut.key == VK_DELETE ? "Del" : std::string(1, static_cast<char>(shortcut.key));
  return shortcut.ctrl ? "Ctrl+" + key : key;
}

HMENU BuildMainMenu() {
  HMENU bar = CreateMenu();
  for (const MenuDef& def : kMainMenu) {
    HMENU popup = CreatePopupMenu();
    AppendEntries(popup, def.entries, true);
    AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup),
                platform::Widen(def.caption).c_str());
  }
  return bar;
}

HMENU BuildPopupMenu(const MenuDef& def) {
  HMENU popup = CreatePopupMenu();
  AppendEntries(popup, def.entries, false);
  return popup;
}

HACCEL BuildAccelerators() {
  std::vector<ACCEL> table;
  for (const CommandInfo& info : kCommands) {
    if (info.shortcut.key == 0) continue;
    ACCEL accel{};
    accel.fVirt = static_cast<BYTE>(FVIRTKEY | (info.shortcut.ctrl ? FCONTROL : 0));
    accel.key = info.shortcut.key;
    accel.cmd = static_cast<WORD>(info.id);
    table.push_back(accel);
  }
  return CreateAcceleratorTableW(table.data(), static_cast<int>(table.size()));
}

void FillAccountMenu(HMENU account_menu, std::span<const std::string> titles) {
  while (GetMenuItemCount(account_menu) > 0) DeleteMenu(account_menu, 0, MF_BYPOSITION);
  for (std::size_t k = 0; k < titles.size(); ++k) {
    AppendMenuW(account_menu, MF_STRING, kCmdAccountFirst + k, platform::Widen(titles[k]).c_str());
  }
}

}  // namespace ui
