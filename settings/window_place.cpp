#include "settings/window_place.h"

#include <algorithm>

namespace settings {
namespace {

long long Area(const ScreenRect& r) {
  return static_cast<long long>(std::max(0, r.Width())) * std::max(0, r.Height());
}

ScreenRect Intersection(const ScreenRect& a, const ScreenRect& b) {
  return ScreenRect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                    std::min(a.bottom, b.bottom)};
}

// The squared distance from a point to the nearest point of `r`.
long long DistanceSquared(long long x, long long y, const ScreenRect& r) {
  const long long dx = x < r.left ? r.left - x : x > r.right ? x - r.right : 0;
  const long long dy = y < r.top ? r.top - y : y > r.bottom ? y - r.bottom : 0;
  return dx * dx + dy * dy;
}

bool HalfIn(const ScreenRect& window, const ScreenRect& area) {
  return 2 * Area(Intersection(window, area)) >= Area(window);
}

bool CaptionIn(const ScreenRect& window, const ScreenRect& area, int caption_height) {
  const int height = std::min(caption_height, window.Height());
  const ScreenRect strip{window.left, window.top, window.right, window.top + height};
  const ScreenRect common = Intersection(strip, area);
  return common.Height() == height && 2 * common.Width() >= window.Width();
}

}  // namespace

ScreenRect InsideArea(const ScreenRect& r, const ScreenRect& area) {
  const int width = std::min(r.Width(), area.Width());
  const int height = std::min(r.Height(), area.Height());
  const int left = std::clamp(r.left, area.left, area.right - width);
  const int top = std::clamp(r.top, area.top, area.bottom - height);
  return ScreenRect{left, top, left + width, top + height};
}

ScreenRect KeepOnScreen(const ScreenRect& window, const std::vector<ScreenRect>& work_areas,
                        int caption_height) {
  if (work_areas.empty()) return window;
  const auto half_in = [&](const ScreenRect& area) { return HalfIn(window, area); };
  const auto caption_in = [&](const ScreenRect& area) {
    return CaptionIn(window, area, caption_height);
  };
  if (std::any_of(work_areas.begin(), work_areas.end(), half_in) &&
      std::any_of(work_areas.begin(), work_areas.end(), caption_in)) {
    return window;
  }
  const long long x = window.left + window.Width() / 2;
  const long long y = window.top + window.Height() / 2;
  const ScreenRect& nearest = *std::min_element(
      work_areas.begin(), work_areas.end(), [&](const ScreenRect& a, const ScreenRect& b) {
        return DistanceSquared(x, y, a) < DistanceSquared(x, y, b);
      });
  return InsideArea(window, nearest);
}

}  // namespace settings
