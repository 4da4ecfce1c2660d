#pragma once
// The viewer's find bar: a box for the text looked for and, to its right, the
// count of occurrences ("N / M"), in the dialog font of the window's scale.
// It only places and shows its two controls; what is found is the viewer
// core's (viewer::MessageFind) and the window's.

#include <windows.h>

#include "ui/controls.h"
#include "ui/dialog_controls.h"
#include "ui/fonts.h"

namespace ui {

class FindBar {
 public:
  // The two controls as children of `parent`, hidden, in the font of `dpi`.
  void Create(HWND parent, int dpi);
  // The font at `dpi`; the bar's sizes follow it.
  void ApplyFont(int dpi);
  void Show(bool shown);
  bool Shown() const { return shown_; }
  // The height the bar takes under the text: none while hidden; else the box
  // (as high as its text with a margin) and a gap.
  int Height() const;
  // The box and the count in the strip from `top` down, `width` wide.
  void Place(int top, int width) const;

  const EditBox& Box() const { return box_; }
  const Label& Count() const { return count_; }

 private:
  EditBox box_;
  Label count_;
  ui::Font font_;
  bool shown_ = false;
};

}  // namespace ui
