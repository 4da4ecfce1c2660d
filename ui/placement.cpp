#include "ui/placement.h"

#include <algorithm>

#include "ui/dpi.h"

namespace ui {
namespace {

long long Area(const RECT& r) {
  return static_cast<long long>(std::max(0L, static_cast<long>(r.right - r.left))) *
         std::max(0L, static_cast<long>(r.bottom - r.top));
}

// The squared distance from `point` to the nearest point of `r`.
long long DistanceSquared(POINT point, const RECT& r) {
  const long long dx = point.x < r.left    ? r.left - point.x
                       : point.x > r.right ? point.x - r.right
                                           : 0;
  const long long dy = point.y < r.top      ? r.top - point.y
                       : point.y > r.bottom ? point.y - r.bottom
                                            : 0;
  return dx * dx + dy * dy;
}

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM areas) noexcept {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(monitor, &info)) {
    reinterpret_cast<std::vector<RECT>*>(areas)->push_back(info.rcWork);
  }
  return TRUE;
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

RECT KeepOnScreen(const RECT& saved, const std::vector<RECT>& work_areas) {
  if (work_areas.empty()) return saved;
  for (const RECT& work : work_areas) {
    RECT common{};
    if (IntersectRect(&common, &saved, &work) && 2 * Area(common) >= Area(saved)) return saved;
  }
  const POINT center{saved.left + (saved.right - saved.left) / 2,
                     saved.top + (saved.bottom - saved.top) / 2};
  const RECT& work =
      *std::min_element(work_areas.begin(), work_areas.end(), [&](const RECT& a, const RECT& b) {
        return DistanceSquared(center, a) < DistanceSquared(center, b);
      });
  return InsideWorkArea(saved, work);
}

void MoveOnScreen(HWND window, const settings::WindowBounds& bounds, bool repaint) {
  // Twice when the move takes the window to a monitor of another scale: the
  // second time at that monitor's DPI.
  for (int pass = 0; pass < 2; ++pass) {
    const int dpi = DpiOf(window);
    const int width = Scale(bounds.Width, dpi);
    const int height = Scale(bounds.Height, dpi);
    const RECT shown =
        KeepOnScreen(RECT{bounds.Left, bounds.Top, bounds.Left + width, bounds.Top + height});
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
  const LONG width = std::min(r.right - r.left, work.right - work.left);
  const LONG height = std::min(r.bottom - r.top, work.bottom - work.top);
  const LONG left = std::clamp(r.left, work.left, work.right - width);
  const LONG top = std::clamp(r.top, work.top, work.bottom - height);
  return RECT{left, top, left + width, top + height};
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

RECT KeepOnScreen(const RECT& saved) {
  std::vector<RECT> areas;
  EnumDisplayMonitors(nullptr, nullptr, &AddWorkArea, reinterpret_cast<LPARAM>(&areas));
  return KeepOnScreen(saved, areas);
}

}  // namespace ui
