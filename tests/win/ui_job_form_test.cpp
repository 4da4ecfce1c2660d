// The progress dialog: its window, and the cancel protocol during a real
// load of a large folder.

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/wide_win.h"
#include "tests/win/ui_support.h"
#include "ui/commands.h"
#include "ui/dialogs/job_form.h"
#include "ui/dpi.h"

namespace uitest {
namespace {

TEST(JobForm, IsATopMostModelessWindowWithoutSystemMenu) {
  HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 100, 100, 10, 10, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  {
    ui::TVtJobForm form(owner);
    form.FormShow();
    Settle();
    wchar_t class_name[64] = {};
    GetClassNameW(form.hwnd(), class_name, 64);
    EXPECT_STREQ(class_name, L"TVtJobForm");
    const LONG style = GetWindowLongW(form.hwnd(), GWL_STYLE);
    const LONG ex_style = GetWindowLongW(form.hwnd(), GWL_EXSTYLE);
    EXPECT_EQ(style & WS_SYSMENU, 0);
    EXPECT_NE(ex_style & WS_EX_TOPMOST, 0);
    EXPECT_TRUE(IsWindowEnabled(owner));  // modeless: the owner stays usable
    // Beside the owner: down and right of its corner by the same step.
    RECT frame{};
    GetWindowRect(form.hwnd(), &frame);
    RECT owner_frame{};
    GetWindowRect(owner, &owner_frame);
    EXPECT_GT(frame.left, owner_frame.left);
    EXPECT_EQ(frame.left - owner_frame.left, frame.top - owner_frame.top);
    RECT client{};
    GetClientRect(form.hwnd(), &client);
    // The design's 390 × 101, scaled by the dialog font's measured cell.
    const SIZE cell = ui::MeasureFont(form.DialogFont());
    EXPECT_EQ(client.right, MulDiv(390, cell.cx, ui::Dialog::kDesignBase.cx));
    EXPECT_EQ(client.bottom, MulDiv(101, cell.cy, ui::Dialog::kDesignBase.cy));
    wchar_t caption[64] = {};
    GetWindowTextW(form.hwnd(), caption, 64);
    EXPECT_EQ(platform::Narrow(caption), "\x83X\x83\x8C\x83\x62\x83h\x89\xF0\x90\xCD\x92\x86");  // スレッド解析中
    // WM_CLOSE (Alt+F4) does not close it.
    SendMessageW(form.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(form.hwnd()));
  }
  DestroyWindow(owner);
}

TEST(JobForm, CancelAndEscOnTheButtonSetTheFlagAndShowingClearsIt) {
  ui::TVtJobForm form(nullptr);
  form.FormShow();
  EXPECT_FALSE(form.CancelRequested());
  SendMessageW(form.CancelButton.hwnd(), BM_CLICK, 0, 0);
  EXPECT_TRUE(form.CancelRequested());
  form.FormShow();
  EXPECT_FALSE(form.CancelRequested());
  SendMessageW(form.CancelButton.hwnd(), WM_CHAR, 27, 1);
  EXPECT_TRUE(form.CancelRequested());
  form.FormShow();
  form.EnableCancel(false);
  EXPECT_FALSE(form.CancelButton.Enabled());
}

TEST(JobForm, TheLoaderWritesPhaseTextSubjectAndBar) {
  ui::TVtJobForm form(nullptr);
  form.SetTitle("Log\x83t\x83@\x83\x43\x83\x8B");  // Logファイル
  form.SetMailTitle("subject");
  form.SetRange(0, 10);
  form.SetPosition(2);
  form.Step();
  form.Step();
  EXPECT_EQ(form.ProgressBar.Position(), 0);  // the controls follow at the next flush
  form.Flush();
  EXPECT_EQ(form.TitleLabel.Text(), "Log\x83t\x83@\x83\x43\x83\x8B");
  EXPECT_EQ(form.MailTitleLabel.Text(), "subject");
  EXPECT_EQ(form.ProgressBar.Position(), 4);
  EXPECT_EQ(form.ProgressBar.Maximum(), 10);
}

// A load of a large folder stopped halfway, by Cancel in the progress dialog
// or by another folder chosen meanwhile, writes nothing to the folder's cache
// and leaves the window ready for the next load.
TEST(CancelledLoad, AStoppedLoadLeavesTheCacheUntouchedAndTheNextLoadWorks) {
  enum class Stop { kCancelButton, kOtherFolder };
  const struct Case {
    const char* reason;
    Stop stop;
  } cases[] = {
      {"Cancel clicked in the progress dialog: the list is left empty", Stop::kCancelButton},
      {"another folder chosen: that folder opens instead", Stop::kOtherFolder},
  };
  MailboxOptions options;
  options.big_folder_messages = 1500;
  UiFixture fixture(options);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    fixture.Start();
    ui::TVtFormMain& main = fixture.Main();
    // An unusable (empty) cache: opening the folder builds it in full.
    const std::string cache = fixture.FolderPath(kBigFolder) + "\\VLTR.ume";
    ASSERT_TRUE(platform::TruncateFile(cache));
    HWND list = main.FolderList().ListBoxF().hwnd();
    const auto choose = [&](int folder) {
      main.FolderList().ListBoxF().Select(folder);
      SendMessageW(main.hwnd(), WM_COMMAND, MAKEWPARAM(ui::TVtFormMain::kListBoxFId, LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(list));
    };
    bool saw_dialog = false;
    DuringPump stopper([&] {
      ui::TVtJobForm* form = main.JobForm();
      if (form == nullptr) return false;
      saw_dialog = IsWindowVisible(form->hwnd()) != FALSE;
      if (c.stop == Stop::kCancelButton) {
        SendMessageW(form->CancelButton.hwnd(), BM_CLICK, 0, 0);
      } else {
        choose(kBigFolder + 1);
      }
      return true;
    });
    choose(kBigFolder);
    ASSERT_TRUE(PumpUntil(
        [&] { return stopper.Done() && !main.Loading() && !main.TimerKeyWaitRunning(); }, 20000));
    EXPECT_TRUE(saw_dialog);
    std::string bytes = "unread";
    ASSERT_TRUE(platform::ReadWholeFile(cache, bytes));
    EXPECT_TRUE(bytes.empty()) << "the stopped load wrote " << bytes.size() << " bytes of cache";
    if (c.stop == Stop::kCancelButton) {
      EXPECT_EQ(fixture.RowCount(), 0);
      EXPECT_EQ(main.CurrentFolderIndex(), -1);
      EXPECT_EQ(main.JobForm(), nullptr);
      // The next load starts with the flag clear and runs to the end.
      fixture.Command("mRetry1");
      EXPECT_EQ(fixture.RowCount(), 1500);
      EXPECT_EQ(main.CurrentFolderIndex(), kBigFolder);
    } else {
      ASSERT_TRUE(fixture.WaitForFolder(kBigFolder + 1, 20000));
      EXPECT_EQ(fixture.RowCount(), 30);
      const std::vector<int>& opened = main.OpenedFolders();
      ASSERT_GE(opened.size(), 2u);
      EXPECT_EQ(opened[opened.size() - 2], kBigFolder);
      EXPECT_EQ(opened.back(), kBigFolder + 1);
    }
    fixture.Stop();
  }
}

}  // namespace
}  // namespace uitest
