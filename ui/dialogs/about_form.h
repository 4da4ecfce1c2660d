#pragma once
// TAbout: the version dialog, closed by OK or Esc.

#include <windows.h>

#include "ui/controls.h"
#include "ui/dialog.h"

namespace ui {

class TAbout final : public Dialog {
 public:
  static constexpr wchar_t kClassName[] = L"TAbout";

  explicit TAbout(HWND owner);

  Label Label1;
  Label Label2;
  Button ButtonOK;

 private:
  void OnCreateControls() override;
};

}  // namespace ui
