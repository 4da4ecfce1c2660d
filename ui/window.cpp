#include "ui/window.h"

#include <exception>
#include <stdexcept>

#include "platform/wide_win.h"
#include "ui/dpi.h"

namespace ui {
namespace {

ErrorBoxHook& ErrorHook() {
  static ErrorBoxHook hook;
  return hook;
}

}  // namespace

Window::~Window() {
  DestroyNow();
  if (small_icon_ != nullptr) DestroyIcon(small_icon_);
  if (large_icon_ != nullptr) DestroyIcon(large_icon_);
}

void Window::ApplyIcons(int dpi) {
  // The system metrics are for the system's DPI.
  const int system_dpi = SystemDpi();
  HICON small_icon = LoadApplicationIcon(MulDiv(GetSystemMetrics(SM_CXSMICON), dpi, system_dpi));
  HICON large_icon = LoadApplicationIcon(MulDiv(GetSystemMetrics(SM_CXICON), dpi, system_dpi));
  if (small_icon == nullptr || large_icon == nullptr) {
    if (small_icon != nullptr) DestroyIcon(small_icon);
    if (large_icon != nullptr) DestroyIcon(large_icon);
    return;
  }
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon));
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large_icon));
  // The window holds the new ones now.
  if (small_icon_ != nullptr) DestroyIcon(small_icon_);
  if (large_icon_ != nullptr) DestroyIcon(large_icon_);
  small_icon_ = small_icon;
  large_icon_ = large_icon;
}

void Window::DestroyNow() {
  if (hwnd_ == nullptr) return;
  HWND window = hwnd_;
  hwnd_ = nullptr;
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  DestroyWindow(window);
}

void Window::RegisterWindowClass(const wchar_t* class_name, HICON icon, HBRUSH background) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExW(GetModuleHandleW(nullptr), class_name, &existing)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = &Window::Procedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hIcon = icon;
  wc.hIconSm = icon;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = class_name;
  RegisterClassExW(&wc);
}

void Window::Create(const wchar_t* class_name, DWORD ex_style, DWORD style,
                    const std::string& caption, int x, int y, int width, int height, HWND owner,
                    HMENU menu) {
  const std::wstring title = platform::Widen(caption);
  HWND created = CreateWindowExW(ex_style, class_name, title.c_str(), style, x, y, width, height,
                                 owner, menu, GetModuleHandleW(nullptr), this);
  if (created == nullptr) throw std::runtime_error("CreateWindowEx failed");
}

LRESULT Window::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT message, WPARAM wparam,
                                   LPARAM lparam) noexcept {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    auto* self = static_cast<Window*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self->OnDestroyed();
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
  try {
    return self->HandleMessage(message, wparam, lparam);
  } catch (...) {
    ShowCurrentError();
  }
  return 0;
}

ErrorBoxHook SetErrorBoxHook(ErrorBoxHook hook) {
  ErrorBoxHook previous = std::move(ErrorHook());
  ErrorHook() = std::move(hook);
  return previous;
}

void ShowErrorBox(const std::string& text) {
  if (ErrorHook()) {
    ErrorHook()(text);
    return;
  }
  const std::wstring wide = platform::Widen(text);
  MessageBoxW(GetActiveWindow(), wide.c_str(), L"Veltrano", MB_OK | MB_ICONERROR);
}

void ShowCurrentError() noexcept {
  try {
    try {
      throw;
    } catch (const std::exception& error) {
      ShowErrorBox(error.what());
    } catch (...) {
      ShowErrorBox("Unknown error");
    }
  } catch (...) {
    // The error box itself failed (out of memory): nothing more can be shown.
  }
}

HICON ApplicationIcon(bool small_icon) {
  const int size = small_icon ? GetSystemMetrics(SM_CXSMICON) : GetSystemMetrics(SM_CXICON);
  HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, size, size,
                           LR_SHARED);
  if (icon != nullptr) return static_cast<HICON>(icon);
  return LoadIconW(nullptr, IDI_APPLICATION);
}

HICON LoadApplicationIcon(int size) {
  using LoadIconWithScaleDownFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
  // Looked up at run time: the import library of the toolchain lacks it, and
  // only version 6 of the common controls (bound by the manifest) has it.
  static const auto scale_down = [] {
    HMODULE comctl32 = GetModuleHandleW(L"comctl32.dll");
    return comctl32 == nullptr ? nullptr
                               : reinterpret_cast<LoadIconWithScaleDownFn>(reinterpret_cast<void*>(
                                     GetProcAddress(comctl32, "LoadIconWithScaleDown")));
  }();
  HICON icon = nullptr;
  if (scale_down != nullptr &&
      SUCCEEDED(scale_down(GetModuleHandleW(nullptr), L"MAINICON", size, size, &icon))) {
    return icon;
  }
  return static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, size, size, 0));
}

}  // namespace ui
