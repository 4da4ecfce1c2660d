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
#include <string>

#include "ui/controls.h"
#include "viewer/text_find.h"

namespace ui {

class RichView : public Control {
 public:
  // A read-only viewer's settings, once after creation: the text limit lifted
  // to `text_limit` characters; rich text (the links get a format of their
  // own); characters the font lacks drawn in a font that has them, picked as
  // the text is inserted (IMF_AUTOFONT); no undo (the formats of the links
  // and the highlights would pile up as undo steps for as long as it shows);
  // EN_VSCROLL sent whatever scrolls the text.
  void SetUpViewer(LONG text_limit) const;
  // The font, the background and a character format given to the whole text
  // and to text inserted later.
  void SetLook(HFONT font, COLORREF background, const CHARFORMAT2W& format) const;
  // Empties the control and inserts `text` as text (a text beginning with
  // "{\rtf" is never read as rich text), in the format set before.
  void ReplaceText(const std::wstring& text) const;
  // The whole text as the control counts positions: a line end is one
  // character.
  std::wstring Text() const;
  std::wstring SelectedText() const;
  // The position of the first character of the first line in view.
  std::size_t TopPosition() const;
  // Scrolls so that the line holding `position` is the first in view.
  void ScrollToTop(std::size_t position) const;
  // Scrolls one page up or down; false when no line scrolled.
  bool ScrollPage(bool down) const;
  // The top left corner of the character at `position`, in client
  // coordinates.
  POINT PointOf(std::size_t position) const;
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
