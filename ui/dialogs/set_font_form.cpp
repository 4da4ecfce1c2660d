#include "ui/dialogs/set_font_form.h"

#include <commdlg.h>

#include "platform/wide_win.h"
#include "ui/dpi.h"
#include "ui/ja_texts.h"

namespace ui {

TSetFontForm::TSetFontForm(HWND owner) {
  CreateFrame(owner, Frame{kClassName, ja::kSetFontCaption, 286, 232});
}

TSetFontForm::~TSetFontForm() {
  if (sample_brush_ != nullptr) DeleteObject(sample_brush_);
}

// Positions inside GroupBox1 are given from its corner (8, 8). The labels
// start 8 pixels further left than designed, at the group's inner edge, so
// that "フォントの選択" is not cut in a face wider than the design's.
void TSetFontForm::OnCreateControls() {
  const HWND self = hwnd();
  Label label;
  label.Create(self, 30, ja::kFontLabel);
  Place(label, 16, 32, 86, 14);
  FontButton1.Create(self, kFontButton1Id, ja::kFontButton);
  Place(FontButton1, 104, 24, 81, 25);
  label.Create(self, 31, ja::kTextColorLabel);
  Place(label, 16, 64, 86, 14);
  ColorButton1.Create(self, kColorButton1Id, "");
  Place(ColorButton1, 104, 56, 81, 25);
  label.Create(self, 32, ja::kBackColorLabel);
  Place(label, 16, 96, 86, 14);
  ColorButton2.Create(self, kColorButton2Id, "");
  Place(ColorButton2, 104, 88, 81, 25);
  Label2.Create(self, 33, ja::kLinkColorLabel);
  Place(Label2, 16, 128, 86, 14);
  ColorButton3.Create(self, kColorButton3Id, "");
  Place(ColorButton3, 104, 120, 81, 25);
  GroupBox sample_group;
  sample_group.Create(self, 34, ja::kSampleGroup);
  Place(sample_group, 16, 152, 169, 65);
  Panel1Sample.Create(self, 35, ja::kSampleText);
  // Drawn by the dialog, so that a face without Japanese shows the
  // Japanese of the sample in the fallback face, as the lists will.
  SetWindowLongPtrW(Panel1Sample.hwnd(), GWL_STYLE,
                    WS_CHILD | WS_VISIBLE | SS_OWNERDRAW | SS_NOPREFIX | SS_SUNKEN);
  Place(Panel1Sample, 24, 168, 153, 41);
  // GroupBox1 frames the rows above and the sample; it is made last so that
  // it lies beneath them.
  GroupBox1.Create(self, 36, "");
  Place(GroupBox1, 8, 8, 185, 217);
  OKButton.Create(self, IDOK, "OK");
  Place(OKButton, 208, 16, 75, 25);
  CancelButton.Create(self, IDCANCEL, ja::kCancel);
  Place(CancelButton, 208, 48, 75, 25);
  ApplyDialogFont();
}

int TSetFontForm::Run() {
  FormShow();
  return ShowModal();
}

void TSetFontForm::FormShow() {
  FontChosen = false;
  GroupBox1.SetText(ScreenCaption);
  Label2.Show(ShowLinkColor);
  ColorButton3.Show(ShowLinkColor);
  ColorButton1.SetColor(Panel1.Color);
  ColorButton2.SetColor(Panel1.BColor);
  ColorButton3.SetColor(LinkColor);
  ShowSample();
}

void TSetFontForm::ShowSample() {
  sample_font_.CreatePoints(Panel1.FontFace, Panel1.FontSize, DpiOf(hwnd()), Panel1.FontStyle);
  Panel1Sample.SetFont(sample_font_.handle());
  if (sample_brush_ != nullptr) DeleteObject(sample_brush_);
  sample_brush_ = CreateSolidBrush(ToColorRef(Panel1.BColor));
  Panel1Sample.Invalidate();
}

void TSetFontForm::FontButton1Click() {
  LOGFONTW logfont{};
  HDC dc = GetDC(hwnd());
  logfont.lfHeight = -MulDiv(Panel1.FontSize, GetDeviceCaps(dc, LOGPIXELSY), 72);
  ReleaseDC(hwnd(), dc);
  logfont.lfCharSet = DEFAULT_CHARSET;
  logfont.lfWeight = (Panel1.FontStyle & kFontBold) != 0 ? FW_BOLD : FW_NORMAL;
  logfont.lfItalic = (Panel1.FontStyle & kFontItalic) != 0 ? TRUE : FALSE;
  platform::Widen(Panel1.FontFace).copy(logfont.lfFaceName, LF_FACESIZE - 1);
  CHOOSEFONTW choose{};
  choose.lStructSize = sizeof(choose);
  choose.hwndOwner = hwnd();
  choose.lpLogFont = &logfont;
  // Face, style and size only; the size limits stay off.
  choose.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
  choose.nSizeMin = 0;
  choose.nSizeMax = 30;
  if (!ChooseFontW(&choose)) return;
  Panel1.FontFace = platform::Narrow(logfont.lfFaceName);
  Panel1.FontSize = choose.iPointSize / 10;
  // The dialog's styles: the bold ones weigh 600 and more.
  Panel1.FontStyle = (logfont.lfWeight >= FW_SEMIBOLD ? kFontBold : 0) |
                     (logfont.lfItalic != FALSE ? kFontItalic : 0);
  ShowSample();
}

std::int32_t TSetFontForm::ChooseColorFrom(std::int32_t color) {
  CHOOSECOLORW choose{};
  choose.lStructSize = sizeof(choose);
  choose.hwndOwner = hwnd();
  choose.rgbResult = ToColorRef(color);
  choose.lpCustColors = custom_colors_;
  choose.Flags = CC_RGBINIT | CC_ANYCOLOR;
  if (!ChooseColorW(&choose)) return color;
  return static_cast<std::int32_t>(choose.rgbResult);
}

void TSetFontForm::ColorButton1Click() {
  Panel1.Color = ChooseColorFrom(Panel1.Color);
  ColorButton1.SetColor(Panel1.Color);
  Panel1Sample.Invalidate();
}

void TSetFontForm::ColorButton2Click() {
  Panel1.BColor = ChooseColorFrom(Panel1.BColor);
  ColorButton2.SetColor(Panel1.BColor);
  ShowSample();
}

void TSetFontForm::ColorButton3Click() {
  LinkColor = ChooseColorFrom(LinkColor);
  ColorButton3.SetColor(LinkColor);
}

// Panel1: the sample text centred in the chosen font, text colour and
// background.
void TSetFontForm::DrawSample(const DRAWITEMSTRUCT& draw) const {
  FillRect(draw.hDC, &draw.rcItem, sample_brush_);
  const std::wstring text = platform::Widen(ja::kSampleText);
  const SIZE size = FallbackTextExtent(draw.hDC, sample_font_, text);
  const RECT& r = draw.rcItem;
  SetBkMode(draw.hDC, TRANSPARENT);
  SetTextColor(draw.hDC, ToColorRef(Panel1.Color));
  DrawFallbackText(draw.hDC, sample_font_, r.left + (r.right - r.left - size.cx) / 2,
                   r.top + (r.bottom - r.top - size.cy) / 2, r, text);
}

bool TSetFontForm::OnOk() {
  FontChosen = true;
  return true;
}

LRESULT TSetFontForm::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wparam) != BN_CLICKED) break;
      switch (LOWORD(wparam)) {
        case kFontButton1Id:
          FontButton1Click();
          return 0;
        case kColorButton1Id:
          ColorButton1Click();
          return 0;
        case kColorButton2Id:
          ColorButton2Click();
          return 0;
        case kColorButton3Id:
          ColorButton3Click();
          return 0;
        default:
          break;
      }
      break;
    case WM_DRAWITEM: {
      const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (draw.hwndItem == Panel1Sample.hwnd()) {
        DrawSample(draw);
        return TRUE;
      }
      for (const TColorButton* button : {&ColorButton1, &ColorButton2, &ColorButton3}) {
        if (draw.hwndItem == button->hwnd()) button->Draw(draw);
      }
      return TRUE;
    }
    case WM_DPICHANGED:
      // The dialog's font and layout, then the sample's font, at the new DPI.
      Dialog::HandleMessage(message, wparam, lparam);
      ShowSample();
      return 0;
    default:
      break;
  }
  return Dialog::HandleMessage(message, wparam, lparam);
}

}  // namespace ui
