#pragma once
// Base of the program's dialogs. A dialog is a window of its own class with a
// dialog border, placed relative to its owner and carrying the program's
// small icon. Input and output go through plain public fields of the derived
// class: set them before showing, read them after closing.
//
// ShowModal runs the dialog's own message loop through IsDialogMessageW, so
// Tab and Shift+Tab move between the WS_TABSTOP controls, Enter presses the
// default button (IDOK unless SetDefaultButton says otherwise) and Esc presses
// Cancel (IDCANCEL). The owner is disabled while the dialog runs; when it
// ends, the owner is enabled again before the dialog is destroyed (else
// Windows gives the activation to another program) and the focus goes back to
// the owner's control that had it. ShowModeless shows it beside a running
// owner (the progress dialog).

#include <windows.h>

#include <string>

#include "ui/fonts.h"
#include "ui/window.h"

namespace ui {

class Dialog : public Window {
 public:
  struct Frame {
    const wchar_t* class_name;
    std::string caption;  // CP932
    int client_width = 0;
    int client_height = 0;
    // No WS_CLIPCHILDREN: a group box paints only its frame, and the dialog
    // must paint the background inside it.
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    DWORD ex_style = WS_EX_DLGMODALFRAME;
    // Top-left corner relative to the owner's: `offset` pixels right of and
    // below it; centred on the owner (or the screen) when `centre` is set.
    POINT offset{30, 30};
    bool centre = false;
    bool small_icon = true;
  };

  // Runs the dialog modally; returns the id of the button that ended it
  // (IDOK, IDCANCEL, ...). The window is destroyed when it returns.
  int ShowModal();
  // Shows the dialog without activating it and returns at once.
  void ShowModeless();

  // The face and height the dialogs are designed with.
  HFONT DialogFont() const { return font_.handle(); }

 protected:
  Dialog() = default;
  // The window goes before the font its controls still hold.
  ~Dialog() override { DestroyNow(); }
  // Registers the class, creates the window hidden and calls OnCreateControls.
  void CreateFrame(HWND owner, const Frame& frame);
  virtual void OnCreateControls() {}
  // IDOK: return false to keep the dialog open (e.g. an invalid entry).
  virtual bool OnOk() { return true; }
  virtual void OnCancel() {}
  // Ends ShowModal with `result`.
  void EndModal(int result);
  void SetDefaultButton(int id) { default_button_ = id; }
  // Gives every control of the dialog the dialog font.
  void ApplyDialogFont() const;
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  Font font_;
  HWND owner_ = nullptr;
  int default_button_ = IDOK;
  int result_ = IDCANCEL;
  bool running_ = false;
};

}  // namespace ui
