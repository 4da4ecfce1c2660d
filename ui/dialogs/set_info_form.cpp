#include "ui/dialogs/set_info_form.h"

#include <commdlg.h>

#include "client/client_commands.h"
#include "platform/wide_win.h"
#include "settings/settings.h"
#include "ui/ja_texts.h"
#include "ui/window.h"

namespace ui {
namespace {

// The two longest captions may take a second line where the face is wider
// than the design's.
void WrapText(const Control& check_box) {
  SetWindowLongPtrW(check_box.hwnd(), GWL_STYLE,
                    GetWindowLongPtrW(check_box.hwnd(), GWL_STYLE) | BS_MULTILINE);
}

}  // namespace

TSetInfoForm::TSetInfoForm(HWND owner) {
  CreateFrame(owner, Frame{kClassName, ja::kSetInfoCaption, 296, 232});
}

void TSetInfoForm::OnCreateControls() {
  const HWND self = hwnd();
  auto page = [this](int index, const Control& control) {
    pages_[index].push_back(control.hwnd());
  };
  GroupBox group;
  Label label;
  // Page 0: threads.
  group.Create(self, 20, ja::kGroupAnalysis);
  Place(group, 8, 36, 280, 72);
  page(0, group);
  RefCheckBox.Create(self, 21, ja::kRefCheckBox);
  Place(RefCheckBox, 16, 56, 268, 17);
  page(0, RefCheckBox);
  SubjectCheckBox.Create(self, 22, ja::kSubjectCheckBox);
  Place(SubjectCheckBox, 16, 76, 268, 28);
  WrapText(SubjectCheckBox);
  page(0, SubjectCheckBox);
  CollapseCheckBox.Create(self, 23, ja::kCollapseCheckBox);
  Place(CollapseCheckBox, 16, 116, 268, 17);
  page(0, CollapseCheckBox);
  MuteReadCheckBox.Create(self, 24, ja::kMuteReadCheckBox);
  Place(MuteReadCheckBox, 16, 136, 268, 28);
  WrapText(MuteReadCheckBox);
  page(0, MuteReadCheckBox);
  // Page 1: the mail client's executable.
  group.Create(self, 30, ja::kGroupQuenmar);
  Place(group, 8, 36, 280, 84);
  page(1, group);
  QuenmarEdit.Create(self, 31);
  Place(QuenmarEdit, 16, 58, 216, 21);
  page(1, QuenmarEdit);
  QuenmarButton.Create(self, kQuenmarButtonId, ja::kQuenmarButton);
  Place(QuenmarButton, 236, 57, 44, 23);
  page(1, QuenmarButton);
  label.Create(self, 32, ja::kQuenmarNote);
  Place(label, 16, 92, 268, 14);
  page(1, label);
  // Page 2: the rest.
  group.Create(self, 40, ja::kGroupOther);
  Place(group, 8, 36, 280, 154);
  page(2, group);
  CheckBox* const checks[] = {&InMemoryCheckBox, &MidokuCheckBox, &NkfCheckBox};
  const char* const check_texts[] = {ja::kInMemoryCheckBox, ja::kMidokuCheckBox, ja::kNkfCheckBox};
  for (int i = 0; i < 3; ++i) {
    checks[i]->Create(self, 41 + i, check_texts[i]);
    Place(*checks[i], 16, 52 + 20 * i, 268, i == 2 ? 28 : 17);
    page(2, *checks[i]);
  }
  WrapText(NkfCheckBox);
  group.Create(self, 44, ja::kGroupPos);
  Place(group, 16, 124, 264, 62);
  page(2, group);
  // Two columns, filled column by column as a radio group lays out its items.
  const char* const positions[] = {ja::kPosFirst, ja::kPosLast, ja::kPosFirstUnread,
                                   ja::kPosLastUnread};
  for (int i = 0; i < 4; ++i) {
    RadioGroupPos[i].Create(self, 45 + i, positions[i], i == 0);
    Place(RadioGroupPos[i], 24 + 126 * (i / 2), 142 + 20 * (i % 2), 124, 17);
    page(2, RadioGroupPos[i]);
  }
  OKButton.Create(self, IDOK, "OK");
  Place(OKButton, 132, 202, 75, 25);
  // The radio group ends before OK.
  SetWindowLongPtrW(OKButton.hwnd(), GWL_STYLE,
                    GetWindowLongPtrW(OKButton.hwnd(), GWL_STYLE) | WS_GROUP);
  CancelButton.Create(self, IDCANCEL, ja::kCancel);
  Place(CancelButton, 214, 202, 75, 25);
  // The page control is made last so that it lies beneath the pages' controls.
  PageControl.Create(self, kPageControlId);
  SetWindowLongPtrW(PageControl.hwnd(), GWL_STYLE,
                    GetWindowLongPtrW(PageControl.hwnd(), GWL_STYLE) | WS_CLIPSIBLINGS);
  Place(PageControl, 6, 6, 284, 188);
  PageControl.AddPage(0, ja::kPageThread);
  PageControl.AddPage(1, ja::kPageQuenmar);
  PageControl.AddPage(2, ja::kPageOther);
  ApplyDialogFont();
  ShowPage(0);
}

void TSetInfoForm::ShowPage(int page) {
  PageControl.Select(page);
  for (int i = 0; i < 3; ++i) {
    for (HWND control : pages_[i]) ShowWindow(control, i == page ? SW_SHOW : SW_HIDE);
  }
}

int TSetInfoForm::Run() {
  FormShow();
  return ShowModal();
}

void TSetInfoForm::FormShow() {
  const settings::PropertySettings options = settings::LoadOptionSettings(SettingsPath);
  RefCheckBox.SetChecked(options.References != 0);
  InMemoryCheckBox.SetChecked(options.MailInMemory != 0);
  // A value no button stands for (a hand-edited file) shows as the default,
  // so that OK never writes -1 for "no button checked".
  const int position = options.MailIniPos >= 0 && options.MailIniPos < 4
                           ? options.MailIniPos
                           : settings::PropertySettings{}.MailIniPos;
  for (int i = 0; i < 4; ++i) RadioGroupPos[i].SetChecked(i == position);
  MidokuCheckBox.SetChecked(options.MidokuSearch != 0);
  SubjectCheckBox.SetChecked(options.Subject != 0);
  CollapseCheckBox.SetChecked(options.CollapseThreads != 0);
  MuteReadCheckBox.SetChecked(options.MarkMutedRead != 0);
  QuenmarEdit.SetText(options.Quenmar32);
  NkfCheckBox.SetChecked(options.ComplNkf != 0);
  // Without the converter the box keeps the value read, for OK to write back.
  NkfCheckBox.Enable(NkfLoaded);
}

int TSetInfoForm::SelectedPosition() const {
  for (int i = 0; i < 4; ++i) {
    if (RadioGroupPos[i].Checked()) return i;
  }
  return -1;
}

void TSetInfoForm::QuenmarButtonClick() {
  const std::wstring current = platform::Widen(QuenmarEdit.Text());
  std::wstring initial_dir;
  const std::size_t slash = current.find_last_of(L"\\/");
  if (!current.empty() && slash != std::wstring::npos) initial_dir = current.substr(0, slash);
  wchar_t file[MAX_PATH] = {};
  const std::wstring title = platform::Widen(ja::kQuenmarOpenTitle);
  OPENFILENAMEW open{};
  open.lStructSize = sizeof(open);
  open.hwndOwner = hwnd();
  open.lpstrFilter = L"Quenmar32\0quenmar.exe\0";
  open.lpstrFile = file;
  open.nMaxFile = MAX_PATH;
  open.lpstrInitialDir = initial_dir.empty() ? nullptr : initial_dir.c_str();
  open.lpstrTitle = title.c_str();
  open.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_SHAREAWARE | OFN_NONETWORKBUTTON;
  if (GetOpenFileNameW(&open)) TakeClientPath(file);
}

bool TSetInfoForm::TakeClientPath(const std::wstring& path) {
  const std::optional<std::string> narrow = platform::NarrowPath(path);
  if (!narrow) {
    ShowErrorBox(ja::kClientFolderUnusable);
    return false;
  }
  QuenmarEdit.SetText(*narrow);
  return true;
}

bool TSetInfoForm::OKButtonClick() {
  // A typed path CP932 cannot hold keeps the dialog open, rather than be
  // written with "?" for what it could not hold.
  if (!TakeClientPath(QuenmarEdit.WideText())) return false;
  // A path that does not name the client's executable is not kept.
  if (!client::ClientConfigured(QuenmarEdit.Text())) QuenmarEdit.SetText("");
  // Starts from the file so that a key of the pass this dialog does not show
  // is written back as it was.
  settings::PropertySettings options = settings::LoadOptionSettings(SettingsPath);
  options.References = RefCheckBox.Checked() ? 1 : 0;
  options.MailInMemory = InMemoryCheckBox.Checked() ? 1 : 0;
  options.MailIniPos = SelectedPosition();
  options.MidokuSearch = MidokuCheckBox.Checked() ? 1 : 0;
  options.Subject = SubjectCheckBox.Checked() ? 1 : 0;
  options.CollapseThreads = CollapseCheckBox.Checked() ? 1 : 0;
  options.MarkMutedRead = MuteReadCheckBox.Checked() ? 1 : 0;
  options.Quenmar32 = QuenmarEdit.Text();
  options.ComplNkf = NkfCheckBox.Checked() ? 1 : 0;
  SaveFailed = !settings::SaveOptionSettings(SettingsPath, options);
  return true;
}

LRESULT TSetInfoForm::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NOTIFY) {
    const auto& header = *reinterpret_cast<const NMHDR*>(lparam);
    if (header.idFrom == kPageControlId && header.code == TCN_SELCHANGE)
      ShowPage(PageControl.Selected());
    return 0;
  }
  if (message == WM_COMMAND && LOWORD(wparam) == kQuenmarButtonId && HIWORD(wparam) == BN_CLICKED) {
    QuenmarButtonClick();
    return 0;
  }
  return Dialog::HandleMessage(message, wparam, lparam);
}

}  // namespace ui
