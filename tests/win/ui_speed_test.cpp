// Speed figures of the windows on large folders. Writing 100,000 message
// files takes minutes, so these are disabled in the normal run; run them with
//   --gtest_also_run_disabled_tests --gtest_filter=UiSpeed.*
// With VELTRANO_SPEED_MAILBOX naming a mailbox made beforehand by
//   veltrano-mkmailbox --big-folder-messages 100000 --messages-per-folder 1000 DIR
// (DIR\Mailbox) that mailbox is used instead of generating one. They print
// the figures and check them against the targets.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "tests/win/ui_support.h"
#include "ui/commands.h"

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

TEST(UiSpeed, DISABLED_StartUpToAFilledFirstFolderOfAThousandMessages) {
  UiFixture fixture(SpeedMailbox());
  for (const char* run : {"first start", "start with a current cache"}) {
    const DWORD tick = GetTickCount();
    fixture.Start();
    const DWORD elapsed = GetTickCount() - tick;
    ASSERT_EQ(fixture.RowCount(), 1000);
    std::printf("[   TIME   ] %s: windows to a filled folder of 1000 messages: %lu ms\n", run, elapsed);
    EXPECT_LT(elapsed, 2000u);
    fixture.Stop();
  }
}

TEST(UiSpeed, DISABLED_OpeningAHundredThousandMessageFolderAndScrollingIt) {
  DWORD tick = GetTickCount();
  UiFixture fixture(SpeedMailbox());
  std::printf("[   TIME   ] generating the mailbox: %lu ms\n", GetTickCount() - tick);
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  tick = GetTickCount();
  fixture.SelectFolderWithKeys(kBigFolder);  // a full build, or the cache of an earlier run
  ASSERT_EQ(fixture.RowCount(), static_cast<int>(kBigFolderMessages));
  std::printf("[   TIME   ] first open of %u messages (including the 400 ms delay): %lu ms\n",
              kBigFolderMessages, GetTickCount() - tick);
  // Leave and come back: the folder opens through its current cache.
  fixture.SelectFolderWithKeys(kBigFolder - 1);
  main.FolderList().ListBoxF().Select(kBigFolder);
  tick = GetTickCount();
  SendMessageW(main.hwnd(), WM_COMMAND, MAKEWPARAM(ui::TVtFormMain::kListBoxFId, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(main.FolderList().ListBoxF().hwnd()));
  SendMessageW(main.hwnd(), WM_TIMER, ui::TVtFormMain::kTimerKeyWaitId, 0);  // the delay's end
  UpdateWindow(main.ThreadList().ListViewMail().hwnd());
  const DWORD open_ms = GetTickCount() - tick;
  ASSERT_EQ(fixture.RowCount(), static_cast<int>(kBigFolderMessages));
  std::printf("[   TIME   ] opening %u messages with a current cache: %lu ms\n",
              kBigFolderMessages, open_ms);
  EXPECT_LT(open_ms, 1500u);
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
