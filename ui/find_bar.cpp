#include "ui/find_bar.h"

#include <algorithm>

#include "ui/dpi.h"
#include "ui/ja_texts.h"

namespace ui {
namespace {

constexpr int kFindBoxId = 201;
constexpr int kFindCountId = 202;

// The margin around the box, from the height of the bar's text.
int GapFor(int text_height) { return std::max(2, text_height / 3); }

}  // namespace

void FindBar::Create(HWND parent, int dpi) {
  box_.Create(parent, kFindBoxId);
  count_.Create(parent, kFindCountId, "");
  box_.Show(false);
  count_.Show(false);
  // A string committed in the input method goes in at once, one change,
  // rather than one character (and one search) after another.
  SendMessageW(box_.hwnd(), EM_SETIMESTATUS, EMSIS_COMPOSITIONSTRING, EIMES_GETCOMPSTRATONCE);
  ApplyFont(dpi);
}

void FindBar::ApplyFont(int dpi) {
  font_.CreatePoints(ja::kDialogFace, kDialogPoints, dpi);
  box_.SetFont(font_.handle());
  count_.SetFont(font_.handle());
}

void FindBar::Show(bool shown) {
  shown_ = shown;
  box_.Show(shown);
  count_.Show(shown);
}

int FindBar::Height() const {
  if (!shown_) return 0;
  const int text_height = static_cast<int>(MeasureFont(font_.handle()).cy);
  const int gap = GapFor(text_height);
  return text_height + 3 * gap;
}

void FindBar::Place(int top, int width) const {
  if (!shown_) return;
  const SIZE character = MeasureFont(font_.handle());
  const int text_height = static_cast<int>(character.cy);
  const int text_width = static_cast<int>(character.cx);
  const int gap = GapFor(text_height);
  const int box_height = text_height + 2 * gap;
  const int count_width = 14 * text_width;  // "1234 / 5678" and a margin
  const int box_width = std::clamp(width - count_width - 3 * gap, 0, 40 * text_width);
  const int box_top = top + gap / 2;
  box_.Move(gap, box_top, box_width, box_height);
  count_.Move(2 * gap + box_width, box_top + gap, count_width, text_height);
}

}  // namespace ui
