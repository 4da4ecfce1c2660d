#pragma once
// The viewer's rich edit control (BigView): one-line wrappers over its
// messages, in the control's positions (viewer::TextRange: UTF-16 units, one
// per line end). Which ranges to select or format is decided by the viewer
// core (viewer::ShownText, viewer::MessageFind).

#include <windows.h>
// After windows.h, whose types it uses.
#include <richedit.h>

#include <cstddef>
#include <optional>
#include <span>

#include "ui/controls.h"
#include "viewer/text_find.h"

namespace ui {

class RichView : public Control {
 public:
  viewer::TextRange Selection() const;
  void Select(viewer::TextRange range) const;
  bool HasSelection() const;
  // Brings the caret (the selection's end) into view.
  void ScrollCaret() const { SendMessageW(hwnd_, EM_SCROLLCARET, 0, 0); }
  void SetRedraw(bool on) const { SendMessageW(hwnd_, WM_SETREDRAW, on ? TRUE : FALSE, 0); }
  // The part of the text in view, from the first line shown to the end of
  // the last (a line partly shown included).
  viewer::TextRange ShownRange() const;
  // The position of the character under a point of the client area; none
  // when the control tells none.
  std::optional<std::size_t> PositionAt(int x, int y) const;
  // Gives each range the format, with the control's notifications off (a
  // selection change would reach the window's handlers) and its selection
  // kept (its range; a backward selection comes back forward).
  void FormatRanges(const CHARFORMAT2W& format, std::span<const viewer::TextRange> ranges) const;

  // A background colour for a range; kNoShade: the control's own.
  struct Shade {
    viewer::TextRange range;
    COLORREF colour;
  };
  static constexpr COLORREF kNoShade = CLR_INVALID;
  // Gives the ranges their backgrounds, in order, and redraws once. Through
  // the control's text object model, which neither touches the selection
  // (both its ends stay) nor scrolls: a format by selection would bring the
  // caret back into view, undoing the wheel or a drag of the thumb. A
  // control that offers no text document, or whose ranges refuse the colour,
  // is formatted by selection, its selection's range and scroll position put
  // back.
  void SetBackColours(std::span<const Shade> shades) const;

 private:
  bool ShadeThroughDocument(std::span<const Shade> shades) const;
  void ShadeBySelection(std::span<const Shade> shades) const;
};

}  // namespace ui
