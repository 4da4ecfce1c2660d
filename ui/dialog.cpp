#include "ui/dialog.h"

#include "ui/dpi.h"
#include "ui/ja_texts.h"
#include "ui/placement.h"

namespace ui {

void Dialog::CreateFrame(HWND owner, const Frame& frame) {
  owner_ = owner;
  RegisterWindowClass(frame.class_name, nullptr, GetSysColorBrush(COLOR_BTNFACE));
  // At the owner's DPI: the dialog opens on the owner's monitor.
  const int dpi = DpiOf(owner);
  design_client_ = SIZE{frame.client_width, frame.client_height};
  style_ = frame.style;
  ex_style_ = frame.ex_style;
  CreateFontFor(dpi);
  const SIZE outer = OuterSize(base_, dpi);
  const int width = outer.cx;
  const int height = outer.cy;
  RECT anchor{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (owner != nullptr) GetWindowRect(owner, &anchor);
  int x = anchor.left + Scale(frame.offset.x, dpi);
  int y = anchor.top + Scale(frame.offset.y, dpi);
  if (frame.centre) {
    x = anchor.left + (anchor.right - anchor.left - width) / 2;
    y = anchor.top + (anchor.bottom - anchor.top - height) / 2;
  }
  // Wholly on the owner's monitor, clear of the taskbar, wherever the owner
  // itself is (partly off the screen, or on a monitor of another size).
  const RECT placed = InsideWorkArea(RECT{x, y, x + width, y + height}, WorkAreaOf(owner));
  Create(frame.class_name, frame.ex_style, frame.style, frame.caption, placed.left, placed.top,
         placed.right - placed.left, placed.bottom - placed.top, owner, nullptr);
  icons_ = frame.small_icon;
  if (icons_) ApplyIcons(DpiOf(hwnd()));
  // Placed on another monitor than the owner's (kept inside a work area):
  // measured again at the DPI it has there.
  if (DpiOf(hwnd()) != dpi) CreateFontFor(DpiOf(hwnd()));
  OnCreateControls();
}

namespace {

// The character cell of the dialog font at `dpi`, as the layout scales by it.
SIZE MeasureDialogFont(Font& font, int dpi) {
  font.CreatePoints(ja::kDialogFace, kDialogPoints, dpi);
  const SIZE base = MeasureFont(font.handle());
  return base.cx > 0 && base.cy > 0 ? base : Dialog::kDesignBase;
}

}  // namespace

void Dialog::CreateFontFor(int dpi) { base_ = MeasureDialogFont(font_, dpi); }

SIZE Dialog::OuterSize(SIZE base, int dpi) const {
  RECT outer{0, 0, MulDiv(design_client_.cx, base.cx, kDesignBase.cx),
             MulDiv(design_client_.cy, base.cy, kDesignBase.cy)};
  AdjustWindowRectForDpi(outer, style_, false, ex_style_, dpi);
  return SIZE{outer.right - outer.left, outer.bottom - outer.top};
}

// What the layout needs at another DPI, where the font's whole-pixel cell
// grows by another ratio than the DPI: Windows would otherwise scale the
// present size linearly and cut the dialog's last row or column.
SIZE Dialog::SizeAt(int dpi) const {
  Font font;
  return OuterSize(MeasureDialogFont(font, dpi), dpi);
}

void Dialog::Place(const Control& control, int x, int y, int width, int height) {
  placed_.push_back(Placed{control.hwnd(), RECT{x, y, x + width, y + height}});
  control.Move(X(x), Y(y), X(width), Y(height));
}

// Moved to a monitor of another scale: the icon and the font at the new DPI,
// every placed control where it belongs at that size, the bounds Windows
// suggests.
void Dialog::OnDpiChanged(int dpi, LPARAM suggested) {
  if (icons_) ApplyIcons(dpi);
  CreateFontFor(dpi);
  for (const Placed& p : placed_) {
    if (!IsWindow(p.control)) continue;
    MoveWindow(p.control, X(p.design.left), Y(p.design.top), X(p.design.right - p.design.left),
               Y(p.design.bottom - p.design.top), FALSE);
  }
  ApplyDialogFont();
  TakeSuggestedRect(hwnd(), suggested);
  InvalidateRect(hwnd(), nullptr, TRUE);
}

int Dialog::ShowModal() {
  HWND owner_focus = GetFocus();
  if (owner_ == nullptr || (owner_focus != owner_ && !IsChild(owner_, owner_focus))) {
    owner_focus = nullptr;
  }
  const bool disable_owner = owner_ != nullptr && IsWindowEnabled(owner_);
  if (disable_owner) EnableWindow(owner_, FALSE);
  result_ = IDCANCEL;
  running_ = true;
  ShowWindow(hwnd(), SW_SHOW);
  HWND first = GetNextDlgTabItem(hwnd(), nullptr, FALSE);
  SetFocus(first != nullptr ? first : hwnd());
  MSG message{};
  bool quit = false;
  while (running_ && hwnd() != nullptr) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      quit = got == 0;
      break;
    }
    if (IsDialogMessageW(hwnd(), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  running_ = false;
  // The owner first: enabled after the dialog is gone, Windows would have
  // handed the activation to some other program's window.
  if (disable_owner) EnableWindow(owner_, TRUE);
  if (hwnd() != nullptr) DestroyWindow(hwnd());
  if (owner_focus != nullptr && IsWindow(owner_focus)) SetFocus(owner_focus);
  if (quit) PostQuitMessage(static_cast<int>(message.wParam));
  return result_;
}

void Dialog::ShowModeless() {
  ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
  UpdateWindow(hwnd());
}

namespace {

BOOL CALLBACK SetControlFont(HWND child, LPARAM font) {
  SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
  return TRUE;
}

}  // namespace

void Dialog::ApplyDialogFont() const {
  EnumChildWindows(hwnd(), &SetControlFont, reinterpret_cast<LPARAM>(font_.handle()));
}

void Dialog::EndModal(int result) {
  result_ = result;
  running_ = false;
}

LRESULT Dialog::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case DM_GETDEFID:
      return MAKELRESULT(default_button_, DC_HASDEFID);
    case WM_COMMAND:
      if (lparam != 0 && HIWORD(wparam) != BN_CLICKED) break;
      if (LOWORD(wparam) == IDOK) {
        if (OnOk()) EndModal(IDOK);
        return 0;
      }
      if (LOWORD(wparam) == IDCANCEL) {
        OnCancel();
        EndModal(IDCANCEL);
        return 0;
      }
      break;
    case WM_CLOSE:
      OnCancel();
      EndModal(IDCANCEL);
      return 0;
    case WM_CTLCOLORSTATIC:
      SetBkMode(reinterpret_cast<HDC>(wparam), TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case kGetDpiScaledSize:
      *reinterpret_cast<SIZE*>(lparam) = SizeAt(static_cast<int>(wparam));
      return TRUE;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wparam), lparam);
      return 0;
    default:
      break;
  }
  return Window::HandleMessage(message, wparam, lparam);
}

}  // namespace ui
