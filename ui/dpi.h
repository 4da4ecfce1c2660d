#pragma once
// Sizes at the window's display scale. The program is per-monitor DPI aware:
// Windows does not stretch it, so every size it draws with is derived here
// from the DPI of the window it is for. Sizes are designed at 96 DPI (100%)
// and scaled; fonts keep their point sizes. Functions that only newer Windows
// have (GetDpiForWindow: Windows 10 1607) are looked up at run time, with the
// system DPI as the fallback, so the program still starts on older Windows
// and under Wine.

#include <windows.h>

#include <string>

namespace ui {

inline constexpr int kDesignDpi = 96;

// WM_GETDPISCALEDSIZE (Windows 10 1703), which the headers for Windows 7 that
// the program is built with do not name: Windows asks a window for its size
// at another DPI before moving it to a monitor of that scale.
inline constexpr UINT kGetDpiScaledSize = 0x02E4;

// The DPI of `window`; for null, or where the system cannot tell, the
// system's DPI.
int DpiOf(HWND window);
// The system's DPI (the screen device context's).
int SystemDpi();

// A size designed at 96 DPI, at `dpi`; and back (for what the settings file
// keeps at 96 DPI, so that it means the same on every screen).
inline int Scale(int design, int dpi) { return MulDiv(design, dpi, kDesignDpi); }
inline int Unscale(int pixels, int dpi) { return MulDiv(pixels, kDesignDpi, dpi); }

// The side of the small images (list icons) at `dpi`: 16 at 100%, 20, 24,
// 32 at 200%, 48 at 300%, the sizes the program's icons are drawn in.
inline int SmallImageSize(int dpi) { return Scale(16, dpi); }

// A font's character height in pixels (negative, as LOGFONT takes it) for a
// size in points.
inline int PointsToHeight(int points, int dpi) { return -MulDiv(points, dpi, 72); }

// AdjustWindowRectExForDpi where it exists, else AdjustWindowRectEx (which
// measures at the system DPI).
void AdjustWindowRectForDpi(RECT& rect, DWORD style, bool menu, DWORD ex_style, int dpi);

// The rectangle Windows suggests with WM_DPICHANGED taken as the window's new
// bounds.
void TakeSuggestedRect(HWND window, LPARAM suggested);

// A font's text height and average character width (of the Latin letters, as
// dialog base units are measured) in pixels.
SIZE MeasureFont(HFONT font);
// The size of `text` (CP932) drawn in `font`, in pixels.
SIZE MeasureText(HFONT font, const std::string& text);

}  // namespace ui
