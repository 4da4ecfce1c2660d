#pragma once
// TMutedThreadsForm: the box of "ミュートしたスレッド...": the shown folder's
// muted threads (subject, newest date, number of messages), several of which
// can be chosen and unmuted at once; the box stays open, its list following.
// "閉じる" and Esc close it.

#include <windows.h>

#include <functional>
#include <vector>

#include "thread/mute_list.h"
#include "ui/dialog.h"
#include "ui/dialog_controls.h"

namespace ui {

class TMutedThreadsForm final : public Dialog {
 public:
  static constexpr wchar_t kClassName[] = L"TMutedThreadsForm";
  static constexpr int kListId = 10;

  explicit TMutedThreadsForm(HWND owner);

  // In: the threads listed.
  std::vector<thread::MutedThread> Threads;
  // In: unmutes the chosen threads (indexes into Threads) and gives the
  // threads muted after it.
  std::function<std::vector<thread::MutedThread>(const std::vector<thread::MutedThread>& chosen)>
      Unmute;

  int Run();

  ReportList List;
  Button UnmuteButton;  // IDOK: Enter unmutes too
  Button CloseButton;   // IDCANCEL

 private:
  void OnCreateControls() override;
  bool OnOk() override;
  void Fill();
};

}  // namespace ui
