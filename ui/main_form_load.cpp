// TVtFormMain as the host of the folder loader: the progress dialog, the
// message pump of a running load, the rows of the virtual thread list, and the
// reload commands.

#include <algorithm>
#include <thread>

#include "ui/main_commands.h"
#include "ui/main_form.h"
#include "ui/view_form.h"

namespace ui {
namespace {

// A running load lets window messages run at most this often: asking the
// system for messages after every one of 100,000 records would cost more
// than the reading itself, and 25 ms keeps the window responsive.
constexpr DWORD kPumpIntervalMs = 25;

}  // namespace

// The index keeper reads no message file while a folder loads: the load's
// own reading of the folder (the first start's above all) comes first. The
// keeper is resumed only if it is still the one paused.
class TVtFormMain::KeeperPause {
 public:
  explicit KeeperPause(TVtFormMain& form) : form_(form), paused_(form.index_.Link.get()) {
    if (paused_ != nullptr) paused_->Index().Pause();
  }
  ~KeeperPause() {
    if (paused_ != nullptr && form_.index_.Link.get() == paused_) paused_->Index().Resume();
  }
  KeeperPause(const KeeperPause&) = delete;
  KeeperPause& operator=(const KeeperPause&) = delete;

 private:
  TVtFormMain& form_;
  IndexLink* paused_;
};

thread::LoaderSettings TVtFormMain::LoadSettings() const {
  thread::LoaderSettings settings;
  settings.MailInMemory = settings_.Main.Property.MailInMemory;
  settings.MailIniPos = settings_.Properties.MailIniPos;
  settings.Link.References = settings_.Properties.References != 0;
  settings.Link.Subject = settings_.Properties.Subject != 0;
  settings.Discovery.MidokuSearch = settings_.Properties.MidokuSearch;
  settings.ScanWorkers = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
  return settings;
}

void TVtFormMain::OpenFolderThreads(int folder, bool remember) {
  if (view_.Loading) return;
  if (!(remember && folder == view_.CurrentFolderIndex)) opened_folders_.push_back(folder);
  {
    const KeeperPause pause(*this);
    thread::OpenFolderThreads(view_, LoadSettings(), *this, folder, remember);
  }
  AfterLoad();
}

void TVtFormMain::mRetry1Click() { Retry(thread::ReloadFolder); }
void TVtFormMain::mRetry2Click() { Retry(thread::RebuildFolder); }

void TVtFormMain::Retry(ReloadFn reload) {
  if (folder_list_.HitsChosen()) {
    SearchAllAgain();
    return;
  }
  const int folder = folder_list_.SelectedFolder();
  if (folder < 0) return;
  opened_folders_.push_back(folder);
  {
    const KeeperPause pause(*this);
    reload(view_, LoadSettings(), *this, folder);
  }
  AfterLoad();
}

// What waited for the load (a close, a search's hits) runs now that it is over.
void TVtFormMain::AfterLoad() { idle_.BusyEnded(); }

void TVtFormMain::CloseWhenIdle() {
  idle_.Run(WhenIdle::Job::kClose, [this] { PostMessageW(hwnd(), WM_CLOSE, 0, 0); });
}

bool TVtFormMain::PreTranslate(MSG& message) {
  if (viewer_ != nullptr && viewer_->PreTranslate(message)) return true;
  if (hwnd() == nullptr || accelerators_ == nullptr) return false;
  if (message.hwnd != hwnd() && !IsChild(hwnd(), message.hwnd)) return false;
  if (LeaveKeyToTextBox(message)) return false;
  return TranslateAcceleratorW(hwnd(), accelerators_, &message) != 0;
}

void TVtFormMain::PumpMessages() {
  const DWORD now = GetTickCount();
  if (now - load_.LastPump < kPumpIntervalMs) return;
  load_.LastPump = now;
  if (load_.JobForm != nullptr) load_.JobForm->Flush();
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // The program is ending: stop the load and leave the quit for the
      // message loop.
      PostQuitMessage(static_cast<int>(message.wParam));
      CloseWhenIdle();
      return;
    }
    if (PreTranslate(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  load_.LastPump = GetTickCount();
}

bool TVtFormMain::FolderSwitchPending() {
  return folder_list_.TimerKeyWaitRunning() || idle_.Waiting(WhenIdle::Job::kClose);
}

void TVtFormMain::EnableMainWindow(bool enable) {
  if (!enable) {
    KeepFocusedChild();
    EnableWindow(hwnd(), FALSE);
    return;
  }
  EnableWindow(hwnd(), TRUE);
  HWND focus = GetFocus();
  if (GetActiveWindow() == hwnd() && (focus == nullptr || focus == hwnd()) &&
      load_.Focus != nullptr && IsWindow(load_.Focus)) {
    SetFocus(load_.Focus);
  }
}

thread::ProgressSink& TVtFormMain::ShowProgress() {
  load_.JobForm = std::make_unique<TVtJobForm>(hwnd());
  load_.JobForm->FormShow();
  return *load_.JobForm;
}

// Windows gives the activation to another program when the active window is
// destroyed while its owner is disabled: the owner is enabled first, as a
// modal dialog's end does, and disabled again for the rest of the load.
void TVtFormMain::HideProgress() {
  const bool disabled = IsWindowEnabled(hwnd()) == FALSE;
  if (disabled) EnableWindow(hwnd(), TRUE);
  load_.JobForm.reset();
  if (disabled) EnableWindow(hwnd(), FALSE);
}

void TVtFormMain::EnableAccountMenu(bool enable) {
  HMENU bar = GetMenu(hwnd());
  const int position = FindMenuPosition(bar, kAccountMenuName);
  if (position < 0) return;
  EnableMenuItem(bar, static_cast<UINT>(position),
                 MF_BYPOSITION | (enable ? MF_ENABLED : MF_GRAYED));
  DrawMenuBar(hwnd());
}

void TVtFormMain::EnableViewer(bool enable) {
  if (viewer_ != nullptr && viewer_->hwnd() != nullptr) {
    EnableWindow(viewer_->hwnd(), enable ? TRUE : FALSE);
  }
}

void TVtFormMain::FocusMainWindow() {
  if (!IsWindowVisible(hwnd())) return;
  SetActiveWindow(hwnd());
  HWND focus = GetFocus();
  if (focus == nullptr || !IsChild(hwnd(), focus)) thread_list_.ListViewMail().Focus();
}

void TVtFormMain::ShowRows(std::vector<thread::ThreadNode*> rows) {
  shown_.SetCollapseByDefault(settings_.Properties.CollapseThreads != 0);
  thread_list_.ShowRows(std::move(rows), view_.CurrentFolderIndex);
  MarkMutedRead();
  // The load has looked for new mail: the index takes the folder next, so
  // that what came is found by its text within moments.
  const int folder = view_.CurrentFolderIndex;
  if (index_.Link != nullptr && folder >= 0 && folder < mailbox::FolderCount(*folders_)) {
    index_.Link->Index().UpdateFolder((*folders_)[folder].Path);
  }
}

int TVtFormMain::SelectedRow() {
  const thread::ThreadNode* node = thread_list_.SelectedNode();
  return node == nullptr ? -1 : thread::RowView::Position(*node);
}

// A message under a collapsed first row is stood for by that row: a
// remembered or start position opens no thread.
void TVtFormMain::SelectRow(int position) {
  const thread::RowView& rows = thread_list_.View();
  if (rows.MessageCount() == 0) return;
  const int last = static_cast<int>(rows.MessageCount()) - 1;
  thread_list_.SelectNode(rows.AtPosition(std::clamp(position, 0, last)), false);
}

}  // namespace ui
