#pragma once
// TVtJobForm: the progress dialog shown while a folder's threads are read, on
// the dialog base. Modeless, top-most, no system menu (the user cannot close
// it); the loaders write the phase text, the message subject and the bar
// through ProgressSink and poll CancelRequested after every message. Cancel
// (click, or Esc while the button has the focus) only sets the flag; the
// caller destroys the dialog when the load has ended.

#include <windows.h>

#include <string>
#include <string_view>

#include "thread/load_host.h"
#include "ui/controls.h"
#include "ui/dialog.h"

namespace ui {

class TVtJobForm final : public Dialog, public thread::ProgressSink {
 public:
  static constexpr wchar_t kClassName[] = L"TVtJobForm";
  static constexpr int kCancelButtonId = 2;

  // Creates the dialog hidden, owned by `owner`, its top-left corner 30 pixels
  // right of and below the owner's.
  explicit TVtJobForm(HWND owner);

  // FormShow: clears CancelRequested. The dialog appears, without taking the
  // activation, at the next Flush or Repaint, when the loader has set it up.
  void FormShow();

  // ProgressSink.
  void SetTitle(std::string_view sjis) override;
  void SetMailTitle(std::string_view sjis) override;
  void SetRange(int min, int max) override;
  void SetPosition(int position) override;
  void Step() override;
  void EnableCancel(bool enable) override;
  void Repaint() override;
  bool CancelRequested() override { return cancel_requested_; }

  // Puts the subject and the bar position written since the last call into
  // the controls. The loaders write them for every message; the controls
  // follow only when the window gets to paint (the main window calls this
  // before it lets messages run), because a progress bar repaints itself at
  // every step and that would cost more than reading the message.
  void Flush();

  // The controls, for tests and for reading the dialog back.
  Label TitleLabel;
  Label MailTitleLabel;
  ui::ProgressBar ProgressBar;
  Button CancelButton;

  void CancelButtonClick() { cancel_requested_ = true; }
  void CancelButtonKeyPress(wchar_t character);

 private:
  void OnCreateControls() override;
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  bool CancelButtonMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);

  bool cancel_requested_ = false;
  int position_ = 0;
  int shown_position_ = 0;
  std::string mail_title_;
  bool mail_title_changed_ = false;
  bool show_pending_ = false;
};

}  // namespace ui
