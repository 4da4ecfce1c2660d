// The windows at the display scale they run at. scripts/test runs the
// DisplayScale tests once in the ordinary run (96 DPI) and again in a prefix
// set to 144 and to 192 DPI, naming the DPI in VELTRANO_TEST_DPI; each run
// prints its metrics and saves screenshots named after its DPI.

#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, whose types they use
#include <commctrl.h>
#include <imm.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/wide_win.h"
#include "settings/ini_profile.h"
#include "tests/win/ui_dialog_support.h"
#include "tests/win/ui_support.h"
#include "ui/dialogs/set_info_form.h"
#include "ui/dpi.h"
#include "ui/ja_texts.h"
#include "ui/main_commands.h"
#include "ui/view_commands.h"

namespace uitest {
namespace {

int WindowDpi(HWND window) {
  const int dpi = ui::DpiOf(window);
  // The run that set the prefix's DPI names it: the program must see it.
  if (const char* expected = std::getenv("VELTRANO_TEST_DPI")) {
    EXPECT_EQ(dpi, std::atoi(expected)) << "the program does not run at the prefix's DPI";
  }
  return dpi;
}

int Height(const RECT& r) { return r.bottom - r.top; }
int Width(const RECT& r) { return r.right - r.left; }

HFONT FontOf(HWND control) {
  return reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
}

int TextHeight(HWND control) { return ui::MeasureFont(FontOf(control)).cy; }

std::string Suffix(int dpi) { return "-" + std::to_string(dpi) + "dpi"; }

// The side of the window's icon (ICON_SMALL or ICON_BIG), 0 when it has none.
int IconSide(HWND window, WPARAM which) {
  auto icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, which, 0));
  ICONINFO info{};
  if (icon == nullptr || !GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap{};
  GetObjectW(info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

// The sides the small and the large icon have at `dpi` (the system metrics
// are at the system's).
SIZE IconSidesAt(int dpi) {
  return SIZE{MulDiv(GetSystemMetrics(SM_CXSMICON), dpi, ui::SystemDpi()),
              MulDiv(GetSystemMetrics(SM_CXICON), dpi, ui::SystemDpi())};
}

class DisplayScale : public SharedMailbox {};

// The main window with the viewer open: every size follows the DPI, and the
// widths the settings file keeps are written back at 96 DPI.
TEST_F(DisplayScale, TheMainWindowAndTheViewerScaleWithTheDpi) {
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  const int dpi = WindowDpi(main.hwnd());
  auto scaled = [dpi](int design) { return ui::Scale(design, dpi); };

  RECT window{};
  GetWindowRect(main.hwnd(), &window);
  EXPECT_EQ(Width(window), scaled(631));
  EXPECT_EQ(Height(window), scaled(396));

  HWND status = GetDlgItem(main.hwnd(), ui::TVtFormMain::kStatusBarId);
  RECT status_rect{};
  GetWindowRect(status, &status_rect);
  const int status_text = TextHeight(status);
  // Its text whole with a margin, and as high as the design's 19 at 100%.
  EXPECT_GE(Height(status_rect), status_text + 4);
  EXPECT_GE(Height(status_rect), scaled(19));
  EXPECT_LE(Height(status_rect), scaled(19) + status_text);

  HWND folders = main.FolderList().ListBoxF().hwnd();
  const int folder_row = static_cast<int>(SendMessageW(folders, LB_GETITEMHEIGHT, 0, 0));
  const int folder_text = TextHeight(folders);
  int image_width = 0;
  int image_height = 0;
  ImageList_GetIconSize(main.FolderList().ImageListFolder(), &image_width, &image_height);
  EXPECT_EQ(image_height, ui::SmallImageSize(dpi));
  EXPECT_GE(folder_row, std::max(folder_text, image_height) + scaled(4) - 1)
      << "rows overlap: the row is lower than its text or image";
  RECT folder_list{};
  GetWindowRect(folders, &folder_list);
  EXPECT_NEAR(Width(folder_list), scaled(150), 1);

  HWND view = main.ThreadList().ListViewMail().hwnd();
  RECT row{};
  ASSERT_TRUE(ListView_GetItemRect(view, 0, &row, LVIR_BOUNDS));
  ImageList_GetIconSize(main.ThreadList().ImageListMail(), &image_width, &image_height);
  EXPECT_EQ(image_height, ui::SmallImageSize(dpi));
  EXPECT_GE(Height(row), std::max(TextHeight(view), image_height));
  EXPECT_NEAR(main.ThreadList().Column1(), scaled(333), 1);

  // The viewer, open beside the main window, in its font at this DPI.
  Open(fixture, fixture.SelectedRow());
  ui::TViewForm& viewer = fixture.Viewer();
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(viewer.hwnd()) != FALSE; }, 5000));
  const int view_text = TextHeight(viewer.BigView());
  EXPECT_NEAR(view_text, -ui::PointsToHeight(10, dpi), scaled(4));
  SetWindowPos(main.hwnd(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SetWindowPos(viewer.hwnd(), HWND_TOP, scaled(180), scaled(220), 0, 0, SWP_NOSIZE);
  for (HWND painted : {main.hwnd(), viewer.hwnd()}) {
    RedrawWindow(painted, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  SaveScreenshot(GetDesktopWindow(), "main-and-viewer" + Suffix(dpi));

  std::printf(
      "[ metrics  ] dpi %d: window %dx%d, status bar %d (text %d), folder row %d (text %d, "
      "image %d), thread row %d (text %d), column1 %d, folder list %d, viewer text %d\n",
      dpi, Width(window), Height(window), Height(status_rect), status_text, folder_row, folder_text,
      image_height, Height(row), TextHeight(view), main.ThreadList().Column1(), Width(folder_list),
      view_text);

  main.SaveAllSettings();
  const settings::IniReader saved(fixture.SettingsPath());
  EXPECT_EQ(saved.ReadInteger("ListView", "Column1", 0), 333);
  EXPECT_EQ(saved.ReadInteger("ListBox", "Width", 0), 150);
  EXPECT_EQ(saved.ReadInteger("MainWindow", "Width", 0), 631);
  EXPECT_EQ(saved.ReadInteger("MainWindow", "Height", 0), 396);
}

// Moved to a monitor of twice the scale (WM_DPICHANGED, as Windows sends it):
// the window takes the suggested bounds, and its fonts, rows, images and
// widths follow the new DPI.
TEST_F(DisplayScale, AMoveToAMonitorOfAnotherScaleLaysTheWindowOutAgain) {
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  const int old_dpi = ui::DpiOf(main.hwnd());
  const int dpi = old_dpi * 2;
  RECT before{};
  GetWindowRect(main.hwnd(), &before);
  const int column1 = main.ThreadList().Column1();
  HWND folders = main.FolderList().ListBoxF().hwnd();
  RECT list_before{};
  GetWindowRect(folders, &list_before);
  const int text_before = TextHeight(folders);
  // Within the screen (Wine keeps a window inside it).
  RECT suggested{10, 20, 10 + std::min(2 * Width(before), GetSystemMetrics(SM_CXSCREEN) - 20),
                 20 + std::min(2 * Height(before), GetSystemMetrics(SM_CYSCREEN) - 40)};
  SendMessageW(main.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
               reinterpret_cast<LPARAM>(&suggested));
  Settle();
  RECT after{};
  GetWindowRect(main.hwnd(), &after);
  EXPECT_TRUE(EqualRect(&after, &suggested)) << "the suggested rectangle is taken";
  EXPECT_NEAR(main.ThreadList().Column1(), 2 * column1, 1);
  RECT list_after{};
  GetWindowRect(folders, &list_after);
  EXPECT_NEAR(Width(list_after), 2 * Width(list_before), 1);
  EXPECT_GE(TextHeight(folders), 2 * text_before - 2);
  int image_width = 0;
  int image_height = 0;
  ImageList_GetIconSize(main.FolderList().ImageListFolder(), &image_width, &image_height);
  EXPECT_EQ(image_height, ui::SmallImageSize(dpi));
  const int row = static_cast<int>(SendMessageW(folders, LB_GETITEMHEIGHT, 0, 0));
  EXPECT_GE(row, std::max(TextHeight(folders), image_height));
  RECT status{};
  GetWindowRect(GetDlgItem(main.hwnd(), ui::TVtFormMain::kStatusBarId), &status);
  EXPECT_GE(Height(status), ui::Scale(19, dpi));
  EXPECT_GE(Height(status), TextHeight(GetDlgItem(main.hwnd(), ui::TVtFormMain::kStatusBarId)) + 4);
  // The icons are drawn for the window's DPI, not the system's.
  EXPECT_EQ(IconSide(main.hwnd(), ICON_SMALL), IconSidesAt(dpi).cx);
  EXPECT_EQ(IconSide(main.hwnd(), ICON_BIG), IconSidesAt(dpi).cy);
}

// The hits of a search at the window's usual size: the sender keeps at least
// 80 pixels at 96 DPI, scaled, and shows each hit's sender whole; after a move
// to a monitor of twice the scale the folder column grows with the scale and
// the sender keeps its least width; an ordinary folder gets its subject column back as it was, and
// the settings keep the subject's width the user chose.
TEST_F(DisplayScale, TheHitsOfASearchShowEverySenderAndLeaveTheSubjectsWidth) {
  fixture.FullTextIndex = true;
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  const ui::VirtualListView& view = main.ThreadList().ListViewMail();
  int dpi = WindowDpi(main.hwnd());
  const int column1 = main.ThreadList().Column1();
  // Every message of one sender, in all the folders.
  ASSERT_TRUE(ShowHits(fixture, platform::Widen(RowNode(fixture, 0).Sender.str())));
  ASSERT_EQ(view.ColumnCount(), 3);
  // At the usual size each sender is read whole; in a window the screen
  // keeps from growing with the scale, the sender still keeps its least width.
  const auto check_senders = [&](bool whole) {
    const int sender = view.ColumnWidth(1);
    EXPECT_GE(sender, ui::Scale(80, dpi)) << "at " << dpi << " DPI";
    for (int row = 0; whole && row < fixture.RowCount(); ++row) {
      const std::wstring text = platform::Widen(fixture.Cell(row, 1));
      const int needs = ListView_GetStringWidth(view.hwnd(), text.c_str()) + ui::Scale(12, dpi);
      EXPECT_LE(needs, sender) << "row " << row << " at " << dpi << " DPI";
    }
  };
  check_senders(true);
  SaveScreenshot(main.hwnd(), "search-hits" + Suffix(dpi));
  const int folder_column = view.ColumnWidth(2);
  EXPECT_GT(folder_column, 0);

  RECT before{};
  GetWindowRect(main.hwnd(), &before);
  RECT suggested{0, 0, std::min(2 * Width(before), GetSystemMetrics(SM_CXSCREEN)),
                 std::min(2 * Height(before), GetSystemMetrics(SM_CYSCREEN))};
  dpi *= 2;
  SendMessageW(main.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
               reinterpret_cast<LPARAM>(&suggested));
  Settle();
  check_senders(false);
  RECT after{};
  GetWindowRect(main.hwnd(), &after);
  if (Width(after) >= 2 * Width(before)) {
    EXPECT_GT(view.ColumnWidth(2), folder_column) << "the folder column follows the scale";
  }

  fixture.SelectFolderWithKeys(kInbox);
  EXPECT_EQ(view.ColumnCount(), 2);
  EXPECT_NEAR(view.ColumnWidth(0), 2 * column1, 1);
  main.SaveAllSettings();
  EXPECT_EQ(settings::IniReader(fixture.SettingsPath()).ReadInteger("ListView", "Column1", 0),
            ui::Unscale(column1, dpi / 2));
}

// Whether a control's text fits it: the text measured in the control's font
// against the room the control gives it (a check box's box and gap taken off).
std::string ClippedText(HWND control) {
  wchar_t class_name[32] = {};
  GetClassNameW(control, class_name, 32);
  const int length = GetWindowTextLengthW(control);
  if (length == 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(control, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  RECT r{};
  GetClientRect(control, &r);
  const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
  const int dpi = ui::DpiOf(control);
  int room = Width(r);
  bool wraps = false;
  if (_wcsicmp(class_name, L"Button") == 0) {
    const LONG_PTR kind = style & BS_TYPEMASK;
    if (kind == BS_GROUPBOX) {
      room -= ui::Scale(16, dpi);
    } else if (kind == BS_AUTOCHECKBOX || kind == BS_AUTORADIOBUTTON) {
      room -= ui::Scale(13 + 6, dpi);
      wraps = (style & BS_MULTILINE) != 0;
    } else {
      room -= ui::Scale(6, dpi);
    }
  } else if (_wcsicmp(class_name, L"Static") == 0) {
    wraps = (style & SS_TYPEMASK) == SS_LEFT;
  } else {
    return {};
  }
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, FontOf(control));
  RECT need{0, 0, room, 0};
  DrawTextW(dc, text.c_str(), length, &need,
            DT_CALCRECT | DT_NOPREFIX | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  const bool group = _wcsicmp(class_name, L"Button") == 0 && (style & BS_TYPEMASK) == BS_GROUPBOX;
  if (Width(need) > room || (!group && Height(need) > Height(r))) {
    return platform::Narrow(text) + " needs " + std::to_string(Width(need)) + "x" +
           std::to_string(Height(need)) + ", has " + std::to_string(room) + "x" +
           std::to_string(Height(r));
  }
  return {};
}

BOOL CALLBACK CollectChild(HWND child, LPARAM children) {
  reinterpret_cast<std::vector<HWND>*>(children)->push_back(child);
  return TRUE;
}

// Every dialog grows with the scale from its size at 100% (the design's
// client area), and no label, check box or button cuts its text, on any page.
TEST_F(DisplayScale, DialogsGrowWithTheScaleAndCutNoText) {
  struct Case {
    const char* command;
    const wchar_t* class_name;
    SIZE design;  // the client area at 100%
  };
  const Case cases[] = {
      {"mOption", L"TSetInfoForm", {296, 232}},
      {"mMailFont", L"TSetFontForm", {286, 232}},
      {"mFolderSet2", L"TFolderSetForm", {332, 100}},
      {"mVersion", L"TAbout", {258, 97}},
      {"mMutedThreads", L"TMutedThreadsForm", {400, 236}},
      {"F1", L"TQuerySyntaxForm", {440, 330}},  // F1 in the quick filter box
  };
  fixture.Start();
  const int dpi = WindowDpi(fixture.Main().hwnd());
  const auto open = [&](const Case& c) {
    if (std::string(c.command) != "F1") return fixture.Command(c.command);
    HWND box = fixture.Main().ThreadList().FilterBox().hwnd();
    SetFocus(box);
    SendMessageW(box, WM_KEYDOWN, VK_F1, 1);
  };
  for (const Case& c : cases) {
    RECT client{};
    std::vector<std::string> clipped;
    std::vector<std::string> outside;
    const std::size_t done = RunWithSteps(
        [&] { open(c); }, {[&] {
          HWND dialog = FindThreadWindow(c.class_name);
          if (dialog == nullptr) return false;
          GetClientRect(dialog, &client);
          std::vector<HWND> children;
          EnumChildWindows(dialog, &CollectChild, reinterpret_cast<LPARAM>(&children));
          for (HWND child : children) {
            const std::string cut = ClippedText(child);
            if (!cut.empty()) clipped.push_back(cut);
            RECT r{};
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
            RECT inside{};
            if (!IntersectRect(&inside, &r, &client) || !EqualRect(&inside, &r)) {
              outside.push_back(std::to_string(GetDlgCtrlID(child)));
            }
          }
          if (std::string(c.command) == "mMailFont" || std::string(c.command) == "F1")
            SaveScreenshot(dialog, std::string(c.command) + Suffix(dpi));
          if (std::string(c.command) == "mOption") {
            // Every page, as a click on its tab shows it.
            HWND tabs = GetDlgItem(dialog, ui::TSetInfoForm::kPageControlId);
            for (int page = 0; page < TabCtrl_GetItemCount(tabs); ++page) {
              TabCtrl_SetCurSel(tabs, page);
              NMHDR change{tabs, static_cast<UINT_PTR>(ui::TSetInfoForm::kPageControlId),
                           static_cast<UINT>(TCN_SELCHANGE)};
              SendMessageW(dialog, WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
              SaveScreenshot(dialog, "mOption-page" + std::to_string(page) + Suffix(dpi));
            }
          }
          PressEscape(dialog);
          return true;
        }});
    ASSERT_EQ(done, 1u) << c.command;
    std::printf("[ metrics  ] dpi %d: %s client %ldx%ld (%.2f x its 100%% size %ldx%ld)\n", dpi,
                c.command, client.right, client.bottom,
                static_cast<double>(client.right) / c.design.cx, c.design.cx, c.design.cy);
    // The scale, within what the font's whole-pixel character size allows.
    const double ratio = static_cast<double>(dpi) / ui::kDesignDpi;
    EXPECT_NEAR(client.right, c.design.cx * ratio, c.design.cx * ratio * 0.12) << c.command;
    EXPECT_NEAR(client.bottom, c.design.cy * ratio, c.design.cy * ratio * 0.12) << c.command;
    EXPECT_TRUE(clipped.empty()) << c.command << ": " << ::testing::PrintToString(clipped);
    EXPECT_TRUE(outside.empty()) << c.command << ": " << ::testing::PrintToString(outside);
  }
}

}  // namespace
}  // namespace uitest

namespace uitest {
namespace {

struct ShownMenu {
  HMENU menu = nullptr;
  RECT rect{};
  std::string retry2;  // the caption of mRetry2's entry, which tells the two lists' pop-ups apart
  bool has_reply = false;
};

// Runs `press` and reads the pop-up it opens, then closes it.
ShownMenu MenuOpenedBy(const std::function<void()>& press) {
  ShownMenu shown;
  RunWithSteps(
      [&] {
        press();
        PumpUntil([&] { return shown.menu != nullptr; }, 3000);
      },
      {[&] {
        HWND menu_window = FindThreadWindow(L"#32768");
        if (menu_window == nullptr) return false;
        shown.menu = reinterpret_cast<HMENU>(SendMessageW(menu_window, MN_GETHMENU, 0, 0));
        GetWindowRect(menu_window, &shown.rect);
        wchar_t text[64] = {};
        GetMenuStringW(shown.menu, static_cast<UINT>(ui::MainCommands().IdOf("mRetry2")), text, 64,
                       MF_BYCOMMAND);
        shown.retry2 = platform::Narrow(text);
        shown.has_reply =
            GetMenuState(shown.menu, static_cast<UINT>(ui::ViewCommands().IdOf("mPopupReplay")),
                         MF_BYCOMMAND) != static_cast<UINT>(-1);
        EndMenu();
        return true;
      }});
  return shown;
}

// Shift+F10 as the keyboard sends it: Shift held, F10 as a system key. Its
// release is left out when the pop-up's menu loop takes it, as it does when
// the key is let go while the pop-up is open.
void PressShiftF10(HWND control, bool release = true) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  SendMessageW(control, WM_SYSKEYDOWN, VK_F10, 1 | (0x44 << 16));
  if (release) SendMessageW(control, WM_SYSKEYUP, VK_F10, 1 | (0x44 << 16) | (3u << 30));
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
}

// F10 alone: its release opens the window's menu bar. True when the menu
// bar's loop ran (it is closed again).
bool F10OpensTheMenuBar(HWND control) {
  bool in_menu = false;
  RunWithSteps(
      [&] {
        SendMessageW(control, WM_SYSKEYDOWN, VK_F10, 1 | (0x44 << 16));
        SendMessageW(control, WM_SYSKEYUP, VK_F10, 1 | (0x44 << 16) | (3u << 30));
      },
      {[&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        if (!GetGUIThreadInfo(GetCurrentThreadId(), &info) || (info.flags & GUI_INMENUMODE) == 0) {
          return false;
        }
        in_menu = true;
        EndMenu();
        return true;
      }});
  return in_menu;
}

void PressMenuKey(HWND control) {
  SendMessageW(control, WM_KEYDOWN, VK_APPS, 1 | (0x5D << 16) | (1 << 24));
  SendMessageW(control, WM_KEYUP, VK_APPS, 1 | (0x5D << 16) | (1 << 24) | (3u << 30));
}

class KeyboardMenus : public SharedMailbox {};

// Shift+F10 and the Menu key open each pop-up of the folder list, the thread
// list and the viewer's text, at the selected row or the caret, as the right
// button does.
TEST_F(KeyboardMenus, ShiftF10AndTheMenuKeyOpenEachPopUpAtTheSelection) {
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  Open(fixture, fixture.SelectedRow());
  ui::TViewForm& viewer = fixture.Viewer();
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(viewer.hwnd()) != FALSE; }, 5000));
  struct Case {
    const char* reason;
    HWND control;
    const char* retry2;  // null: the viewer's pop-up
    RECT anchor;         // where the pop-up must open (screen)
  };
  HWND folders = main.FolderList().ListBoxF().hwnd();
  HWND threads = main.ThreadList().ListViewMail().hwnd();
  RECT folder_row{};
  SendMessageW(folders, LB_GETITEMRECT, static_cast<WPARAM>(fixture.SelectedFolder()),
               reinterpret_cast<LPARAM>(&folder_row));
  MapWindowPoints(folders, nullptr, reinterpret_cast<POINT*>(&folder_row), 2);
  RECT thread_row{};
  ListView_GetItemRect(threads, fixture.SelectedRow(), &thread_row, LVIR_BOUNDS);
  MapWindowPoints(threads, nullptr, reinterpret_cast<POINT*>(&thread_row), 2);
  RECT text{};
  GetWindowRect(viewer.BigView(), &text);
  const Case cases[] = {
      {"the folder list", folders, ui::ja::kPopupRetry2Folder, folder_row},
      {"the thread list", threads, ui::ja::kPopupRetry2, thread_row},
      {"the viewer's text", viewer.BigView(), nullptr, text},
  };
  for (const Case& c : cases) {
    for (const bool menu_key : {false, true}) {
      SetFocus(c.control);
      const ShownMenu shown =
          MenuOpenedBy([&] { menu_key ? PressMenuKey(c.control) : PressShiftF10(c.control); });
      const std::string how = menu_key ? " by the Menu key" : " by Shift+F10";
      ASSERT_NE(shown.menu, nullptr) << c.reason << how;
      if (c.retry2 != nullptr) {
        EXPECT_EQ(shown.retry2, c.retry2) << c.reason << how;
      } else {
        EXPECT_TRUE(shown.has_reply) << c.reason << how;
      }
      // Its corner at the row's (or the caret's) left, below it.
      EXPECT_GE(shown.rect.left, c.anchor.left - 1) << c.reason << how;
      EXPECT_LE(shown.rect.left, c.anchor.right) << c.reason << how;
      EXPECT_GE(shown.rect.top, c.anchor.top) << c.reason << how;
      EXPECT_LE(shown.rect.top, c.anchor.bottom + 1) << c.reason << how;
    }
  }
}

// A pop-up opened by Shift+F10 takes the key's release in its own loop; the
// next F10 in the same control still opens the menu bar.
TEST_F(KeyboardMenus, F10AfterAShiftF10PopUpStillOpensTheMenuBar) {
  fixture.Start();
  Open(fixture, fixture.SelectedRow());
  ui::TViewForm& viewer = fixture.Viewer();
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(viewer.hwnd()) != FALSE; }, 5000));
  // One control: the three share the key's handling, and under Wine a second
  // pop-up right after the menu bar's loop does not open.
  const std::pair<const char*, HWND> cases[] = {
      {"the folder list", fixture.Main().FolderList().ListBoxF().hwnd()},
  };
  for (const auto& [reason, control] : cases) {
    SetFocus(control);
    ASSERT_NE(MenuOpenedBy([&] { PressShiftF10(control, false); }).menu, nullptr) << reason;
    EXPECT_TRUE(F10OpensTheMenuBar(control)) << reason;
  }
}

// The two lists and the viewer's text have no input context, so an open input
// method leaves their single-letter keys alone; a window the program does not
// strip keeps its context, so the check can tell.
TEST_F(KeyboardMenus, TheListsAndTheViewerTextHaveNoInputContext) {
  fixture.Start();
  ui::TViewForm& viewer = fixture.Viewer();
  struct Case {
    const char* reason;
    HWND control;
    bool has_context;
  };
  const Case cases[] = {
      {"the folder list", fixture.Main().FolderList().ListBoxF().hwnd(), false},
      {"the thread list", fixture.Main().ThreadList().ListViewMail().hwnd(), false},
      {"the viewer's text", viewer.BigView(), false},
      {"the main window itself", fixture.Main().hwnd(), true},
  };
  for (const Case& c : cases) {
    HIMC context = ImmGetContext(c.control);
    EXPECT_EQ(context != nullptr, c.has_context) << c.reason;
    if (context != nullptr) ImmReleaseContext(c.control, context);
  }
}

class Fonts : public SharedMailbox {};

// A face without the Shift-JIS character set is used as chosen, with the style
// the settings give it, and both go back to the file; only a face the system
// does not have is replaced.
TEST_F(Fonts, AChosenFaceAndStyleAreUsedAndKeptAndOnlyAMissingFaceIsReplaced) {
  {
    settings::IniWriter ini(fixture.SettingsPath());
    ini.WriteQuotedString("ListBox", "FontFace", "Veltrano Missing Face");
    ini.WriteInteger("ListBox", "FontStyle", ui::kFontBold);
    ini.WriteQuotedString("ListView", "FontFace", "DejaVu Sans");
    ini.WriteInteger("ListView", "FontStyle", ui::kFontBold | ui::kFontItalic);
    ini.WriteQuotedString("ViewWindow", "FontFace", "DejaVu Sans");
    ini.WriteInteger("ViewWindow", "FontStyle", ui::kFontItalic);
    ASSERT_TRUE(ini.Commit());
  }
  fixture.Start();
  struct Case {
    const char* reason;
    HWND control;
    bool face_kept;
    bool bold;
    bool italic;
  };
  const Case cases[] = {
      {"a missing face, bold", fixture.Main().FolderList().ListBoxF().hwnd(), false, true, false},
      {"a face without Shift-JIS, bold italic", fixture.Main().ThreadList().ListViewMail().hwnd(),
       true, true, true},
  };
  for (const Case& c : cases) {
    HDC dc = GetDC(c.control);
    HGDIOBJ old = SelectObject(dc, FontOf(c.control));
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(c.control, dc);
    EXPECT_EQ(std::wstring(face) == L"DejaVu Sans", c.face_kept) << c.reason;
    EXPECT_NE(std::wstring(face), L"Veltrano Missing Face") << c.reason;
    EXPECT_EQ(metrics.tmWeight >= FW_SEMIBOLD, c.bold) << c.reason;
    EXPECT_EQ(metrics.tmItalic != 0, c.italic) << c.reason;
  }
  SaveScreenshot(fixture.Main().hwnd(), "fonts-missing-bold-and-dejavu-bold-italic");
  // The font dialog's sample shows the thread list's face and style.
  RunWithSteps([&] { fixture.Command("mMailFont"); }, {[&] {
                 HWND dialog = FindThreadWindow(L"TSetFontForm");
                 if (dialog == nullptr) return false;
                 SaveScreenshot(dialog, "fonts-dejavu-bold-italic-sample");
                 PressEscape(dialog);
                 return true;
               }});
  // The viewer's text in the chosen face, italic.
  Open(fixture, fixture.SelectedRow());
  ui::TViewForm& viewer = fixture.Viewer();
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(viewer.hwnd()) != FALSE; }, 5000));
  CHARFORMAT2W format{};
  format.cbSize = sizeof format;
  SendMessageW(viewer.BigView(), EM_SETSEL, 0, 1);
  SendMessageW(viewer.BigView(), EM_GETCHARFORMAT, SCF_SELECTION,
               reinterpret_cast<LPARAM>(&format));
  EXPECT_EQ(std::wstring(format.szFaceName), L"DejaVu Sans");
  EXPECT_NE(format.dwEffects & CFE_ITALIC, 0u);
  EXPECT_EQ(format.dwEffects & CFE_BOLD, 0u);
  SaveScreenshot(viewer.hwnd(), "fonts-dejavu-italic-viewer");
  viewer.SaveSettings();
  fixture.Main().SaveAllSettings();
  const settings::IniReader saved(fixture.SettingsPath());
  EXPECT_EQ(saved.ReadString("ListBox", "FontFace", ""), "Veltrano Missing Face")
      << "the chosen name is kept for when the face is installed";
  EXPECT_EQ(saved.ReadInteger("ListBox", "FontStyle", 0), ui::kFontBold);
  EXPECT_EQ(saved.ReadString("ListView", "FontFace", ""), "DejaVu Sans");
  EXPECT_EQ(saved.ReadInteger("ListView", "FontStyle", 0), ui::kFontBold | ui::kFontItalic);
  EXPECT_EQ(saved.ReadString("ViewWindow", "FontFace", ""), "DejaVu Sans");
  EXPECT_EQ(saved.ReadInteger("ViewWindow", "FontStyle", 0), ui::kFontItalic);
}

}  // namespace
}  // namespace uitest
