#pragma once
// What the main window's panes (the folder list and the thread list) ask of
// the window around them: the status bar, opening a folder or a message, the
// commands and pop-up menus, whether something runs that their rows must
// wait for, and the focus handed from one pane to another. The panes know
// nothing else of the window, nor of each other.

#include <windows.h>

#include <iterator>
#include <optional>
#include <string>

#include "mailbox/folder_table.h"

namespace ui {

enum class Pane { kFolderList, kFilterBox, kBodySearch, kThreadList };

// The main window's Tab order; Shift+Tab goes the other way round.
inline constexpr Pane kTabOrder[] = {Pane::kFolderList, Pane::kFilterBox, Pane::kBodySearch,
                                     Pane::kThreadList};

// The stop after `from` in the Tab order (before it, `backwards`), round.
constexpr Pane NextInTabOrder(Pane from, bool backwards) {
  constexpr int count = static_cast<int>(std::size(kTabOrder));
  int at = 0;
  while (at < count && kTabOrder[at] != from) ++at;
  return kTabOrder[(at + (backwards ? count - 1 : 1)) % count];
}

class PaneHost {
 public:
  // The status bar: a folder's counts (no folder, -1, empties it); the hits'
  // of the search of every folder; what the thread list shows.
  virtual void ShowFolderStatus(int folder) = 0;
  virtual void ShowHitsStatus() = 0;
  virtual void ShowListStatus() = 0;
  virtual void OpenFolderThreads(int folder, bool remember) = 0;
  // The hits of the search of every folder in the thread list.
  virtual void OpenHits() = 0;
  // The thread list's selected row into the viewer; to the trash.
  virtual void OpenSelectedMail() = 0;
  virtual bool MoveToTrash() = 0;
  // Asks the full-text index for the folder's hits; false when it cannot.
  virtual bool AskBodySearch(int folder, const std::string& text) = 0;
  // Runs the command of the window's table named `name` when it is enabled.
  virtual void RunCommand(const char* name) = 0;
  // The pane's pop-up menu, at a point of the screen or at the cursor.
  virtual void PopupMenu(Pane pane, HWND owner_control, std::optional<POINT> at) = 0;
  // A folder is being loaded; a message is being opened or moved.
  virtual bool Loading() const = 0;
  virtual bool ViewerBusy() const = 0;
  virtual void EnableMainWindow(bool enable) = 0;
  virtual void FocusPane(Pane pane) = 0;
  // Tab (or Shift+Tab, `backwards`) pressed in `from`.
  void TabFrom(Pane from, bool backwards) { FocusPane(NextInTabOrder(from, backwards)); }

 protected:
  ~PaneHost() = default;
};

}  // namespace ui
