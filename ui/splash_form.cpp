#include "ui/splash_form.h"

#include "ui/dpi.h"
#include "ui/placement.h"

namespace ui {

TSplashForm::TSplashForm() {
  RegisterWindowClass(kClassName, nullptr, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  // In the middle of the primary monitor's work area, where the program's
  // window opens unless it was moved.
  // Its design size at the primary monitor's scale; the picture is stretched
  // to it (halftone).
  const RECT work = WorkAreaOf(nullptr);
  const int width = Scale(kWidth, SystemDpi());
  const int height = Scale(kHeight, SystemDpi());
  const int x = work.left + (work.right - work.left - width) / 2;
  const int y = work.top + (work.bottom - work.top - height) / 2;
  Create(kClassName, WS_EX_TOOLWINDOW, WS_POPUP, "Veltrano", x, y, width, height, nullptr, nullptr);
  image1_ = static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), L"SPLASH", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

TSplashForm::~TSplashForm() {
  if (image1_ != nullptr) DeleteObject(image1_);
}

void TSplashForm::ShowTopMost() {
  ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
  SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  UpdateWindow(hwnd());
}

void TSplashForm::Remove() {
  if (hwnd() == nullptr) return;
  SetWindowPos(hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  DestroyWindow(hwnd());
}

void TSplashForm::Paint() {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(hwnd(), &paint);
  RECT client{};
  GetClientRect(hwnd(), &client);
  if (image1_ != nullptr) {
    BITMAP info{};
    GetObjectW(image1_, sizeof(info), &info);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, image1_);
    SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, info.bmWidth, info.bmHeight,
               SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
  }
  EndPaint(hwnd(), &paint);
}

LRESULT TSplashForm::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    Paint();
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  return Window::HandleMessage(message, wparam, lparam);
}

}  // namespace ui
