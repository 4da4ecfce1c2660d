#pragma once
// Recording fakes of the progress dialog and the main window for the loader
// tests.

#include <string>
#include <string_view>
#include <vector>

#include "thread/load_host.h"
#include "thread/thread_node.h"

namespace folder_fixture {

class RecordingProgress final : public thread::ProgressSink {
 public:
  void SetTitle(std::string_view sjis) override;
  void SetMailTitle(std::string_view sjis) override;
  void SetRange(int min, int max) override;
  void SetPosition(int position) override;
  void Step() override;
  void EnableCancel(bool enable) override;
  void Repaint() override {}
  bool CancelRequested() override;

  // Cancel reads as pressed once this many steps were made (-1: never).
  int CancelAfterSteps = -1;
  int Steps = 0;
  std::vector<std::string> Titles;
  std::vector<std::string> MailTitles;
  // The phase texts with the cancel button's state at each, e.g.
  // "title:...", "cancel:0", "range:0-3".
  std::vector<std::string> Events;
};

class FakeHost final : public thread::LoadHost {
 public:
  void PumpMessages() override { ++Pumps; }
  bool FolderSwitchPending() override;
  void EnableMainWindow(bool enable) override { MainWindowEnabled = enable; }
  thread::ProgressSink& ShowProgress() override;
  void HideProgress() override { ProgressShown = false; }
  void EnableAccountMenu(bool enable) override { AccountMenuEnabled = enable; }
  void EnableViewer(bool enable) override { ViewerEnabled = enable; }
  void FocusMainWindow() override {}
  int RowCount() override { return static_cast<int>(Rows.size()); }
  int SelectedRow() override { return Selected; }
  void SelectRow(int row) override;
  void ClearRows() override;
  void ShowRows(std::vector<thread::ThreadNode*> rows) override;
  void ClearViewedNode() override { ++ViewedNodeClears; }
  void ShowFolderStatus(int) override {}
  void RepaintFolderList() override {}

  // FolderSwitchPending reads true once this many pumps were made (-1: never).
  int SwitchAfterPumps = -1;
  int Pumps = 0;
  int ProgressShows = 0;
  bool ProgressShown = false;
  bool MainWindowEnabled = true;
  bool AccountMenuEnabled = true;
  bool ViewerEnabled = true;
  int ViewedNodeClears = 0;
  std::vector<thread::ThreadNode*> Rows;
  int Selected = -1;
  std::vector<int> Selections;  // every SelectRow, clamped as the view does
  RecordingProgress Progress;   // the dialog of the latest ShowProgress
};

// Names of the rows in order, e.g. "00000001 00000002".
std::string RowNames(const std::vector<thread::ThreadNode*>& rows);
// Names with depths of a list, e.g. "00000001/0 00000002/1".
std::string ListShape(const thread::ThreadNode* head);

}  // namespace folder_fixture
