#include "ui/commands.h"

#include "platform/wide_win.h"

namespace ui {

std::string ShortcutText(Shortcut shortcut) {
  if (shortcut.key == 0) return {};
  std::string key = shortcut.key == VK_DELETE ? "Del" : std::string(1, static_cast<char>(shortcut.key));
  if (shortcut.shift) key = "Shift+" + key;
  return shortcut.ctrl ? "Ctrl+" + key : key;
}

void AppendMenuEntry(HMENU menu, int id, const char* caption, Shortcut shortcut, bool grayed) {
  if (caption == nullptr) {
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    return;
  }
  std::string text = caption;
  if (shortcut.key != 0) text += "\t" + ShortcutText(shortcut);
  AppendMenuW(menu, MF_STRING | (grayed ? MF_GRAYED : 0u), static_cast<UINT_PTR>(id),
              platform::Widen(text).c_str());
}

HMENU AppendPullDown(HMENU bar, const char* name, const char* caption) {
  HMENU pull_down = CreatePopupMenu();
  AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(pull_down),
              platform::Widen(caption).c_str());
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_DATA;
  info.dwItemData = reinterpret_cast<ULONG_PTR>(name);  // a name of static storage
  SetMenuItemInfoW(bar, static_cast<UINT>(GetMenuItemCount(bar) - 1), TRUE, &info);
  return pull_down;
}

int FindMenuPosition(HMENU bar, std::string_view name) {
  if (bar == nullptr) return -1;
  const int count = GetMenuItemCount(bar);
  for (int position = 0; position < count; ++position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA;
    if (!GetMenuItemInfoW(bar, static_cast<UINT>(position), TRUE, &info)) continue;
    const auto* entry_name = reinterpret_cast<const char*>(info.dwItemData);
    if (entry_name != nullptr && name == entry_name) return position;
  }
  return -1;
}

HMENU FindPullDown(HMENU bar, std::string_view name) {
  const int position = FindMenuPosition(bar, name);
  return position < 0 ? nullptr : GetSubMenu(bar, position);
}

void FillAccountMenu(HMENU account_menu, std::span<const std::string> titles) {
  while (GetMenuItemCount(account_menu) > 0) DeleteMenu(account_menu, 0, MF_BYPOSITION);
  for (std::size_t k = 0; k < titles.size(); ++k) {
    AppendMenuW(account_menu, MF_STRING, kAccountFirstId + k, platform::Widen(titles[k]).c_str());
  }
}

void CheckOnly(HMENU menu, int checked) {
  const int count = GetMenuItemCount(menu);
  for (int k = 0; k < count; ++k) {
    CheckMenuItem(menu, static_cast<UINT>(k),
                  MF_BYPOSITION | (k == checked ? MF_CHECKED : MF_UNCHECKED));
  }
}

WORD KeyOfCharacter(WPARAM character) {
  if (character >= L'a' && character <= L'z') return static_cast<WORD>(character - L'a' + L'A');
  switch (character) {
    case 13:
      return VK_RETURN;
    case 27:
      return VK_ESCAPE;
    case L' ':
      return VK_SPACE;
    case L'\t':
      return VK_TAB;
    default:
      break;
  }
  if (character >= L'A' && character <= L'Z') return static_cast<WORD>(character);
  // Other characters: the key of the current layout that types them.
  return static_cast<WORD>(LOBYTE(VkKeyScanW(static_cast<wchar_t>(character))));
}

std::vector<std::string> KeyClashes(std::span<const KeyBinding> bindings) {
  std::vector<std::string> clashes;
  for (std::size_t i = 0; i < bindings.size(); ++i) {
    for (std::size_t j = i + 1; j < bindings.size(); ++j) {
      const KeyBinding& a = bindings[i];
      const KeyBinding& b = bindings[j];
      if (a.key != b.key || a.ctrl != b.ctrl || a.shift != b.shift || a.action == b.action)
        continue;
      const bool meet = a.control.empty() || b.control.empty() ||
                        (a.control == b.control && a.message == b.message);
      if (meet) clashes.push_back(a.action + " and " + b.action);
    }
  }
  return clashes;
}

bool TakesTyping(HWND window) {
  if (window == nullptr) return false;
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  CharLowerW(name);
  const std::wstring_view class_name = name;
  const bool text_box =
      class_name == L"edit" || class_name.find(L"richedit") != std::wstring_view::npos;
  return text_box && (GetWindowLongPtrW(window, GWL_STYLE) & ES_READONLY) == 0;
}

namespace {

// The Ctrl chords of a text box: select all, copy, paste, cut, undo, and the
// moves and deletions by word (Ctrl+Insert copies).
bool TextBoxChord(WPARAM key) {
  switch (key) {
    case 'A':
    case 'C':
    case 'V':
    case 'X':
    case 'Z':
    case VK_BACK:
    case VK_DELETE:
    case VK_INSERT:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool LeaveKeyToTextBox(const MSG& message) {
  if (message.message != WM_KEYDOWN && message.message != WM_CHAR) return false;
  if ((GetKeyState(VK_MENU) & 0x8000) != 0 || !TakesTyping(GetFocus())) return false;
  if ((GetKeyState(VK_CONTROL) & 0x8000) == 0) return true;
  return message.message == WM_KEYDOWN && TextBoxChord(message.wParam);
}

}  // namespace ui
