#pragma once
// A window's commands in one table. Each row is one command: its name (the
// menu item's name in the document, e.g. "mRetry1"), the pull-down it sits in,
// its caption with the "(&X)" access key, its shortcut, its handler (a member
// function of the window) and its enabled test. The menu bar, the pop-up
// menus, the accelerator table, the dispatch of WM_COMMAND and the enabling of
// the items when a menu opens (WM_INITMENUPOPUP) are all built from the rows.
// A command's id is its row's position (kFirstCommandId + index), so adding a
// command is one row plus its handler.
//
// Next to it, a list's letter and navigation keys sit in a key table of the
// list's own (KeyRow): key -> handler, or key -> command of the window. Every
// binding of a window (its shortcuts and its controls' key tables) can be
// listed as KeyBinding rows, which KeyClashes checks: no key may lead to two
// different actions.

#include <windows.h>

#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

inline constexpr int kFirstCommandId = 101;
// Item k of the account menu (made at run time) has the id kAccountFirstId + k.
inline constexpr int kAccountFirstId = 1000;
inline constexpr int kNoMenu = -1;

struct Shortcut {
  WORD key = 0;  // virtual key; 0 = none
  bool ctrl = false;
  bool shift = false;
};

// A pull-down of the menu bar: its name in the document and its caption.
struct MenuBarEntry {
  const char* name;     // "File1", "mAccount", ...
  const char* caption;  // CP932
};

template <class Owner>
struct CommandRow {
  const char* name;               // "mRetry1"; a separator's name ("N2") when caption is null
  int menu = kNoMenu;             // index of its pull-down in the menu bar; kNoMenu: none
  const char* caption = nullptr;  // CP932 with its access key; nullptr: a separator
  Shortcut shortcut{};
  void (Owner::*handler)() = nullptr;        // nullptr: not built yet, shown disabled
  bool (Owner::*enabled)() const = nullptr;  // nullptr: enabled whenever it has a handler
};

// An item of a pop-up menu: its own name and caption, the command it runs
// (by name), and an extra enabled test of this item only.
template <class Owner>
struct PopupEntry {
  const char* name;
  const char* caption = nullptr;  // nullptr: a separator
  const char* command = nullptr;
  bool (Owner::*enabled)() const = nullptr;
};

template <class Owner>
struct PopupDef {
  const char* name;
  std::span<const PopupEntry<Owner>> entries;
};

// "Ctrl+S", "S", "Del"; empty when there is no shortcut.
std::string ShortcutText(Shortcut shortcut);
// Appends a command item ("caption\tshortcut" when `shortcut` has a key) or,
// for a null caption, a separator.
void AppendMenuEntry(HMENU menu, int id, const char* caption, Shortcut shortcut, bool grayed);
// Appends a pull-down to a menu bar; its entry remembers `name`, so that
// FindMenuPosition finds it by name.
HMENU AppendPullDown(HMENU bar, const char* name, const char* caption);
// Position in the bar of the pull-down appended under `name`; -1 when none.
int FindMenuPosition(HMENU bar, std::string_view name);
HMENU FindPullDown(HMENU bar, std::string_view name);
// Replaces the items of the account menu with one item per title (CP932);
// item k gets the id kAccountFirstId + k.
void FillAccountMenu(HMENU account_menu, std::span<const std::string> titles);
// Check marks of the account menu: exactly the item at `checked`.
void CheckOnly(HMENU menu, int checked);

template <class Owner>
class CommandTable {
 public:
  constexpr CommandTable(std::span<const MenuBarEntry> bar, std::span<const CommandRow<Owner>> rows)
      : bar_(bar), rows_(rows) {}

  std::span<const CommandRow<Owner>> Rows() const { return rows_; }
  std::span<const MenuBarEntry> Bar() const { return bar_; }
  static constexpr int IdAt(std::size_t index) { return kFirstCommandId + static_cast<int>(index); }

  // The row with this id, or null (separators and unknown ids).
  const CommandRow<Owner>* Find(int id) const {
    const int index = id - kFirstCommandId;
    if (index < 0 || index >= static_cast<int>(rows_.size())) return nullptr;
    const CommandRow<Owner>& row = rows_[static_cast<std::size_t>(index)];
    return row.caption != nullptr || row.shortcut.key != 0 ? &row : nullptr;
  }
  // The id of the command named `name`; 0 when none.
  int IdOf(std::string_view name) const {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      if (name == rows_[i].name) return IdAt(i);
    }
    return 0;
  }
  // True when the command has a handler (whatever its enabled test says).
  bool Built(int id) const {
    const CommandRow<Owner>* row = Find(id);
    return row != nullptr && row->handler != nullptr;
  }
  bool Enabled(const Owner& owner, int id) const {
    const CommandRow<Owner>* row = Find(id);
    return row != nullptr && row->handler != nullptr &&
           (row->enabled == nullptr || (owner.*(row->enabled))());
  }
  // Runs the command when it is enabled; false when it did not run.
  bool Dispatch(Owner& owner, int id) const {
    if (!Enabled(owner, id)) return false;
    (owner.*(Find(id)->handler))();
    return true;
  }
  bool Dispatch(Owner& owner, std::string_view name) const { return Dispatch(owner, IdOf(name)); }

  // The menu bar: commands without a handler are shown disabled.
  HMENU BuildMenuBar() const {
    HMENU bar = CreateMenu();
    for (std::size_t m = 0; m < bar_.size(); ++m) {
      HMENU pull_down = AppendPullDown(bar, bar_[m].name, bar_[m].caption);
      for (std::size_t i = 0; i < rows_.size(); ++i) {
        const CommandRow<Owner>& row = rows_[i];
        if (row.menu != static_cast<int>(m)) continue;
        AppendMenuEntry(pull_down, IdAt(i), row.caption, row.shortcut, row.handler == nullptr);
      }
    }
    return bar;
  }
  // A pop-up menu with each item enabled by its command's and its own test.
  HMENU BuildPopup(const Owner& owner, const PopupDef<Owner>& def) const {
    HMENU popup = CreatePopupMenu();
    for (const PopupEntry<Owner>& entry : def.entries) {
      const int id = entry.caption != nullptr ? IdOf(entry.command) : 0;
      const bool enabled = entry.caption != nullptr && Enabled(owner, id) &&
                           (entry.enabled == nullptr || (owner.*(entry.enabled))());
      AppendMenuEntry(popup, id, entry.caption, Shortcut{}, !enabled);
    }
    return popup;
  }
  // The same pop-up without an owner: items grayed only for missing handlers.
  HMENU BuildPopup(const PopupDef<Owner>& def) const {
    HMENU popup = CreatePopupMenu();
    for (const PopupEntry<Owner>& entry : def.entries) {
      const int id = entry.caption != nullptr ? IdOf(entry.command) : 0;
      AppendMenuEntry(popup, id, entry.caption, Shortcut{}, entry.caption != nullptr && !Built(id));
    }
    return popup;
  }
  HACCEL BuildAccelerators() const {
    std::vector<ACCEL> table;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      const Shortcut& shortcut = rows_[i].shortcut;
      if (shortcut.key == 0) continue;
      ACCEL accel{};
      accel.fVirt = static_cast<BYTE>(FVIRTKEY | (shortcut.ctrl ? FCONTROL : 0) |
                                      (shortcut.shift ? FSHIFT : 0));
      accel.key = shortcut.key;
      accel.cmd = static_cast<WORD>(IdAt(i));
      table.push_back(accel);
    }
    return CreateAcceleratorTableW(table.data(), static_cast<int>(table.size()));
  }
  // WM_INITMENUPOPUP of a pull-down: every command item enabled by its test.
  void UpdateMenu(const Owner& owner, HMENU menu) const {
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
      const int id = static_cast<int>(GetMenuItemID(menu, position));
      if (Find(id) == nullptr) continue;
      EnableMenuItem(menu, static_cast<UINT>(position),
                     MF_BYPOSITION | (Enabled(owner, id) ? MF_ENABLED : MF_GRAYED));
    }
  }

 private:
  std::span<const MenuBarEntry> bar_;
  std::span<const CommandRow<Owner>> rows_;
};

// A key of a list: WM_CHAR rows match a character (letters in either case),
// WM_KEYDOWN rows a virtual key. The row runs its handler with `argument`
// (the handler says whether the key was used up), or, without a handler, the
// window's command named `command` (the key is used up). A row with neither
// swallows the key.
template <class Owner>
struct KeyRow {
  UINT message;  // WM_CHAR or WM_KEYDOWN
  WPARAM key;
  bool (Owner::*handler)(WORD argument) = nullptr;
  WORD argument = 0;
  const char* command = nullptr;
};

// Looks `message` up in `keys`; true when a row took the key. `run_command`
// runs a command by name.
template <class Owner, class RunCommand>
bool RunKey(std::span<const KeyRow<Owner>> keys, Owner& owner, UINT message, WPARAM wparam,
            RunCommand&& run_command) {
  WPARAM key = wparam;
  if (message == WM_CHAR && key >= L'a' && key <= L'z') key -= L'a' - L'A';
  for (const KeyRow<Owner>& row : keys) {
    if (row.message != message || row.key != key) continue;
    if (row.handler != nullptr) return (owner.*(row.handler))(row.argument);
    if (row.command != nullptr) run_command(row.command);
    return true;
  }
  return false;
}

// One key a window reacts to, for the clash check. `key` is a virtual key; a
// character row takes the key that types its character. `control` names the
// control whose key table holds the row, empty for the window's shortcuts
// (which are matched before any control sees the key). `action` is the command
// a row runs, or for a row with a handler of its own, a name unique to that row.
struct KeyBinding {
  WORD key = 0;
  bool ctrl = false;
  UINT message = 0;  // WM_CHAR or WM_KEYDOWN for a control's row; 0 for a shortcut
  std::string control;
  std::string action;
  bool shift = false;  // a shortcut's; a control's rows take the key without it
};

// The virtual key that types `character` (letters in either case).
WORD KeyOfCharacter(WPARAM character);

template <class Owner>
void AddShortcutBindings(const CommandTable<Owner>& table, std::vector<KeyBinding>& out) {
  for (const CommandRow<Owner>& row : table.Rows()) {
    if (row.shortcut.key != 0)
      out.push_back({row.shortcut.key, row.shortcut.ctrl, 0, {}, row.name, row.shortcut.shift});
  }
}

template <class Owner>
void AddKeyBindings(std::span<const KeyRow<Owner>> keys, const char* control,
                    std::vector<KeyBinding>& out) {
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const KeyRow<Owner>& row = keys[i];
    const WORD key = row.message == WM_CHAR ? KeyOfCharacter(row.key) : static_cast<WORD>(row.key);
    std::string action = row.command != nullptr
                             ? std::string(row.command)
                             : std::string(control) + " row " + std::to_string(i);
    out.push_back({key, false, row.message, control, std::move(action)});
  }
}

// Pairs of bindings that take the same key (and Ctrl and Shift state) for different
// actions: a shortcut against anything (the shortcut would leave the other
// dead), or two rows of one control's table for the same message. Rows of
// different controls never meet: the focus decides which table sees a key.
std::vector<std::string> KeyClashes(std::span<const KeyBinding> bindings);

// True when `window` takes typed text: an edit or rich edit control that is
// not read-only. While one has the focus, a window leaves it the keys without
// Ctrl or Alt rather than run the plain-key shortcuts (S, R, F, D, Delete),
// so typing "s" types an "s", and the text box's own Ctrl chords (Ctrl+A,
// C, V, X, Z, Insert, Backspace, Delete, the arrows, Home and End) rather
// than run the commands on Ctrl+A (rebuild) and Ctrl+X (exit). The other
// Ctrl shortcuts still work from the box.
bool TakesTyping(HWND window);
// True for a key message the focused text box must get before any shortcut.
bool LeaveKeyToTextBox(const MSG& message);

}  // namespace ui
