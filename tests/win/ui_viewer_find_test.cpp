// Find in the message: the viewer's find bar, driven through the program's
// own key handling (the window's shortcuts first, as its message loop does).
// The occurrences expected are found in the rich edit's own text.

#include <windows.h>
// richedit.h needs the types of windows.h.
#include <gtest/gtest.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <string>
#include <vector>

#include "tests/win/ui_support.h"
#include "ui/dpi.h"

namespace uitest {
namespace {

class ViewerFind : public SharedMailbox {};

// Runs the queued messages as the program's loop does, shortcuts first,
// until `done` holds (at most two seconds).
bool PumpKeys(UiFixture& fixture, const std::function<bool()>& done) {
  return PumpUntil(
      [&] {
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
          if (fixture.Main().PreTranslate(message)) continue;
          TranslateMessage(&message);
          DispatchMessageW(&message);
        }
        return done();
      },
      2000);
}

// A key pressed in `target` with `held` down (Shift, Ctrl), through the loop.
void Press(UiFixture& fixture, HWND target, WORD key, std::vector<BYTE> held = {}) {
  BYTE state[256] = {};
  GetKeyboardState(state);
  for (BYTE k : held) state[k] = 0x80;
  SetKeyboardState(state);
  PressKey(target, key);
  PumpKeys(fixture, [] {
    MSG message{};
    return PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE) == FALSE;
  });
  for (BYTE k : held) state[k] = 0;
  SetKeyboardState(state);
}

std::wstring BoxText(HWND box) {
  wchar_t text[64] = {};
  GetWindowTextW(box, text, 64);
  return text;
}

// The rich edit's text as it counts positions (a line end is one).
std::wstring ShownText(ui::TViewForm& viewer) {
  std::wstring shown = viewer.BigViewText();
  shown.erase(std::remove(shown.begin(), shown.end(), L'\n'), shown.end());
  return shown;
}

// The starts of `word` (lower-case ASCII) in `text`, any letter case.
std::vector<LONG> Occurrences(std::wstring text, const std::wstring& word) {
  std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return towlower(c); });
  std::vector<LONG> starts;
  for (std::size_t at = text.find(word); at != std::wstring::npos;
       at = text.find(word, at + word.size())) {
    starts.push_back(static_cast<LONG>(at));
  }
  return starts;
}

CHARFORMAT2W FormatAt(HWND view, LONG c) {
  SendMessageW(view, EM_SETSEL, c, c + 1);
  CHARFORMAT2W format{};
  format.cbSize = sizeof format;
  SendMessageW(view, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  return format;
}

// The background of every character: none outside the occurrences, one
// colour over each, another over the current one (`current` an index of
// `starts`, -1 for none); false at the first character that differs.
::testing::AssertionResult Highlighted(HWND view, LONG length, const std::vector<LONG>& starts,
                                       LONG word, int current) {
  CHARRANGE kept{};
  SendMessageW(view, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&kept));
  COLORREF others = CLR_INVALID;
  COLORREF current_colour = CLR_INVALID;
  for (LONG c = 0; c < length; ++c) {
    const auto at = std::find_if(starts.begin(), starts.end(),
                                 [&](LONG start) { return c >= start && c < start + word; });
    const CHARFORMAT2W format = FormatAt(view, c);
    const bool plain = (format.dwEffects & CFE_AUTOBACKCOLOR) != 0;
    if (at == starts.end()) {
      if (!plain) return ::testing::AssertionFailure() << "character " << c << " highlighted";
      continue;
    }
    if (plain) return ::testing::AssertionFailure() << "character " << c << " not highlighted";
    COLORREF& expected = at - starts.begin() == current ? current_colour : others;
    if (expected == CLR_INVALID) expected = format.crBackColor;
    if (format.crBackColor != expected)
      return ::testing::AssertionFailure() << "character " << c << " in another colour";
  }
  SendMessageW(view, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&kept));
  if (current >= 0 && current_colour == others)
    return ::testing::AssertionFailure() << "the current one in the others' colour";
  return ::testing::AssertionSuccess();
}

// Opens a message as the main window does, `query` what found it.
void ShowMessage(UiFixture& fixture, const char* name, const std::string& body,
                 const std::string& query = {}) {
  const std::string path = fixture.Dir().WriteFile(
      name, "Subject: s\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\n" + body);
  ui::TViewForm& viewer = fixture.Viewer();
  viewer.SetMessage(path, "a", "b");
  viewer.ShowOrFocus();
  viewer.OpenMessage(0, false, query);
  Settle();
}

LONG FirstLine(HWND view) {
  return static_cast<LONG>(SendMessageW(view, EM_GETFIRSTVISIBLELINE, 0, 0));
}

CHARRANGE SelectionOf(HWND view) {
  CHARRANGE selection{};
  SendMessageW(view, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
  return selection;
}

// `count` lines "line NNN apple", a word to find on each.
std::string AppleLines(int count) {
  std::string body;
  for (int line = 0; line < count; ++line) {
    char text[32];
    std::snprintf(text, sizeof text, "line %03d apple\r\n", line);
    body += text;
  }
  return body;
}
constexpr LONG kAppleColumn = 9;

// Ctrl+F opens the bar; the typed text is highlighted at every occurrence
// (letter case folded, after a surrogate pair and inside a link too), the
// first current and selected; F3 and Enter go on, with Shift back, wrapping
// at the ends, from the box and from the text; Esc takes the highlights
// away and gives the text the focus, and leaves the viewer open.
TEST_F(ViewerFind, FindHighlightsEveryOccurrenceStepsAroundAndEscClears) {
  fixture.Start();
  ShowMessage(fixture, "find.qnm",
              "Apple 🍣 apple pie\r\nno fruit\r\nAPPLE http://apple.example/\r\n");
  ui::TViewForm& viewer = fixture.Viewer();
  HWND view = viewer.BigView();
  const std::wstring shown = ShownText(viewer);
  const std::vector<LONG> starts = Occurrences(shown, L"apple");
  ASSERT_EQ(starts.size(), 4u);
  const auto length = static_cast<LONG>(shown.size());

  Press(fixture, view, 'F', {VK_CONTROL});
  ASSERT_TRUE(viewer.FindBarShown());
  HWND box = viewer.FindBox();
  EXPECT_EQ(GetFocus(), box);
  for (wchar_t c : std::wstring(L"aPPle")) TypeChar(box, c);
  ASSERT_TRUE(PumpKeys(fixture, [&] { return viewer.FindCountText() == "1 / 4"; }))
      << viewer.FindCountText();
  EXPECT_TRUE(Highlighted(view, length, starts, 5, 0));

  struct Step {
    HWND target;
    WORD key;
    std::vector<BYTE> held;
    int current;
    const char* why;
  };
  const Step steps[] = {
      {box, VK_F3, {}, 1, "F3 in the box: the next"},
      {box, VK_RETURN, {}, 2, "Enter: the next"},
      {view, VK_F3, {}, 3, "F3 in the text: the next"},
      {view, VK_F3, {}, 0, "on from the last: the first"},
      {view, VK_F3, {VK_SHIFT}, 3, "Shift+F3 back from the first: the last"},
      {box, VK_RETURN, {VK_SHIFT}, 2, "Shift+Enter: the previous"},
      {box, VK_F3, {VK_SHIFT}, 1, "Shift+F3 in the box: the previous"},
  };
  for (const Step& step : steps) {
    SetFocus(step.target);
    Press(fixture, step.target, step.key, step.held);
    EXPECT_EQ(viewer.FindCountText(), std::to_string(step.current + 1) + " / 4") << step.why;
    CHARRANGE selection{};
    SendMessageW(view, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    EXPECT_EQ(selection.cpMin, starts[static_cast<std::size_t>(step.current)]) << step.why;
    EXPECT_EQ(selection.cpMax, selection.cpMin + 5) << step.why;
    EXPECT_TRUE(Highlighted(view, length, starts, 5, step.current)) << step.why;
  }

  SetFocus(box);
  Press(fixture, box, VK_ESCAPE);
  EXPECT_FALSE(viewer.FindBarShown());
  EXPECT_FALSE(IsWindowVisible(box));
  EXPECT_EQ(GetFocus(), view);
  EXPECT_TRUE(IsWindowVisible(viewer.hwnd())) << "Esc in the box closes the bar only";
  EXPECT_TRUE(Highlighted(view, length, {}, 5, -1));
}

// Another message opened while the bar is open is searched for the same
// text, the bar kept.
TEST_F(ViewerFind, AnotherMessageIsSearchedAgainWithTheBarKept) {
  fixture.Start();
  ShowMessage(fixture, "first.qnm", "one two one\r\n");
  ui::TViewForm& viewer = fixture.Viewer();
  viewer.OpenFindBar("one");
  ASSERT_TRUE(PumpKeys(fixture, [&] { return viewer.FindCountText() == "1 / 2"; }));
  ShowMessage(fixture, "second.qnm", "none here\r\nbut one\r\nand one more: one\r\n");
  EXPECT_TRUE(viewer.FindBarShown());
  EXPECT_EQ(BoxText(viewer.FindBox()), L"one");
  const std::wstring shown = ShownText(viewer);
  const std::vector<LONG> starts = Occurrences(shown, L"one");
  ASSERT_EQ(starts.size(), 4u) << "\"none\" holds one too";
  EXPECT_EQ(viewer.FindCountText(), "1 / 4");
  EXPECT_TRUE(Highlighted(viewer.BigView(), static_cast<LONG>(shown.size()), starts, 3, 0));
  ShowMessage(fixture, "third.qnm", "nothing\r\n");
  EXPECT_EQ(viewer.FindCountText(), "0 / 0");
}

// In the find box the viewer's letter keys (D moves to the trash, Q closes,
// N and P move, R, S and F compose, H, B, M, C) are text: each letter is
// typed into the box, and nothing reaches the mail client or the list; also
// when the viewer was left for another window and activated again (Windows
// then gives the window itself the focus) and the typing goes on wherever
// the focus is.
TEST_F(ViewerFind, LettersInTheFindBoxAreTypedNotRun) {
  fixture.Start();
  Open(fixture, 2);
  ui::TViewForm& viewer = fixture.Viewer();
  const std::string path = viewer.View().MessagePath;
  ASSERT_FALSE(path.empty());
  Press(fixture, viewer.BigView(), 'F', {VK_CONTROL});
  HWND box = viewer.FindBox();
  ASSERT_EQ(GetFocus(), box);
  const std::wstring letters = L"DQNPRSFHBMC";
  for (wchar_t letter : letters) PressKey(box, static_cast<WORD>(letter));
  std::wstring typed = letters;
  std::transform(typed.begin(), typed.end(), typed.begin(), [](wchar_t c) { return towlower(c); });
  EXPECT_TRUE(PumpKeys(fixture, [&] { return BoxText(box) == typed; }))
      << "box: " << BoxText(box).size();
  SetForegroundWindow(fixture.Main().hwnd());
  Settle();
  ASSERT_NE(GetActiveWindow(), viewer.hwnd());
  SetForegroundWindow(viewer.hwnd());
  Settle();
  EXPECT_EQ(GetFocus(), box) << "back in the box";
  for (wchar_t letter : std::wstring(L"DMS")) PressKey(GetFocus(), static_cast<WORD>(letter));
  EXPECT_TRUE(PumpKeys(fixture, [&] { return BoxText(box) == typed + L"dms"; }))
      << "box: " << BoxText(box).size();
  Settle();
  EXPECT_TRUE(fixture.MailClient.Commands.empty());
  EXPECT_TRUE(IsWindowVisible(viewer.hwnd()));
  EXPECT_EQ(viewer.View().MessagePath, path);
  EXPECT_FALSE(viewer.View().HeaderShown);
  EXPECT_EQ(fixture.SelectedRow(), 2);
  EXPECT_EQ(fixture.Main().ViewedNode(), &RowNode(fixture, 2));
  EXPECT_EQ(GetFocus(), box);
}

// A message opened with the query that found it shows the query's words
// marked with none current, from its top with nothing selected; F3 goes to
// the first. The next message opened without a query closes that bar, while
// a bar the user opened stays and shows the next message at its first
// occurrence.
TEST_F(ViewerFind, ABarASearchOpenedClosesWithTheNextMessageFoundOtherwise) {
  fixture.Start();
  ui::TViewForm& viewer = fixture.Viewer();
  std::string body;
  for (int line = 0; line < 60; ++line) body += line % 20 == 19 ? "an apple\r\n" : "none\r\n";
  ShowMessage(fixture, "first.qnm", "none\r\n");
  MoveWindow(viewer.hwnd(), 0, 0, 500, 250, TRUE);
  ShowMessage(fixture, "found.qnm", body, "APPLE");
  HWND view = viewer.BigView();
  const std::vector<LONG> starts = Occurrences(ShownText(viewer), L"apple");
  ASSERT_EQ(starts.size(), 3u);
  ASSERT_TRUE(viewer.FindBarShown());
  EXPECT_EQ(viewer.FindCountText(), "? / 3");
  EXPECT_EQ(SelectionOf(view).cpMin, 0);
  EXPECT_EQ(SelectionOf(view).cpMax, 0);
  EXPECT_EQ(FirstLine(view), 0);
  EXPECT_EQ(GetFocus(), view) << "the text keeps its keys";
  Press(fixture, view, VK_F3);
  EXPECT_EQ(viewer.FindCountText(), "1 / 3");
  EXPECT_EQ(SelectionOf(view).cpMin, starts[0]);
  EXPECT_GT(FirstLine(view), 0);

  ShowMessage(fixture, "plain.qnm", body);
  EXPECT_FALSE(viewer.FindBarShown()) << "a bar a search opened";
  EXPECT_EQ(FirstLine(view), 0);

  Press(fixture, view, 'F', {VK_CONTROL});
  for (wchar_t c : std::wstring(L"apple")) TypeChar(viewer.FindBox(), c);
  ASSERT_TRUE(PumpKeys(fixture, [&] { return viewer.FindCountText() == "1 / 3"; }));
  ShowMessage(fixture, "again.qnm", body);
  EXPECT_TRUE(viewer.FindBarShown()) << "a bar the user opened";
  EXPECT_EQ(viewer.FindCountText(), "1 / 3");
  EXPECT_EQ(SelectionOf(view).cpMin, starts[0]);
}

// The highlights follow the text as the wheel and a page back with B scroll
// it, and redrawing them leaves the view where it was scrolled to and the
// selection as it was, a backward one with its moving end at its start; the
// view keeps nothing to undo.
TEST_F(ViewerFind, HighlightsFollowTheScrollAndLeaveTheViewAndTheSelectionAlone) {
  fixture.Start();
  ui::TViewForm& viewer = fixture.Viewer();
  ShowMessage(fixture, "first.qnm", "none\r\n");
  MoveWindow(viewer.hwnd(), 0, 0, 500, 250, TRUE);
  ShowMessage(fixture, "long.qnm", AppleLines(200));
  HWND view = viewer.BigView();
  viewer.OpenFindBar("apple");
  ASSERT_TRUE(PumpKeys(fixture, [&] { return viewer.FindCountText() == "1 / 200"; }));
  SetFocus(view);
  const auto lit_at_line = [&](LONG line) {
    const auto at = static_cast<LONG>(SendMessageW(view, EM_LINEINDEX, line, 0)) + kAppleColumn;
    return (FormatAt(view, at).dwEffects & CFE_AUTOBACKCOLOR) == 0;
  };
  const auto wheel = [&](int notches) {
    RECT r{};
    GetWindowRect(view, &r);
    PostMessageW(view, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA * notches),
                 MAKELPARAM(r.left + 10, r.top + 10));
    Settle();
  };
  wheel(10);
  const LONG wheeled = FirstLine(view);
  ASSERT_GT(wheeled, 10);
  EXPECT_TRUE(lit_at_line(wheeled + 1)) << "after the wheel";
  TypeChar(view, L'b');
  Settle();
  const LONG paged = FirstLine(view);
  ASSERT_LT(paged, wheeled);
  EXPECT_TRUE(lit_at_line(paged + 1)) << "after a page back";

  // A backward selection near the top, then the text scrolled away from it.
  const auto caret = static_cast<LONG>(SendMessageW(view, EM_LINEINDEX, 2, 0)) + 4;
  SendMessageW(view, EM_SETSEL, caret, caret);
  SendMessageW(view, EM_SCROLLCARET, 0, 0);
  Settle();
  Press(fixture, view, VK_LEFT, {VK_SHIFT});
  Press(fixture, view, VK_LEFT, {VK_SHIFT});
  wheel(10);
  const LONG away = FirstLine(view);
  EXPECT_GT(away, 10) << "not brought back to the caret";
  TypeChar(view, L'b');
  Settle();
  EXPECT_LT(FirstLine(view), away);
  EXPECT_GT(FirstLine(view), 2) << "not brought back to the caret";
  EXPECT_EQ(SelectionOf(view).cpMin, caret - 2);
  EXPECT_EQ(SelectionOf(view).cpMax, caret);
  Press(fixture, view, VK_LEFT, {VK_SHIFT});
  EXPECT_EQ(SelectionOf(view).cpMin, caret - 3) << "the moving end is still the start";
  EXPECT_EQ(SelectionOf(view).cpMax, caret);
  EXPECT_EQ(SendMessageW(view, EM_CANUNDO, 0, 0), FALSE);
}

// A string the input method commits comes as a burst of WM_IME_CHAR where
// the box does not take it whole: it is looked for once, whole.
TEST_F(ViewerFind, AStringCommittedAtOnceIsSearchedOnce) {
  fixture.Start();
  ShowMessage(fixture, "ime.qnm", "いちごとりんご、いちご\r\n");
  ui::TViewForm& viewer = fixture.Viewer();
  Press(fixture, viewer.BigView(), 'F', {VK_CONTROL});
  HWND box = viewer.FindBox();
  const std::size_t before = viewer.FindSearchCount();
  for (wchar_t c : std::wstring(L"いちご")) PostMessageW(box, WM_IME_CHAR, c, 1);
  ASSERT_TRUE(PumpKeys(fixture, [&] { return viewer.FindCountText() == "1 / 2"; }))
      << viewer.FindCountText();
  Settle();
  EXPECT_EQ(BoxText(box), L"いちご");
  EXPECT_EQ(viewer.FindSearchCount(), before + 1);
}

int Height(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  return r.bottom - r.top;
}

int FontHeight(HWND control) {
  HDC dc = GetDC(control);
  const HGDIOBJ old =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return metrics.tmHeight;
}

// The bar lies under the text, not over it, and at twice the scale (as
// Windows tells a move to such a monitor) its font doubles, the box still
// holds its text whole and the current occurrence stays current.
TEST_F(ViewerFind, TheBarSitsUnderTheTextAndFollowsTheScale) {
  fixture.Start();
  ShowMessage(fixture, "scale.qnm", "text, text and text\r\n");
  ui::TViewForm& viewer = fixture.Viewer();
  viewer.OpenFindBar("text");
  Press(fixture, viewer.FindBox(), VK_F3);
  ASSERT_EQ(viewer.FindCountText(), "2 / 3");
  HWND box = viewer.FindBox();
  const auto check = [&](const char* when) {
    RECT text{};
    RECT bar{};
    GetWindowRect(viewer.BigView(), &text);
    GetWindowRect(box, &bar);
    EXPECT_GE(bar.top, text.bottom) << when;
    EXPECT_GT(text.bottom - text.top, 0) << when;
    EXPECT_GE(Height(box), FontHeight(box) + 4) << when;
  };
  check("at the start");
  const int before = FontHeight(box);
  RECT bounds{};
  GetWindowRect(viewer.hwnd(), &bounds);
  const int dpi = 2 * ui::DpiOf(viewer.hwnd());
  SendMessageW(viewer.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
               reinterpret_cast<LPARAM>(&bounds));
  Settle();
  EXPECT_GE(FontHeight(box), 2 * before - 2);
  check("at twice the scale");
  EXPECT_EQ(viewer.FindCountText(), "2 / 3");
  const std::wstring shown = ShownText(viewer);
  EXPECT_TRUE(Highlighted(viewer.BigView(), static_cast<LONG>(shown.size()),
                          Occurrences(shown, L"text"), 4, 1));
}

}  // namespace
}  // namespace uitest
