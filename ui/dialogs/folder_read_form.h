#pragma once
// TFolderReadForm: the box of "フォルダを既読にする": every unread message of
// the folder shown, or only those older than a number of days, each choice
// with the exact number of messages it marks (counted among the messages the
// list showed when the command was chosen).

#include <windows.h>

#include <cstddef>
#include <functional>

#include "ui/dialog.h"
#include "ui/dialog_controls.h"

namespace ui {

class TFolderReadForm final : public Dialog {
 public:
  static constexpr wchar_t kClassName[] = L"TFolderReadForm";
  static constexpr int kAllId = 10;
  static constexpr int kOlderId = 11;
  static constexpr int kDaysId = 12;

  explicit TFolderReadForm(HWND owner);

  // In: the messages a choice marks: older than `days` days, or all unread
  // for -1.
  std::function<std::size_t(int days)> Count;
  // In: the days last chosen; out (on OK): the days typed.
  int Days = 7;
  // Out (on OK): only the messages older than Days.
  bool OlderOnly = false;

  // Shows the dialog modally; returns IDOK or IDCANCEL.
  int Run();

  RadioButton AllRadio;
  RadioButton OlderRadio;
  EditBox DaysEdit;
  Label DaysLabel;
  Button OKButton;
  Button CancelButton;

 private:
  void OnCreateControls() override;
  bool OnOk() override;
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  // The days typed, or -1 when the box holds no number of days.
  int TypedDays() const;
  void ShowCounts();
};

}  // namespace ui
