#include "ui/dialogs/folder_set_form.h"

#include "mailbox/folder_discovery.h"
#include "ui/ja_texts.h"

namespace ui {

TFolderSetForm::TFolderSetForm(HWND owner, const std::string& caption) {
  CreateFrame(owner, Frame{kClassName, caption, 332, 100});
}

void TFolderSetForm::OnCreateControls() {
  MlDelCheckBox.Create(hwnd(), 10, ja::kMlDelCheckBox);
  Place(MlDelCheckBox, 8, 8, 217, 17);
  TabCheckBox.Create(hwnd(), 11, ja::kTabCheckBox);
  Place(TabCheckBox, 8, 32, 121, 17);
  OKButton.Create(hwnd(), IDOK, "OK");
  Place(OKButton, 160, 72, 75, 25);
  CancelButton.Create(hwnd(), IDCANCEL, ja::kCancel);
  Place(CancelButton, 248, 72, 75, 25);
  ApplyDialogFont();
}

int TFolderSetForm::Run() {
  FormShow();
  return ShowModal();
}

void TFolderSetForm::FormShow() {
  const mailbox::FolderDisplaySettings shown =
      mailbox::ReadFolderDisplaySettings(FolderPath, TabInfoDefault);
  TabCheckBox.SetChecked(shown.TabInfo != 0);
  MlDelCheckBox.SetChecked(shown.MlStringDelete != 0);
}

bool TFolderSetForm::OKButtonClick() {
  mailbox::FolderDisplaySettings chosen;
  chosen.TabInfo = TabCheckBox.Checked() ? 1 : 0;
  chosen.MlStringDelete = MlDelCheckBox.Checked() ? 1 : 0;
  mailbox::WriteFolderDisplaySettings(FolderPath, chosen);
  return true;
}

}  // namespace ui
