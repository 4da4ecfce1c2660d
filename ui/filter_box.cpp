#include "ui/filter_box.h"

#include "ui/controls.h"

namespace ui {
namespace {

// Posted to the box when a filter gave way to a keystroke, so that the text
// is filtered once the typing pauses even when no further change comes.
constexpr UINT kRefilterMessage = WM_APP + 19;

}  // namespace

void FilterBox::Create(HWND parent, int id) {
  edit_.Create(parent, id);
  edit_.Show(true);
  SubclassControl<FilterBox, &FilterBox::Message>(edit_.hwnd(), this);
}

void FilterBox::FocusAndSelectAll() const {
  edit_.Focus();
  SendMessageW(edit_.hwnd(), EM_SETSEL, 0, -1);
}

void FilterBox::PostRefilter() const { PostMessageW(edit_.hwnd(), kRefilterMessage, 0, 0); }

bool FilterBox::Message(UINT message, WPARAM wparam, LPARAM, LRESULT& result) {
  result = 0;
  if (message == kRefilterMessage) {
    owner_.FilterBoxChanged();
    return true;
  }
  if (EditChordKey(edit_.hwnd(), message, wparam)) return true;
  if (message == WM_CHAR) return wparam == VK_RETURN || wparam == VK_ESCAPE || wparam == L'\t';
  if (message != WM_KEYDOWN) return false;
  switch (wparam) {
    case VK_ESCAPE:
      edit_.SetText("");  // EN_CHANGE shows every thread again
      owner_.LeaveFilterBox(false);
      return true;
    case VK_RETURN:
      owner_.LeaveFilterBox(false);
      return true;
    case VK_TAB:
      owner_.LeaveFilterBox((GetKeyState(VK_SHIFT) & 0x8000) != 0);
      return true;
    default:
      return false;
  }
}

}  // namespace ui
