// TViewForm: the font command. Its dialog is the main window's font dialog
// with the link colour shown.

#include <richedit.h>

#include <algorithm>
#include <string>

#include "platform/wide_win.h"
#include "thread/thread_node.h"
#include "ui/dialogs/set_font_form.h"
#include "ui/dpi.h"
#include "ui/ja_texts.h"
#include "ui/view_form.h"
#include "viewer/unicode_text.h"

namespace ui {

void TViewForm::mFontClick() {
  TSetFontForm dialog(hwnd());
  dialog.ScreenCaption = ja::kViewScreen;
  dialog.ShowLinkColor = true;
  dialog.LinkColor = settings_.LinkColor;
  dialog.Panel1 = SampleFont{settings_.FontFace, settings_.FontSize, settings_.FontStyle,
                             settings_.Color, settings_.BColor};
  dialog.Run();
  if (!dialog.FontChosen) return;
  const BusyFlag::Scope busy = ViewerBusy.Hold();
  settings_.FontFace = dialog.Panel1.FontFace;
  settings_.FontSize = dialog.Panel1.FontSize;
  settings_.FontStyle = dialog.Panel1.FontStyle;
  settings_.Color = dialog.Panel1.Color;
  settings_.BColor = dialog.Panel1.BColor;
  settings_.LinkColor = dialog.LinkColor;
  // The message shown is loaded again as the main window opens it: the
  // viewed node's flag word and ComplNkf, the header hidden (a view of the
  // forced filter ends). When the main window has opened another folder
  // meanwhile there is no node: the lines shown stay, in the new font.
  // Without a message only the format changes.
  if (view_.MessagePath.empty()) {
    ApplyFont();
    return;
  }
  font_.CreatePoints(settings_.FontFace, settings_.FontSize, DpiOf(hwnd()), settings_.FontStyle);
  const thread::ThreadNode* node = host_ != nullptr ? host_->ViewedNode() : nullptr;
  if (node != nullptr) {
    LoadMessage(thread::FlagWord(*node), opened_forced_);
    return;
  }
  big_view_.SetRedraw(false);
  ShowLines();
  big_view_.SetRedraw(true);
  big_view_.Invalidate();
  HighlightShownMatches();
}

// Moved to a monitor of another scale: the icons and the font at the new
// size, the window at the bounds Windows suggests, and the text shown again
// in that font (a format given to the whole text would take the links'
// colour and underline and the fallback faces away), with the selection kept
// and the line that was at the top still at the top.
void TViewForm::DpiChanged(int dpi, LPARAM suggested) {
  ApplyIcons(dpi);
  const std::size_t top = big_view_.TopPosition();
  const viewer::TextRange selection = big_view_.Selection();
  font_.CreatePoints(settings_.FontFace, settings_.FontSize, DpiOf(hwnd()), settings_.FontStyle);
  find_bar_.ApplyFont(dpi);
  TakeSuggestedRect(hwnd(), suggested);
  Layout();  // the bar's new height, also when the window keeps its size
  if (shown_.Text().empty()) {
    ApplyBigViewFormat();
    return;
  }
  big_view_.SetRedraw(false);
  ShowLines();
  big_view_.Select(selection);
  big_view_.ScrollToTop(top);
  big_view_.SetRedraw(true);
  big_view_.Invalidate();
  HighlightShownMatches();
}

// A face without Japanese: the characters it lacks are given the fallback
// face, as the lists draw them (the rich edit of Wine finds none itself).
// Only those Shift-JIS has: the fallback face is a Japanese one, and an
// emoji, Hangul or Thai is better drawn in the face the rich edit of Windows
// picks for it.
void TViewForm::ApplyFallbackFace() {
  if (font_.fallback() == nullptr) return;
  // As the control counts positions: a line end is one character.
  const std::wstring text = big_view_.Text();
  if (text.empty()) return;
  CHARFORMAT2W format{};
  format.cbSize = sizeof format;
  format.dwMask = CFM_FACE | CFM_CHARSET;
  format.bCharSet = SHIFTJIS_CHARSET;
  platform::Widen(font_.fallback_face()).copy(format.szFaceName, LF_FACESIZE - 1);
  std::vector<viewer::UnitRun> missing;
  for (const auto& [first, last] : MissingRuns(font_.handle(), text))
    missing.push_back({first, last});
  std::vector<viewer::TextRange> ranges;
  const std::u16string units(text.begin(), text.end());
  for (const viewer::UnitRun& run : viewer::ShiftJisRuns(units, missing)) {
    ranges.push_back({static_cast<std::size_t>(run.first), static_cast<std::size_t>(run.last)});
  }
  big_view_.FormatRanges(format, ranges);
}

}  // namespace ui
