#include "ui/thread_list_pane.h"

#include <algorithm>

#include "platform/wide_win.h"
#include "thread/thread_rows.h"
#include "ui/ja_texts.h"
#include "ui/main_commands.h"
#include "ui/main_form.h"
#include "ui/wide_text.h"

namespace ui {

// ListViewMailKeyPress and ListViewMailKeyDown: Enter and Space open the
// selected row; the letters move the selection by injecting the list's own
// navigation key; the arrow, page, Home and End keys move it directly; Tab
// gives the focus to the folder list.
const KeyRow<ThreadListPane> ThreadListPane::kKeys[] = {
    {WM_CHAR, 13, &ThreadListPane::OpenSelected},
    {WM_CHAR, L'D', &ThreadListPane::MoveToTrash},
    {WM_CHAR, L'B', &ThreadListPane::PostNavigationKey, VK_END},
    {WM_CHAR, L'N', &ThreadListPane::PostNavigationKey, VK_DOWN},
    {WM_CHAR, L'P', &ThreadListPane::PostNavigationKey, VK_UP},
    {WM_CHAR, L'T', &ThreadListPane::PostNavigationKey, VK_HOME},
    {WM_CHAR, L'\t', &ThreadListPane::Swallow},
    {WM_KEYDOWN, VK_SPACE, &ThreadListPane::OpenSelected},
    {WM_KEYDOWN, VK_DOWN, &ThreadListPane::MoveSelectionByKey, VK_DOWN},
    {WM_KEYDOWN, VK_UP, &ThreadListPane::MoveSelectionByKey, VK_UP},
    {WM_KEYDOWN, VK_HOME, &ThreadListPane::MoveSelectionByKey, VK_HOME},
    {WM_KEYDOWN, VK_END, &ThreadListPane::MoveSelectionByKey, VK_END},
    {WM_KEYDOWN, VK_NEXT, &ThreadListPane::MoveSelectionByKey, VK_NEXT},
    {WM_KEYDOWN, VK_PRIOR, &ThreadListPane::MoveSelectionByKey, VK_PRIOR},
    {WM_KEYDOWN, VK_TAB, &ThreadListPane::FocusFolderList},
};

std::span<const KeyRow<ThreadListPane>> ThreadListPane::Keys() { return kKeys; }

ThreadListPane::~ThreadListPane() {
  if (images_ != nullptr) ImageList_Destroy(images_);
}

void ThreadListPane::Create(HWND parent, int id) {
  list_.Create(parent, id);
  list_.AddColumn(0, ja::kColumnSubject, 80);
  list_.AddColumn(1, ja::kColumnSender, 333);
  SubclassControl<ThreadListPane, &ThreadListPane::ControlMessage>(list_.hwnd(), this);
  images_ = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
}

void ThreadListPane::ApplySettings(const settings::ListFontSettings& list) {
  font_.CreatePoints(list.FontFace, list.FontSize);
  list_.SetFont(font_.handle());
  list_.SetColors(ToColorRef(list.Color), ToColorRef(list.BColor));
  ImageList_SetBkColor(images_, ToColorRef(list.BColor));
}

void ThreadListPane::OnGetDispInfo(NMLVDISPINFOW& info) const {
  LVITEMW& item = info.item;
  if (item.iItem < 0 || item.iItem >= static_cast<int>(rows_.size())) return;
  const thread::ThreadNode& node = *rows_[static_cast<std::size_t>(item.iItem)];
  if ((item.mask & LVIF_IMAGE) != 0) {
    item.iImage = thread::IsUnread(node) ? thread::kUnreadImage : thread::kNoImage;
  }
  if ((item.mask & LVIF_TEXT) == 0) return;
  if (item.iSubItem == 0) {
    WideInto(Caption(item.iItem), item.pszText, item.cchTextMax);
  } else {
    WideInto(node.Sender, item.pszText, item.cchTextMax);
  }
}

std::string ThreadListPane::Caption(int row) const {
  static const mailbox::FolderInfo kPlainFolder;
  const mailbox::FolderInfo& folder =
      rows_folder_ >= 0 ? folders_[static_cast<std::size_t>(rows_folder_)] : kPlainFolder;
  return thread::MakeRow(*rows_[static_cast<std::size_t>(row)], folder).Caption;
}

// The list view's letter jump: the typed text is looked for at the start of
// the rows' first column as shown, ignoring case and the row's leading blanks,
// from the row after the focused one and round to the top. The blanks are
// skipped because every subject is shown after one (and replies after their
// indentation), while a typed blank never gets here: Space opens the row.
int ThreadListPane::FindRow(const NMLVFINDITEMW& find) const {
  const int count = static_cast<int>(rows_.size());
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

LRESULT ThreadListPane::OnNotify(const NMHDR& header, LPARAM lparam) {
  switch (header.code) {
    case LVN_GETDISPINFOW:
      OnGetDispInfo(*reinterpret_cast<NMLVDISPINFOW*>(lparam));
      return 0;
    case LVN_ODFINDITEMW:
      return FindRow(*reinterpret_cast<const NMLVFINDITEMW*>(lparam));
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

void ThreadListPane::ClearRows() {
  rows_.clear();
  rows_folder_ = -1;
  if (list_.hwnd() == nullptr) return;
  list_.SetRowCount(0);
  list_.Invalidate();
  UpdateWindow(list_.hwnd());
}

void ThreadListPane::ShowRows(std::vector<thread::ThreadNode*> rows, int folder) {
  rows_ = std::move(rows);
  rows_folder_ = folder;
  list_.SetRowCount(static_cast<int>(rows_.size()));
  if (!rows_.empty()) list_.AddExtendedStyle(LVS_EX_FULLROWSELECT);
  list_.Invalidate();
  FitSenderColumn();
}

void ThreadListPane::RemoveRow(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return;
  rows_.erase(rows_.begin() + row);
  list_.DeleteRow(row);
}

thread::ThreadNode* ThreadListPane::SelectedNode() const {
  const int row = list_.Selected();
  if (row < 0 || row >= static_cast<int>(rows_.size())) return nullptr;
  return rows_[static_cast<std::size_t>(row)];
}

void ThreadListPane::FitSenderColumn() {
  RECT client{};
  GetClientRect(list_.hwnd(), &client);
  list_.SetColumnWidth(1, std::max(0, static_cast<int>(client.right) - list_.ColumnWidth(0)));
}

void ThreadListPane::SelectRow(int row, bool scroll) {
  const int count = list_.RowCount();
  if (count == 0) return;
  row = std::clamp(row, 0, count - 1);
  list_.SelectRow(row);
  if (scroll) list_.EnsureVisible(row);
}

bool ThreadListPane::JumpToUnread(Direction direction) {
  const int row = list_.Selected();
  if (row < 0 || row >= static_cast<int>(rows_.size())) return false;
  const int target =
      thread::FindUnreadRow(rows_[static_cast<std::size_t>(row)], row,
                            direction == Direction::kNext ? thread::UnreadDirection::kNext
                                                          : thread::UnreadDirection::kPrevious);
  if (target < 0) return false;
  SelectRow(target, true);
  return true;
}

void ThreadListPane::RunCommand(const char* name) { form_.RunCommand(name); }

bool ThreadListPane::ListViewMailKeyPress(wchar_t character) {
  if (form_.ViewerBusy()) return true;
  return RunKey<ThreadListPane>(kKeys, *this, WM_CHAR, character,
                                [this](const char* name) { RunCommand(name); });
}

bool ThreadListPane::ListViewMailKeyDown(WPARAM key) {
  if ((GetKeyState(VK_MENU) & 0x8000) != 0) return false;
  return RunKey<ThreadListPane>(kKeys, *this, WM_KEYDOWN, key,
                                [this](const char* name) { RunCommand(name); });
}

bool ThreadListPane::OpenSelected(WORD) {
  form_.OpenSelectedMail();
  return true;
}

bool ThreadListPane::PostNavigationKey(WORD virtual_key) {
  PostKeyPress(list_.hwnd(), virtual_key);
  return true;
}

bool ThreadListPane::MoveToTrash(WORD) {
  form_.MoveToTrash();
  return true;
}

bool ThreadListPane::FocusFolderList(WORD) {
  form_.FolderList().ListBoxF().Focus();
  return true;
}

// The arrow, page, Home and End keys without Shift or Ctrl, moving the
// selection as the list view itself does. Done here because Wine's list view
// spends time in proportion to the row count on every such key of an
// owner-data list (0.1 s at 100,000 rows); selecting a row directly does not.
bool ThreadListPane::MoveSelectionByKey(WORD key) {
  if ((GetKeyState(VK_SHIFT) & 0x8000) != 0 || (GetKeyState(VK_CONTROL) & 0x8000) != 0)
    return false;
  const int count = list_.RowCount();
  if (count == 0) return false;
  int current = list_.Focused();
  if (current < 0) current = 0;
  const int page = std::max(1, list_.RowsPerPage());
  const int top = list_.TopRow();
  const int bottom = top + page - 1;
  int target = current;
  switch (key) {
    case VK_DOWN:
      target = current + 1;
      break;
    case VK_UP:
      target = current - 1;
      break;
    case VK_HOME:
      target = 0;
      break;
    case VK_END:
      target = count - 1;
      break;
    case VK_NEXT:
      target = current < bottom ? bottom : current + page - 1;
      break;
    case VK_PRIOR:
      target = current > top ? top : current - (page - 1);
      break;
    default:
      return false;
  }
  SelectRow(std::clamp(target, 0, count - 1), true);
  return true;
}

void ThreadListPane::ListViewMailDblClick() {
  form_.OpenSelectedMail();
  ListViewMailClick();
}

void ThreadListPane::ListViewMailClick() {
  if (list_.Selected() >= 0) return;
  const int focused = list_.Focused();
  if (focused >= 0) list_.SelectRow(focused);
}

void ThreadListPane::ListViewMailMouseDown() { form_.PopupAtCursor(PopupMailDef(), list_.hwnd()); }

bool ThreadListPane::ControlMessage(UINT message, WPARAM wparam, LPARAM, LRESULT& result) {
  result = 0;
  if (message == WM_CHAR) return ListViewMailKeyPress(static_cast<wchar_t>(wparam));
  if (message == WM_KEYDOWN) return ListViewMailKeyDown(wparam);
  return false;
}

}  // namespace ui
