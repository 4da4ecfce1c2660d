// TViewForm: the font command. Its dialog is the main window's font dialog
// with the link colour shown.

#include <richedit.h>

#include <algorithm>
#include <string>

#include "platform/wide_win.h"
#include "ui/dialogs/set_font_form.h"
#include "ui/dpi.h"
#include "ui/ja_texts.h"
#include "ui/view_form.h"

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
  // The message shown, if any, is loaded again as it was (header hidden);
  // without one only the format changes.
  if (view_.MessagePath.empty()) {
    ApplyFont();
  } else {
    font_.CreatePoints(settings_.FontFace, settings_.FontSize, DpiOf(hwnd()), settings_.FontStyle);
    LoadMessage(loaded_flags_, loaded_forced_, loaded_as_stored_);
  }
}

// A face without Japanese: the characters it lacks are given the fallback
// face, as the lists draw them (the rich edit of Wine finds none itself).
void TViewForm::ApplyFallbackFace() {
  if (font_.fallback() == nullptr) return;
  GETTEXTLENGTHEX length_query{GTL_DEFAULT | GTL_PRECISE | GTL_NUMCHARS, 1200};
  const auto length = static_cast<int>(
      SendMessageW(big_view_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length_query), 0));
  if (length <= 0) return;
  // As the control counts positions: a line end is one character.
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GETTEXTEX get{};
  get.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  get.flags = GT_DEFAULT;
  get.codepage = 1200;
  const auto copied =
      static_cast<std::size_t>(SendMessageW(big_view_, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                                            reinterpret_cast<LPARAM>(text.data())));
  text.resize(std::min(copied, text.size()));
  CHARFORMAT2W format{};
  format.cbSize = sizeof format;
  format.dwMask = CFM_FACE | CFM_CHARSET;
  format.bCharSet = SHIFTJIS_CHARSET;
  platform::Widen(font_.fallback_face()).copy(format.szFaceName, LF_FACESIZE - 1);
  std::vector<CHARRANGE> ranges;
  for (const auto& [first, last] : MissingRuns(font_.handle(), text))
    ranges.push_back({first, last});
  FormatRanges(format, ranges);
}

}  // namespace ui
