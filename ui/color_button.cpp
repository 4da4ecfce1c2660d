#include "ui/color_button.h"

#include "platform/wide_win.h"
#include "ui/dpi.h"
#include "ui/fonts.h"

namespace ui {

void TColorButton::Create(HWND parent, int id, const std::string& caption) {
  CreateChild(L"BUTTON", BS_OWNERDRAW | WS_TABSTOP, 0, parent, id, caption);
}

void TColorButton::SetColor(std::int32_t color) {
  color_ = color;
  Invalidate();
}

void TColorButton::Draw(const DRAWITEMSTRUCT& draw) const {
  HDC dc = draw.hDC;
  RECT face = draw.rcItem;
  const bool pushed = (draw.itemState & ODS_SELECTED) != 0;
  const int dpi = DpiOf(draw.hwndItem);
  DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0u));
  InflateRect(&face, -Scale(4, dpi), -Scale(4, dpi));
  if (pushed) OffsetRect(&face, 1, 1);
  const std::wstring caption = platform::Widen(Text());
  // Without a caption the swatch fills the face; with one it is a square on
  // the left and the caption is centred in what is left.
  RECT swatch = face;
  if (!caption.empty()) swatch.right = swatch.left + (face.bottom - face.top);
  HBRUSH brush = CreateSolidBrush(ToColorRef(color_));
  FillRect(dc, &swatch, brush);
  DeleteObject(brush);
  FrameRect(dc, &swatch, GetSysColorBrush(COLOR_BTNSHADOW));
  if (!caption.empty()) {
    RECT text = face;
    text.left = swatch.right + Scale(2, dpi);
    SetBkMode(dc, TRANSPARENT);
    const bool disabled = (draw.itemState & ODS_DISABLED) != 0;
    SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    DrawTextW(dc, caption.c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  if ((draw.itemState & ODS_FOCUS) != 0) {
    RECT focus = draw.rcItem;
    InflateRect(&focus, -Scale(3, dpi), -Scale(3, dpi));
    DrawFocusRect(dc, &focus);
  }
}

}  // namespace ui
