// The viewer window on a generated mailbox: paging and moving through the
// thread list, the header toggle, closing, the commands that need a message,
// and the links (colour and underline at the right characters, a click).

#include <windows.h>
// richedit.h needs the types of windows.h.
#include <gtest/gtest.h>
#include <richedit.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/wide_win.h"
#include "settings/ini_profile.h"
#include "tests/temp_dir_support.h"
#include "tests/win/ui_dialog_support.h"
#include "tests/win/ui_support.h"
#include "thread/thread_node.h"
#include "ui/dpi.h"
#include "ui/fonts.h"
#include "ui/view_commands.h"
#include "viewer/link_scan.h"
#include "viewer/text_lines.h"

namespace uitest {
namespace {

class Viewer : public SharedMailbox {};

int ScrollPosition(UiFixture& fixture) {
  SCROLLINFO scroll{};
  scroll.cbSize = sizeof scroll;
  scroll.fMask = SIF_POS;
  GetScrollInfo(fixture.Viewer().BigView(), SB_VERT, &scroll);
  return scroll.nPos;
}

// Space at the end of a message runs on to the next row, Ctrl+Space to the
// next unread one, Shift+Space at the top back; N and P stop at the ends.
TEST_F(Viewer, SpaceAndLettersMoveThroughTheThreadList) {
  fixture.Start();
  const int last = fixture.RowCount() - 1;
  const std::vector<int> unread = UnreadRows(fixture);
  ASSERT_GE(unread.size(), 2u);
  // A small window, so a message takes several pages.
  Open(fixture, 0);
  MoveWindow(fixture.Viewer().hwnd(), 0, 0, 400, 120, TRUE);
  Settle();
  bool paged = false;
  for (int presses = 0; presses < 60 && fixture.SelectedRow() == 0; ++presses) {
    const int before = ScrollPosition(fixture);
    PressWith(fixture, {}, VK_SPACE);
    if (fixture.SelectedRow() == 0) paged = paged || ScrollPosition(fixture) > before;
  }
  EXPECT_TRUE(paged) << "Space pages before it runs on";
  EXPECT_EQ(fixture.SelectedRow(), 1);
  EXPECT_EQ(fixture.Main().ViewedNode(), &RowNode(fixture, 1));
  EXPECT_EQ(fixture.Viewer().View().MessagePath, RowNode(fixture, 1).FilePath);
  MoveWindow(fixture.Viewer().hwnd(), 0, 0, 900, 1000, TRUE);
  Settle();
  struct Case {
    const char* why;
    int from;
    std::vector<BYTE> held;
    WORD key;        // pressed when not 0
    wchar_t letter;  // typed otherwise
    int to;
  } cases[] = {
      {"Shift+Space at the top goes back", 5, {VK_SHIFT}, VK_SPACE, 0, 4},
      {"Ctrl+Space at the end goes to the next unread row",
       unread[0],
       {VK_CONTROL},
       VK_SPACE,
       0,
       unread[1]},
      {"N on the last row does nothing", last, {}, 0, L'n', last},
      {"P on the first row does nothing", 0, {}, 0, L'p', 0},
      {"N goes to the next row", 2, {}, 0, L'N', 3},
      {"P goes to the previous row", 2, {}, 0, L'P', 1},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.why);
    Open(fixture, test.from);
    if (test.key != 0) {
      // Pressed until the view has reached its end and moved on.
      for (int presses = 0; presses < 30 && fixture.SelectedRow() == test.from; ++presses) {
        PressWith(fixture, test.held, test.key);
      }
    } else {
      TypeChar(fixture.Viewer().BigView(), test.letter);
      Settle();
    }
    EXPECT_EQ(fixture.SelectedRow(), test.to);
    EXPECT_EQ(fixture.Viewer().View().MessagePath, RowNode(fixture, test.to).FilePath);
  }
}

TEST_F(Viewer, HTwiceRestoresTheViewWithItsLinks) {
  fixture.Start();
  Open(fixture, 0);
  const viewer::MessageView& view = fixture.Viewer().View();
  const std::wstring text = fixture.Viewer().BigViewText();
  const std::vector<viewer::Link> links = view.Links;
  const std::size_t body = viewer::JoinLines(view.Lines).size();
  TypeChar(fixture.Viewer().BigView(), L'h');
  ASSERT_TRUE(PumpUntil([&] { return view.HeaderShown; }, 3000));
  const std::size_t header = viewer::JoinLines(view.Lines).size() - body;
  ASSERT_FALSE(links.empty());
  EXPECT_EQ(view.Links.back().start, links.back().start + header) << "found again, moved down";
  TypeChar(fixture.Viewer().BigView(), L'H');
  ASSERT_TRUE(PumpUntil([&] { return !view.HeaderShown; }, 3000));
  EXPECT_EQ(fixture.Viewer().BigViewText(), text);
  EXPECT_EQ(view.Links, links);
}

// Q, q, Esc and the window's close hide the viewer (the window stays for the
// next message) and forget the message it showed.
TEST_F(Viewer, ClosingHidesTheViewerAndForgetsTheMessage) {
  fixture.Start();
  const struct Case {
    const char* reason;
    wchar_t key;  // 0: WM_CLOSE
  } cases[] = {{"q", L'q'}, {"Q", L'Q'}, {"Esc", wchar_t{27}}, {"the close box", 0}};
  for (const Case& c : cases) {
    Open(fixture, 0);
    ASSERT_TRUE(IsWindowVisible(fixture.Viewer().hwnd())) << c.reason;
    if (c.key != 0) {
      TypeChar(fixture.Viewer().BigView(), c.key);
    } else {
      PostMessageW(fixture.Viewer().hwnd(), WM_CLOSE, 0, 0);
    }
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(fixture.Viewer().hwnd()); }, 3000))
        << c.reason;
    EXPECT_NE(fixture.Viewer().hwnd(), nullptr) << c.reason;
    EXPECT_EQ(fixture.Main().ViewedNode(), nullptr) << c.reason;
    EXPECT_TRUE(fixture.Viewer().View().MessagePath.empty()) << c.reason;
  }
}

// Only a library that can serve is taken as the converter: anything else is no
// converter (its commands greyed), and a message still opens, unconverted.
TEST_F(Viewer, ALibraryThatCannotConvertCountsAsNoConverter) {
  testing_support::TempDir dir;
  char other_arch[MAX_PATH] = {};
  GetEnvironmentVariableA("VELTRANO_OTHER_ARCH_NKF32", other_arch, MAX_PATH);
  char system_dir[MAX_PATH] = {};
  GetSystemDirectoryA(system_dir, MAX_PATH);
  const struct Case {
    const char* why;
    std::string library;
    bool loads;
  } cases[] = {
      {"our NKF32.DLL beside the program", "NKF32.DLL", true},
      {"no such file", "NoSuchNkf32.dll", false},
      {"a text file named like a DLL", dir.WriteFile("NKF32.DLL", "not a program\r\n"), false},
      {"a system DLL without the two entry points", std::string(system_dir) + "\\version.dll",
       false},
      {"a bare name is looked for beside the program only", "version.dll", false},
      {"NKF32.DLL of the other architecture (VELTRANO_OTHER_ARCH_NKF32)", other_arch, false},
  };
  for (const Case& c : cases) {
    if (c.library.empty()) {
      ADD_FAILURE() << c.why << ": not set; scripts/test sets it to the other build's DLL";
      continue;
    }
    fixture.Restore();
    fixture.NkfLibrary = platform::Widen(c.library);
    fixture.Start();
    Open(fixture, 0);
    EXPECT_EQ(fixture.Viewer().NkfLoaded(), c.loads) << c.why;
    EXPECT_EQ(fixture.Viewer().View().MessagePath, RowNode(fixture, 0).FilePath) << c.why;
    EXPECT_FALSE(fixture.Viewer().BigViewText().empty()) << c.why;
  }
}

// After another folder is opened the viewer shows a message of no list: the
// commands that need one do nothing at all.
TEST_F(Viewer, AfterAnotherFolderOpensTheMessageCommandsDoNothing) {
  fixture.Start();
  Open(fixture, 3);
  MoveWindow(fixture.Viewer().hwnd(), 0, 0, 400, 120, TRUE);
  fixture.SelectFolderWithKeys(kOutbox);
  ASSERT_EQ(fixture.Main().ViewedNode(), nullptr);
  const std::string path = fixture.Viewer().View().MessagePath;
  const int rows = fixture.RowCount();
  const int selected = fixture.SelectedRow();
  const int scroll = ScrollPosition(fixture);
  PressWith(fixture, {}, VK_SPACE);
  PressWith(fixture, {VK_CONTROL}, VK_SPACE);
  for (const wchar_t key : {L'd', L'n', L'p', L'm'}) TypeChar(fixture.Viewer().BigView(), key);
  for (const char* command : {"mNextMidokuMail", "mPrevMidokuMail", "mNextMail", "mMailDelete"}) {
    SendMessageW(fixture.Viewer().hwnd(), WM_COMMAND, ui::ViewCommands().IdOf(command), 0);
  }
  Settle();
  EXPECT_EQ(fixture.Viewer().View().MessagePath, path);
  EXPECT_EQ(ScrollPosition(fixture), scroll) << "Space does not even scroll";
  EXPECT_EQ(fixture.RowCount(), rows);
  EXPECT_EQ(fixture.SelectedRow(), selected);
  EXPECT_TRUE(fixture.Messages.empty());
  EXPECT_TRUE(IsWindowVisible(fixture.Viewer().hwnd()));
}

// Every link shows in the link colour, underlined, over exactly its
// characters (also after Japanese text); a click on a URL hands it to the
// shell once.
TEST_F(Viewer, LinksAreColouredAtTheirCharactersAndAClickOpensTheUrl) {
  fixture.Start();
  int row = 0;
  std::string text;
  // A message with a URL after Japanese text.
  for (; row < fixture.RowCount(); ++row) {
    Open(fixture, row);
    text = viewer::JoinLines(fixture.Viewer().View().Lines);
    const std::size_t url = text.find("http://");
    const auto japanese = std::find_if(
        text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (url != std::string::npos && japanese - text.begin() < static_cast<std::ptrdiff_t>(url)) {
      break;
    }
  }
  ASSERT_LT(row, fixture.RowCount());
  const std::vector<viewer::Link>& links = fixture.Viewer().View().Links;
  // Expected: the characters of every link, from the system's own conversion.
  const LONG length = RichEditPosition(text, text.size());
  std::vector<bool> in_link(static_cast<std::size_t>(length), false);
  for (const viewer::Link& link : links) {
    for (LONG c = RichEditPosition(text, link.start); c < RichEditPosition(text, link.end); ++c) {
      in_link[static_cast<std::size_t>(c)] = true;
    }
  }
  HWND view = fixture.Viewer().BigView();
  for (LONG c = 0; c < length; ++c) {
    SendMessageW(view, EM_SETSEL, c, c + 1);
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    SendMessageW(view, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    const bool underlined = (format.dwEffects & CFE_UNDERLINE) != 0;
    const bool red =
        (format.dwEffects & CFE_AUTOCOLOR) == 0 && format.crTextColor == RGB(255, 0, 0);
    EXPECT_EQ(underlined, in_link[static_cast<std::size_t>(c)]) << "character " << c;
    EXPECT_EQ(red, in_link[static_cast<std::size_t>(c)]) << "character " << c;
  }
  SendMessageW(view, EM_SETSEL, 0, 0);
  const viewer::Link& url = links.front();
  ASSERT_EQ(text.compare(url.start, 7, "http://"), 0);
  ClickText(fixture, url);
  EXPECT_EQ(fixture.MailClient.Urls,
            std::vector<std::string>{text.substr(url.start, url.end - url.start)});
  EXPECT_TRUE(fixture.Viewer().HandCursorShown());
}

// A UTF-8 message shows whole: the characters Shift-JIS has no place for (an
// emoji and 𠮷, outside the Basic Multilingual Plane, é) are in the rich
// edit's text, the link after them is coloured over exactly its characters,
// and copy puts the Unicode text on the clipboard with a Shift-JIS form beside
// it.
TEST_F(Viewer, UnicodeMessageShowsWholeAndCopiesAsUnicode) {
  fixture.Start();
  const std::string path =
      fixture.Dir().WriteFile("utf8.qnm",
                              "Subject: sushi\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\n"
                              "今日は🍣を食べました。𠮷野家 café ①\r\nhttp://a.example/\r\n");
  ui::TViewForm& viewer = fixture.Viewer();
  viewer.SetMessage(path, "a", "b");
  viewer.ShowOrFocus();
  viewer.LoadMessage(0, false);
  Settle();

  std::wstring shown = viewer.BigViewText();
  shown.erase(std::remove(shown.begin(), shown.end(), L'\n'), shown.end());
  EXPECT_EQ(shown, L"今日は🍣を食べました。𠮷野家 café ①\rhttp://a.example/");

  const LONG url = static_cast<LONG>(shown.find(L"http://"));
  const LONG url_end = url + 17;
  HWND view = viewer.BigView();
  for (LONG c = url - 1; c <= url_end; ++c) {
    SendMessageW(view, EM_SETSEL, c, c + 1);
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    SendMessageW(view, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ((format.dwEffects & CFE_UNDERLINE) != 0, c >= url && c < url_end)
        << "character " << c;
  }

  SendMessageW(view, EM_SETSEL, 0, -1);
  viewer.mCopyClick();
  ASSERT_TRUE(OpenClipboard(nullptr));
  const auto read = [](UINT format) -> const void* {
    HANDLE data = GetClipboardData(format);
    return data != nullptr ? GlobalLock(data) : nullptr;
  };
  const auto* unicode = static_cast<const wchar_t*>(read(CF_UNICODETEXT));
  const auto* shift_jis = static_cast<const char*>(read(CF_TEXT));
  ASSERT_NE(unicode, nullptr);
  ASSERT_NE(shift_jis, nullptr);
  EXPECT_EQ(std::wstring(unicode), L"今日は🍣を食べました。𠮷野家 café ①\r\nhttp://a.example/");
  // "今日は" in Shift-JIS, and the URL after the first line.
  EXPECT_EQ(std::string(shift_jis).substr(0, 6), "\x8d\xa1\x93\xfa\x82\xcd");
  EXPECT_NE(std::string(shift_jis).find("\r\nhttp://a.example/"), std::string::npos);
  CloseClipboard();
}

// Moved to a monitor of another scale (WM_DPICHANGED, as Windows sends it),
// the viewer keeps what loading gave the text: the links their colour and
// underline, and the line at the top stays at the top. A character Shift-JIS
// lacks (Hangul, in a face without it) never gets the Japanese fallback face.
TEST_F(Viewer, AScaleChangeKeepsTheLinksAndTheTopLine) {
  {
    settings::IniWriter ini(fixture.SettingsPath());
    ini.WriteQuotedString("ViewWindow", "FontFace", "DejaVu Sans");
    ASSERT_TRUE(ini.Commit());
  }
  fixture.Start();
  std::string body = "한국\r\n";
  for (int line = 0; line < 80; ++line) {
    body += "あ " + std::to_string(line) + " http://a.example/" + std::to_string(line) + "\r\n";
  }
  const std::string path = fixture.Dir().WriteFile(
      "long.qnm", "Subject: s\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\n" + body);
  ui::TViewForm& viewer = fixture.Viewer();
  viewer.SetMessage(path, "a", "b");
  viewer.ShowOrFocus();
  viewer.LoadMessage(0, false);
  Settle();
  HWND view = viewer.BigView();
  SendMessageW(view, EM_LINESCROLL, 0, 30);
  const auto top_line = [&] {
    return SendMessageW(view, EM_LINEINDEX, SendMessageW(view, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  };
  const LRESULT top = top_line();
  ASSERT_GT(top, 0);

  RECT bounds{};
  GetWindowRect(viewer.hwnd(), &bounds);
  const int dpi = 2 * ui::DpiOf(viewer.hwnd());
  SendMessageW(viewer.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
               reinterpret_cast<LPARAM>(&bounds));
  Settle();
  EXPECT_EQ(top_line(), top);

  std::wstring shown = viewer.BigViewText();
  shown.erase(std::remove(shown.begin(), shown.end(), L'\n'), shown.end());
  const auto format_at = [&](std::size_t c) {
    const auto at = static_cast<LONG>(c);
    SendMessageW(view, EM_SETSEL, at, at + 1);
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    SendMessageW(view, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    return format;
  };
  const std::size_t url = shown.find(L"http://", static_cast<std::size_t>(top));
  ASSERT_EQ(shown[static_cast<std::size_t>(top)], L'あ');
  ASSERT_NE(url, std::wstring::npos);
  struct Case {
    std::size_t character;
    bool link;
    bool fallback;
    const char* reason;
  };
  const Case cases[] = {
      {url, true, false, "the link's first character"},
      {url - 1, false, false, "the blank before it"},
      {0, false, false, "Hangul, left to the control"},
  };
  const HFONT font = reinterpret_cast<HFONT>(SendMessageW(view, WM_GETFONT, 0, 0));
  ASSERT_FALSE(ui::MissingRuns(font, L"한").empty()) << "the face lacks Hangul";
  for (const Case& c : cases) {
    const CHARFORMAT2W format = format_at(c.character);
    EXPECT_EQ((format.dwEffects & CFE_UNDERLINE) != 0, c.link) << c.reason;
    EXPECT_EQ(format.crTextColor == RGB(255, 0, 0), c.link) << c.reason;
    EXPECT_EQ(std::wstring(format.szFaceName) != L"DejaVu Sans", c.fallback) << c.reason;
  }
}

// After the forced filter's view (the file as stored), OK in the font dialog
// loads the viewed message again as the list opens it, not as stored.
TEST_F(Viewer, AFontChosenLoadsTheViewedMessageAsTheListOpensIt) {
  fixture.Start();
  ui::TViewForm& viewer = fixture.Viewer();
  ASSERT_TRUE(viewer.NkfLoaded());
  int row = 0;
  for (; row < fixture.RowCount(); ++row) {
    std::ifstream file(std::string(RowNode(fixture, row).FilePath.str()), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), {});
    if (bytes.find("base64") != std::string::npos ||
        bytes.find("quoted-printable") != std::string::npos) {
      break;
    }
  }
  ASSERT_LT(row, fixture.RowCount()) << "a message whose text is encoded";
  Open(fixture, row);
  const std::wstring opened = viewer.BigViewText();
  viewer.mNkfClick();
  ASSERT_NE(viewer.BigViewText(), opened) << "the encoding as stored";
  const std::size_t done = RunWithSteps([&] { viewer.mFontClick(); }, {[&] {
                                          HWND dialog = FindThreadWindow(L"TSetFontForm");
                                          if (dialog == nullptr) return false;
                                          PostClick(GetDlgItem(dialog, IDOK));
                                          return true;
                                        }});
  ASSERT_EQ(done, 1u);
  EXPECT_EQ(viewer.BigViewText(), opened);
}

}  // namespace
}  // namespace uitest
