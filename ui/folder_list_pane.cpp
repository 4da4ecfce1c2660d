#include "ui/folder_list_pane.h"

#include <algorithm>

#include "mailbox/folder_discovery.h"
#include "platform/wide_win.h"
#include "ui/dpi.h"
#include "ui/ja_texts.h"

namespace ui {
namespace {

constexpr UINT kSelectionDelayMs = 400;
constexpr int kIndentPerLevel = 20;

SIZE ImageSize(HIMAGELIST images) {
  int width = 16;
  int height = 16;
  if (images != nullptr) ImageList_GetIconSize(images, &width, &height);
  return SIZE{width, height};
}

}  // namespace

// ListBoxFKeyPress: the letters move the selection by injecting the list
// box's own navigation key (which raises ListBoxFClick); the blank is
// swallowed. Tab gives the focus to the quick filter box above the thread
// list, Shift+Tab to the thread list.
const KeyRow<FolderListPane> FolderListPane::kKeys[] = {
    {WM_CHAR, L' ', &FolderListPane::Swallow},
    {WM_CHAR, L'B', &FolderListPane::PostNavigationKey, VK_END},
    {WM_CHAR, L'N', &FolderListPane::PostNavigationKey, VK_DOWN},
    {WM_CHAR, L'P', &FolderListPane::PostNavigationKey, VK_UP},
    {WM_CHAR, L'T', &FolderListPane::PostNavigationKey, VK_HOME},
    {WM_KEYDOWN, VK_TAB, &FolderListPane::TabKey},
    {WM_CHAR, L'\t', &FolderListPane::Swallow},
};

std::span<const KeyRow<FolderListPane>> FolderListPane::Keys() { return kKeys; }

FolderListPane::~FolderListPane() {
  if (images_ != nullptr) ImageList_Destroy(images_);
  if (brush_ != nullptr) DeleteObject(brush_);
}

void FolderListPane::Create(HWND parent, int id) {
  parent_ = parent;
  list_.Create(parent, id);
  SubclassControl<FolderListPane, &FolderListPane::ControlMessage>(list_.hwnd(), this);
  WithoutInputMethod(list_.hwnd());
  dpi_ = DpiOf(parent);
  ResetImages(SmallImageSize(dpi_));
}

HIMAGELIST FolderListPane::ResetImages(int size) {
  if (images_ != nullptr) ImageList_Destroy(images_);
  images_ = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 3, 1);
  ResizeRows();
  return images_;
}

int FolderListPane::RowHeight() const {
  const int text = font_.handle() != nullptr ? MeasureFont(font_.handle()).cy : 0;
  return std::max(static_cast<int>(ImageSize(images_).cy), text) + Scale(4, dpi_);
}

// A variable-height list box measures a row only when it is added: rows
// already there are given the new height.
void FolderListPane::ResizeRows() const {
  if (list_.hwnd() == nullptr) return;
  const int height = RowHeight();
  for (int row = 0; row < list_.Count(); ++row) {
    SendMessageW(list_.hwnd(), LB_SETITEMHEIGHT, static_cast<WPARAM>(row), height);
  }
  list_.Invalidate();
}

void FolderListPane::ApplySettings(const settings::ListFontSettings& list, int dpi) {
  dpi_ = dpi;
  font_.CreatePoints(list.FontFace, list.FontSize, dpi, list.FontStyle);
  list_.SetFont(font_.handle());
  ResizeRows();
  text_color_ = ToColorRef(list.Color);
  back_color_ = ToColorRef(list.BColor);
  if (brush_ != nullptr) DeleteObject(brush_);
  brush_ = CreateSolidBrush(back_color_);
}

LRESULT FolderListPane::ControlColor(HDC dc) const {
  SetTextColor(dc, text_color_);
  SetBkColor(dc, back_color_);
  return reinterpret_cast<LRESULT>(brush_);
}

bool FolderListPane::ParentMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  const auto from_list = [&] { return reinterpret_cast<HWND>(lparam) == list_.hwnd(); };
  const auto list_id = [&] { return wparam == static_cast<WPARAM>(GetDlgCtrlID(list_.hwnd())); };
  switch (message) {
    case WM_COMMAND:
      if (!from_list()) return false;
      if (HIWORD(wparam) == LBN_SELCHANGE) ListBoxFClick();
      result = 0;
      return true;
    case WM_MEASUREITEM:
      if (!list_id()) return false;
      ListBoxFMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lparam));
      result = TRUE;
      return true;
    case WM_DRAWITEM:
      if (!list_id()) return false;
      ListBoxFDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      result = TRUE;
      return true;
    case WM_CTLCOLORLISTBOX:
      if (!from_list()) return false;
      result = ControlColor(reinterpret_cast<HDC>(wparam));
      return true;
    case WM_TIMER:
      if (wparam != kTimerKeyWaitId) return false;
      TimerKeyWaitTimer();
      result = 0;
      return true;
    default:
      return false;
  }
}

void FolderListPane::FillFolderList() {
  list_.Clear();
  results_row_ = false;
  const int count = mailbox::FolderCount(folders_);
  for (int i = 0; i < count; ++i) list_.Add(folders_[i].Title);
  if (count == 0) {
    // No folder: nothing to open, and the counts of the folder shown before
    // are cleared.
    form_.ShowFolderStatus(-1);
    return;
  }
  list_.Select(0);
  form_.ShowFolderStatus(0);
  form_.OpenFolderThreads(0, false);
}

void FolderListPane::AddResultsRow() {
  if (results_row_) return;
  list_.Add(ja::kHitsRowTitle);
  results_row_ = true;
}

int FolderListPane::FolderOfRow(int row) const {
  return row >= 0 && row < mailbox::FolderCount(folders_) ? row : -1;
}

void FolderListPane::OpenFolder(int folder) {
  StopTimerKeyWait();
  list_.Select(RowOfFolder(folder));
  form_.ShowFolderStatus(folder);
  form_.OpenFolderThreads(folder, true);
}

// When the hits show already, only their row is selected.
void FolderListPane::OpenHits() {
  if (!results_row_) return;
  StopTimerKeyWait();
  list_.Select(mailbox::FolderCount(folders_));
  form_.ShowHitsStatus();
  form_.OpenHits();
}

void FolderListPane::ShowChoiceStatus() {
  if (HitsChosen()) {
    form_.ShowHitsStatus();
  } else {
    form_.ShowFolderStatus(SelectedFolder());
  }
}

void FolderListPane::StartTimerKeyWait() {
  SetTimer(parent_, kTimerKeyWaitId, kSelectionDelayMs, nullptr);
  timer_key_wait_running_ = true;
}

void FolderListPane::StopTimerKeyWait() {
  KillTimer(parent_, kTimerKeyWaitId);
  timer_key_wait_running_ = false;
}

void FolderListPane::ListBoxFClick() {
  StopTimerKeyWait();
  ShowChoiceStatus();
  StartTimerKeyWait();
}

void FolderListPane::TimerKeyWaitTimer() {
  // While a load runs the timer stays on: the load sees it, gives up, and the
  // next tick opens the newly chosen folder. While a message is opened or
  // moved (its box or the mail client's wait serving messages) the folder
  // waits too: opening it would free the rows in use.
  if (form_.Loading() || form_.ViewerBusy()) return;
  StopTimerKeyWait();
  if (HitsChosen()) {
    form_.OpenHits();
    return;
  }
  const int folder = SelectedFolder();
  if (folder < 0) return;
  form_.OpenFolderThreads(folder, true);
}

bool FolderListPane::ListBoxFKeyPress(wchar_t character) {
  return RunKey<FolderListPane>(kKeys, *this, WM_CHAR, character,
                                [this](const char* name) { form_.RunCommand(name); });
}

bool FolderListPane::PostNavigationKey(WORD virtual_key) {
  PostKeyPress(list_.hwnd(), virtual_key);
  return true;
}

bool FolderListPane::TabKey(WORD) {
  form_.TabFrom(Pane::kFolderList, (GetKeyState(VK_SHIFT) & 0x8000) != 0);
  return true;
}

void FolderListPane::ListBoxFMouseDown() {
  form_.PopupMenu(Pane::kFolderList, list_.hwnd(), std::nullopt);
}

// Shift+F10 or the Menu key: the pop-up at the selected row.
void FolderListPane::ListBoxFContextKey() {
  RECT row{};
  const int selected = list_.Selected();
  const bool has_row =
      selected >= 0 && SendMessageW(list_.hwnd(), LB_GETITEMRECT, static_cast<WPARAM>(selected),
                                    reinterpret_cast<LPARAM>(&row)) != LB_ERR;
  form_.PopupMenu(Pane::kFolderList, list_.hwnd(),
                  PopupPoint(list_.hwnd(), has_row ? &row : nullptr));
}

void FolderListPane::ListBoxFMeasureItem(MEASUREITEMSTRUCT& measure) const {
  measure.itemHeight = static_cast<UINT>(RowHeight());
}

void FolderListPane::ListBoxFDrawItem(const DRAWITEMSTRUCT& draw) const {
  static const mailbox::FolderInfo kResults = [] {
    mailbox::FolderInfo info;
    info.Title = ja::kHitsRowTitle;
    return info;
  }();
  const int row = static_cast<int>(draw.itemID);
  const int number = FolderOfRow(row);
  if (number < 0 && !IsHitsRow(row)) return;
  const mailbox::FolderInfo& folder = number < 0 ? kResults : folders_[number];
  HDC dc = draw.hDC;
  const RECT& rect = draw.rcItem;
  const bool selected = (draw.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &rect, selected ? GetSysColorBrush(COLOR_HIGHLIGHT) : brush_);
  const int image = folder.Unread != 0 ? 2 : 0;
  const int indent = folder.Depth * Scale(kIndentPerLevel, dpi_);
  if (images_ != nullptr && image < ImageList_GetImageCount(images_)) {
    const int image_top = rect.top + (rect.bottom - rect.top - ImageSize(images_).cy) / 2;
    ImageList_Draw(images_, image, dc, rect.left + indent + Scale(2, dpi_), image_top,
                   ILD_TRANSPARENT);
  }
  HGDIOBJ old_font = SelectObject(dc, font_.handle());
  const std::wstring text = platform::Widen(folder.Title);
  SIZE extent{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  const int x = rect.left + indent + ImageSize(images_).cx + Scale(4, dpi_);
  const int y = rect.top + (rect.bottom - rect.top - extent.cy) / 2;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : text_color_);
  DrawFallbackText(dc, font_, x, y, rect, text);
  SelectObject(dc, old_font);
  if ((draw.itemState & ODS_FOCUS) != 0) DrawFocusRect(dc, &rect);
}

// The thread list and the status bar stay as they are.
// The main window is disabled meanwhile through the form, which gives the
// keyboard focus back to the list that had it.
void FolderListPane::RefreshUnreadCounts() {
  form_.EnableMainWindow(false);
  list_.SetRedraw(false);
  const int selected = list_.Selected();
  const int count = mailbox::FolderCount(folders_);
  for (int i = 0; i < count; ++i) {
    mailbox::FolderInfo& folder = folders_[i];
    if (folder.Kind == mailbox::kFolderContainer) continue;
    folder.Unread = mailbox::ReadUnreadCount(folder);
    list_.RedrawItem(i);
  }
  list_.Select(selected);
  list_.SetRedraw(true);
  list_.Invalidate();
  form_.EnableMainWindow(true);
}

bool FolderListPane::ControlMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  result = 0;
  if (context_key_.Pressed(message, wparam)) {
    ListBoxFContextKey();
    return true;
  }
  if (context_key_.Released(message, wparam)) return true;
  if (message == WM_CHAR) return ListBoxFKeyPress(static_cast<wchar_t>(wparam));
  if (message == WM_KEYDOWN) {
    return RunKey<FolderListPane>(kKeys, *this, WM_KEYDOWN, wparam,
                                  [this](const char* name) { form_.RunCommand(name); });
  }
  if (message == WM_RBUTTONDOWN) {
    ListBoxFMouseDown();
    return true;
  }
  if (message == WM_CONTEXTMENU && FromKeyboard(lparam)) {
    ListBoxFContextKey();
    return true;
  }
  return false;
}

}  // namespace ui
