#pragma once
// TSetInfoForm: the options dialog. Three pages (threads, the mail client,
// other) over the seven [Property] keys of the options pass. It reads them
// from the settings file when shown and writes them on OK only; the main
// window rereads its property settings after it has closed, either way.

#include <windows.h>

#include <string>
#include <vector>

#include "platform/system_path.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/dialog_controls.h"

namespace ui {

class TSetInfoForm final : public Dialog {
 public:
  static constexpr wchar_t kClassName[] = L"TSetInfoForm";
  static constexpr int kPageControlId = 10;
  static constexpr int kQuenmarButtonId = 11;

  explicit TSetInfoForm(HWND owner);

  // In: the settings file, and whether "NKF32.DLL" was loaded at start.
  platform::SystemPath SettingsPath;
  bool NkfLoaded = false;
  // Out: OK could not write the settings file.
  bool SaveFailed = false;

  // FormShow, then the modal run.
  int Run();

  TabControl PageControl;
  CheckBox RefCheckBox;
  CheckBox SubjectCheckBox;
  CheckBox CollapseCheckBox;  // "CollapseThreads"
  CheckBox MuteReadCheckBox;  // "MarkMutedRead"
  EditBox QuenmarEdit;
  Button QuenmarButton;
  CheckBox InMemoryCheckBox;
  CheckBox MidokuCheckBox;
  CheckBox NkfCheckBox;
  RadioButton RadioGroupPos[4];
  Button OKButton;
  Button CancelButton;

  void ShowPage(int page);
  void QuenmarButtonClick();
  // The client's path (from the file dialog or typed) into QuenmarEdit as
  // the settings keep it: CP932, or else the short name Windows keeps for a
  // folder outside it. False, after telling the user why, when neither can
  // name it (a path with "?" in it would name nothing).
  bool TakeClientPath(const std::wstring& path);

 private:
  void OnCreateControls() override;
  void FormShow();
  bool OnOk() override { return OKButtonClick(); }
  bool OKButtonClick();
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  int SelectedPosition() const;

  // The controls of each page, shown only while their page is.
  std::vector<HWND> pages_[3];
};

}  // namespace ui
