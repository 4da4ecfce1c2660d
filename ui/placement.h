#pragma once
// Window bounds as the settings file keeps them: the normal (not maximised)
// state, in screen coordinates. GetWindowPlacement reports the normal bounds
// of an ordinary window in workspace coordinates, which start at the corner of
// the monitor's work area: with the taskbar at the top or on the left they
// differ from screen coordinates by the taskbar's size, and a window saved
// that way would creep by that much at every start.

#include <windows.h>

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

// Where `window` (bounds in screen coordinates) may show on the monitors of
// this desktop, by settings::KeepOnScreen: moved into reach when less than
// half of it, or not its caption strip, is in a work area.
RECT KeepOnScreen(HWND window, const RECT& bounds);
// Moves a window that is out of reach (see above) into it; a maximised one
// is left to the system.
void KeepWindowOnScreen(HWND window);
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
