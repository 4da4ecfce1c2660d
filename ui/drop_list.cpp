#include "ui/drop_list.h"

#include <algorithm>

#include "ui/controls.h"

namespace ui {
namespace {

// Rows shown at once; more scroll.
constexpr int kVisibleRows = 10;

}  // namespace

DropList::~DropList() {
  if (list_ != nullptr) DestroyWindow(list_);
}

int DropList::Count() const {
  return list_ != nullptr ? static_cast<int>(SendMessageW(list_, LB_GETCOUNT, 0, 0)) : 0;
}

void DropList::Open(HWND edit, const std::vector<std::wstring>& items, ChooseFn choose) {
  if (items.empty()) {
    Close();
    return;
  }
  if (list_ == nullptr) {
    // No LBS_NOTIFY: the clicks are taken here, and the owner hears nothing.
    list_ =
        CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"LISTBOX", L"",
                        WS_POPUP | WS_BORDER | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 0, 0, 0, 0,
                        GetAncestor(edit, GA_ROOT), nullptr, GetModuleHandleW(nullptr), nullptr);
    if (list_ == nullptr) return;
    SubclassControl<DropList, &DropList::ListMessage>(list_, this);
  }
  choose_ = std::move(choose);
  SendMessageW(list_, WM_SETFONT, SendMessageW(edit, WM_GETFONT, 0, 0), FALSE);
  SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list_, LB_RESETCONTENT, 0, 0);
  for (const std::wstring& item : items) {
    SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  Place(edit, static_cast<int>(items.size()));
  InvalidateRect(list_, nullptr, TRUE);
}

void DropList::Place(HWND edit, int count) {
  RECT box{};
  GetWindowRect(edit, &box);
  const int row = static_cast<int>(SendMessageW(list_, LB_GETITEMHEIGHT, 0, 0));
  RECT frame{0, 0, box.right - box.left, row * std::min(count, kVisibleRows)};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(list_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(list_, GWL_EXSTYLE)));
  const int height = frame.bottom - frame.top;
  // Below the box, or above it where the screen ends first.
  MONITORINFO monitor{sizeof monitor, {}, {}, 0};
  GetMonitorInfoW(MonitorFromWindow(edit, MONITOR_DEFAULTTONEAREST), &monitor);
  const int top = box.bottom + height <= monitor.rcWork.bottom ? box.bottom : box.top - height;
  SetWindowPos(list_, HWND_TOP, box.left, top, box.right - box.left, height,
               SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void DropList::Close() {
  if (list_ != nullptr) ShowWindow(list_, SW_HIDE);
}

bool DropList::KeyDown(WPARAM key) {
  if (!IsOpen()) return false;
  const int count = Count();
  const int at = static_cast<int>(SendMessageW(list_, LB_GETCURSEL, 0, 0));
  int to = at;
  switch (key) {
    case VK_DOWN:
      to = at < 0 ? 0 : std::min(at + 1, count - 1);
      break;
    case VK_UP:
      to = std::max(at - 1, 0);
      break;
    case VK_NEXT:
      to = std::min(std::max(at, 0) + kVisibleRows, count - 1);
      break;
    case VK_PRIOR:
      to = std::max(at - kVisibleRows, 0);
      break;
    case VK_RETURN:
      // Enter with nothing chosen closes the list and is the box's again.
      if (at < 0) {
        Close();
        return false;
      }
      Choose(at);
      return true;
    case VK_ESCAPE:
      Close();
      return true;
    default:
      return false;
  }
  SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(to), 0);
  return true;
}

void DropList::Choose(int index) {
  Close();
  // The function may open the list again (a completion goes on).
  const ChooseFn choose = choose_;
  if (choose) choose(index);
}

// The list must not take the activation or the focus from the edit: a click
// picks the item under it here, without the list's own handling.
bool DropList::ListMessage(UINT message, WPARAM, LPARAM lparam, LRESULT& result) {
  result = 0;
  switch (message) {
    case WM_NCDESTROY:
      // Gone with the window that owns it.
      list_ = nullptr;
      return false;
    case WM_MOUSEACTIVATE:
      result = MA_NOACTIVATE;
      return true;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN: {
      const auto hit = static_cast<DWORD>(SendMessageW(list_, LB_ITEMFROMPOINT, 0, lparam));
      if (HIWORD(hit) != 0) return message == WM_LBUTTONDOWN;  // outside the items
      if (message == WM_MOUSEMOVE) {
        SendMessageW(list_, LB_SETCURSEL, LOWORD(hit), 0);
        return true;
      }
      Choose(LOWORD(hit));
      return true;
    }
    default:
      return false;
  }
}

}  // namespace ui
