#include "ui/dialogs/about_form.h"

#include "ui/ja_texts.h"

namespace ui {

TAbout::TAbout(HWND owner) { CreateFrame(owner, Frame{kClassName, ja::kAboutCaption, 258, 97}); }

void TAbout::OnCreateControls() {
  Label1.Create(hwnd(), 10, ja::kAboutLine1);
  Place(Label1, 17, 24, 236, 14);
  // VELTRANO_VERSION: the project's version, given by the build.
  Label2.Create(hwnd(), 11, "Veltrano " VELTRANO_VERSION);
  Place(Label2, 72, 40, 180, 14);
  // The only button is both OK and Cancel: Enter and Esc close the dialog.
  ButtonOK.Create(hwnd(), IDOK, "OK");
  Place(ButtonOK, 192, 64, 57, 25);
  ApplyDialogFont();
}

}  // namespace ui
