#include "ui/placement.h"

#include <vector>

#include "settings/window_place.h"
#include "ui/dpi.h"

namespace ui {
namespace {

settings::ScreenRect ToScreenRect(const RECT& r) {
  return settings::ScreenRect{static_cast<int>(r.left), static_cast<int>(r.top),
                              static_cast<int>(r.right), static_cast<int>(r.bottom)};
}

RECT ToRect(const settings::ScreenRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM areas) noexcept {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(monitor, &info)) {
    reinterpret_cast<std::vector<settings::ScreenRect>*>(areas)->push_back(
        ToScreenRect(info.rcWork));
  }
  return TRUE;
}

// The height of the window's frame and caption above its client area (its
// menu bar not counted) at `dpi`: the strip by which it is dragged.
int CaptionHeight(HWND window, int dpi) {
  RECT frame{};
  AdjustWindowRectForDpi(frame, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), false,
                         static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)), dpi);
  return -frame.top;
}

}  // namespace

RECT WorkspaceToScreen(const RECT& workspace, const RECT& monitor, const RECT& work_area) {
  RECT screen = workspace;
  OffsetRect(&screen, work_area.left - monitor.left, work_area.top - monitor.top);
  return screen;
}

RECT NormalBoundsOnScreen(HWND window) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  GetWindowPlacement(window, &placement);
  // Tool windows get screen coordinates already.
  if ((GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0) {
    return placement.rcNormalPosition;
  }
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) {
    return placement.rcNormalPosition;
  }
  return WorkspaceToScreen(placement.rcNormalPosition, monitor.rcMonitor, monitor.rcWork);
}

bool RestoresMaximized(HWND window) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  if (!GetWindowPlacement(window, &placement)) return IsZoomed(window) != FALSE;
  if (placement.showCmd == SW_SHOWMAXIMIZED) return true;
  return placement.showCmd == SW_SHOWMINIMIZED && (placement.flags & WPF_RESTORETOMAXIMIZED) != 0;
}

void MoveOnScreen(HWND window, const settings::WindowBounds& bounds, bool repaint) {
  // Twice when the move takes the window to a monitor of another scale: the
  // second time at that monitor's DPI.
  for (int pass = 0; pass < 2; ++pass) {
    const int dpi = DpiOf(window);
    const int width = Scale(bounds.Width, dpi);
    const int height = Scale(bounds.Height, dpi);
    const RECT shown = KeepOnScreen(
        window, RECT{bounds.Left, bounds.Top, bounds.Left + width, bounds.Top + height});
    MoveWindow(window, shown.left, shown.top, shown.right - shown.left, shown.bottom - shown.top,
               repaint ? TRUE : FALSE);
    if (DpiOf(window) == dpi) return;
  }
}

settings::WindowBounds SavedBounds(HWND window) {
  const RECT normal = NormalBoundsOnScreen(window);
  const int dpi = DpiOf(window);
  settings::WindowBounds bounds;
  bounds.Left = normal.left;
  bounds.Top = normal.top;
  bounds.Width = Unscale(normal.right - normal.left, dpi);
  bounds.Height = Unscale(normal.bottom - normal.top, dpi);
  bounds.bMaximize = RestoresMaximized(window) ? 1 : 0;
  return bounds;
}

RECT InsideWorkArea(const RECT& r, const RECT& work) {
  return ToRect(settings::InsideArea(ToScreenRect(r), ToScreenRect(work)));
}

RECT WorkAreaOf(HWND window) {
  HMONITOR monitor = window != nullptr ? MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)
                                       : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) {
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  return info.rcWork;
}

RECT KeepOnScreen(HWND window, const RECT& bounds) {
  std::vector<settings::ScreenRect> areas;
  EnumDisplayMonitors(nullptr, nullptr, &AddWorkArea, reinterpret_cast<LPARAM>(&areas));
  return ToRect(
      settings::KeepOnScreen(ToScreenRect(bounds), areas, CaptionHeight(window, DpiOf(window))));
}

void KeepWindowOnScreen(HWND window) {
  if (IsZoomed(window)) return;
  RECT bounds{};
  GetWindowRect(window, &bounds);
  const RECT shown = KeepOnScreen(window, bounds);
  if (EqualRect(&shown, &bounds)) return;
  SetWindowPos(window, nullptr, shown.left, shown.top, shown.right - shown.left,
               shown.bottom - shown.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace ui
