#pragma once
// TSetFontForm: the font and colour dialog of the two list font commands and
// the viewer's font command. Panel1, the sample, is its model: the caller
// sets the font, text colour and background colour it starts from (and the
// link colour, for the viewer), shows it, and when FontChosen is true takes
// them back. Colours are kept as the settings file stores them, so a system
// colour left alone is written back as a system colour.

#include <windows.h>

#include <cstdint>
#include <string>

#include "ui/color_button.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/dialog_controls.h"
#include "ui/fonts.h"

namespace ui {

// Panel1's state: font face (CP932), size and style (kFontBold,
// kFontItalic), text and background colour.
struct SampleFont {
  std::string FontFace;
  int FontSize = 10;
  std::int32_t FontStyle = 0;
  std::int32_t Color = 0;
  std::int32_t BColor = 0;
};

class TSetFontForm final : public Dialog {
 public:
  static constexpr wchar_t kClassName[] = L"TSetFontForm";
  static constexpr int kFontButton1Id = 20;
  static constexpr int kColorButton1Id = 21;
  static constexpr int kColorButton2Id = 22;
  static constexpr int kColorButton3Id = 23;

  explicit TSetFontForm(HWND owner);
  ~TSetFontForm() override;

  // In: the caption of GroupBox1 and whether the link colour is shown.
  std::string ScreenCaption;
  bool ShowLinkColor = false;
  // In and out.
  SampleFont Panel1;
  std::int32_t LinkColor = 0;
  // Out: true when the dialog was closed with OK.
  bool FontChosen = false;

  // FormShow, then the modal run.
  int Run();

  GroupBox GroupBox1;
  Button FontButton1;
  TColorButton ColorButton1;
  TColorButton ColorButton2;
  TColorButton ColorButton3;
  Label Label2;
  Label Panel1Sample;
  Button OKButton;
  Button CancelButton;

  void FontButton1Click();
  void ColorButton1Click();
  void ColorButton2Click();
  void ColorButton3Click();

 private:
  void OnCreateControls() override;
  void FormShow();
  bool OnOk() override;
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void ShowSample();
  void DrawSample(const DRAWITEMSTRUCT& draw) const;
  // Runs the colour dialog from `color`; returns the chosen colour, or
  // `color` unchanged when the user cancelled.
  std::int32_t ChooseColorFrom(std::int32_t color);

  Font sample_font_;
  HBRUSH sample_brush_ = nullptr;
  COLORREF custom_colors_[16] = {};
};

}  // namespace ui
