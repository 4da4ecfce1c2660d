#pragma once
// What the folder loading code needs from the windows around it. The main
// window implements LoadHost, its progress dialog ProgressSink; tests and the
// command-line tool implement them with fakes. Every call is made on the
// thread that called the loader (the user-interface thread); the loaders
// never call these from worker threads.
//
// Texts are Shift-JIS bytes.

#include <string_view>
#include <utility>
#include <vector>

namespace thread {

struct ThreadNode;

// The progress dialog of one load.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void SetTitle(std::string_view sjis) = 0;      // the phase text
  virtual void SetMailTitle(std::string_view sjis) = 0;  // the message being handled
  virtual void SetRange(int min, int max) = 0;           // the bar; step is always 1
  virtual void SetPosition(int position) = 0;
  virtual void Step() = 0;                               // advance the bar by one
  virtual void EnableCancel(bool enable) = 0;
  virtual void Repaint() = 0;
  // True once the user pressed Cancel (or Esc on it) during this load.
  virtual bool CancelRequested() = 0;
};

// What the readers need while they run, besides the dialog.
class LoadMonitor {
 public:
  virtual ~LoadMonitor() = default;
  // Lets pending window messages be processed (the dialog's Cancel, the
  // folder list, repaints).
  virtual void PumpMessages() = 0;
  // True while the folder-switch delay (TimerKeyWait) runs, i.e. the user
  // chose another folder: the running load gives up at its next message.
  virtual bool FolderSwitchPending() = 0;
  // Enables or disables the main window; disabling it while the dialog is up
  // also gives the dialog the focus.
  virtual void EnableMainWindow(bool enable) = 0;
};

// Everything OpenFolderThreads and the reload commands drive.
class LoadHost : public LoadMonitor {
 public:
  // Creates the progress dialog (caption ja::kProgressCaption, placed 30 pixels
  // right of and below the main window's top-left corner, cancel flag clear),
  // shows it without blocking and gives the focus back to the main window.
  // The sink stays valid until HideProgress.
  virtual ProgressSink& ShowProgress() = 0;
  virtual void HideProgress() = 0;  // destroys the dialog

  virtual void EnableAccountMenu(bool enable) = 0;  // mAccount
  virtual void EnableViewer(bool enable) = 0;
  virtual void FocusMainWindow() = 0;

  // The thread list view (owner data). Rows refer to nodes without owning them.
  // The loader counts in positions in the list (the rows as they are with no
  // filter and no thread collapsed); the host maps them to its shown rows.
  virtual int RowCount() = 0;     // messages in the list
  virtual int SelectedRow() = 0;  // position of the selected message; -1 when none
  // Selects, focuses and scrolls into view the message at a position
  // (clamped to the list), or the first row of its thread when collapsed.
  virtual void SelectRow(int position) = 0;
  // Removes every row in one batch update and repaints the view. Called before
  // any list the rows refer to is released.
  virtual void ClearRows() = 0;
  // Shows `rows` (node pointers in list order) in one batch update, with the
  // full-row-select style and the sender column fitted to the view.
  virtual void ShowRows(std::vector<ThreadNode*> rows) = 0;

  // Forgets the node last opened in the viewer (ViewedNode).
  virtual void ClearViewedNode() = 0;
  // Shows the folder's counts in the status bar.
  virtual void ShowFolderStatus(int folder) = 0;
  // Redraws the folder list (its unread marks follow the folders' counts).
  virtual void RepaintFolderList() = 0;
};

// A dialog and a monitor that show nothing and never cancel: for running the
// loaders without windows (the command-line tool, benchmarks).
class QuietProgress final : public ProgressSink {
 public:
  void SetTitle(std::string_view) override {}
  void SetMailTitle(std::string_view) override {}
  void SetRange(int, int) override {}
  void SetPosition(int) override {}
  void Step() override {}
  void EnableCancel(bool) override {}
  void Repaint() override {}
  bool CancelRequested() override { return false; }
};

// The windows reduced to keeping the rows a load shows: for running the
// loaders without windows (the command-line tool, benchmarks).
class RowCollector final : public LoadHost {
 public:
  std::vector<ThreadNode*> Rows;

  void PumpMessages() override {}
  bool FolderSwitchPending() override { return false; }
  void EnableMainWindow(bool) override {}
  ProgressSink& ShowProgress() override { return progress_; }
  void HideProgress() override {}
  void EnableAccountMenu(bool) override {}
  void EnableViewer(bool) override {}
  void FocusMainWindow() override {}
  int RowCount() override { return static_cast<int>(Rows.size()); }
  int SelectedRow() override { return -1; }
  void SelectRow(int) override {}
  void ClearRows() override { Rows.clear(); }
  void ShowRows(std::vector<ThreadNode*> rows) override { Rows = std::move(rows); }
  void ClearViewedNode() override {}
  void ShowFolderStatus(int) override {}
  void RepaintFolderList() override {}

 private:
  QuietProgress progress_;
};

class QuietMonitor final : public LoadMonitor {
 public:
  void PumpMessages() override {}
  bool FolderSwitchPending() override { return false; }
  void EnableMainWindow(bool) override {}
};

// The pair a reader reports to.
struct LoadContext {
  ProgressSink& progress;
  LoadMonitor& monitor;

  // Lets window messages run, then tells whether the load is to stop (another
  // folder chosen, or Cancel pressed).
  bool PumpAndCheckStop() {
    monitor.PumpMessages();
    return monitor.FolderSwitchPending() || progress.CancelRequested();
  }
};

}  // namespace thread
