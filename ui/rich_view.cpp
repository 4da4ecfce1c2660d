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
