#include "ui/dialogs/folder_read_form.h"

#include <string>

#include "settings/ini_profile.h"
#include "ui/ja_texts.h"

namespace ui {

namespace {

// Days beyond a century are taken as typed but mean every message.
constexpr int kMaxDays = 36500;

std::string Counted(const char* caption, std::size_t count) {
  return std::string(caption) + " (" + std::to_string(count) + ja::kFolderReadCountEnd;
}

}  // namespace

TFolderReadForm::TFolderReadForm(HWND owner) {
  CreateFrame(owner, Frame{kClassName, ja::kFolderReadCaption, 300, 84});
}

void TFolderReadForm::OnCreateControls() {
  AllRadio.Create(hwnd(), kAllId, ja::kFolderReadAll, true);
  Place(AllRadio, 8, 8, 284, 16);
  OlderRadio.Create(hwnd(), kOlderId, ja::kFolderReadOlder, false);
  Place(OlderRadio, 8, 30, 220, 16);
  DaysEdit.Create(hwnd(), kDaysId);
  Place(DaysEdit, 230, 28, 40, 20);
  DaysLabel.Create(hwnd(), 13, ja::kFolderReadDays);
  Place(DaysLabel, 274, 31, 20, 14);
  OKButton.Create(hwnd(), IDOK, "OK");
  Place(OKButton, 128, 58, 75, 21);
  CancelButton.Create(hwnd(), IDCANCEL, ja::kCancel);
  Place(CancelButton, 216, 58, 75, 21);
  ApplyDialogFont();
}

int TFolderReadForm::Run() {
  DaysEdit.SetText(std::to_string(Days));
  AllRadio.SetChecked(true);
  ShowCounts();
  return ShowModal();
}

int TFolderReadForm::TypedDays() const {
  std::int32_t days = -1;
  if (!settings::ParseInteger(DaysEdit.Text(), days) || days < 0) return -1;
  return days > kMaxDays ? kMaxDays : days;
}

void TFolderReadForm::ShowCounts() {
  if (!Count) return;
  AllRadio.SetText(Counted(ja::kFolderReadAll, Count(-1)));
  const int days = TypedDays();
  OlderRadio.SetText(days < 0 ? std::string(ja::kFolderReadOlder)
                              : Counted(ja::kFolderReadOlder, Count(days)));
}

LRESULT TFolderReadForm::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COMMAND && LOWORD(wparam) == kDaysId && HIWORD(wparam) == EN_CHANGE) {
    ShowCounts();
    OlderRadio.SetChecked(true);
    AllRadio.SetChecked(false);
    return 0;
  }
  return Dialog::HandleMessage(message, wparam, lparam);
}

bool TFolderReadForm::OnOk() {
  OlderOnly = OlderRadio.Checked();
  if (OlderOnly && TypedDays() < 0) {
    MessageBeep(MB_OK);
    DaysEdit.Focus();
    return false;
  }
  if (OlderOnly) Days = TypedDays();
  return true;
}

}  // namespace ui
