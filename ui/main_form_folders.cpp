// TVtFormMain: the folder list ListBoxF, the status bar and the delayed
// opening of a folder after a selection change.

#include <algorithm>

#include "mailbox/folder_discovery.h"
#include "platform/wide_win.h"
#include "ui/commands.h"
#include "ui/main_form.h"

namespace ui {
namespace {

constexpr UINT kSelectionDelayMs = 400;
constexpr int kIndentPerLevel = 20;

int ImageWidth(HIMAGELIST images) {
  int width = 16;
  int height = 16;
  if (images != nullptr) ImageList_GetIconSize(images, &width, &height);
  return width;
}

int ImageHeight(HIMAGELIST images) {
  int width = 16;
  int height = 16;
  if (images != nullptr) ImageList_GetIconSize(images, &width, &height);
  return height;
}

}  // namespace

void TVtFormMain::FillFolderList() {
  ListBoxF.Clear();
  const int count = mailbox::FolderCount(*Folders);
  for (int i = 0; i < count; ++i) ListBoxF.Add((*Folders)[i].Title);
  if (count == 0) return;  // no folder: nothing to describe or open
  ListBoxF.Select(0);
  ShowFolderStatus(0);
  OpenFolderThreads(0, false);
}

void TVtFormMain::ShowFolderStatus(int folder) {
  if (folder < 0 || folder >= mailbox::FolderCount(*Folders)) return;
  StatusBar.SetSimpleText(mailbox::FolderStatusText((*Folders)[folder]));
}

void TVtFormMain::StartTimerKeyWait() {
  SetTimer(hwnd(), kTimerKeyWaitId, kSelectionDelayMs, nullptr);
  timer_key_wait_running_ = true;
}

void TVtFormMain::StopTimerKeyWait() {
  KillTimer(hwnd(), kTimerKeyWaitId);
  timer_key_wait_running_ = false;
}

void TVtFormMain::ListBoxFClick() {
  StopTimerKeyWait();
  ShowFolderStatus(ListBoxF.Selected());
  StartTimerKeyWait();
}

void TVtFormMain::TimerKeyWaitTimer() {
  // While a load runs the timer stays on: the load sees it, gives up, and the
  // next tick opens the newly chosen folder.
  if (View.Loading) return;
  StopTimerKeyWait();
  const int folder = ListBoxF.Selected();
  if (folder < 0) return;
  OpenFolderThreads(folder, true);
}

// Posts a key press and release of `virtual_key` to the control, so that its
// own navigation runs as if the key had been typed there.
void TVtFormMain::InjectKey(HWND target, WORD virtual_key) const {
  const UINT scan = MapVirtualKeyW(virtual_key, MAPVK_VK_TO_VSC);
  const bool extended = virtual_key == VK_UP || virtual_key == VK_DOWN ||
                        virtual_key == VK_HOME || virtual_key == VK_END;
  const LPARAM down = 1 | (static_cast<LPARAM>(scan & 0xFF) << 16) | (extended ? (1 << 24) : 0);
  const LPARAM up = down | (static_cast<LPARAM>(1) << 30) | (static_cast<LPARAM>(1) << 31);
  PostMessageW(target, WM_KEYDOWN, virtual_key, down);
  PostMessageW(target, WM_KEYUP, virtual_key, up);
}

bool TVtFormMain::ListBoxFKeyPress(wchar_t character) {
  switch (character) {
    case L' ':
      return true;
    case L'B': case L'b':
      InjectKey(ListBoxF.hwnd(), VK_END);
      return true;
    case L'N': case L'n':
      InjectKey(ListBoxF.hwnd(), VK_DOWN);
      return true;
    case L'P': case L'p':
      InjectKey(ListBoxF.hwnd(), VK_UP);
      return true;
    case L'T': case L't':
      InjectKey(ListBoxF.hwnd(), VK_HOME);
      return true;
    default:
      return false;
  }
}

void TVtFormMain::ListBoxFMouseDown() { PopupAtCursor(PopupFolderDef(), ListBoxF.hwnd()); }

void TVtFormMain::ListBoxFMeasureItem(MEASUREITEMSTRUCT& measure) {
  measure.itemHeight = static_cast<UINT>(ImageHeight(ImageListFolder) + 4);
}

void TVtFormMain::ListBoxFDrawItem(const DRAWITEMSTRUCT& draw) {
  const int row = static_cast<int>(draw.itemID);
  if (row < 0 || row >= mailbox::FolderCount(*Folders)) return;
  const mailbox::FolderInfo& folder = (*Folders)[row];
  HDC dc = draw.hDC;
  const RECT& rect = draw.rcItem;
  const bool selected = (draw.itemState & ODS_SELECTED) != 0;
  const COLORREF text_color = selected ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                       : ToColorRef(MainSettings.ListBox.Color);
  FillRect(dc, &rect, selected ? GetSysColorBrush(COLOR_HIGHLIGHT) : list_box_brush_);
  const int image = folder.Unread != 0 ? 2 : 0;
  const int indent = folder.Depth * kIndentPerLevel;
  if (ImageListFolder != nullptr && image < ImageList_GetImageCount(ImageListFolder)) {
    ImageList_Draw(ImageListFolder, image, dc, rect.left + indent + 2, rect.top + 2,
                   ILD_TRANSPARENT);
  }
  HGDIOBJ old_font = SelectObject(dc, list_box_font_.handle());
  const std::wstring text = platform::Widen(folder.Title);
  SIZE extent{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  const int x = rect.left + indent + ImageWidth(ImageListFolder) + 4;
  const int y = rect.top + (rect.bottom - rect.top - extent.cy) / 2;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, text_color);
  TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
  SelectObject(dc, old_font);
  if ((draw.itemState & ODS_FOCUS) != 0) DrawFocusRect(dc, &rect);
}

// The unread check: every mail folder's unread count from its "Entry.ini",
// redrawn with its icon; the thread list and the status bar stay as they are.
void TVtFormMain::RefreshUnreadCounts() {
  EnableWindow(hwnd(), FALSE);
  ListBoxF.SetRedraw(false);
  const int selected = ListBoxF.Selected();
  const int count = mailbox::FolderCount(*Folders);
  for (int i = 0; i < count; ++i) {
    mailbox::FolderInfo& folder = (*Folders)[i];
    if (folder.Kind == mailbox::kFolderContainer) continue;
    folder.Unread = mailbox::ReadUnreadCount(folder);
    ListBoxF.RedrawItem(i);
  }
  ListBoxF.Select(selected);
  ListBoxF.SetRedraw(true);
  ListBoxF.Invalidate();
  EnableWindow(hwnd(), TRUE);
}

LRESULT CALLBACK TVtFormMain::ListBoxFProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                           UINT_PTR, DWORD_PTR self_data) noexcept {
  auto* self = reinterpret_cast<TVtFormMain*>(self_data);
  try {
    if (message == WM_CHAR && self->ListBoxFKeyPress(static_cast<wchar_t>(wparam))) return 0;
    if (message == WM_RBUTTONDOWN) {
      self->ListBoxFMouseDown();
      return 0;
    }
  } catch (const std::exception& error) {
    ShowErrorBox(error.what());
    return 0;
  }
  return DefSubclassProc(hwnd, message, wparam, lparam);
}

}  // namespace ui
