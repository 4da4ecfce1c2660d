#include "ui/filter_box.h"

#include <algorithm>

#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/ja_texts.h"

namespace ui {
namespace {

// Posted to the box when a filter gave way to a keystroke, so that the text
// is filtered once the typing pauses even when no further change comes.
constexpr UINT kRefilterMessage = WM_APP + 19;

}  // namespace

void FilterBox::Create(HWND parent, int id, int check_box_id) {
  edit_.Create(parent, id);
  edit_.Show(true);
  // An input method's commit goes into the text at once, as one change,
  // rather than one character (and one filter) at a time.
  SendMessageW(edit_.hwnd(), EM_SETIMESTATUS, EMSIS_COMPOSITIONSTRING, EIMES_GETCOMPSTRATONCE);
  SubclassControl<FilterBox, &FilterBox::Message>(edit_.hwnd(), this);
  body_search_.Create(parent, check_box_id, ja::kBodySearch);
  body_search_.Show(true);
  SubclassControl<FilterBox, &FilterBox::CheckBoxMessage>(body_search_.hwnd(), this);
}

void FilterBox::SetFont(HFONT font, HFONT caption_font) {
  edit_.SetFont(font);
  body_search_.SetFont(caption_font);
  // The caption, the mark (a square of the system's size) and the gaps.
  const int dpi = DpiOf(body_search_.hwnd());
  check_width_ = MeasureText(caption_font, ja::kBodySearch).cx + Scale(16 + 12, dpi);
}

void FilterBox::Move(int x, int y, int width, int height) const {
  const int check = std::min(check_width_, width);
  edit_.Move(x, y, width - check, height);
  body_search_.Move(x + width - check, y, check, height);
}

void FilterBox::FocusAndSelectAll() const {
  edit_.Focus();
  SendMessageW(edit_.hwnd(), EM_SETSEL, 0, -1);
}

// The window moves the focus on Tab itself, not through a dialog's key
// handling, which would show the focus rectangles once the keyboard is used:
// they are shown here, or the check box with the focus would look as one
// without.
void FilterBox::FocusCheckBox() const {
  SendMessageW(GetAncestor(body_search_.hwnd(), GA_ROOT), WM_CHANGEUISTATE,
               MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  body_search_.Focus();
}

void FilterBox::PostRefilter() {
  refilter_due_ = true;
  if (refilter_posted_) return;
  refilter_posted_ = true;
  PostMessageW(edit_.hwnd(), kRefilterMessage, 0, 0);
}

bool FilterBox::PutOffWhileTyping() {
  refilter_due_ = false;
  if (!KeystrokeWaiting()) return false;
  PostRefilter();
  return true;
}

bool FilterBox::KeystrokeWaiting() {
  MSG message{};
  for (const UINT key : {WM_KEYDOWN, WM_CHAR, WM_IME_CHAR}) {
    if (PeekMessageW(&message, nullptr, key, key, PM_NOREMOVE | PM_NOYIELD)) return true;
  }
  return false;
}

bool FilterBox::Message(UINT message, WPARAM wparam, LPARAM, LRESULT& result) {
  result = 0;
  if (message == kRefilterMessage) {
    refilter_posted_ = false;
    if (refilter_due_) owner_.FilterBoxChanged();
    return true;
  }
  if (EditChordKey(edit_.hwnd(), message, wparam)) return true;
  if (message == WM_CHAR) return wparam == VK_RETURN || wparam == VK_ESCAPE || wparam == L'\t';
  if (message != WM_KEYDOWN) return false;
  switch (wparam) {
    case VK_ESCAPE:
      edit_.SetText("");  // EN_CHANGE shows every thread again
      owner_.LeaveFilterBox();
      return true;
    case VK_RETURN:
      owner_.LeaveFilterBox();
      return true;
    case VK_TAB:
      owner_.TabFrom(Pane::kFilterBox, (GetKeyState(VK_SHIFT) & 0x8000) != 0);
      return true;
    default:
      return false;
  }
}

// The check box keeps its own keys (Space toggles it); Tab leads out of it.
bool FilterBox::CheckBoxMessage(UINT message, WPARAM wparam, LPARAM, LRESULT& result) {
  result = 0;
  if (message == WM_CHAR) return wparam == L'\t';
  if (message != WM_KEYDOWN || wparam != VK_TAB) return false;
  owner_.TabFrom(Pane::kBodySearch, (GetKeyState(VK_SHIFT) & 0x8000) != 0);
  return true;
}

}  // namespace ui
