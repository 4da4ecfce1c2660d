// Where a window opens or shows again, for arrangements of monitors the test
// machine does not have.

#include "settings/window_place.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace settings {

// For the failure messages (found by the test framework beside the type).
void PrintTo(const ScreenRect& r, std::ostream* out) {
  *out << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}

namespace {

TEST(KeepOnScreen, AWindowOutOfReachComesIntoTheNearestWorkArea) {
  constexpr int kCaption = 30;
  // Two monitors side by side, the first with its taskbar at the bottom.
  const std::vector<ScreenRect> two = {{0, 0, 1280, 984}, {1280, 0, 2560, 1024}};
  // The taskbar at the top.
  const std::vector<ScreenRect> top_bar = {{0, 40, 1280, 1024}};
  // One monitor above the other.
  const std::vector<ScreenRect> stacked = {{0, -1024, 1280, 0}, {0, 0, 1280, 984}};
  // A lower monitor beside a taller one, their tops 200 pixels apart.
  const std::vector<ScreenRect> uneven = {{0, 0, 1280, 1024}, {1280, 200, 2560, 920}};
  struct Case {
    const char* reason;
    const std::vector<ScreenRect>& areas;
    ScreenRect window;
    ScreenRect shown;
  };
  const Case cases[] = {
      {"on the first monitor: as it is", two, {100, 100, 740, 520}, {100, 100, 740, 520}},
      {"across both, half on one: as it is", two, {960, 100, 1600, 520}, {960, 100, 1600, 520}},
      {"half its width off the left edge: as it is",
       two,
       {-320, 100, 320, 520},
       {-320, 100, 320, 520}},
      {"mostly below the taskbar: moved up", two, {100, 900, 740, 1320}, {100, 564, 740, 984}},
      {"far right and down, a monitor gone: into the second one's corner",
       two,
       {5000, 5000, 5640, 5420},
       {1920, 604, 2560, 1024}},
      {"far left and up: into the first one's corner",
       two,
       {-3000, -3000, -2360, -2580},
       {0, 0, 640, 420}},
      {"larger than any work area: made to fit the one under its centre",
       two,
       {-100, -100, 3000, 2000},
       {1280, 0, 2560, 1024}},
      {"caption above the screen, the rest on it: moved down and made to fit",
       two,
       {100, -20, 740, 1000},
       {100, 0, 740, 984}},
      {"caption under a taskbar at the top: moved below it",
       top_bar,
       {100, 0, 740, 420},
       {100, 40, 740, 460}},
      {"caption on the upper monitor, the rest on the lower: as it is",
       stacked,
       {100, -50, 740, 370},
       {100, -50, 740, 370}},
      {"caption beside the lower monitor, above its top: moved down onto it",
       uneven,
       {1400, 100, 2000, 500},
       {1400, 200, 2000, 600}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KeepOnScreen(c.window, c.areas, kCaption), c.shown) << c.reason;
  }
  EXPECT_EQ(KeepOnScreen({-9000, -9000, -8000, -8000}, {}, kCaption),
            (ScreenRect{-9000, -9000, -8000, -8000}))
      << "no work area known: left alone";
}

}  // namespace
}  // namespace settings
