#include "ui/dialog_controls.h"

#include <algorithm>
#include <cwctype>
#include <string>

#include "platform/wide_win.h"

namespace ui {

void ReportList::AddColumn(int index, const std::string& caption, int width) const {
  AddListColumn(hwnd_, index, caption, width);
}

void ReportList::AddRow(const std::vector<std::string>& cells) const {
  const int row = RowCount();
  for (std::size_t c = 0; c < cells.size(); ++c) {
    std::wstring wide = platform::Widen(cells[c]);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = static_cast<int>(c);
    item.pszText = wide.data();
    if (c == 0) {
      SendMessageW(hwnd_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    } else {
      SendMessageW(hwnd_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    }
  }
}

std::string ReportList::CellText(int row, int column) const {
  return ListCellText(hwnd_, row, column);
}

std::vector<int> ReportList::SelectedRows() const {
  std::vector<int> rows;
  for (int row = ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED); row >= 0;
       row = ListView_GetNextItem(hwnd_, row, LVNI_SELECTED)) {
    rows.push_back(row);
  }
  return rows;
}

void TabControl::AddPage(int index, const std::string& caption) const {
  std::wstring wide = platform::Widen(caption);
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = wide.data();
  TabCtrl_InsertItem(hwnd_, index, &item);
}

namespace {

constexpr wchar_t kCtrlA = 0x01;          // the character Ctrl+A types
constexpr wchar_t kCtrlBackspace = 0x7F;  // ... and Ctrl+Backspace

// Deletes the selection, or else the blanks and the word before the caret.
void DeleteWordBeforeCaret(HWND box) {
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  if (start == end) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
    GetWindowTextW(box, text.data(), static_cast<int>(text.size()));
    DWORD at = std::min<DWORD>(start, static_cast<DWORD>(text.size() - 1));
    while (at > 0 && iswspace(text[at - 1])) --at;
    while (at > 0 && !iswspace(text[at - 1])) --at;
    SendMessageW(box, EM_SETSEL, at, end);
  }
  SendMessageW(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
}

}  // namespace

bool EditChordKey(HWND box, UINT message, WPARAM wparam) {
  if (message == WM_CHAR) return wparam == kCtrlA || wparam == kCtrlBackspace;
  if (message != WM_KEYDOWN || (GetKeyState(VK_CONTROL) & 0x8000) == 0 ||
      (GetKeyState(VK_MENU) & 0x8000) != 0) {
    return false;
  }
  if (wparam == 'A') {
    SendMessageW(box, EM_SETSEL, 0, -1);
    return true;
  }
  if (wparam == VK_BACK) {
    DeleteWordBeforeCaret(box);
    return true;
  }
  return false;
}

RECT TabControl::PageArea() const {
  RECT area{};
  GetWindowRect(hwnd_, &area);
  MapWindowPoints(nullptr, GetParent(hwnd_), reinterpret_cast<POINT*>(&area), 2);
  TabCtrl_AdjustRect(hwnd_, FALSE, &area);
  return area;
}

}  // namespace ui
