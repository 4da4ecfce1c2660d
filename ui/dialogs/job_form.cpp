#include "ui/dialogs/job_form.h"

#include <string>

#include "ui/window.h"
#include "thread/ja_texts.h"

namespace ui {
namespace {

constexpr int kClientWidth = 390;
constexpr int kClientHeight = 101;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_TOOLWINDOW;

// "スレッドの展開中です　しばらくお待ち下さい。": design text of TitleLabel.
constexpr char kDesignTitle[] =
    "\x83X\x83\x8C\x83\x62\x83h\x82\xCC\x93W\x8AJ\x92\x86\x82\xC5\x82\xB7\x81@\x82\xB5\x82\xCE"
    "\x82\xE7\x82\xAD\x82\xA8\x91\xD2\x82\xBF\x89\xBA\x82\xB3\x82\xA2\x81\x42";
// "キャンセル"
constexpr char kCancelCaption[] = "\x83L\x83\x83\x83\x93\x83Z\x83\x8B";

}  // namespace

TVtJobForm::TVtJobForm(HWND owner, POINT anchor) {
  RegisterWindowClass(kClassName, nullptr, GetSysColorBrush(COLOR_BTNFACE));
  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  Create(kClassName, kExStyle, kStyle, thread::ja::kProgressCaption, anchor.x + 30,
         anchor.y + 30, frame.right - frame.left, frame.bottom - frame.top, owner, nullptr);
  font_.CreateHeight(kDialogFace, -12);
  TitleLabel.Create(hwnd(), 10, kDesignTitle);
  TitleLabel.Move(8, 8, 377, 14);
  MailTitleLabel.Create(hwnd(), 11, "");
  MailTitleLabel.Move(8, 24, 377, 14);
  ProgressBar.Create(hwnd(), 12);
  ProgressBar.Move(8, 48, 377, 17);
  ProgressBar.SetRange(0, 100);
  CancelButton.Create(hwnd(), kCancelButtonId, kCancelCaption);
  CancelButton.Move(312, 72, 75, 25);
  for (const Control* control : {static_cast<const Control*>(&TitleLabel),
                                 static_cast<const Control*>(&MailTitleLabel),
                                 static_cast<const Control*>(&CancelButton)}) {
    control->SetFont(font_.handle());
  }
  SubclassControl(CancelButton.hwnd(), &TVtJobForm::CancelButtonProc, this);
}

void TVtJobForm::FormShow() {
  cancel_requested_ = false;
  ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
  UpdateWindow(hwnd());
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
  if (mail_title_changed_) {
    MailTitleLabel.SetText(mail_title_);
    mail_title_changed_ = false;
  }
  if (position_ != shown_position_) {
    ProgressBar.SetPosition(position_);
    shown_position_ = position_;
  }
}

void TVtJobForm::Repaint() {
  Flush();
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
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
    case WM_CTLCOLORSTATIC:
      SetBkMode(reinterpret_cast<HDC>(wparam), TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    default:
      break;
  }
  return Window::HandleMessage(message, wparam, lparam);
}

LRESULT CALLBACK TVtJobForm::CancelButtonProc(HWND hwnd, UINT message, WPARAM wparam,
                                              LPARAM lparam, UINT_PTR, DWORD_PTR self) noexcept {
  if (message == WM_GETDLGCODE) return DLGC_WANTALLKEYS | DefSubclassProc(hwnd, message, wparam, lparam);
  if (message == WM_CHAR) {
    reinterpret_cast<TVtJobForm*>(self)->CancelButtonKeyPress(static_cast<wchar_t>(wparam));
    if (wparam == 27) return 0;
  }
  return DefSubclassProc(hwnd, message, wparam, lparam);
}

}  // namespace ui
