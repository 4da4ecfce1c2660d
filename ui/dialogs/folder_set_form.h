#pragma once
// TFolderSetForm: the folder-properties dialog. It shows the folder's own
// display settings from its "VLTR.fol" (TabInfo defaulting to the settings
// file's) and on OK writes both keys, changed or not, creating the file when
// it is missing. The caller rereads the file afterwards and refills the thread
// list only when a value changed.

#include <windows.h>

#include <string>

#include "ui/dialog.h"
#include "ui/dialog_controls.h"

namespace ui {

class TFolderSetForm final : public Dialog {
 public:
  static constexpr wchar_t kClassName[] = L"TFolderSetForm";

  // `caption`: "[ " + the folder's row + " ]フォルダのプロパティ" (CP932).
  TFolderSetForm(HWND owner, const std::string& caption);

  // In: the folder's directory and the settings file's TabInfo.
  std::string FolderPath;
  int TabInfoDefault = 0;

  // Shows the dialog modally (FormShow first); returns IDOK or IDCANCEL.
  int Run();

  CheckBox MlDelCheckBox;
  CheckBox TabCheckBox;
  Button OKButton;
  Button CancelButton;

 private:
  void OnCreateControls() override;
  void FormShow();
  bool OnOk() override { return OKButtonClick(); }
  bool OKButtonClick();
};

}  // namespace ui
