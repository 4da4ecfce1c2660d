#include "ui/rich_view.h"

#include <algorithm>

namespace ui {
namespace {

CHARRANGE ToCharRange(viewer::TextRange range) {
  return {static_cast<LONG>(range.start), static_cast<LONG>(range.end)};
}

}  // namespace

viewer::TextRange RichView::Selection() const {
  CHARRANGE range{};
  SendMessageW(hwnd_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  return {static_cast<std::size_t>(std::max(range.cpMin, LONG{0})),
          static_cast<std::size_t>(std::max(range.cpMax, LONG{0}))};
}

void RichView::Select(viewer::TextRange range) const {
  CHARRANGE selection = ToCharRange(range);
  SendMessageW(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
}

bool RichView::HasSelection() const {
  const viewer::TextRange range = Selection();
  return range.end > range.start;
}

viewer::TextRange RichView::ShownRange() const {
  RECT client{};
  GetClientRect(hwnd_, &client);
  const LRESULT first_line = SendMessageW(hwnd_, EM_GETFIRSTVISIBLELINE, 0, 0);
  const LRESULT start = SendMessageW(hwnd_, EM_LINEINDEX, static_cast<WPARAM>(first_line), 0);
  POINTL corner{client.right, client.bottom};
  const LRESULT last = SendMessageW(hwnd_, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&corner));
  const LRESULT last_line = SendMessageW(hwnd_, EM_EXLINEFROMCHAR, 0, last);
  const LRESULT end = SendMessageW(hwnd_, EM_LINEINDEX, static_cast<WPARAM>(last_line + 1), 0);
  // Past the last line there is no next one: the rest of the text.
  return {static_cast<std::size_t>(std::max(start, LRESULT{0})),
          end < 0 ? static_cast<std::size_t>(-1) : static_cast<std::size_t>(end)};
}

std::optional<std::size_t> RichView::PositionAt(int x, int y) const {
  POINTL point{x, y};
  const auto position =
      static_cast<LONG>(SendMessageW(hwnd_, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&point)));
  if (position < 0) return std::nullopt;
  return static_cast<std::size_t>(position);
}

void RichView::FormatRanges(const CHARFORMAT2W& format,
                            std::span<const viewer::TextRange> ranges) const {
  const LRESULT mask = SendMessageW(hwnd_, EM_GETEVENTMASK, 0, 0);
  SendMessageW(hwnd_, EM_SETEVENTMASK, 0, 0);
  CHARRANGE saved{};
  SendMessageW(hwnd_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&saved));
  for (const viewer::TextRange& range : ranges) {
    CHARRANGE selection = ToCharRange(range);
    SendMessageW(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    SendMessageW(hwnd_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  }
  SendMessageW(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&saved));
  SendMessageW(hwnd_, EM_SETEVENTMASK, 0, mask);
}

}  // namespace ui
