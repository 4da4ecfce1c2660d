#pragma once
// A list that drops below a one-line edit, for choosing a text to put in it
// (the queries run last, the senders after "from:"), as a combo box's list
// drops. It never takes the focus: the edit keeps the caret and the typing,
// and hands the list its keys while it is open (KeyDown): Up and Down (and
// Page Up, Page Down) move the choice, Enter chooses, Esc closes. A click on
// an item chooses it. The edit closes the list when it loses the focus.
//
// The list is a pop-up owned by the edit's window, so it floats above the
// window's other controls and is never clipped by them; it takes the edit's
// font, so its rows follow the edit at every display scale.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace ui {

class DropList {
 public:
  // `index`: the item chosen, in the order given to Open.
  using ChooseFn = std::function<void(int index)>;

  DropList() = default;
  ~DropList();
  DropList(const DropList&) = delete;
  DropList& operator=(const DropList&) = delete;

  // Shows `items` (none: closes) below `edit`, none chosen yet; again while
  // open, the items are replaced.
  void Open(HWND edit, const std::vector<std::wstring>& items, ChooseFn choose);
  void Close();
  bool IsOpen() const { return list_ != nullptr && IsWindowVisible(list_); }
  // The list window (null until first opened), for tests.
  HWND hwnd() const { return list_; }
  int Count() const;
  // A key of the edit while the list is open; true when it was the list's.
  bool KeyDown(WPARAM key);
  // The character of a key KeyDown took (Enter's, Esc's), which the edit
  // must not see either.
  static bool TakesCharacter(WPARAM character) {
    return character == VK_RETURN || character == VK_ESCAPE;
  }

 private:
  bool ListMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  void Choose(int index);
  void Place(HWND edit, int count);

  HWND list_ = nullptr;
  ChooseFn choose_;
};

}  // namespace ui
