#pragma once
// Thin wrappers over the controls the dialogs use besides labels and push
// buttons: check boxes, radio buttons, group boxes, a one-line edit and a tab
// control. Like ui/controls.h, each holds only its HWND and takes and returns
// CP932 strings.

#include <windows.h>
// after windows.h, whose types it uses
#include <commctrl.h>

#include <string>
#include <vector>

#include "ui/controls.h"

namespace ui {

class CheckBox : public Control {
 public:
  void Create(HWND parent, int id, const std::string& text) {
    CreateChild(L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0, parent, id, text);
  }
  bool Checked() const { return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void SetChecked(bool checked) const {
    SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
};

// One button of a group: the first of the group is created with `first` set,
// so that the arrow keys move within the group and Tab leaves it.
class RadioButton : public CheckBox {
 public:
  void Create(HWND parent, int id, const std::string& text, bool first) {
    CreateChild(L"BUTTON", BS_AUTORADIOBUTTON | (first ? WS_GROUP | WS_TABSTOP : 0u), 0, parent, id,
                text);
  }
};

class GroupBox : public Control {
 public:
  void Create(HWND parent, int id, const std::string& text) {
    CreateChild(L"BUTTON", BS_GROUPBOX, 0, parent, id, text);
  }
};

class EditBox : public Control {
 public:
  void Create(HWND parent, int id) {
    CreateChild(L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, parent, id);
  }
};

// A read-only text of several lines that scrolls, and can be selected and
// copied from.
class TextView : public Control {
 public:
  void Create(HWND parent, int id, const std::string& text) {
    CreateChild(L"EDIT", WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                WS_EX_CLIENTEDGE, parent, id, text);
  }
};

// The two Ctrl chords a one-line edit control lacks by itself, for the
// subclass of a box that wants them: Ctrl+A selects all (older Windows only
// beep at it) and Ctrl+Backspace deletes the word before the caret (rather
// than type a box). True when `message` was one of them, or the character it
// makes, and is used up.
bool EditChordKey(HWND box, UINT message, WPARAM wparam);

// Report-style list view holding its own rows' texts, several rows selectable.
class ReportList : public Control {
 public:
  void Create(HWND parent, int id) {
    CreateChild(WC_LISTVIEWW, WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE, parent,
                id);
    ListView_SetExtendedListViewStyleEx(hwnd_, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  }
  void AddColumn(int index, const std::string& caption, int width) const;
  void AddRow(const std::vector<std::string>& cells) const;
  void Clear() const { ListView_DeleteAllItems(hwnd_); }
  int RowCount() const { return ListView_GetItemCount(hwnd_); }
  std::string CellText(int row, int column) const;
  void SetSelected(int row, bool selected) const {
    ListView_SetItemState(hwnd_, row, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
  }
  std::vector<int> SelectedRows() const;
};

class TabControl : public Control {
 public:
  void Create(HWND parent, int id) { CreateChild(WC_TABCONTROLW, WS_TABSTOP, 0, parent, id); }
  void AddPage(int index, const std::string& caption) const;
  int Selected() const { return TabCtrl_GetCurSel(hwnd_); }
  void Select(int page) const { TabCtrl_SetCurSel(hwnd_, page); }
  // The area of the pages inside the control, in the parent's coordinates.
  RECT PageArea() const;
};

}  // namespace ui
