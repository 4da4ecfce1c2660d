// Keyboard scrolling speed of the thread list. Disabled in the normal run; run
// it with --gtest_also_run_disabled_tests --gtest_filter=UiSpeed.*
// The start-up and folder-open figures are measured by scripts/bench-wine.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "tests/win/ui_support.h"

namespace uitest {
namespace {

constexpr std::uint32_t kBigFolderMessages = 100000;
constexpr int kScrollKeys = 300;

// Down and Page Down from the top, each key handled and painted before the
// next; returns milliseconds per key.
double ScrollMsPerKey(UiFixture& fixture) {
  ui::TVtFormMain& main = fixture.Main();
  main.SelectRow(0, true);
  HWND list = main.ThreadList().ListViewMail().hwnd();
  SetFocus(list);
  UpdateWindow(list);
  const DWORD tick = GetTickCount();
  for (int i = 0; i < kScrollKeys; ++i) {
    SendMessageW(list, WM_KEYDOWN, i % 3 == 0 ? VK_NEXT : VK_DOWN, 1);
    UpdateWindow(list);
  }
  return static_cast<double>(GetTickCount() - tick) / kScrollKeys;
}

MailboxOptions SpeedMailbox() {
  MailboxOptions options;
  options.messages_per_folder = 1000;
  options.big_folder_messages = kBigFolderMessages;
  if (const char* dir = std::getenv("VELTRANO_SPEED_MAILBOX")) options.existing_mailbox = dir;
  return options;
}

TEST(UiSpeed, DISABLED_ScrollingAHundredThousandMessageFolder) {
  UiFixture fixture(SpeedMailbox());
  fixture.Start();
  fixture.SelectFolderWithKeys(kBigFolder);
  ASSERT_EQ(fixture.RowCount(), static_cast<int>(kBigFolderMessages));
  const double per_key = ScrollMsPerKey(fixture);
  std::printf("[   TIME   ] scrolling %u rows by keyboard: %.2f ms per key\n", kBigFolderMessages,
              per_key);
  EXPECT_GT(fixture.SelectedRow(), kScrollKeys);
  EXPECT_LT(per_key, 16.0);  // one frame per key
}

// The same keys over a small folder, for comparison: the cost of a key that
// does not depend on the folder's size.
TEST(UiSpeed, DISABLED_ScrollingASmallFolderForComparison) {
  MailboxOptions options;
  options.messages_per_folder = 1000;
  UiFixture fixture(options);
  fixture.Start();
  const double per_key = ScrollMsPerKey(fixture);
  std::printf("[   TIME   ] scrolling 1000 rows by keyboard: %.2f ms per key\n", per_key);
  EXPECT_LT(per_key, 16.0);
}

}  // namespace
}  // namespace uitest
