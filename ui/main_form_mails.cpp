// TVtFormMain: the thread list ListViewMail. Its rows are drawn on demand from
// Rows (the shown list's nodes in list order); selecting, opening and the
// unread navigation work on rows and nodes together.

#include <algorithm>

#include "platform/files.h"
#include "platform/wide_win.h"
#include "thread/thread_node.h"
#include "thread/thread_rows.h"
#include "ui/commands.h"
#include "ui/main_form.h"
#include "ui/wide_text.h"
#include "ui/view_form.h"

namespace ui {
namespace {

// "ファイルが存在しません :再構築をおこなって下さい"
constexpr char kFileMissingText[] =
    "\x83t\x83@\x83\x43\x83\x8B\x82\xAA\x91\xB6\x8D\xDD\x82\xB5\x82\xDC\x82\xB9\x82\xF1 :"
    "\x8D\xC4\x8D\x5C\x92z\x82\xF0\x82\xA8\x82\xB1\x82\xC8\x82\xC1\x82\xC4\x89\xBA\x82\xB3\x82\xA2";

}  // namespace

void TVtFormMain::OnGetDispInfo(NMLVDISPINFOW& info) const {
  LVITEMW& item = info.item;
  if (item.iItem < 0 || item.iItem >= static_cast<int>(Rows.size())) return;
  const thread::ThreadNode& node = *Rows[static_cast<std::size_t>(item.iItem)];
  if ((item.mask & LVIF_IMAGE) != 0) {
    item.iImage = thread::IsUnread(node) ? thread::kUnreadImage : thread::kNoImage;
  }
  if ((item.mask & LVIF_TEXT) == 0) return;
  if (item.iSubItem == 0) {
    static const mailbox::FolderInfo kPlainFolder;
    const mailbox::FolderInfo& folder =
        rows_folder_ >= 0 ? (*Folders)[static_cast<std::size_t>(rows_folder_)] : kPlainFolder;
    const thread::RowText row = thread::MakeRow(node, folder);
    WideInto(row.Caption, item.pszText, item.cchTextMax);
  } else {
    WideInto(node.Sender, item.pszText, item.cchTextMax);
  }
}

LRESULT TVtFormMain::OnNotify(const NMHDR& header, LPARAM lparam) {
  if (header.idFrom != static_cast<UINT_PTR>(kListViewMailId)) return 0;
  switch (header.code) {
    case LVN_GETDISPINFOW:
      OnGetDispInfo(*reinterpret_cast<NMLVDISPINFOW*>(lparam));
      return 0;
    case LVN_ODFINDITEMW:
      return -1;  // no type-ahead search in the thread list
    case LVN_ITEMCHANGED: {
      // One row at most is selected: a newly selected row (a click, a key,
      // Shift or Ctrl held or not) takes the selection alone.
      const auto& change = *reinterpret_cast<const NMLISTVIEW*>(lparam);
      if (change.iItem >= 0 && (change.uChanged & LVIF_STATE) != 0) {
        ListViewMail.SelectionChanged(change.iItem, (change.uNewState & LVIS_SELECTED) != 0);
      }
      return 0;
    }
    case LVN_ODSTATECHANGED:
      // A range selected at once (Shift with a key or a click) shrinks to the
      // focused row.
      ListViewMail.RangeSelected();
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

void TVtFormMain::SelectRow(int row, bool scroll) {
  const int count = ListViewMail.RowCount();
  if (count == 0) return;
  row = std::clamp(row, 0, count - 1);
  ListViewMail.SelectRow(row);
  if (scroll) ListViewMail.EnsureVisible(row);
}

void TVtFormMain::OpenSelectedMail() {
  const int row = ListViewMail.Selected();
  if (row < 0 || row >= static_cast<int>(Rows.size()) || viewer_ == nullptr) return;
  thread::ThreadNode* node = Rows[static_cast<std::size_t>(row)];
  ViewedNode = node;
  if (!platform::FileExists(node->FilePath.str())) {
    ShowMessageText(kFileMissingText);
    if (IsWindowVisible(viewer_->hwnd())) PostMessageW(viewer_->hwnd(), WM_CLOSE, 0, 0);
    return;
  }
  if (viewer_->HoldsMessage(node->FilePath.str())) {
    viewer_->FocusText();
    return;
  }
  viewer_->ViewerBusy = true;
  const bool unread = thread::IsUnread(*node);
  const int folder = ListBoxF.Selected();
  if (unread && folder >= 0 && folder < mailbox::FolderCount(*Folders) &&
      (*Folders)[folder].Unread > 0) {
    mailbox::FolderInfo& info = (*Folders)[folder];
    --info.Unread;
    ShowFolderStatus(folder);
    if (info.Unread == 0) ListBoxF.RedrawItem(folder);
  }
  viewer_->SetMessage(node->FilePath.str(), node->Sender.str(), node->Subject.str());
  viewer_->ShowOrFocus();
  viewer_->LoadMessage(thread::FlagWord(*node), Properties.ComplNkf != 0);
  if (unread && environment_.MailClient != nullptr) {
    environment_.MailClient->MarkAsRead(folder, *node);
  }
  node->StatusBlock[3] = 0;
  ListViewMail.RedrawRows(row, row);
  viewer_->ViewerBusy = false;
}

bool TVtFormMain::JumpToUnread(Direction direction) {
  const int row = ListViewMail.Selected();
  if (row < 0 || row >= static_cast<int>(Rows.size())) return false;
  const int target = thread::FindUnreadRow(
      Rows[static_cast<std::size_t>(row)], row,
      direction == Direction::kNext ? thread::UnreadDirection::kNext
                                    : thread::UnreadDirection::kPrevious);
  if (target < 0) return false;
  SelectRow(target, true);
  return true;
}

bool TVtFormMain::ListViewMailKeyPress(wchar_t character) {
  if (viewer_ != nullptr && viewer_->ViewerBusy) return true;
  switch (character) {
    case 13:
      OpenSelectedMail();
      return true;
    case L'D': case L'd':
      return true;  // moving to the trash comes with the mail-client commands
    case L'B': case L'b':
      InjectKey(ListViewMail.hwnd(), VK_END);
      return true;
    case L'N': case L'n':
      InjectKey(ListViewMail.hwnd(), VK_DOWN);
      return true;
    case L'P': case L'p':
      InjectKey(ListViewMail.hwnd(), VK_UP);
      return true;
    case L'T': case L't':
      InjectKey(ListViewMail.hwnd(), VK_HOME);
      return true;
    default:
      return false;
  }
}

bool TVtFormMain::ListViewMailKeyDown(WPARAM key) {
  if ((GetKeyState(VK_MENU) & 0x8000) != 0) return false;
  if (key == VK_SPACE) {
    OpenSelectedMail();
    return true;
  }
  return MoveSelectionByKey(key);
}

// The arrow, page, Home and End keys without Shift or Ctrl, moving the
// selection as the list view itself does. Done here because Wine's list view
// spends time in proportion to the row count on every such key of an
// owner-data list (0.1 s at 100,000 rows); selecting a row directly does not.
bool TVtFormMain::MoveSelectionByKey(WPARAM key) {
  if ((GetKeyState(VK_SHIFT) & 0x8000) != 0 || (GetKeyState(VK_CONTROL) & 0x8000) != 0) return false;
  const int count = ListViewMail.RowCount();
  if (count == 0) return false;
  int current = ListViewMail.Focused();
  if (current < 0) current = 0;
  const int page = std::max(1, ListViewMail.RowsPerPage());
  const int top = ListViewMail.TopRow();
  const int bottom = top + page - 1;
  int target = current;
  switch (key) {
    case VK_DOWN: target = current + 1; break;
    case VK_UP: target = current - 1; break;
    case VK_HOME: target = 0; break;
    case VK_END: target = count - 1; break;
    case VK_NEXT: target = current < bottom ? bottom : current + page - 1; break;
    case VK_PRIOR: target = current > top ? top : current - (page - 1); break;
    default: return false;
  }
  SelectRow(std::clamp(target, 0, count - 1), true);
  return true;
}

void TVtFormMain::ListViewMailDblClick() {
  OpenSelectedMail();
  ListViewMailClick();
}

void TVtFormMain::ListViewMailClick() {
  if (ListViewMail.Selected() >= 0) return;
  const int focused = ListViewMail.Focused();
  if (focused >= 0) ListViewMail.SelectRow(focused);
}

void TVtFormMain::ListViewMailMouseDown() { PopupAtCursor(PopupMailDef(), ListViewMail.hwnd()); }

LRESULT CALLBACK TVtFormMain::ListViewMailProc(HWND hwnd, UINT message, WPARAM wparam,
                                               LPARAM lparam, UINT_PTR, DWORD_PTR self_data) noexcept {
  auto* self = reinterpret_cast<TVtFormMain*>(self_data);
  try {
    if (message == WM_CHAR && self->ListViewMailKeyPress(static_cast<wchar_t>(wparam))) return 0;
    if (message == WM_KEYDOWN && self->ListViewMailKeyDown(wparam)) return 0;
  } catch (const std::exception& error) {
    ShowErrorBox(error.what());
    return 0;
  }
  return DefSubclassProc(hwnd, message, wparam, lparam);
}

}  // namespace ui
