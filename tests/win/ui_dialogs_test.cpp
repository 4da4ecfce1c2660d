// The dialogs of the main window's commands, opened by their commands, edited
// and closed by window messages as a user would, their effect checked in the
// files and the windows. Each dialog is photographed under
// build/win/screenshots.

#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, whose types it uses
#include <commctrl.h>

#include "platform/files.h"
#include "platform/wide_win.h"
#include "settings/ini_profile.h"
#include "tests/win/ui_dialog_support.h"
#include "tests/win/ui_support.h"
#include "ui/dialogs/set_font_form.h"
#include "ui/dialogs/set_info_form.h"
#include "ui/ja_texts.h"
#include "ui/placement.h"
#include "ui/view_form.h"

namespace uitest {
namespace {

bool Checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

std::string FileText(const std::string& path) {
  std::string text;
  platform::ReadWholeFile(path, text);
  return text;
}

class Dialogs : public SharedMailbox {};

TEST_F(Dialogs, EscCancelsEveryDialogAndWritesNothing) {
  struct Case {
    const char* command;
    const wchar_t* class_name;
  };
  const Case cases[] = {
      {"mFolderSet2", L"TFolderSetForm"}, {"mFolderFont", L"TSetFontForm"},
      {"mMailFont", L"TSetFontForm"},     {"mVersion", L"TAbout"},
      {"mOption", L"TSetInfoForm"},
  };
  fixture.Start();
  const std::string folder_settings = fixture.FolderPath(kInbox) + "\\VLTR.fol";
  for (const Case& c : cases) {
    const std::string before = FileText(fixture.SettingsPath());
    HWND seen = nullptr;
    const std::size_t done = RunWithSteps([&] { fixture.Command(c.command); }, {[&] {
                                            seen = FindThreadWindow(c.class_name);
                                            if (seen == nullptr) return false;
                                            SaveScreenshot(seen, c.command);
                                            PressEscape(seen);
                                            return true;
                                          }});
    EXPECT_EQ(done, 1u) << c.command;
    EXPECT_FALSE(IsWindow(seen)) << c.command;
    EXPECT_EQ(FileText(fixture.SettingsPath()), before) << c.command;
    EXPECT_FALSE(platform::FileExists(folder_settings)) << c.command;
  }
  // The owner is usable again and has the focus back.
  EXPECT_TRUE(IsWindowEnabled(fixture.Main().hwnd()));
  EXPECT_TRUE(IsChild(fixture.Main().hwnd(), GetFocus()));
}

// With the main window mostly off the screen (left and below), a dialog
// still opens wholly inside the monitor's work area.
TEST_F(Dialogs, ADialogOpensWhollyInsideItsOwnersWorkArea) {
  fixture.Start();
  const RECT work = ui::WorkAreaOf(fixture.Main().hwnd());
  MoveWindow(fixture.Main().hwnd(), work.left - 500, work.bottom - 100, 640, 420, TRUE);
  RECT placed{};
  const std::size_t done = RunWithSteps([&] { fixture.Command("mOption"); }, {[&] {
                                          HWND dialog = FindThreadWindow(L"TSetInfoForm");
                                          if (dialog == nullptr) return false;
                                          GetWindowRect(dialog, &placed);
                                          PressEscape(dialog);
                                          return true;
                                        }});
  ASSERT_EQ(done, 1u);
  RECT common{};
  EXPECT_TRUE(IntersectRect(&common, &placed, &work) && EqualRect(&common, &placed))
      << placed.left << "," << placed.top << "," << placed.right << "," << placed.bottom;
}

TEST_F(Dialogs, FolderPropertiesWritesBothKeysAndRefillsOnlyWhenAValueChanged) {
  struct Case {
    const char* reason;
    const char* toggle;  // caption of the check box clicked, or null
    const char* tab_info;
    bool refilled;
  };
  const Case cases[] = {
      {"OK without a change still writes both keys", nullptr, "0", false},
      {"one level display changed: the rows are filled again", ui::ja::kTabCheckBox, "1", true},
  };
  for (const Case& c : cases) {
    fixture.Restore();
    fixture.Start();
    fixture.Main().SelectRow(5, true);
    const std::string folder = fixture.FolderPath(kInbox);
    // The cache is rewritten by every fill of the rows: gone, it shows whether one ran.
    DeleteFileW(platform::Widen(folder + "\\VLTR.ume").c_str());
    std::string caption;
    RunWithSteps([&] { fixture.Command("mFolderSet2"); }, {[&] {
                   HWND dialog = FindThreadWindow(L"TFolderSetForm");
                   if (dialog == nullptr) return false;
                   wchar_t text[256] = {};
                   GetWindowTextW(dialog, text, 256);
                   caption = platform::Narrow(text);
                   if (c.toggle != nullptr)
                     SendMessageW(FindChildByText(dialog, c.toggle), BM_CLICK, 0, 0);
                   PostClick(GetDlgItem(dialog, IDOK));
                   return true;
                 }});
    EXPECT_EQ(caption, std::string(ui::ja::kFolderSetCaptionOpen) +
                           fixture.Main().Folders()[kInbox].Title + ui::ja::kFolderSetCaptionClose)
        << c.reason;
    settings::IniReader written(folder + "\\VLTR.fol");
    EXPECT_EQ(written.ReadString("Property", "TabInfo", "none"), c.tab_info) << c.reason;
    EXPECT_EQ(written.ReadString("Property", "MlStringDelete", "none"), "0") << c.reason;
    EXPECT_EQ(platform::FileExists(folder + "\\VLTR.ume"), c.refilled) << c.reason;
    EXPECT_EQ(fixture.SelectedRow(), 5) << c.reason;
  }
}

TEST_F(Dialogs, OptionsAreReadWhenShownAndWrittenOnOk) {
  struct Case {
    const char* reason;
    const char* settings;  // [Property] lines; null: no settings file at all
    bool nkf_loaded;
    const char* typed_path;
    bool nkf_enabled;
    const char* written_nkf;
    const char* written_path;
  };
  const Case cases[] = {
      {"no settings file: the last mail is the start row; a capital QUENMAR.EXE stays", nullptr,
       true, "C:\\Mail\\QUENMAR.EXE", true, "0", "C:\\Mail\\QUENMAR.EXE"},
      {"no NKF32.DLL: the box is disabled and keeps its value; a path without quenmar.exe is "
       "emptied",
       "ComplNkf=1\r\n", false, "C:\\Mail\\other.exe", false, "1", ""},
      {"a start row no button stands for shows and writes the default", "MailIniPos=7\r\n", true,
       "C:\\Mail\\quenmar.exe", true, "0", "C:\\Mail\\quenmar.exe"},
  };
  for (const Case& c : cases) {
    fixture.Restore();
    if (!c.nkf_loaded) fixture.NkfLibrary = L"NoSuchNkf32.dll";
    fixture.Start();
    if (c.settings == nullptr) {
      DeleteFileW(platform::Widen(fixture.SettingsPath()).c_str());
    } else {
      fixture.Dir().WriteFile("Veltra.ini", std::string("[Property]\r\n") + c.settings);
    }
    bool last_mail = false;
    bool nkf_enabled = false;
    bool nkf_checked = false;
    RunWithSteps([&] { fixture.Command("mOption"); }, {[&] {
                   HWND dialog = FindThreadWindow(L"TSetInfoForm");
                   if (dialog == nullptr) return false;
                   last_mail = Checked(FindChildByText(dialog, ui::ja::kPosLast));
                   HWND nkf = FindChildByText(dialog, ui::ja::kNkfCheckBox);
                   nkf_enabled = IsWindowEnabled(nkf) != FALSE;
                   nkf_checked = Checked(nkf);
                   // The third page, as a click on its tab shows it.
                   HWND pages = GetDlgItem(dialog, ui::TSetInfoForm::kPageControlId);
                   TabCtrl_SetCurSel(pages, 2);
                   NMHDR click{pages, static_cast<UINT_PTR>(ui::TSetInfoForm::kPageControlId),
                               static_cast<UINT>(TCN_SELCHANGE)};
                   SendMessageW(dialog, WM_NOTIFY, click.idFrom, reinterpret_cast<LPARAM>(&click));
                   EXPECT_TRUE(IsWindowVisible(nkf)) << c.reason;
                   SaveScreenshot(dialog, std::string("mOption-other-") + c.written_nkf);
                   SetWindowTextW(FindWindowExW(dialog, nullptr, L"Edit", nullptr),
                                  platform::Widen(c.typed_path).c_str());
                   PostClick(GetDlgItem(dialog, IDOK));
                   return true;
                 }});
    EXPECT_TRUE(last_mail) << c.reason;
    EXPECT_EQ(nkf_enabled, c.nkf_enabled) << c.reason;
    EXPECT_EQ(nkf_checked, std::string(c.written_nkf) == "1") << c.reason;
    settings::IniReader written(fixture.SettingsPath());
    EXPECT_EQ(written.ReadString("Property", "ComplNkf", "none"), c.written_nkf) << c.reason;
    EXPECT_EQ(written.ReadString("Property", "Quenmar32", "none"), c.written_path) << c.reason;
    EXPECT_EQ(written.ReadString("Property", "MailIniPos", "none"), "1") << c.reason;
  }
}

// The client's executable chosen (or typed) in a folder whose name CP932
// cannot hold, and without a short name, is refused with the reason, and the
// box keeps what it had; a path CP932 holds goes into the box as it is.
TEST_F(Dialogs, AClientPathOutsideShiftJisIsRefusedWithItsReason) {
  fixture.Start();
  struct Case {
    const wchar_t* chosen;
    bool taken;
    const char* in_box;
    const char* reason;
  };
  const Case cases[] = {
      {L"C:\\Mail\\quenmar.exe", true, "C:\\Mail\\quenmar.exe", "a Shift-JIS path"},
      {L"C:\\\uBA54\uC77C\\quenmar.exe", false, "C:\\Mail\\quenmar.exe",
       "a Hangul folder with no short name"},
  };
  ui::TSetInfoForm dialog(fixture.Main().hwnd());
  for (const Case& c : cases) {
    fixture.Errors.clear();
    EXPECT_EQ(dialog.TakeClientPath(c.chosen), c.taken) << c.reason;
    EXPECT_EQ(dialog.QuenmarEdit.Text(), c.in_box) << c.reason;
    EXPECT_EQ(fixture.Errors, c.taken ? std::vector<std::string>{}
                                      : std::vector<std::string>{ui::ja::kClientFolderUnusable})
        << c.reason;
  }
}

// The thread list's background chosen through the colour dialog, as a user
// picks it: the list and the unread image's background change at once, and
// the file only at shutdown.
TEST_F(Dialogs, ADarkThreadListBackgroundAlsoDarkensTheUnreadImage) {
  fixture.Start();
  const COLORREF dark = RGB(0, 0, 64);
  const std::size_t done =
      RunWithSteps([&] { fixture.Command("mMailFont"); },
                   {[&] {
                      HWND dialog = FindThreadWindow(L"TSetFontForm");
                      if (dialog == nullptr) return false;
                      PostClick(GetDlgItem(dialog, ui::TSetFontForm::kColorButton2Id));
                      return true;
                    },
                    [&] {
                      HWND colors = FindThreadWindow(L"#32770");
                      if (colors == nullptr) return false;
                      SaveScreenshot(colors, "ColorDialog");
                      SetDlgItemTextW(colors, 706, L"0");  // red, green and blue of the chooser
                      SetDlgItemTextW(colors, 707, L"0");
                      SetDlgItemTextW(colors, 708, L"64");
                      PostClick(GetDlgItem(colors, IDOK));
                      return true;
                    },
                    [&] {
                      if (FindThreadWindow(L"#32770") != nullptr) return false;
                      HWND dialog = FindThreadWindow(L"TSetFontForm");
                      SaveScreenshot(dialog, "mMailFont-dark");
                      PostClick(GetDlgItem(dialog, IDOK));
                      return true;
                    }});
  ASSERT_EQ(done, 3u);
  EXPECT_EQ(ListView_GetBkColor(fixture.Main().ThreadList().ListViewMail().hwnd()), dark);
  EXPECT_EQ(ImageList_GetBkColor(fixture.Main().ThreadList().ImageListMail()), dark);
  settings::IniReader before_close(fixture.SettingsPath());
  EXPECT_EQ(before_close.ReadString("ListView", "BColor", "unwritten"), "unwritten");
  SendMessageW(fixture.Main().hwnd(), WM_CLOSE, 0, 0);
  settings::IniReader after_close(fixture.SettingsPath());
  EXPECT_EQ(after_close.ReadInteger("ListView", "BColor", 0), static_cast<std::int32_t>(dark));
  EXPECT_EQ(after_close.ReadInteger("ListBox", "BColor", 0), settings::kColorWindow);
}

// The viewer's font command shows the link colour and keeps what OK chose.
TEST_F(Dialogs, TheViewerFontDialogShowsTheLinkColourAndKeepsItsChoice) {
  fixture.Start();
  bool link_shown = false;
  RunWithSteps([&] { fixture.Viewer().mFontClick(); },
               {[&] {
                  HWND dialog = FindThreadWindow(L"TSetFontForm");
                  if (dialog == nullptr) return false;
                  link_shown = IsWindowVisible(
                                   GetDlgItem(dialog, ui::TSetFontForm::kColorButton3Id)) != FALSE;
                  SaveScreenshot(dialog, "mFont-viewer");
                  PostClick(GetDlgItem(dialog, ui::TSetFontForm::kColorButton3Id));
                  return true;
                },
                [&] {
                  HWND colors = FindThreadWindow(L"#32770");
                  if (colors == nullptr) return false;
                  SetDlgItemTextW(colors, 706, L"0");
                  SetDlgItemTextW(colors, 707, L"128");
                  SetDlgItemTextW(colors, 708, L"0");
                  PostClick(GetDlgItem(colors, IDOK));
                  return true;
                },
                [&] {
                  if (FindThreadWindow(L"#32770") != nullptr) return false;
                  PostClick(GetDlgItem(FindThreadWindow(L"TSetFontForm"), IDOK));
                  return true;
                }});
  EXPECT_TRUE(link_shown);
  EXPECT_EQ(fixture.Viewer().Settings().LinkColor, static_cast<std::int32_t>(RGB(0, 128, 0)));
}

// A larger thread-list font chosen through the font dialog, as a user picks
// it: the filter box above the list grows to a line of the new font.
TEST_F(Dialogs, TheFilterBoxFollowsTheThreadListFont) {
  fixture.Start();
  const ui::ThreadListPane& threads = fixture.Main().ThreadList();
  const int height_before = threads.FilterBoxHeight();
  const std::size_t done =
      RunWithSteps([&] { fixture.Command("mMailFont"); },
                   {[&] {
                      HWND dialog = FindThreadWindow(L"TSetFontForm");
                      if (dialog == nullptr) return false;
                      PostClick(GetDlgItem(dialog, ui::TSetFontForm::kFontButton1Id));
                      return true;
                    },
                    [&] {
                      HWND fonts = FindThreadWindow(L"#32770");
                      if (fonts == nullptr) return false;
                      constexpr int kSizeBox = 0x472;  // the chooser's size combo box
                      SendDlgItemMessageW(fonts, kSizeBox, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                          reinterpret_cast<LPARAM>(L"28"));
                      SendMessageW(fonts, WM_COMMAND, MAKEWPARAM(kSizeBox, CBN_SELCHANGE),
                                   reinterpret_cast<LPARAM>(GetDlgItem(fonts, kSizeBox)));
                      PostClick(GetDlgItem(fonts, IDOK));
                      return true;
                    },
                    [&] {
                      if (FindThreadWindow(L"#32770") != nullptr) return false;
                      PostClick(GetDlgItem(FindThreadWindow(L"TSetFontForm"), IDOK));
                      return true;
                    }});
  ASSERT_EQ(done, 3u);
  ASSERT_GT(threads.FilterBoxHeight(), height_before) << "the font is larger";
  RECT box{};
  GetWindowRect(threads.FilterBox().hwnd(), &box);
  EXPECT_EQ(box.bottom - box.top, threads.FilterBoxHeight());
}

}  // namespace
}  // namespace uitest
