#pragma once
// Thin wrappers over the Win32 controls the windows use: each holds only the
// control's HWND and turns one call into one message, taking and returning
// CP932 strings. The logic that decides what to show lives elsewhere.

#include <windows.h>

// commctrl.h needs the types of windows.h.
#include <commctrl.h>

#include <string>

#include "ui/window.h"

namespace ui {

class Control {
 public:
  HWND hwnd() const { return hwnd_; }
  void Attach(HWND hwnd) { hwnd_ = hwnd; }
  void SetFont(HFONT font) const { SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }
  void SetText(const std::string& text) const;
  std::string Text() const;
  std::wstring WideText() const;  // as typed, for text CP932 may not hold
  // The text in UTF-8, every character as typed.
  std::string Utf8Text() const;
  void SetUtf8Text(const std::string& utf8) const;
  void Move(int x, int y, int width, int height) const { MoveWindow(hwnd_, x, y, width, height, TRUE); }
  void Enable(bool enabled) const { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
  bool Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
  void Show(bool shown) const { ShowWindow(hwnd_, shown ? SW_SHOW : SW_HIDE); }
  void Focus() const { SetFocus(hwnd_); }
  void Invalidate() const { InvalidateRect(hwnd_, nullptr, TRUE); }
  int Width() const;

 protected:
  // Creates a child control of a system class; throws std::runtime_error on failure.
  void CreateChild(const wchar_t* class_name, DWORD style, DWORD ex_style, HWND parent, int id,
                   const std::string& text = {});
  HWND hwnd_ = nullptr;
};

// A subclassed control's messages go first to a member of its owner:
// `bool Owner::Handler(UINT, WPARAM, LPARAM, LRESULT& result)` returns true
// when it used the message up (the control then answers `result`), false to
// pass it on to the control. Anything the handler throws is caught here and
// shown in the error box, and the message counts as used up.
template <class Owner, bool (Owner::*Handler)(UINT, WPARAM, LPARAM, LRESULT&)>
LRESULT CALLBACK SubclassProcedure(HWND control, UINT message, WPARAM wparam, LPARAM lparam,
                                   UINT_PTR, DWORD_PTR owner) noexcept {
  try {
    LRESULT result = 0;
    if ((reinterpret_cast<Owner*>(owner)->*Handler)(message, wparam, lparam, result)) return result;
  } catch (...) {
    ShowCurrentError();
    return 0;
  }
  return DefSubclassProc(control, message, wparam, lparam);
}

template <class Owner, bool (Owner::*Handler)(UINT, WPARAM, LPARAM, LRESULT&)>
void SubclassControl(HWND control, Owner* owner) {
  SetWindowSubclass(control, &SubclassProcedure<Owner, Handler>, 1,
                    reinterpret_cast<DWORD_PTR>(owner));
}

// WM_CONTEXTMENU from the keyboard (Shift+F10 or the Menu key) rather than
// the mouse: its position is (-1, -1).
inline bool FromKeyboard(LPARAM context_menu_position) {
  return context_menu_position == static_cast<LPARAM>(-1) ||
         (static_cast<short>(LOWORD(context_menu_position)) == -1 &&
          static_cast<short>(HIWORD(context_menu_position)) == -1);
}

// Shift+F10 and the Menu key in a control whose pop-up the program opens
// itself: the pop-up opens at the key's press, and the release of that key is
// swallowed too, so that the release of F10 does not open the menu bar as
// well (Wine's default handling does) and the default handling makes no
// second WM_CONTEXTMENU of its own.
class ContextMenuKey {
 public:
  // True for the press of Shift+F10 or of the Menu key. Every key press
  // passes here, so that a release the pop-up's menu loop took is forgotten
  // at the next press.
  bool Pressed(UINT message, WPARAM key);
  // True for the release of the key Pressed took.
  bool Released(UINT message, WPARAM key);

 private:
  WPARAM held_ = 0;
};

// Where a pop-up opened from the keyboard goes: the bottom-left corner of
// `item` (client coordinates of `control`), kept inside the control's client
// area, in screen coordinates; the control's corner when there is no item.
POINT PopupPoint(HWND control, const RECT* item);

// No input context for `control`: an open input method (a Japanese IME) then
// leaves its keys alone, so that single-letter commands work while it is on.
void WithoutInputMethod(HWND control);

// Posts a key press and release of `virtual_key` to `target`, so that its own
// navigation runs as if the key had been typed there.
void PostKeyPress(HWND target, WORD virtual_key);

class Label : public Control {
 public:
  void Create(HWND parent, int id, const std::string& text) { CreateChild(L"STATIC", SS_LEFT | SS_NOPREFIX, 0, parent, id, text); }
};

class Button : public Control {
 public:
  void Create(HWND parent, int id, const std::string& text) { CreateChild(L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, parent, id, text); }
};

class ProgressBar : public Control {
 public:
  void Create(HWND parent, int id) { CreateChild(PROGRESS_CLASSW, PBS_SMOOTH, 0, parent, id); }
  void SetRange(int minimum, int maximum) const { SendMessageW(hwnd_, PBM_SETRANGE32, minimum, maximum); }
  int Minimum() const { return static_cast<int>(SendMessageW(hwnd_, PBM_GETRANGE, TRUE, 0)); }
  int Maximum() const { return static_cast<int>(SendMessageW(hwnd_, PBM_GETRANGE, FALSE, 0)); }
  void SetPosition(int position) const { SendMessageW(hwnd_, PBM_SETPOS, position, 0); }
  int Position() const { return static_cast<int>(SendMessageW(hwnd_, PBM_GETPOS, 0, 0)); }
  void SetStep(int step) const { SendMessageW(hwnd_, PBM_SETSTEP, step, 0); }
  void StepIt() const { SendMessageW(hwnd_, PBM_STEPIT, 0, 0); }
};

// Status bar used in single-text ("simple") mode.
class StatusBar : public Control {
 public:
  // Placed and sized by its parent (CCS_NORESIZE), so its height is the
  // window's design height whatever the font.
  void Create(HWND parent, int id) {
    CreateChild(STATUSCLASSNAMEW, CCS_NORESIZE | CCS_NOPARENTALIGN, 0, parent, id);
  }
  void SetSimpleText(const std::string& text) const;
  void SetSimpleUtf8Text(const std::string& utf8) const;  // every character kept
  std::string SimpleText() const;
};

// Owner-drawn list box with variable item height; the rows' strings are kept
// by the control so that their text can be read back.
class OwnerDrawListBox : public Control {
 public:
  void Create(HWND parent, int id);
  void Clear() const { SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0); }
  void Add(const std::string& text) const;
  int Count() const { return static_cast<int>(SendMessageW(hwnd_, LB_GETCOUNT, 0, 0)); }
  int Selected() const { return static_cast<int>(SendMessageW(hwnd_, LB_GETCURSEL, 0, 0)); }
  void Select(int row) const { SendMessageW(hwnd_, LB_SETCURSEL, row, 0); }
  std::string ItemText(int row) const;
  void RedrawItem(int row) const;
  void SetRedraw(bool on) const { SendMessageW(hwnd_, WM_SETREDRAW, on ? TRUE : FALSE, 0); }
};

// Adds column `index` to a report-style list view: `caption` (CP932), `width`
// in pixels.
void AddListColumn(HWND list, int index, const std::string& caption, int width);
// The text of a list view's cell (Shift-JIS), up to 1,023 characters.
std::string ListCellText(HWND list, int row, int column);

// Report-style list view whose rows are supplied on demand (LVS_OWNERDATA):
// the owner answers LVN_GETDISPINFO, the control holds only the row count,
// the selection and the focus.
class VirtualListView : public Control {
 public:
  void Create(HWND parent, int id);
  void AddColumn(int index, const std::string& caption, int width) const;
  int ColumnWidth(int column) const { return ListView_GetColumnWidth(hwnd_, column); }
  void SetColumnWidth(int column, int width) const { ListView_SetColumnWidth(hwnd_, column, width); }
  std::string ColumnCaption(int column) const;
  int ColumnCount() const { return Header_GetItemCount(ListView_GetHeader(hwnd_)); }
  void RemoveColumn(int column) const { ListView_DeleteColumn(hwnd_, column); }
  // Sets the number of rows; the selection is cleared (an owner-data list
  // keeps the selected row numbers otherwise, which now stand for other rows).
  void SetRowCount(int count) {
    ClearSelection();
    ListView_SetItemCountEx(hwnd_, count, LVSICF_NOSCROLL);
  }
  int RowCount() const { return ListView_GetItemCount(hwnd_); }
  // Takes one row out; the rows after it move up and no row is selected.
  void DeleteRow(int row) {
    ClearSelection();
    ListView_DeleteItem(hwnd_, row);
  }
  void ClearSelection();
  int Selected() const { return ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED); }
  int Focused() const { return ListView_GetNextItem(hwnd_, -1, LVNI_FOCUSED); }
  // Selects and focuses one row (clearing the other selection).
  void SelectRow(int row) const;
  // One row at most is selected. The owner reports the control's selection
  // notifications here: a newly selected row takes the selection from the
  // row selected before (LVN_ITEMCHANGED), and a range selected at once
  // (Shift with a key or a click; LVN_ODSTATECHANGED) shrinks to the focused
  // row.
  void SelectionChanged(int row, bool selected);
  void RangeSelected();
  void EnsureVisible(int row) const { ListView_EnsureVisible(hwnd_, row, TRUE); }
  int TopRow() const { return ListView_GetTopIndex(hwnd_); }
  int RowsPerPage() const { return ListView_GetCountPerPage(hwnd_); }
  void RedrawRows(int first, int last) const { ListView_RedrawItems(hwnd_, first, last); }
  // Text of one cell as the control shows it (asks the owner for it).
  std::string CellText(int row, int column) const;
  // Image index of a row as the control shows it.
  int RowImage(int row) const;
  void SetImageList(HIMAGELIST images) const { ListView_SetImageList(hwnd_, images, LVSIL_SMALL); }
  void SetColors(COLORREF text, COLORREF background) const;
  void AddExtendedStyle(DWORD style) const { ListView_SetExtendedListViewStyleEx(hwnd_, style, style); }
  DWORD ExtendedStyle() const { return ListView_GetExtendedListViewStyle(hwnd_); }
  void SetRedraw(bool on) const { SendMessageW(hwnd_, WM_SETREDRAW, on ? TRUE : FALSE, 0); }

 private:
  int selected_row_ = -1;
  bool adjusting_ = false;
};

}  // namespace ui
