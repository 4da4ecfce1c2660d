// TViewForm: the font command. Its dialog is the main window's font dialog
// with the link colour shown.

#include "ui/dialogs/set_font_form.h"
#include "ui/ja_texts.h"
#include "ui/view_form.h"

namespace ui {

void TViewForm::mFontClick() {
  TSetFontForm dialog(hwnd());
  dialog.ScreenCaption = ja::kViewScreen;
  dialog.ShowLinkColor = true;
  dialog.LinkColor = settings_.LinkColor;
  dialog.Panel1 =
      SampleFont{settings_.FontFace, settings_.FontSize, settings_.Color, settings_.BColor};
  dialog.Run();
  if (!dialog.FontChosen) return;
  const BusyFlag::Scope busy = ViewerBusy.Hold();
  settings_.FontFace = dialog.Panel1.FontFace;
  settings_.FontSize = dialog.Panel1.FontSize;
  settings_.Color = dialog.Panel1.Color;
  settings_.BColor = dialog.Panel1.BColor;
  settings_.LinkColor = dialog.LinkColor;
  font_.CreatePoints(settings_.FontFace, settings_.FontSize);
  // The message shown, if any, is loaded again as it was (header hidden);
  // without one only the format changes.
  if (view_.MessagePath.empty()) {
    ApplyBigViewFormat();
  } else {
    LoadMessage(loaded_flags_, loaded_forced_, loaded_as_stored_);
  }
}

}  // namespace ui
