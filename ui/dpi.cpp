#include "ui/dpi.h"

#include "platform/wide_win.h"

namespace ui {
namespace {

template <class Function>
Function User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

}  // namespace

int SystemDpi() {
  HDC dc = GetDC(nullptr);
  const int dpi = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSY) : kDesignDpi;
  if (dc != nullptr) ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : kDesignDpi;
}

int DpiOf(HWND window) {
  static const auto get_dpi = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (window != nullptr && get_dpi != nullptr) {
    const UINT dpi = get_dpi(window);
    if (dpi != 0) return static_cast<int>(dpi);
  }
  return SystemDpi();
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, bool menu, DWORD ex_style, int dpi) {
  static const auto adjust = User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
  if (adjust != nullptr &&
      adjust(&rect, style, menu ? TRUE : FALSE, ex_style, static_cast<UINT>(dpi))) {
    return;
  }
  AdjustWindowRectEx(&rect, style, menu ? TRUE : FALSE, ex_style);
}

void TakeSuggestedRect(HWND window, LPARAM suggested) {
  const RECT& r = *reinterpret_cast<const RECT*>(suggested);
  SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE MeasureFont(HFONT font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  static const wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE letters{};
  GetTextExtentPoint32W(dc, kLetters, 52, &letters);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return SIZE{(letters.cx / 26 + 1) / 2, metrics.tmHeight};
}

SIZE MeasureText(HFONT font, const std::string& text) {
  const std::wstring wide = platform::Widen(text);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size;
}

}  // namespace ui
