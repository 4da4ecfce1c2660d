#include "ui/placement.h"

namespace ui {

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

}  // namespace ui
