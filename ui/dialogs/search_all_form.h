#pragma once
// TSearchAllForm: the box of "すべてのフォルダを検索": the text to look for in
// every folder of the mailbox, with the quick filter's matching and the text
// of the mail included. OK with nothing to look for (an empty box, or blanks
// only) beeps and keeps the box open.

#include <windows.h>

#include <string>

#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/dialog_controls.h"

namespace ui {

class TSearchAllForm final : public Dialog {
 public:
  static constexpr wchar_t kClassName[] = L"TSearchAllForm";

  explicit TSearchAllForm(HWND owner);

  // In: the text searched last (shown selected); out: the text to search
  // (UTF-8, every character as typed), set on OK.
  std::string Query;

  // Shows the dialog modally; returns IDOK or IDCANCEL.
  int Run();

  Label QueryLabel;
  EditBox QueryEdit;
  Button OKButton;
  Button CancelButton;

 private:
  void OnCreateControls() override;
  bool OnOk() override;
};

}  // namespace ui
