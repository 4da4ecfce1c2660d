// ThreadListPane: the keys, clicks and pop-up of ListViewMail
// (ListViewMailKeyPress, ListViewMailKeyDown, ListViewMailDblClick,
// ListViewMailClick, ListViewMailMouseDown).

#include <algorithm>

#include "ui/thread_list_pane.h"

namespace ui {

// ListViewMailKeyPress and ListViewMailKeyDown: Enter and Space open the
// selected row; the letters move the selection by injecting the list's own
// navigation key; the arrow, page, Home and End keys move it directly; Tab
// gives the focus to the folder list (Shift+Tab to the check box "本文も検索"
// beside the filter box); Left and "-" collapse the selected row's thread,
// Right and "+" expand it.
const KeyRow<ThreadListPane> ThreadListPane::kKeys[] = {
    {WM_CHAR, L'-', &ThreadListPane::CollapseSelected},
    {WM_CHAR, L'+', &ThreadListPane::ExpandSelected},
    {WM_KEYDOWN, VK_LEFT, &ThreadListPane::CollapseSelected},
    {WM_KEYDOWN, VK_RIGHT, &ThreadListPane::ExpandSelected},
    {WM_CHAR, 13, &ThreadListPane::OpenSelected},
    {WM_CHAR, L'D', &ThreadListPane::MoveToTrash},
    {WM_CHAR, L'B', &ThreadListPane::PostNavigationKey, VK_END},
    {WM_CHAR, L'N', &ThreadListPane::PostNavigationKey, VK_DOWN},
    {WM_CHAR, L'P', &ThreadListPane::PostNavigationKey, VK_UP},
    {WM_CHAR, L'T', &ThreadListPane::PostNavigationKey, VK_HOME},
    {WM_CHAR, L'\t', &ThreadListPane::Swallow},
    {WM_KEYDOWN, VK_SPACE, &ThreadListPane::OpenSelected},
    {WM_KEYDOWN, VK_DOWN, &ThreadListPane::MoveSelectionByKey, VK_DOWN},
    {WM_KEYDOWN, VK_UP, &ThreadListPane::MoveSelectionByKey, VK_UP},
    {WM_KEYDOWN, VK_HOME, &ThreadListPane::MoveSelectionByKey, VK_HOME},
    {WM_KEYDOWN, VK_END, &ThreadListPane::MoveSelectionByKey, VK_END},
    {WM_KEYDOWN, VK_NEXT, &ThreadListPane::MoveSelectionByKey, VK_NEXT},
    {WM_KEYDOWN, VK_PRIOR, &ThreadListPane::MoveSelectionByKey, VK_PRIOR},
    {WM_KEYDOWN, VK_TAB, &ThreadListPane::TabKey},
};

std::span<const KeyRow<ThreadListPane>> ThreadListPane::Keys() { return kKeys; }

void ThreadListPane::RunCommand(const char* name) { form_.RunCommand(name); }

bool ThreadListPane::ListViewMailKeyPress(wchar_t character) {
  if (form_.ViewerBusy()) return true;
  return RunKey<ThreadListPane>(kKeys, *this, WM_CHAR, character,
                                [this](const char* name) { RunCommand(name); });
}

// While a message is opened or moved (ViewerBusy) the keys are swallowed as
// the characters are: Space would open a second message inside the first
// one's wait, and Left or Right would change the rows under it.
bool ThreadListPane::ListViewMailKeyDown(WPARAM key) {
  if ((GetKeyState(VK_MENU) & 0x8000) != 0) return false;
  if (form_.ViewerBusy()) return true;
  return RunKey<ThreadListPane>(kKeys, *this, WM_KEYDOWN, key,
                                [this](const char* name) { RunCommand(name); });
}

bool ThreadListPane::OpenSelected(WORD) {
  form_.OpenSelectedMail();
  return true;
}

bool ThreadListPane::PostNavigationKey(WORD virtual_key) {
  PostKeyPress(list_.hwnd(), virtual_key);
  return true;
}

bool ThreadListPane::MoveToTrash(WORD) {
  form_.MoveToTrash();
  return true;
}

bool ThreadListPane::TabKey(WORD) {
  form_.TabFrom(Pane::kThreadList, (GetKeyState(VK_SHIFT) & 0x8000) != 0);
  return true;
}

// The arrow, page, Home and End keys without Shift or Ctrl, moving the
// selection as the list view itself does. Done here because Wine's list view
// spends time in proportion to the row count on every such key of an
// owner-data list (0.1 s at 100,000 rows); selecting a row directly does not.
bool ThreadListPane::MoveSelectionByKey(WORD key) {
  if ((GetKeyState(VK_SHIFT) & 0x8000) != 0 || (GetKeyState(VK_CONTROL) & 0x8000) != 0)
    return false;
  const int count = list_.RowCount();
  if (count == 0) return false;
  int current = list_.Focused();
  if (current < 0) current = 0;
  const int page = std::max(1, list_.RowsPerPage());
  const int top = list_.TopRow();
  const int bottom = top + page - 1;
  int target = current;
  switch (key) {
    case VK_DOWN:
      target = current + 1;
      break;
    case VK_UP:
      target = current - 1;
      break;
    case VK_HOME:
      target = 0;
      break;
    case VK_END:
      target = count - 1;
      break;
    case VK_NEXT:
      target = current < bottom ? bottom : current + page - 1;
      break;
    case VK_PRIOR:
      target = current > top ? top : current - (page - 1);
      break;
    default:
      return false;
  }
  SelectRow(std::clamp(target, 0, count - 1), true);
  return true;
}

void ThreadListPane::ListViewMailDblClick() {
  if (!form_.ViewerBusy()) form_.OpenSelectedMail();
  ListViewMailClick();
}

void ThreadListPane::ListViewMailClick() {
  if (list_.Selected() >= 0) return;
  const int focused = list_.Focused();
  if (focused >= 0) list_.SelectRow(focused);
}

void ThreadListPane::ListViewMailMouseDown() {
  form_.PopupMenu(Pane::kThreadList, list_.hwnd(), std::nullopt);
}

// Shift+F10 or the Menu key: the pop-up at the selected row, scrolled into
// view first.
void ThreadListPane::ListViewMailContextKey() {
  RECT row{};
  const int selected = list_.Selected();
  bool has_row = false;
  if (selected >= 0) {
    list_.EnsureVisible(selected);
    has_row = ListView_GetItemRect(list_.hwnd(), selected, &row, LVIR_LABEL) != FALSE;
  }
  form_.PopupMenu(Pane::kThreadList, list_.hwnd(),
                  PopupPoint(list_.hwnd(), has_row ? &row : nullptr));
}

bool ThreadListPane::ControlMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  result = 0;
  if (context_key_.Pressed(message, wparam) ||
      (message == WM_CONTEXTMENU && FromKeyboard(lparam))) {
    ListViewMailContextKey();
    return true;
  }
  if (context_key_.Released(message, wparam)) return true;
  if (message == WM_CHAR) return ListViewMailKeyPress(static_cast<wchar_t>(wparam));
  if (message == WM_KEYDOWN) return ListViewMailKeyDown(wparam);
  return false;
}

}  // namespace ui
