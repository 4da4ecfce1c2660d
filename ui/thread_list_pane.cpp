#include "ui/thread_list_pane.h"

#include <algorithm>

#include "platform/timing_log.h"
#include "platform/wide_win.h"
#include "thread/thread_rows.h"
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

LRESULT ThreadListPane::OnNotify(const NMHDR& header, LPARAM lparam) {
  switch (header.code) {
    case LVN_GETDISPINFOW:
      OnGetDispInfo(*reinterpret_cast<NMLVDISPINFOW*>(lparam));
      return 0;
    case LVN_ODFINDITEMW:
      return FindRow(*reinterpret_cast<const NMLVFINDITEMW*>(lparam));
    case NM_CUSTOMDRAW:
      return OnCustomDraw(*reinterpret_cast<const NMLVCUSTOMDRAW*>(lparam));
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

void ThreadListPane::KeepCollapsed() {
  if (rows_folder_ >= 0) collapsed_[rows_folder_] = rows_.Collapsed();
}

void ThreadListPane::ClearRows(int folder) {
  KeepCollapsed();
  rows_.Clear();
  rows_folder_ = -1;
  results_ = nullptr;
  KeepsFilterFor(folder);
  if (list_.hwnd() == nullptr) return;
  ShowFolderColumn(false);
  list_.SetRowCount(0);
  list_.Invalidate();
  UpdateWindow(list_.hwnd());
}

// Another folder empties the box, an empty one too (it shows no rows, but is
// left as any other); the same one, read again, keeps its filter.
bool ThreadListPane::KeepsFilterFor(int folder) {
  if (folder == filter_folder_) return true;
  filter_folder_ = folder;
  if (box_.hwnd() != nullptr) box_.SetText("");
  return false;
}

void ThreadListPane::ShowRows(std::vector<thread::ThreadNode*> rows, int folder) {
  results_ = nullptr;
  ShowFolderColumn(false);
  Show(std::move(rows), folder);
}

void ThreadListPane::ShowResults(const search::ResultRows& results) {
  std::vector<thread::ThreadNode*> rows;
  for (thread::ThreadNode* node = results.List.Head(); node != nullptr; node = node->Next) {
    rows.push_back(node);
  }
  results_ = &results;
  ShowFolderColumn(true);
  Show(std::move(rows), kResultsFolder);
}

int ThreadListPane::FolderOf(const thread::ThreadNode* node) const {
  return results_ != nullptr ? results_->Folder(node) : rows_folder_;
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

void ThreadListPane::Show(std::vector<thread::ThreadNode*> rows, int folder) {
  KeepCollapsed();
  thread::CollapsedThreads collapsed;
  collapsed.All = collapse_by_default_;
  if (const auto kept = collapsed_.find(folder); kept != collapsed_.end()) collapsed = kept->second;
  const std::int32_t ml_string_delete =
      folder >= 0 && folder < mailbox::FolderCount(folders_)
          ? folders_[static_cast<std::size_t>(folder)].MlStringDelete
          : 0;
  rows_.Reset(std::move(rows), ml_string_delete, std::move(collapsed));
  rows_folder_ = folder;
  applied_filter_.clear();
  applied_body_ = false;
  if (KeepsFilterFor(folder) && box_.hwnd() != nullptr && !box_.Text().empty()) {
    // The subject and sender at once; the index's hits follow when asked.
    applied_filter_ = box_.Text();
    rows_.SetFilter(applied_filter_);
    if (box_.BodySearch()) form_.AskBodySearch(folder, applied_filter_);
    form_.ShowFolderStatus(folder);
  }
  list_.SetRowCount(static_cast<int>(rows_.size()));
  if (!rows_.empty()) list_.AddExtendedStyle(LVS_EX_FULLROWSELECT);
  list_.Invalidate();
  FitSenderColumn();
}

template <class Remove>
void ThreadListPane::RemoveRow(thread::ThreadNode* node, Remove remove) {
  const int row = rows_.RowOf(node);
  const thread::ThreadNode* selected = SelectedNode();
  remove();
  list_.SetRowCount(static_cast<int>(rows_.size()));
  list_.Invalidate();
  const int kept = selected == node ? -1 : rows_.ShownRowFor(selected);
  SelectRow(kept >= 0 ? kept : std::max(row, 0), false);
}

bool ThreadListPane::RemoveNode(thread::ThreadView& shown, thread::ThreadNode* node) {
  bool unread_gone = false;
  RemoveRow(node, [&] { unread_gone = thread::RemoveShownMessage(shown, rows_, node); });
  return unread_gone;
}

void ThreadListPane::RemoveResult(search::ResultRows& results, thread::ThreadNode* node) {
  RemoveRow(node, [&] {
    results.FolderOf.erase(node);
    // The rows free the node; the list is held by its new head from now on.
    results.List.MutableHead() = rows_.Remove(node);
  });
}

thread::ThreadNode* ThreadListPane::SelectedNode() const { return rows_.NodeAt(list_.Selected()); }

bool ThreadListPane::SelectNode(const thread::ThreadNode* node, bool reveal) {
  const std::size_t before = rows_.size();
  const int row = reveal ? rows_.Reveal(node) : rows_.ShownRowFor(node);
  if (rows_.size() != before) RowsChanged(node);
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
  if (list_.RowCount() != static_cast<int>(rows_.size())) {
    list_.SetRowCount(static_cast<int>(rows_.size()));
  } else {
    list_.ClearSelection();
  }
  list_.Invalidate();
  if (rows_.empty()) return;
  const int row = rows_.ShownRowFor(keep);
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
  const thread::ThreadNode* target = rows_.FindUnread(SelectedNode(), Way(direction));
  return target != nullptr && SelectNode(target, true);
}

bool ThreadListPane::JumpToNextUnreadThread() {
  const thread::ThreadNode* target = rows_.NextUnreadThread(SelectedNode());
  return target != nullptr && SelectNode(target, true);
}

const thread::ThreadNode* ThreadListPane::SelectAdjacent(const thread::ThreadNode* node,
                                                         Direction direction) {
  const thread::ThreadNode* target = rows_.Adjacent(node, Way(direction));
  if (target == nullptr || !SelectNode(target, true)) return nullptr;
  return target;
}

bool ThreadListPane::CollapseSelected(WORD) {
  const thread::ThreadNode* node = SelectedNode();
  if (rows_.Collapse(node)) RowsChanged(node);
  return true;
}

bool ThreadListPane::ExpandSelected(WORD) {
  const thread::ThreadNode* node = SelectedNode();
  if (rows_.Expand(node)) RowsChanged(node);
  return true;
}

void ThreadListPane::CollapseAll() {
  const thread::ThreadNode* node = SelectedNode();
  rows_.CollapseAll();
  RowsChanged(node);
}

void ThreadListPane::ExpandAll() {
  const thread::ThreadNode* node = SelectedNode();
  rows_.ExpandAll();
  RowsChanged(node);
}

void ThreadListPane::FocusFilterBox() const { box_.FocusAndSelectAll(); }

void ThreadListPane::FilterBoxChanged() {
  if (rows_folder_ < 0 || box_.PutOffWhileTyping()) return;
  const std::string text = box_.Text();
  // Each keystroke asks anew: an answer still running for the text before
  // is dropped, and the rows stay until the current one comes.
  if (box_.BodySearch() && form_.AskBodySearch(rows_folder_, text)) return;
  if (text == applied_filter_ && !applied_body_) return;
  const thread::ThreadNode* selected = SelectedNode();
  platform::PhaseTimer filter_timer("filter");
  // A keystroke that comes meanwhile makes the filter of this text of no use.
  if (!rows_.SetFilter(text, FilterBox::KeystrokeWaiting)) {
    box_.PostRefilter();
    return;
  }
  filter_timer.Stop();
  applied_filter_ = text;
  applied_body_ = false;
  filter_folder_ = rows_folder_;
  const platform::PhaseTimer list_timer("filter-list");
  RowsChanged(selected);
  form_.ShowFolderStatus(rows_folder_);
}

void ThreadListPane::ApplyBodyHits(const std::string& text, std::vector<std::string> names) {
  if (rows_folder_ < 0 || !box_.BodySearch() || text != box_.Text()) return;
  const thread::ThreadNode* selected = SelectedNode();
  rows_.SetFilter(text, nullptr, std::move(names));
  applied_filter_ = text;
  applied_body_ = true;
  filter_folder_ = rows_folder_;
  RowsChanged(selected);
  form_.ShowFolderStatus(rows_folder_);
}

void ThreadListPane::TurnOnBodySearch() {
  if (!box_.BodySearch()) {
    box_.SetBodySearch(true);
    FilterBoxChanged();
  }
  FocusFilterBox();
}

// Enter and Esc in the box and Tab in its check box give the focus to the
// list; Shift+Tab in the box goes back to the folder list.
void ThreadListPane::LeaveFilterBox(bool backwards) {
  if (backwards) {
    form_.FocusPane(Pane::kFolderList);
  } else {
    list_.Focus();
  }
}

}  // namespace ui
