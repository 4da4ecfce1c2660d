#include "ui/dialogs/job_form.h"

#include <string>

#include "thread/ja_texts.h"
#include "ui/ja_texts.h"

namespace ui {

TVtJobForm::TVtJobForm(HWND owner) {
  Frame frame{kClassName, thread::ja::kProgressCaption, 390, 101};
  frame.style = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
  frame.ex_style = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST;
  frame.small_icon = false;
  CreateFrame(owner, frame);
}

void TVtJobForm::OnCreateControls() {
  TitleLabel.Create(hwnd(), 10, ja::kJobDesignTitle);
  Place(TitleLabel, 8, 8, 377, 14);
  MailTitleLabel.Create(hwnd(), 11, "");
  Place(MailTitleLabel, 8, 24, 377, 14);
  ProgressBar.Create(hwnd(), 12);
  Place(ProgressBar, 8, 48, 377, 17);
  ProgressBar.SetRange(0, 100);
  CancelButton.Create(hwnd(), kCancelButtonId, ja::kCancel);
  Place(CancelButton, 312, 72, 75, 25);
  for (const Control* control : {static_cast<const Control*>(&TitleLabel),
                                 static_cast<const Control*>(&MailTitleLabel),
                                 static_cast<const Control*>(&CancelButton)}) {
    control->SetFont(DialogFont());
  }
  SubclassControl<TVtJobForm, &TVtJobForm::CancelButtonMessage>(CancelButton.hwnd(), this);
}

void TVtJobForm::FormShow() {
  cancel_requested_ = false;
  show_pending_ = true;
}

void TVtJobForm::SetTitle(std::string_view sjis) { TitleLabel.SetText(std::string(sjis)); }
void TVtJobForm::SetMailTitle(std::string_view sjis) {
  mail_title_.assign(sjis);
  mail_title_changed_ = true;
}
void TVtJobForm::SetRange(int min, int max) {
  ProgressBar.SetRange(min, max);
  ProgressBar.SetStep(1);
  position_ = shown_position_ = ProgressBar.Position();
}
void TVtJobForm::SetPosition(int position) { position_ = position; }
void TVtJobForm::Step() { ++position_; }
void TVtJobForm::EnableCancel(bool enable) { CancelButton.Enable(enable); }

void TVtJobForm::Flush() {
  if (show_pending_) {
    // Shown once the loader has set the phase text and the bar, so that
    // neither the design text nor the design range is ever seen.
    show_pending_ = false;
    ShowModeless();
  }
  if (mail_title_changed_) {
    MailTitleLabel.SetText(mail_title_);
    mail_title_changed_ = false;
  }
  if (position_ != shown_position_) {
    ProgressBar.SetPosition(position_);
    shown_position_ = position_;
  }
}

// Paints now what Flush and the new title changed (each control invalidates
// itself when its text or position changes; on the first call the whole
// dialog, just shown). Invalidating the whole dialog as well repainted the
// unchanged button and label and the background at each of a load's phases.
void TVtJobForm::Repaint() {
  Flush();
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void TVtJobForm::CancelButtonKeyPress(wchar_t character) {
  if (character == 27) cancel_requested_ = true;
}

LRESULT TVtJobForm::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wparam) == kCancelButtonId && HIWORD(wparam) == BN_CLICKED) {
        CancelButtonClick();
        return 0;
      }
      break;
    case WM_CLOSE:
      return 0;  // the user cannot close it; the caller destroys it
    default:
      break;
  }
  return Dialog::HandleMessage(message, wparam, lparam);
}

// Esc on the focused button cancels like a click (the button asks for all
// keys, so that Esc reaches it as a character).
bool TVtJobForm::CancelButtonMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  if (message == WM_GETDLGCODE) {
    result = DLGC_WANTALLKEYS | DefSubclassProc(CancelButton.hwnd(), message, wparam, lparam);
    return true;
  }
  if (message == WM_CHAR) {
    CancelButtonKeyPress(static_cast<wchar_t>(wparam));
    return wparam == 27;
  }
  return false;
}

}  // namespace ui
