#include "tests/win/ui_dialog_support.h"

#include <cstdio>

#include "platform/wide_win.h"
#include "tests/win/ui_support.h"

namespace uitest {
namespace {

struct Search {
  const wchar_t* class_name;
  HWND found = nullptr;
};

BOOL CALLBACK MatchClass(HWND hwnd, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  if (IsWindowVisible(hwnd) && wcscmp(name, search->class_name) == 0) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND FindThreadWindow(const wchar_t* class_name) {
  Search search{class_name};
  EnumThreadWindows(GetCurrentThreadId(), &MatchClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindChildByText(HWND parent, const std::string& caption) {
  const std::wstring wide = platform::Widen(caption);
  return FindWindowExW(parent, nullptr, nullptr, wide.c_str());
}

void PostClick(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void PressEscape(HWND dialog) {
  HWND focus = GetFocus();
  PressKey(focus != nullptr && IsChild(dialog, focus) ? focus : dialog, VK_ESCAPE);
}

std::size_t RunWithSteps(const std::function<void()>& open, std::vector<Step> steps) {
  std::size_t next = 0;
  DuringPump pump([&] {
    while (next < steps.size() && steps[next]()) ++next;
    return next == steps.size();
  });
  open();
  return next;
}

void SaveScreenshot(HWND window, const std::string& name) {
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT rect{};
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  // The window's own surface, children included (PrintWindow leaves the
  // children out under Wine).
  HDC source = GetWindowDC(window);
  BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
  ReleaseDC(window, source);
  GdiFlush();
  // GDI leaves the fourth byte of each pixel 0; image viewers take it as
  // transparency.
  auto* pixel = static_cast<unsigned char*>(bits);
  for (int i = 0; i < width * height; ++i) pixel[i * 4 + 3] = 0xFF;
  CreateDirectoryW(L"screenshots", nullptr);
  const std::string path = "screenshots\\" + name + ".bmp";
  if (FILE* file = std::fopen(path.c_str(), "wb")) {
    const DWORD pixels = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof(header) + sizeof(info.bmiHeader);
    header.bfSize = header.bfOffBits + pixels;
    std::fwrite(&header, sizeof(header), 1, file);
    std::fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, file);
    std::fwrite(bits, 1, pixels, file);
    std::fclose(file);
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

}  // namespace uitest
