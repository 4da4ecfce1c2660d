#pragma once
// Window bounds as the settings file keeps them: the normal (not maximised)
// state, in screen coordinates. GetWindowPlacement reports the normal bounds
// of an ordinary window in workspace coordinates, which start at the corner of
// the monitor's work area: with the taskbar at the top or on the left they
// differ from screen coordinates by the taskbar's size, and a window saved
// that way would creep by that much at every start.

#include <windows.h>

namespace ui {

// A rectangle in the workspace coordinates of a monitor, in screen
// coordinates: moved by the offset of the work area within the monitor.
RECT WorkspaceToScreen(const RECT& workspace, const RECT& monitor, const RECT& work_area);

// The window's normal-state bounds in screen coordinates.
RECT NormalBoundsOnScreen(HWND window);

}  // namespace ui
