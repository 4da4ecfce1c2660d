// ThreadListPane: what the rows show. The list view owns no text: it asks
// for each visible cell (LVN_GETDISPINFO) and for the letter jump
// (LVN_ODFINDITEM), and in a face without Japanese the rows' text is drawn
// again after the control with the fallback face.

#include <algorithm>

#include "platform/wide_win.h"
#include "thread/thread_rows.h"
#include "ui/dpi.h"
#include "ui/ja_texts.h"
#include "ui/thread_list_pane.h"
#include "ui/wide_text.h"

namespace ui {

void ThreadListPane::OnGetDispInfo(NMLVDISPINFOW& info) const {
  LVITEMW& item = info.item;
  if (item.iItem < 0 || item.iItem >= static_cast<int>(View().size())) return;
  const thread::ThreadNode& node = *View()[static_cast<std::size_t>(item.iItem)];
  if ((item.mask & LVIF_IMAGE) != 0) {
    // A collapsed first row also shows the unread mark of the rows it hides.
    const bool unread = thread::IsUnread(node) ||
                        (View().IsCollapsedRoot(node) && thread::RowView::Hidden(node).Unread > 0);
    item.iImage = unread ? thread::kUnreadImage : thread::kNoImage;
  }
  if ((item.mask & LVIF_TEXT) == 0) return;
  WideInto(CellText(item.iItem, item.iSubItem), item.pszText, item.cchTextMax);
}

std::string ThreadListPane::CellText(int row, int column) const {
  if (column == 0) return Caption(row);
  const thread::ThreadNode& node = *View()[static_cast<std::size_t>(row)];
  return column == 1 ? std::string(node.Sender.str()) : FolderInfoOf(node).Title;
}

// A hit's own folder; a record of no folder (no title, no settings) for a
// node of none.
const mailbox::FolderInfo& ThreadListPane::FolderInfoOf(const thread::ThreadNode& node) const {
  static const mailbox::FolderInfo kPlainFolder;
  const int folder = shown_.FolderOf(&node);
  return folder >= 0 && folder < mailbox::FolderCount(folders_)
             ? folders_[static_cast<std::size_t>(folder)]
             : kPlainFolder;
}

std::string ThreadListPane::Caption(int row) const {
  const thread::ThreadNode& node = *View()[static_cast<std::size_t>(row)];
  // A hit shows its subject as its own folder would.
  std::string caption = thread::MakeRow(node, FolderInfoOf(node)).Caption;
  if (node.Muted && node.Depth == 0) caption.insert(0, ja::kMutedMark);
  // A collapsed first row says how many messages it hides.
  if (View().IsCollapsedRoot(node)) {
    caption += " (+" + std::to_string(thread::RowView::Hidden(node).Messages) + ")";
  }
  return caption;
}

// The list view's letter jump: the typed text is looked for at the start of
// the rows' first column as shown, ignoring case and the row's leading blanks,
// from the row after the focused one and round to the top. The blanks are
// skipped because every subject is shown after one (and replies after their
// indentation), while a typed blank never gets here: Space opens the row.
int ThreadListPane::FindRow(const NMLVFINDITEMW& find) const {
  const int count = static_cast<int>(View().size());
  if (find.lvfi.psz == nullptr || (find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) == 0 ||
      count == 0) {
    return -1;
  }
  const std::wstring_view wanted = find.lvfi.psz;
  const bool prefix = (find.lvfi.flags & LVFI_PARTIAL) != 0;
  const int start = std::clamp(find.iStart, 0, count);
  const int span = (find.lvfi.flags & LVFI_WRAP) != 0 ? count : count - start;
  for (int k = 0; k < span; ++k) {
    const int row = (start + k) % count;
    std::wstring caption = platform::Widen(Caption(row));
    caption.erase(0, caption.find_first_not_of(L' '));
    if (prefix ? caption.size() < wanted.size() : caption.size() != wanted.size()) continue;
    if (CompareStringOrdinal(caption.c_str(), static_cast<int>(wanted.size()), wanted.data(),
                             static_cast<int>(wanted.size()), TRUE) == CSTR_EQUAL) {
      return row;
    }
  }
  return -1;
}

// A muted thread's rows are drawn in the grey of disabled text.
LRESULT ThreadListPane::OnCustomDraw(NMLVCUSTOMDRAW& draw) const {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
      const thread::ThreadNode* node = View().NodeAt(static_cast<int>(draw.nmcd.dwItemSpec));
      const bool muted = node != nullptr && node->Muted;
      if (muted) draw.clrText = GetSysColor(COLOR_GRAYTEXT);
      if (font_.fallback() != nullptr) return CDRF_NOTIFYPOSTPAINT;
      return muted ? CDRF_NEWFONT : CDRF_DODEFAULT;
    }
    case CDDS_ITEMPOSTPAINT:
      DrawRowText(static_cast<int>(draw.nmcd.dwItemSpec), draw.nmcd.hdc);
      return CDRF_DODEFAULT;
    default:
      return CDRF_DODEFAULT;
  }
}

void ThreadListPane::DrawRowText(int row, HDC dc) const {
  if (row < 0 || row >= static_cast<int>(View().size())) return;
  const HWND list = list_.hwnd();
  const bool selected = ListView_GetItemState(list, row, LVIS_SELECTED) != 0;
  const bool focused = GetFocus() == list;
  const bool full_row = (list_.ExtendedStyle() & LVS_EX_FULLROWSELECT) != 0;
  const int saved = SaveDC(dc);
  SetBkMode(dc, TRANSPARENT);
  const int columns = list_.ColumnCount();
  for (int column = 0; column < columns; ++column) {
    RECT cell{};
    if (!ListView_GetSubItemRect(list, row, column, LVIR_LABEL, &cell)) continue;
    const bool marked = selected && (column == 0 || full_row);
    const COLORREF back =
        marked ? GetSysColor(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE) : back_color_;
    const thread::ThreadNode* node = View()[static_cast<std::size_t>(row)];
    const COLORREF text = marked        ? GetSysColor(focused ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT)
                          : node->Muted ? GetSysColor(COLOR_GRAYTEXT)
                                        : text_color_;
    HBRUSH brush = CreateSolidBrush(back);
    FillRect(dc, &cell, brush);
    DeleteObject(brush);
    SetTextColor(dc, text);
    const std::wstring wide = platform::Widen(CellText(row, column));
    RECT clip = cell;
    clip.right -= Scale(2, dpi_);
    const int top = cell.top + (cell.bottom - cell.top - MeasureFont(font_.handle()).cy) / 2;
    DrawFallbackText(dc, font_, cell.left + Scale(2, dpi_), top, clip, wide);
  }
  RestoreDC(dc, saved);
}

}  // namespace ui
