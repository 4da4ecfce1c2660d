#include "ui/controls.h"

#include <imm.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "platform/wide_win.h"
#include "ui/wide_text.h"
#include "viewer/unicode_text.h"

namespace ui {

void Control::CreateChild(const wchar_t* class_name, DWORD style, DWORD ex_style, HWND parent,
                          int id, const std::string& text) {
  const std::wstring wide = platform::Widen(text);
  hwnd_ = CreateWindowExW(ex_style, class_name, wide.c_str(), WS_CHILD | WS_VISIBLE | style, 0,
                          0, 10, 10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          GetModuleHandleW(nullptr), nullptr);
  if (hwnd_ == nullptr) throw std::runtime_error("creating a control failed");
}

void Control::SetText(const std::string& text) const {
  SetWindowTextW(hwnd_, platform::Widen(text).c_str());
}

std::string Control::Text() const { return platform::Narrow(WideText()); }

std::string Control::Utf8Text() const {
  const std::wstring wide = WideText();
  return viewer::Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

void Control::SetUtf8Text(const std::string& utf8) const {
  SetWindowTextW(hwnd_, WideFromUtf8(utf8).c_str());
}

std::wstring Control::WideText() const {
  const int length = GetWindowTextLengthW(hwnd_);
  std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(hwnd_, wide.data(), length + 1);
  wide.resize(static_cast<std::size_t>(copied));
  return wide;
}

int Control::Width() const {
  RECT rect{};
  GetWindowRect(hwnd_, &rect);
  return rect.right - rect.left;
}

bool ContextMenuKey::Pressed(UINT message, WPARAM key) {
  if (message != WM_KEYDOWN && message != WM_SYSKEYDOWN) return false;
  // Every press forgets the key held before: the pop-up's own loop usually
  // takes its release, which must not make the next F10's release vanish.
  const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
  held_ = (key == VK_F10 && shift) || key == VK_APPS ? key : 0;
  return held_ != 0;
}

bool ContextMenuKey::Released(UINT message, WPARAM key) {
  if ((message != WM_KEYUP && message != WM_SYSKEYUP) || held_ == 0 || key != held_) return false;
  held_ = 0;
  return true;
}

POINT PopupPoint(HWND control, const RECT* item) {
  RECT client{};
  GetClientRect(control, &client);
  POINT at{0, 0};
  if (item != nullptr) {
    at.x = std::clamp(item->left, client.left, std::max(client.left, client.right - 1));
    at.y = std::clamp(item->bottom, client.top, std::max(client.top, client.bottom - 1));
  }
  ClientToScreen(control, &at);
  return at;
}

void WithoutInputMethod(HWND control) { ImmAssociateContextEx(control, nullptr, 0); }

void PostKeyPress(HWND target, WORD virtual_key) {
  const UINT scan = MapVirtualKeyW(virtual_key, MAPVK_VK_TO_VSC);
  const bool extended = virtual_key == VK_UP || virtual_key == VK_DOWN || virtual_key == VK_HOME ||
                        virtual_key == VK_END;
  const LPARAM down = 1 | (static_cast<LPARAM>(scan & 0xFF) << 16) | (extended ? (1 << 24) : 0);
  const LPARAM up = down | (static_cast<LPARAM>(1) << 30) | (static_cast<LPARAM>(1) << 31);
  PostMessageW(target, WM_KEYDOWN, virtual_key, down);
  PostMessageW(target, WM_KEYUP, virtual_key, up);
}

void StatusBar::SetSimpleText(const std::string& text) const {
  SendMessageW(hwnd_, SB_SIMPLE, TRUE, 0);
  SendMessageW(hwnd_, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(platform::Widen(text).c_str()));
}

void StatusBar::SetSimpleUtf8Text(const std::string& utf8) const {
  const std::wstring wide = WideFromUtf8(utf8);
  SendMessageW(hwnd_, SB_SIMPLE, TRUE, 0);
  SendMessageW(hwnd_, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(wide.c_str()));
}

std::string StatusBar::SimpleText() const {
  // Windows answers the simple text at SB_SIMPLEID; Wine's status bar answers
  // it at index 0 (and nothing at SB_SIMPLEID).
  WPARAM part = SB_SIMPLEID;
  LRESULT info = SendMessageW(hwnd_, SB_GETTEXTLENGTHW, part, 0);
  if (LOWORD(info) == 0) {
    part = 0;
    info = SendMessageW(hwnd_, SB_GETTEXTLENGTHW, part, 0);
  }
  std::wstring wide(static_cast<std::size_t>(LOWORD(info)) + 1, L'\0');
  SendMessageW(hwnd_, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(wide.data()));
  wide.resize(wcslen(wide.c_str()));
  return platform::Narrow(wide);
}

void OwnerDrawListBox::Create(HWND parent, int id) {
  CreateChild(L"LISTBOX",
              WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS |
                  LBS_NOINTEGRALHEIGHT,
              WS_EX_CLIENTEDGE, parent, id);
}

void OwnerDrawListBox::Add(const std::string& text) const {
  SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::Widen(text).c_str()));
}

std::string OwnerDrawListBox::ItemText(int row) const {
  const LRESULT length = SendMessageW(hwnd_, LB_GETTEXTLEN, row, 0);
  if (length == LB_ERR) return {};
  std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(hwnd_, LB_GETTEXT, row, reinterpret_cast<LPARAM>(wide.data()));
  wide.resize(static_cast<std::size_t>(length));
  return platform::Narrow(wide);
}

void OwnerDrawListBox::RedrawItem(int row) const {
  RECT rect{};
  if (SendMessageW(hwnd_, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect)) != LB_ERR) {
    InvalidateRect(hwnd_, &rect, TRUE);
  }
}

void VirtualListView::Create(HWND parent, int id) {
  // No LVS_SINGLESEL: Wine's list view walks every row of an owner-data list
  // for each selection change in that mode (0.1 s per key at 100,000 rows).
  // The owner keeps the selection to one row instead (SelectionChanged).
  // The image lists stay the owner's (LVS_SHAREIMAGELISTS): without it the
  // control destroys them with itself, and the owner a second time.
  CreateChild(WC_LISTVIEWW,
              WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
              WS_EX_CLIENTEDGE, parent, id);
}

void VirtualListView::SelectionChanged(int row, bool selected) {
  if (adjusting_ || !selected || row == selected_row_) return;
  adjusting_ = true;
  if (selected_row_ >= 0) ListView_SetItemState(hwnd_, selected_row_, 0, LVIS_SELECTED);
  selected_row_ = row;
  adjusting_ = false;
}

// Row by row: one or two rows are selected, and the notifications of the
// change must not pass the selection on (adjusting_).
void VirtualListView::ClearSelection() {
  // One message for every row (-1): a walk with LVNI_SELECTED never ends on a
  // destroyed control, which answers row 0 to every query.
  adjusting_ = true;
  if (hwnd_ != nullptr) ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED);
  selected_row_ = -1;
  adjusting_ = false;
}

void VirtualListView::RangeSelected() {
  if (adjusting_) return;
  adjusting_ = true;
  const int keep = Focused();
  ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED);
  if (keep >= 0) ListView_SetItemState(hwnd_, keep, LVIS_SELECTED, LVIS_SELECTED);
  selected_row_ = keep;
  adjusting_ = false;
}

std::string ListCellText(HWND list, int row, int column) {
  std::vector<wchar_t> buffer(1024, L'\0');
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buffer.data();
  item.cchTextMax = static_cast<int>(buffer.size());
  SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  return platform::Narrow(buffer.data());
}

void AddListColumn(HWND list, int index, const std::string& caption, int width) {
  std::wstring wide = platform::Widen(caption);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.pszText = wide.data();
  column.cx = width;
  column.iSubItem = index;
  ListView_InsertColumn(list, index, &column);
}

void VirtualListView::AddColumn(int index, const std::string& caption, int width) const {
  AddListColumn(hwnd_, index, caption, width);
}

std::string VirtualListView::ColumnCaption(int column) const {
  wchar_t buffer[128] = {};
  LVCOLUMNW info{};
  info.mask = LVCF_TEXT;
  info.pszText = buffer;
  info.cchTextMax = 128;
  ListView_GetColumn(hwnd_, column, &info);
  return platform::Narrow(buffer);
}

void VirtualListView::SelectRow(int row) const {
  ListView_SetItemState(hwnd_, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetSelectionMark(hwnd_, row);
}

std::string VirtualListView::CellText(int row, int column) const {
  return ListCellText(hwnd_, row, column);
}

int VirtualListView::RowImage(int row) const {
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  if (!ListView_GetItem(hwnd_, &item)) return -1;
  return item.iImage;
}

void VirtualListView::SetColors(COLORREF text, COLORREF background) const {
  ListView_SetTextColor(hwnd_, text);
  ListView_SetTextBkColor(hwnd_, background);
  ListView_SetBkColor(hwnd_, background);
}

}  // namespace ui
