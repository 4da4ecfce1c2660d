#include "ui/thread_list_pane.h"

#include <algorithm>

#include "platform/timing_log.h"
#include "platform/wide_win.h"
#include "thread/search_query.h"
#include "ui/dpi.h"
#include "ui/ja_texts.h"
#include "ui/wide_text.h"

namespace ui {
namespace {

// On the hits of a search, at 96 DPI: the folder column's width when the
// subject's share allows it, and the least the sender keeps (about 12
// characters: who wrote a hit is half of what tells it apart).
constexpr int kFolderColumnWidth = 120;
constexpr int kLeastSenderWidth = 80;

}  // namespace

ThreadListPane::~ThreadListPane() {
  if (images_ != nullptr) ImageList_Destroy(images_);
}

void ThreadListPane::Create(HWND parent, int id, int filter_box_id, int body_search_id) {
  box_.Create(parent, filter_box_id, body_search_id);
  list_.Create(parent, id);
  const int dpi = DpiOf(parent);
  list_.AddColumn(0, ja::kColumnSubject, Scale(80, dpi));
  list_.AddColumn(1, ja::kColumnSender, Scale(333, dpi));
  SubclassControl<ThreadListPane, &ThreadListPane::ControlMessage>(list_.hwnd(), this);
  WithoutInputMethod(list_.hwnd());
  ResetImages(SmallImageSize(dpi));
}

HIMAGELIST ThreadListPane::ResetImages(int size) {
  HIMAGELIST old = images_;
  images_ = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 1, 1);
  if (back_color_ != CLR_NONE) ImageList_SetBkColor(images_, back_color_);
  list_.SetImageList(images_);
  if (old != nullptr) ImageList_Destroy(old);
  return images_;
}

void ThreadListPane::ApplySettings(const settings::ListFontSettings& list, int dpi) {
  dpi_ = dpi;
  font_.CreatePoints(list.FontFace, list.FontSize, dpi, list.FontStyle);
  list_.SetFont(font_.handle());
  // The column captions are Japanese: in a face without Japanese the header
  // takes the fallback face.
  if (font_.fallback() != nullptr) {
    SendMessageW(ListView_GetHeader(list_.hwnd()), WM_SETFONT,
                 reinterpret_cast<WPARAM>(font_.fallback()), TRUE);
  }
  box_.SetFont(font_.handle(), font_.fallback() != nullptr ? font_.fallback() : font_.handle());
  back_color_ = ToColorRef(list.BColor);
  text_color_ = ToColorRef(list.Color);
  list_.SetColors(text_color_, back_color_);
  ImageList_SetBkColor(images_, back_color_);
}

bool ThreadListPane::ParentMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  result = 0;
  if (message == WM_NOTIFY) {
    const auto& header = *reinterpret_cast<const NMHDR*>(lparam);
    if (header.hwndFrom != list_.hwnd()) return false;
    result = OnNotify(header, lparam);
    return true;
  }
  if (message != WM_COMMAND || lparam == 0) return false;
  const auto control = reinterpret_cast<HWND>(lparam);
  if (control == box_.hwnd()) {
    if (HIWORD(wparam) == EN_CHANGE) {
      box_.TextChanged();
      FilterBoxChanged();
    }
    return true;
  }
  if (control == box_.BodySearchBox().hwnd()) {
    if (HIWORD(wparam) == BN_CLICKED) BodySearchClicked();
    return true;
  }
  return false;
}

LRESULT ThreadListPane::OnNotify(const NMHDR& header, LPARAM lparam) {
  switch (header.code) {
    case LVN_GETDISPINFOW:
      OnGetDispInfo(*reinterpret_cast<NMLVDISPINFOW*>(lparam));
      return 0;
    case LVN_ODFINDITEMW:
      return FindRow(*reinterpret_cast<const NMLVFINDITEMW*>(lparam));
    case NM_CUSTOMDRAW:
      return OnCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lparam));
    case LVN_ITEMCHANGED: {
      // One row at most is selected: a newly selected row (a click, a key,
      // Shift or Ctrl held or not) takes the selection alone.
      const auto& change = *reinterpret_cast<const NMLISTVIEW*>(lparam);
      if (change.iItem >= 0 && (change.uChanged & LVIF_STATE) != 0) {
        list_.SelectionChanged(change.iItem, (change.uNewState & LVIS_SELECTED) != 0);
      }
      return 0;
    }
    case LVN_ODSTATECHANGED:
      // A range selected at once (Shift with a key or a click) shrinks to the
      // focused row.
      list_.RangeSelected();
      return 0;
    case NM_CLICK:
      ListViewMailClick();
      return 0;
    case NM_DBLCLK:
      ListViewMailDblClick();
      return 0;
    case NM_RCLICK:
      ListViewMailMouseDown();
      return 0;
    default:
      return 0;
  }
}

int ThreadListPane::FilterBoxHeight() const {
  return MeasureFont(font_.handle()).cy + Scale(8, dpi_);
}

void ThreadListPane::ClearRows(int folder) {
  shown_.Clear(folder);
  if (!shown_.KeepsFilter() && box_.hwnd() != nullptr) box_.SetText("");
  if (list_.hwnd() == nullptr) return;
  ShowFolderColumn(false);
  list_.SetRowCount(0);
  list_.Invalidate();
  UpdateWindow(list_.hwnd());
}

void ThreadListPane::ShowRows(std::vector<thread::ThreadNode*> rows, int folder) {
  shown_.ShowFolder(std::move(rows), folder, folders_);
  AfterShow();
}

void ThreadListPane::ShowHits() {
  shown_.ShowHits();
  AfterShow();
}

void ThreadListPane::HitsReplaced() {
  list_.SetRowCount(static_cast<int>(shown_.Rows().size()));
  list_.Invalidate();
}

// Another folder empties the box, an empty one too (it shows no rows, but is
// left as any other); the same one, read again, keeps its filter.
void ThreadListPane::AfterShow() {
  ShowFolderColumn(shown_.ShowsHits());
  if (!shown_.KeepsFilter()) {
    if (box_.hwnd() != nullptr) box_.SetText("");
  } else if (box_.hwnd() != nullptr && !box_.Text().empty()) {
    // The subject and sender at once; the index's hits follow when asked.
    const std::string text = box_.Text();
    shown_.SetFilter(text, thread::ParseQuery(box_.Utf8Text(), thread::LocalQueryClock()),
                     box_.BodySearch());
    if (box_.BodySearch() && shown_.Folder() >= 0) form_.AskBodySearch(shown_.Folder(), text);
    form_.ShowListStatus();
  }
  const thread::RowView& rows = shown_.Rows();
  list_.SetRowCount(static_cast<int>(rows.size()));
  if (!rows.empty()) list_.AddExtendedStyle(LVS_EX_FULLROWSELECT);
  list_.Invalidate();
  FitSenderColumn();
}

// The subject's width in the folders is kept aside while the hits show, and
// given back as it was.
void ThreadListPane::ShowFolderColumn(bool shown) {
  if (list_.hwnd() == nullptr || FolderColumnShown() == shown) return;
  if (shown) {
    column1_ = list_.ColumnWidth(0);
    list_.AddColumn(2, ja::kColumnFolder, 0);
  } else {
    list_.RemoveColumn(2);
    list_.SetColumnWidth(0, column1_);
  }
}

void ThreadListPane::SetColumn1(int width) {
  if (FolderColumnShown()) {
    column1_ = width;
    FitSenderColumn();
  } else {
    list_.SetColumnWidth(0, width);
  }
}

int ThreadListPane::RemoveNode(thread::ThreadView& view, thread::ThreadNode* node) {
  const thread::RowView& rows = shown_.Rows();
  const int row = rows.RowOf(node);
  const thread::ThreadNode* selected = SelectedNode();
  const int emptied = shown_.Remove(view, node);
  list_.SetRowCount(static_cast<int>(rows.size()));
  list_.Invalidate();
  const int kept = selected == node ? -1 : rows.ShownRowFor(selected);
  SelectRow(kept >= 0 ? kept : std::max(row, 0), false);
  return emptied;
}

thread::ThreadNode* ThreadListPane::SelectedNode() const {
  return shown_.Rows().NodeAt(list_.Selected());
}

bool ThreadListPane::SelectNode(const thread::ThreadNode* node, bool reveal) {
  thread::RowView& rows = shown_.Rows();
  const std::size_t before = rows.size();
  const int row = reveal ? rows.Reveal(node) : rows.ShownRowFor(node);
  if (rows.size() != before) RowsChanged(node);
  if (row < 0) return false;
  SelectRow(row, true);
  return true;
}

void ThreadListPane::RowsChanged(const thread::ThreadNode* keep) {
  // A new row count makes the list view redraw its scroll bars at once,
  // which under Wine costs more than filtering 100,000 rows: a filter that
  // keeps the count (typing on into a word) only repaints.
  // Either way the selection is cleared first: a row number selected before
  // stands for another message now.
  const thread::RowView& rows = shown_.Rows();
  if (list_.RowCount() != static_cast<int>(rows.size())) {
    list_.SetRowCount(static_cast<int>(rows.size()));
  } else {
    list_.ClearSelection();
  }
  list_.Invalidate();
  if (rows.empty()) return;
  const int row = rows.ShownRowFor(keep);
  SelectRow(row >= 0 ? row : 0, true);
}

// The folder column's width is taken from the subject's and follows the DPI,
// so that a narrow window or a wide subject never squeezes the sender out.
void ThreadListPane::FitSenderColumn() {
  RECT client{};
  GetClientRect(list_.hwnd(), &client);
  const int width = static_cast<int>(client.right);
  if (!FolderColumnShown()) {
    list_.SetColumnWidth(1, std::max(0, width - list_.ColumnWidth(0)));
    return;
  }
  const int share = std::clamp(width - Scale(kLeastSenderWidth, dpi_), 0, std::max(column1_, 0));
  const int folder = std::min(Scale(kFolderColumnWidth, dpi_), share / 2);
  list_.SetColumnWidth(0, share - folder);
  list_.SetColumnWidth(2, folder);
  list_.SetColumnWidth(1, std::max(0, width - share));
}

void ThreadListPane::SelectRow(int row, bool scroll) {
  const int count = list_.RowCount();
  if (count == 0) return;
  row = std::clamp(row, 0, count - 1);
  list_.SelectRow(row);
  if (scroll) list_.EnsureVisible(row);
}

namespace {
thread::UnreadDirection Way(Direction direction) {
  return direction == Direction::kNext ? thread::UnreadDirection::kNext
                                       : thread::UnreadDirection::kPrevious;
}
}  // namespace

// The unread moves see the rows of collapsed threads too, and open the
// thread they land in: unread mail is never passed over.
bool ThreadListPane::JumpToUnread(Direction direction) {
  const thread::ThreadNode* target = shown_.Rows().FindUnread(SelectedNode(), Way(direction));
  return target != nullptr && SelectNode(target, true);
}

bool ThreadListPane::JumpToNextUnreadThread() {
  const thread::ThreadNode* target = shown_.Rows().NextUnreadThread(SelectedNode());
  return target != nullptr && SelectNode(target, true);
}

const thread::ThreadNode* ThreadListPane::SelectAdjacent(const thread::ThreadNode* node,
                                                         Direction direction) {
  const thread::ThreadNode* target = shown_.Rows().Adjacent(node, Way(direction));
  if (target == nullptr || !SelectNode(target, true)) return nullptr;
  return target;
}

bool ThreadListPane::CollapseSelected(WORD) {
  const thread::ThreadNode* node = SelectedNode();
  if (shown_.Rows().Collapse(node)) RowsChanged(node);
  return true;
}

bool ThreadListPane::ExpandSelected(WORD) {
  const thread::ThreadNode* node = SelectedNode();
  if (shown_.Rows().Expand(node)) RowsChanged(node);
  return true;
}

void ThreadListPane::CollapseAll() {
  const thread::ThreadNode* node = SelectedNode();
  shown_.Rows().CollapseAll();
  RowsChanged(node);
}

void ThreadListPane::MutesChanged(const thread::ThreadNode* keep) {
  shown_.MutesChanged();
  RowsChanged(keep);
}

void ThreadListPane::ExpandAll() {
  const thread::ThreadNode* node = SelectedNode();
  shown_.Rows().ExpandAll();
  RowsChanged(node);
}

void ThreadListPane::FocusFilterBox() const { box_.FocusAndSelectAll(); }

void ThreadListPane::FilterBoxChanged() {
  if (!shown_.ShowsHits() && shown_.Folder() < 0) return;
  const std::string text = box_.Text();
  thread::ParsedQuery query = thread::ParseQuery(box_.Utf8Text(), thread::LocalQueryClock());
  // A text that cannot be read is named at once, even while typing goes on;
  // nothing is searched and the rows stay.
  if (!query.Ok()) {
    if (text != shown_.AppliedFilter()) {
      shown_.SetFilter(text, std::move(query), false);
      form_.ShowListStatus();
    }
    return;
  }
  if (box_.PutOffWhileTyping()) return;
  // Each keystroke asks anew: an answer still running for the text before
  // is dropped, and the rows stay until the current one comes. The hits of a
  // search are filtered by their subject and sender alone.
  if (box_.BodySearch() && shown_.Folder() >= 0 && form_.AskBodySearch(shown_.Folder(), text)) {
    return;
  }
  if (text == shown_.AppliedFilter() && !shown_.BodyFilterShown()) return;
  const thread::ThreadNode* selected = SelectedNode();
  platform::PhaseTimer filter_timer("filter");
  // A keystroke that comes meanwhile makes the filter of this text of no use.
  if (!shown_.SetFilter(text, std::move(query), false, FilterBox::KeystrokeWaiting)) {
    box_.PostRefilter();
    return;
  }
  filter_timer.Stop();
  const platform::PhaseTimer list_timer("filter-list");
  RowsChanged(selected);
  form_.ShowListStatus();
}

void ThreadListPane::ApplyBodyHits(const std::string& text,
                                   std::vector<std::vector<std::string>> leaf_names) {
  if (shown_.Folder() < 0 || !box_.BodySearch() || text != box_.Text()) return;
  const thread::ThreadNode* selected = SelectedNode();
  shown_.SetBodyFilter(text, thread::ParseQuery(box_.Utf8Text(), thread::LocalQueryClock()),
                       std::move(leaf_names));
  RowsChanged(selected);
  form_.ShowListStatus();
}

std::vector<std::string> ThreadListPane::SendersMatching(std::string_view typed, bool fresh) {
  // Every message of the folder, not the rows the half-typed term leaves.
  const thread::ThreadNode* head = shown_.Rows().Head();
  if (fresh || head != senders_head_) {
    senders_ = thread::SenderRanking(head);
    senders_head_ = head;
  }
  return senders_.Matching(typed, static_cast<std::size_t>(-1));
}

void ThreadListPane::FilterFor(const std::string& term) {
  if (term.empty() || (!shown_.ShowsHits() && shown_.Folder() < 0)) return;
  box_.ShowTerm(term);
}

void ThreadListPane::TurnOnBodySearch() {
  if (!box_.BodySearch()) {
    box_.SetBodySearch(true);
    FilterBoxChanged();
  }
  FocusFilterBox();
}

}  // namespace ui
