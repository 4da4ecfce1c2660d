// TVtFormMain's layout: the sizes that follow the window's DPI, the panes
// placed beside the splitter above the status bar, and the splitter dragged
// with the mouse.

#include <windowsx.h>

#include <algorithm>

#include "ui/dpi.h"
#include "ui/ja_texts.h"
#include "ui/main_form.h"

namespace ui {

void TVtFormMain::ApplyDpi() {
  layout_.StatusFont.CreatePoints(ja::kDialogFace, kDialogPoints, layout_.Dpi);
  status_bar_.SetFont(layout_.StatusFont.handle());
  folder_list_.ApplySettings(settings_.Main.ListBox, layout_.Dpi);
  thread_list_.ApplySettings(settings_.Main.ListView, layout_.Dpi);
  Layout();
}

// Moved to a monitor of another scale: the fonts, images and widths follow,
// and the window takes the bounds Windows suggests (its size at the new scale).
void TVtFormMain::OnDpiChanged(int dpi, LPARAM suggested) {
  const int old_dpi = layout_.Dpi;
  if (dpi <= 0 || dpi == old_dpi) {
    TakeSuggestedRect(hwnd(), suggested);
    return;
  }
  const int column1 = MulDiv(thread_list_.Column1(), dpi, old_dpi);
  layout_.Dpi = dpi;
  ApplyIcons(dpi);
  layout_.ListBoxWidth = MulDiv(layout_.ListBoxWidth, dpi, old_dpi);
  ApplyDpi();
  if (settings_.Read) SetUpImageLists();
  thread_list_.SetColumn1(column1);
  TakeSuggestedRect(hwnd(), suggested);
  Layout();
  thread_list_.FitSenderColumn();
}

int TVtFormMain::StatusBarHeight() const {
  const int text =
      layout_.StatusFont.handle() != nullptr ? MeasureFont(layout_.StatusFont.handle()).cy : 0;
  return std::max(Scale(19, layout_.Dpi), text + Scale(6, layout_.Dpi));
}

int TVtFormMain::SplitterWidth() const { return Scale(3, layout_.Dpi); }

void TVtFormMain::Layout() {
  if (hwnd() == nullptr || thread_list_.ListViewMail().hwnd() == nullptr) return;
  RECT client{};
  GetClientRect(hwnd(), &client);
  const int width = static_cast<int>(client.right);
  const int status_height = StatusBarHeight();
  const int splitter = SplitterWidth();
  const int height = std::max(0, static_cast<int>(client.bottom) - status_height);
  status_bar_.Move(0, height, width, status_height);
  const int list_width = std::clamp(layout_.ListBoxWidth, 0, std::max(0, width - splitter));
  folder_list_.ListBoxF().Move(0, 0, list_width, height);
  const int view_left = list_width + splitter;
  const int view_width = std::max(0, width - view_left);
  const int box_height = std::min(thread_list_.FilterBoxHeight(), height);
  thread_list_.FilterBox().Move(view_left, 0, view_width, box_height);
  thread_list_.ListViewMail().Move(view_left, box_height, view_width, height - box_height);
}

void TVtFormMain::FormResize() {
  Layout();
  thread_list_.FitSenderColumn();
}

// Splitter1: the strip between the lists, dragged with the left button.
bool TVtFormMain::SplitterMouse(UINT message, LPARAM lparam) {
  if (message == WM_CAPTURECHANGED) {
    // Another window took the mouse (a pop-up, a message box, Alt+Tab): the
    // drag ends where it was, or the splitter would follow the next move of
    // a mouse whose button is up.
    if (layout_.DraggingSplitter && reinterpret_cast<HWND>(lparam) != hwnd()) {
      layout_.DraggingSplitter = false;
      Splitter1Moved();
    }
    return true;
  }
  if (message != WM_LBUTTONDOWN && message != WM_MOUSEMOVE && message != WM_LBUTTONUP) {
    return false;
  }
  const int x = GET_X_LPARAM(lparam);
  const bool over = x >= layout_.ListBoxWidth && x < layout_.ListBoxWidth + SplitterWidth();
  switch (message) {
    case WM_LBUTTONDOWN:
      if (!over) return false;
      layout_.DraggingSplitter = true;
      SetCapture(hwnd());
      return true;
    case WM_MOUSEMOVE:
      if (over || layout_.DraggingSplitter) SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
      if (!layout_.DraggingSplitter) return false;
      layout_.ListBoxWidth = std::max(0, x);
      Layout();
      return true;
    case WM_LBUTTONUP:
      if (!layout_.DraggingSplitter) return false;
      layout_.DraggingSplitter = false;
      ReleaseCapture();
      Splitter1Moved();
      return true;
    default:
      return false;
  }
}

}  // namespace ui
