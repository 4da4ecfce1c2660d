#include "ui/dialog_controls.h"

#include "platform/wide_win.h"

namespace ui {

void TabControl::AddPage(int index, const std::string& caption) const {
  std::wstring wide = platform::Widen(caption);
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = wide.data();
  TabCtrl_InsertItem(hwnd_, index, &item);
}

RECT TabControl::PageArea() const {
  RECT area{};
  GetWindowRect(hwnd_, &area);
  MapWindowPoints(nullptr, GetParent(hwnd_), reinterpret_cast<POINT*>(&area), 2);
  TabCtrl_AdjustRect(hwnd_, FALSE, &area);
  return area;
}

}  // namespace ui
