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
  form_font_.CreatePoints(ja::kDialogFace, kDialogPoints, dpi_);
  status_bar_.SetFont(form_font_.handle());
  folder_list_.ApplySettings(main_settings_.ListBox, dpi_);
  thread_list_.ApplySettings(main_settings_.ListView, dpi_);
  Layout();
}

// Moved to a monitor of another scale: the fonts, images and widths follow,
// and the window takes the bounds Windows suggests (its size at the new scale).
void TVtFormMain::OnDpiChanged(int dpi, LPARAM suggested) {
  const int old_dpi = dpi_;
  if (dpi <= 0 || dpi == old_dpi) {
    TakeSuggestedRect(hwnd(), suggested);
    return;
  }
  const int column1 = MulDiv(thread_list_.Column1(), dpi, old_dpi);
  dpi_ = dpi;
  ApplyIcons(dpi);
  list_box_width_ = MulDiv(list_box_width_, dpi, old_dpi);
  ApplyDpi();
  if (shown_once_) SetUpImageLists();
  thread_list_.SetColumn1(column1);
  TakeSuggestedRect(hwnd(), suggested);
  Layout();
  thread_list_.FitSenderColumn();
}

int TVtFormMain::StatusBarHeight() const {
  const int text = form_font_.handle() != nullptr ? MeasureFont(form_font_.handle()).cy : 0;
  return std::max(Scale(19, dpi_), text + Scale(6, dpi_));
}

int TVtFormMain::SplitterWidth() const { return Scale(3, dpi_); }

void TVtFormMain::Layout() {
  if (hwnd() == nullptr || thread_list_.ListViewMail().hwnd() == nullptr) return;
  RECT client{};
  GetClientRect(hwnd(), &client);
  const int width = static_cast<int>(client.right);
  const int status_height = StatusBarHeight();
  const int splitter = SplitterWidth();
  const int height = std::max(0, static_cast<int>(client.bottom) - status_height);
  status_bar_.Move(0, height, width, status_height);
  const int list_width = std::clamp(list_box_width_, 0, std::max(0, width - splitter));
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
  const int x = GET_X_LPARAM(lparam);
  const bool over = x >= list_box_width_ && x < list_box_width_ + SplitterWidth();
  switch (message) {
    case WM_LBUTTONDOWN:
      if (!over) return false;
      dragging_splitter_ = true;
      SetCapture(hwnd());
      return true;
    case WM_MOUSEMOVE:
      if (over || dragging_splitter_) SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
      if (!dragging_splitter_) return false;
      list_box_width_ = std::max(0, x);
      Layout();
      return true;
    case WM_LBUTTONUP:
      if (!dragging_splitter_) return false;
      dragging_splitter_ = false;
      ReleaseCapture();
      Splitter1Moved();
      return true;
    default:
      return false;
  }
}

}  // namespace ui
