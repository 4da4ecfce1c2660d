#pragma once
// TColorButton: a push button that shows a colour swatch beside its caption
// (the caption centred in the rest of the face, its access key underlined,
// the focus rectangle when it has the focus). It is an owner-drawn button:
// the dialog that holds it passes its WM_DRAWITEM to Draw. The colour is kept
// as the settings file stores it (an RGB value or a system colour).

#include <windows.h>

#include <cstdint>
#include <string>

#include "ui/controls.h"

namespace ui {

class TColorButton : public Control {
 public:
  void Create(HWND parent, int id, const std::string& caption);
  std::int32_t Color() const { return color_; }
  void SetColor(std::int32_t color);
  void Draw(const DRAWITEMSTRUCT& draw) const;

 private:
  std::int32_t color_ = 0;
};

}  // namespace ui
