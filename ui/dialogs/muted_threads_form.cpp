#include "ui/dialogs/muted_threads_form.h"

#include <string>

#include "thread/catch_up.h"
#include "ui/ja_texts.h"

namespace ui {

TMutedThreadsForm::TMutedThreadsForm(HWND owner) {
  CreateFrame(owner, Frame{kClassName, ja::kMutedCaption, 400, 236});
}

void TMutedThreadsForm::OnCreateControls() {
  List.Create(hwnd(), kListId);
  Place(List, 8, 8, 384, 192);
  List.AddColumn(0, ja::kMutedSubject, X(230));
  List.AddColumn(1, ja::kMutedLast, X(100));
  List.AddColumn(2, ja::kMutedCount, X(40));
  UnmuteButton.Create(hwnd(), IDOK, ja::kMutedUnmute);
  Place(UnmuteButton, 200, 208, 104, 21);
  CloseButton.Create(hwnd(), IDCANCEL, ja::kMutedClose);
  Place(CloseButton, 312, 208, 80, 21);
  ApplyDialogFont();
}

int TMutedThreadsForm::Run() {
  Fill();
  List.Focus();
  return ShowModal();
}

void TMutedThreadsForm::Fill() {
  List.Clear();
  for (const thread::MutedThread& muted : Threads) {
    List.AddRow({muted.Subject, thread::StampText(muted.Last), std::to_string(muted.Count)});
  }
  if (!Threads.empty()) List.SetSelected(0, true);
  UnmuteButton.Enable(!Threads.empty());
}

// Unmutes the chosen rows and stays open on the list that is left.
bool TMutedThreadsForm::OnOk() {
  std::vector<thread::MutedThread> chosen;
  for (int row : List.SelectedRows()) chosen.push_back(Threads[static_cast<std::size_t>(row)]);
  if (chosen.empty() || !Unmute) {
    MessageBeep(MB_OK);
    return false;
  }
  Threads = Unmute(chosen);
  Fill();
  List.Focus();
  return false;
}

}  // namespace ui
