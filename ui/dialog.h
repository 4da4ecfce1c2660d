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
#include <vector>

#include "ui/controls.h"
#include "ui/fonts.h"
#include "ui/window.h"

namespace ui {

class Dialog : public Window {
 public:
  // Layout: positions and sizes are given in design pixels, the pixels of
  // the dialog font (ＭＳ Ｐゴシック, 9 points) at 100%, whose character cell
  // is kDesignBase. They are scaled by the dialog font's measured character
  // size at the dialog's DPI, as dialog units are: the dialogs grow with the
  // display scale and with a face wider or taller than the design's.
  static constexpr SIZE kDesignBase{6, 12};

  struct Frame {
    const wchar_t* class_name;
    std::string caption;  // CP932
    int client_width = 0;   // design pixels
    int client_height = 0;  // design pixels
    // No WS_CLIPCHILDREN: a group box paints only its frame, and the dialog
    // must paint the background inside it.
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    DWORD ex_style = WS_EX_DLGMODALFRAME;
    // Top-left corner relative to the owner's: `offset` pixels (at 100%)
    // right of and below it; centred on the owner (or the screen) when `centre` is set.
    POINT offset{30, 30};
    bool centre = false;
    bool small_icon = true;
  };

  // Runs the dialog modally; returns the id of the button that ended it
  // (IDOK, IDCANCEL, ...). The window is destroyed when it returns.
  int ShowModal();
  // Shows the dialog without activating it and returns at once.
  void ShowModeless();

  // The face and size the dialogs are designed with, at the dialog's DPI.
  HFONT DialogFont() const { return font_.handle(); }
  // Design pixels in pixels of this dialog.
  int X(int design) const { return MulDiv(design, base_.cx, kDesignBase.cx); }
  int Y(int design) const { return MulDiv(design, base_.cy, kDesignBase.cy); }

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
  // Places a control at a rectangle in design pixels; it keeps its place
  // when the dialog moves to a monitor of another scale.
  void Place(const Control& control, int x, int y, int width, int height);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void CreateFontFor(int dpi);
  // The dialog's outer size for a character cell `base` at `dpi`; and at
  // `dpi` with the font measured there (WM_GETDPISCALEDSIZE).
  SIZE OuterSize(SIZE base, int dpi) const;
  SIZE SizeAt(int dpi) const;
  void OnDpiChanged(int dpi, LPARAM suggested);
  struct Placed {
    HWND control;
    RECT design;
  };

  Font font_;
  SIZE base_ = kDesignBase;  // the dialog font's character cell
  SIZE design_client_{};     // the frame's client area, design pixels
  DWORD style_ = 0;
  DWORD ex_style_ = 0;
  std::vector<Placed> placed_;
  HWND owner_ = nullptr;
  bool icons_ = false;  // the application's icon in the caption
  int default_button_ = IDOK;
  int result_ = IDCANCEL;
  bool running_ = false;
};

}  // namespace ui
