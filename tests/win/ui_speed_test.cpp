// Speed figures of the windows on large folders. These take minutes (the
// generator writes 100,000 message files), so they are disabled in the normal
// run; run them with --gtest_also_run_disabled_tests --gtest_filter=UiSpeed.*
// They print the figures and check them against the targets.

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/win/ui_support.h"
#include "ui/commands.h"

namespace uitest {
namespace {

constexpr std::uint32_t kBigFolderMessages = 100000;

TEST(UiSpeed, DISABLED_OpeningAHundredThousandMessageFolderAndScrollingIt) {
  MailboxOptions options;
  options.big_folder_messages = kBigFolderMessages;
  DWORD tick = GetTickCount();
  UiFixture fixture(options);
  std::printf("[   TIME   ] generating the mailbox: %lu ms\n", GetTickCount() - tick);
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  tick = GetTickCount();
  fixture.SelectFolderWithKeys(kBigFolder);  // no cache yet: full build
  ASSERT_EQ(fixture.RowCount(), static_cast<int>(kBigFolderMessages));
  std::printf("[   TIME   ] full build of %u messages (including the 400 ms delay): %lu ms\n",
              kBigFolderMessages, GetTickCount() - tick);
  // Leave and come back: the folder opens through its current cache.
  fixture.SelectFolderWithKeys(kBigFolder - 1);
  main.ListBoxF.Select(kBigFolder);
  tick = GetTickCount();
  SendMessageW(main.hwnd(), WM_COMMAND, MAKEWPARAM(ui::TVtFormMain::kListBoxFId, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(main.ListBoxF.hwnd()));
  SendMessageW(main.hwnd(), WM_TIMER, ui::TVtFormMain::kTimerKeyWaitId, 0);  // the delay's end
  UpdateWindow(main.ListViewMail.hwnd());
  const DWORD open_ms = GetTickCount() - tick;
  ASSERT_EQ(fixture.RowCount(), static_cast<int>(kBigFolderMessages));
  std::printf("[   TIME   ] opening %u messages with a current cache: %lu ms\n",
              kBigFolderMessages, open_ms);
  EXPECT_LT(open_ms, 1500u);
  // Keyboard scrolling: Down and Page Down from the top, each key handled and
  // painted before the next.
  main.SelectRow(0, true);
  HWND list = main.ListViewMail.hwnd();
  SetFocus(list);
  tick = GetTickCount();
  constexpr int kKeys = 300;
  for (int i = 0; i < kKeys; ++i) {
    SendMessageW(list, WM_KEYDOWN, i % 3 == 0 ? VK_NEXT : VK_DOWN, 1);
    UpdateWindow(list);
  }
  const DWORD scroll_ms = GetTickCount() - tick;
  std::printf("[   TIME   ] %d scrolling keys over %u rows: %lu ms (%.2f ms per key)\n", kKeys,
              kBigFolderMessages, scroll_ms, static_cast<double>(scroll_ms) / kKeys);
  EXPECT_GT(fixture.SelectedRow(), kKeys);
  EXPECT_LT(static_cast<double>(scroll_ms) / kKeys, 16.0);  // one frame per key
}

}  // namespace
}  // namespace uitest
