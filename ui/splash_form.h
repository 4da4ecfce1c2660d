#pragma once
// TSplashForm: the borderless start-up picture, 442 x 337 pixels, centred on
// the screen and top-most while the main window starts; Image1 is the
// resource bitmap "SPLASH" stretched to the client area.

#include <windows.h>

#include "ui/window.h"

namespace ui {

class TSplashForm final : public ui::Window {
 public:
  static constexpr wchar_t kClassName[] = L"TSplashForm";
  static constexpr int kWidth = 442;
  static constexpr int kHeight = 337;

  TSplashForm();
  ~TSplashForm() override;

  // Shows the window and puts it in the top-most band.
  void ShowTopMost();
  // Takes it out of the top-most band and destroys it.
  void Remove();

 private:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void Paint();
  HBITMAP image1_ = nullptr;
};

}  // namespace ui
