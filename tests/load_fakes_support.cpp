#include "tests/load_fakes_support.h"

#include <algorithm>
#include <cstring>

namespace folder_fixture {

void RecordingProgress::SetTitle(std::string_view sjis) {
  Titles.emplace_back(sjis);
  Events.push_back("title:" + std::string(sjis));
}

void RecordingProgress::SetMailTitle(std::string_view sjis) { MailTitles.emplace_back(sjis); }

void RecordingProgress::SetRange(int min, int max) {
  Events.push_back("range:" + std::to_string(min) + "-" + std::to_string(max));
}

void RecordingProgress::SetPosition(int position) {
  Events.push_back("position:" + std::to_string(position));
}

void RecordingProgress::Step() { ++Steps; }

void RecordingProgress::EnableCancel(bool enable) {
  Events.push_back(enable ? "cancel:1" : "cancel:0");
}

bool RecordingProgress::CancelRequested() {
  return CancelAfterSteps >= 0 && Steps >= CancelAfterSteps;
}

bool FakeHost::FolderSwitchPending() { return SwitchAfterPumps >= 0 && Pumps >= SwitchAfterPumps; }

thread::ProgressSink& FakeHost::ShowProgress() {
  const int cancel_after = Progress.CancelAfterSteps;
  Progress = RecordingProgress();
  Progress.CancelAfterSteps = cancel_after;
  ++ProgressShows;
  ProgressShown = true;
  return Progress;
}

void FakeHost::SelectRow(int row) {
  if (Rows.empty()) return;
  Selected = std::clamp(row, 0, static_cast<int>(Rows.size()) - 1);
  Selections.push_back(Selected);
}

void FakeHost::ClearRows() {
  Rows.clear();
  Selected = -1;
}

void FakeHost::ShowRows(std::vector<thread::ThreadNode*> rows) {
  Rows = std::move(rows);
  Selected = -1;
}

std::string RowNames(const std::vector<thread::ThreadNode*>& rows) {
  std::string names;
  for (const thread::ThreadNode* node : rows) {
    if (!names.empty()) names += ' ';
    names += node->Name.data();
  }
  return names;
}

std::string ListShape(const thread::ThreadNode* head) {
  std::string shape;
  for (const thread::ThreadNode* node = head; node != nullptr; node = node->Next) {
    if (!shape.empty()) shape += ' ';
    shape += node->Name.data();
    shape += '/';
    shape += std::to_string(node->Depth);
  }
  return shape;
}

}  // namespace folder_fixture
