#pragma once
// Window bounds as the settings file keeps them: the normal (not maximised)
// state, in screen coordinates. GetWindowPlacement reports the normal bounds
// of an ordinary window in workspace coordinates, which start at the corner of
// the monitor's work area: with the taskbar at the top or on the left they
// differ from screen coordinates by the taskbar's size, and a window saved
// that way would creep by that much at every start.

#include <windows.h>

#include <vector>

#include "settings/settings.h"

namespace ui {

// A rectangle in the workspace coordinates of a monitor, in screen
// coordinates: moved by the offset of the work area within the monitor.
RECT WorkspaceToScreen(const RECT& workspace, const RECT& monitor, const RECT& work_area);

// The window's normal-state bounds in screen coordinates.
RECT NormalBoundsOnScreen(HWND window);

// Whether the window is maximised, or minimised from the maximised state (it
// comes back maximised): what a restart should show.
bool RestoresMaximized(HWND window);

// Where a window saved at `saved` (screen coordinates) opens, given the work
// areas of the monitors: as saved when at least half of it lies in one of
// them; otherwise moved into the work area nearest to it (and made smaller
// when it is larger), so that a window saved on a monitor that is gone since
// (undocked, unplugged, another arrangement) never opens out of sight.
RECT KeepOnScreen(const RECT& saved, const std::vector<RECT>& work_areas);
// The same with the monitors of this desktop.
RECT KeepOnScreen(const RECT& saved);
// Window bounds in the settings file: Left and Top are screen pixels (the
// desktop's coordinates have no scale of their own), Width and Height are kept
// at 96 DPI, so that a window is as large beside its text on every screen
// and the design size 631 × 396 means the same at 100% and at 200%.
//
// Moves `window` to the saved normal bounds, its size at the DPI of the
// monitor it lands on, kept on screen as above.
void MoveOnScreen(HWND window, const settings::WindowBounds& bounds, bool repaint);
// The window's normal bounds and maximised state as the settings keep them.
settings::WindowBounds SavedBounds(HWND window);

// `r` moved (and made smaller where it is larger) to lie wholly in `work`.
RECT InsideWorkArea(const RECT& r, const RECT& work);
// The work area of the monitor that holds most of `window`, or of the
// primary monitor when `window` is null.
RECT WorkAreaOf(HWND window);

}  // namespace ui
