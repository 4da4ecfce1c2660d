#pragma once
// Where a window opens or shows again, as a rule on rectangles in screen
// pixels, so that it can be checked for any arrangement of monitors without
// having them. The window code passes the work areas of the monitors (the
// screen less the taskbar) and the height of the window's caption strip.

#include <vector>

namespace settings {

struct ScreenRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const ScreenRect&) const = default;
};

// `r` moved (and made smaller where it is larger) to lie wholly in `area`.
ScreenRect InsideArea(const ScreenRect& r, const ScreenRect& area);

// Where `window` is shown, given the work areas: where it is when at least
// half of it lies in one work area and its caption strip (its top
// `caption_height` pixels, by which it is dragged) lies in one, whole in
// height over at least half its width. Otherwise it is moved into the work
// area nearest to its centre (and made smaller when it is larger), so that a
// window saved on a monitor that is gone (undocked, unplugged, another
// arrangement), or one whose caption is above every monitor, never stays out
// of reach. With no work area it stays where it is.
ScreenRect KeepOnScreen(const ScreenRect& window, const std::vector<ScreenRect>& work_areas,
                        int caption_height);

}  // namespace settings
