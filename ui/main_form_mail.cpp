// TVtFormMain: what goes through the mail client. Mark-as-read when a message
// is opened, the move to the trash with its local part (the row and node
// taken out, the replies moved up a level), composing, and the shell. The
// texts and the bounded waits are client/'s; the link carries them out.

#include <ctime>

#include "client/client_commands.h"
#include "mailbox/folder_table.h"
#include "platform/files.h"
#include "thread/catch_up.h"
#include "thread/mute_list.h"
#include "thread/thread_node.h"
#include "ui/dialogs/folder_read_form.h"
#include "ui/dialogs/muted_threads_form.h"
#include "ui/ja_texts.h"
#include "ui/main_form.h"
#include "ui/view_form.h"

namespace ui {
namespace {

// The second entry of the folder list: in the default folder order the
// outgoing folder, whose messages the client keeps as they are.
constexpr int kNoMarkReadFolder = 1;

}  // namespace

// Takes the message's path, not its node: the wait for the client serves
// window messages, and nothing of the list may be held across it.
void TVtFormMain::MarkAsRead(int folder, const std::string& message_path,
                             client::HostCommandPace pace) {
  MailClientLink* link = environment_.MailClient;
  if (folder == kNoMarkReadFolder || link == nullptr) return;
  if (link->ClientStatus() != client::ClientState::kRunning) return;
  const std::string name = client::RelativeMailName(account_.MailboxDir, message_path);
  if (name.empty()) return;
  link->SendHostCommand(client::MarkMailCommand(name), message_path, pace);
}

// The marks are sent one at a time as one batch (one conversation, short
// first pauses), each with the client's bounded waits (a busy client gets
// each once it answers). ViewerBusy is held throughout, so
// no load or trash can free a node of `nodes` while a wait serves window
// messages; each row loses its unread mark as its command goes.
std::size_t TVtFormMain::MarkNodesRead(const std::vector<thread::ThreadNode*>& nodes,
                                       const std::function<bool()>& stop) {
  if (ViewerBusy()) return 0;
  const BusyFlag::Scope busy = viewer_busy_.Hold();
  std::size_t marked = 0;
  for (thread::ThreadNode* node : nodes) {
    if (stop && stop()) break;
    if (!thread::IsUnread(*node)) continue;
    const int folder = shown_.FolderOf(node);
    const std::string path = node->FilePath.str();
    const int emptied = shown_.MarkRead(view_, node);
    const int row = shown_.Rows().ShownRowFor(node);
    if (row >= 0) thread_list_.RedrawRow(row);
    if (emptied >= 0) folder_list_.RedrawFolder(emptied);
    ShowListStatus();
    MarkAsRead(folder, path, client::HostCommandPace::kBatch);
    ++marked;
  }
  return marked;
}

void TVtFormMain::mThreadReadClick() {
  thread::ThreadNode* node = thread_list_.SelectedNode();
  if (!CanMarkThread() || node == nullptr) return;
  MarkNodesRead(thread::UnreadOfThread(node));
  thread_list_.JumpToNextUnreadThread();
}

// The mute is written at once to the folder's "VLTR.fol"; from then on the
// folder's file is read whenever its rows are filled.
void TVtFormMain::mMuteThreadClick() {
  thread::ThreadNode* node = thread_list_.SelectedNode();
  const int folder = shown_.Folder();
  if (!CanMarkThread() || node == nullptr || folder != view_.CurrentFolderIndex) return;
  mailbox::FolderInfo& info = (*folders_)[static_cast<std::size_t>(folder)];
  info.HasMutes = true;
  thread::ToggleMute(info.Path, view_.Mutes, node);
  thread_list_.MutesChanged(node);
  ShowListStatus();
  MarkMutedRead();
}

// The box's threads are taken afresh after each unmute; should the folder's
// list have been replaced meanwhile (a reload while the box is open), its
// threads are shown again and nothing of the old list is touched.
void TVtFormMain::mMutedThreadsClick() {
  const int folder = shown_.Folder();
  if (!CanMarkThread() || folder != view_.CurrentFolderIndex) return;
  thread::ThreadNode* const head = shown_.Rows().Head();
  TMutedThreadsForm form(hwnd());
  form.Threads = view_.Mutes.Threads(head);
  form.Unmute = [this, folder, head](const std::vector<thread::MutedThread>& chosen) {
    if (shown_.Folder() != folder || shown_.Rows().Head() != head) {
      return view_.Mutes.Threads(shown_.Rows().Head());
    }
    std::vector<std::string> removed;
    for (const thread::MutedThread& muted : chosen) {
      for (std::string& key : view_.Mutes.Unmute(muted)) removed.push_back(std::move(key));
    }
    thread::WriteMutes((*folders_)[static_cast<std::size_t>(folder)].Path, view_.Mutes, {},
                       removed);
    thread_list_.MutesChanged(thread_list_.SelectedNode());
    ShowListStatus();
    return view_.Mutes.Threads(head);
  };
  form.Run();
}

// The choice is made once, from the list as shown now: mail that arrives
// while the marks go out is not among them.
void TVtFormMain::mFolderReadClick() {
  if (!CanMarkThread()) return;
  const auto now = static_cast<std::uint64_t>(std::time(nullptr));
  thread::ThreadNode* const head = shown_.Rows().Head();
  TFolderReadForm form(hwnd());
  form.Days = settings_.Main.Property.CatchUpDays;
  form.Count = [head, now](int days) { return thread::ChooseCatchUp(head, days, now).size(); };
  if (form.Run() != IDOK) return;
  settings_.Main.Property.CatchUpDays = form.Days;
  const std::vector<thread::ThreadNode*> chosen =
      thread::ChooseCatchUp(head, form.OlderOnly ? form.Days : -1, now);
  if (chosen.empty()) return;
  thread::ProgressSink& progress = ShowProgress();
  progress.SetTitle(ja::kFolderReadProgress);
  progress.EnableCancel(true);
  progress.SetRange(0, static_cast<int>(chosen.size()));
  MarkNodesRead(chosen, [this, &progress] {
    progress.Step();
    load_.JobForm->Flush();
    return progress.CancelRequested();
  });
  HideProgress();
}

// The rows' nodes are taken when the job runs, not now: it may wait for a
// load, which replaces them.
void TVtFormMain::MarkMutedRead() {
  if (settings_.Properties.MarkMutedRead == 0 || shown_.MutedUnread() == 0) return;
  idle_.Run(WhenIdle::Job::kMarkMuted, [this] {
    std::vector<thread::ThreadNode*> muted;
    for (thread::ThreadNode* node = shown_.Rows().Head(); node != nullptr; node = node->Next) {
      if (node->Muted && thread::IsUnread(*node)) muted.push_back(node);
    }
    MarkNodesRead(muted);
  });
}

void TVtFormMain::mHideMutedClick() {
  shown_.SetHideMuted(!shown_.Rows().HidesMuted());
  thread_list_.MutesChanged(thread_list_.SelectedNode());
}

bool TVtFormMain::MoveToTrash() { return MoveNodeToTrash(thread_list_.SelectedNode()); }

// The viewed message may sit under a collapsed first row: it is found in the
// list, not among the rows. (ViewedNode is forgotten whenever its list goes.)
// A reply or forward from the main window makes its row the viewed message
// while the viewer still shows the one before: then nothing is moved, as the
// user can only mean the message on screen.
bool TVtFormMain::MoveViewedToTrash() {
  if (viewed_node_ == nullptr || viewer_ == nullptr) return false;
  if (!viewer_->HoldsMessage(viewed_node_->FilePath.str())) return false;
  const thread::RowView& rows = thread_list_.View();
  thread::ThreadNode* node = rows.AtPosition(thread::RowView::Position(*viewed_node_));
  if (node != viewed_node_) return false;
  return MoveNodeToTrash(node);
}

// While the client moves the message the window serves its messages, so the
// list is not touched until the command is over, and then only through the
// node, which nothing could remove meanwhile (ViewerBusy holds off every load
// and trash).
bool TVtFormMain::MoveNodeToTrash(thread::ThreadNode* node) {
  if (ViewerBusy() || node == nullptr) return false;
  const BusyFlag::Scope busy = viewer_busy_.Hold();
  const std::string path = node->FilePath.str();
  MailClientLink* link = environment_.MailClient;
  const std::string name = client::RelativeMailName(account_.MailboxDir, path);
  // Without a command nothing is moved, so the row stays: taking it out
  // would show the message as trashed until the next load brings it back.
  if (name.empty()) {
    ShowMessageText(ja::kTrashWithoutMessageName);
    return false;
  }
  const client::ClientState state =
      link == nullptr ? client::ClientState::kNotRunning : link->ClientStatus();
  if (state != client::ClientState::kRunning) {
    ShowMessageText(state == client::ClientState::kHung ? ja::kTrashClientHung
                                                        : ja::kTrashWithoutClient);
    return false;
  }
  const client::HostCommandResult sent = link->SendHostCommand(
      client::MoveMailCommand(name, account_.AccountName), path, client::HostCommandPace::kSingle);
  if (sent == client::HostCommandResult::kNotSent) {
    ShowMessageText(ja::kTrashNotAccepted);
    return false;
  }
  if (viewer_ != nullptr && IsWindowVisible(viewer_->hwnd()) && viewed_node_ == node) {
    SendMessageW(viewer_->hwnd(), WM_CLOSE, 0, 0);
  }
  if (viewed_node_ == node) viewed_node_ = nullptr;
  // The row's own folder's counts change (the folder list's selection may
  // already be on another folder waiting to load).
  const int emptied = thread_list_.RemoveNode(view_, node);
  if (emptied >= 0) folder_list_.RedrawFolder(emptied);
  ShowListStatus();
  return true;
}

void TVtFormMain::SetViewedNode(const thread::ThreadNode* node) { viewed_node_ = node; }

client::ComposeContext TVtFormMain::MailClientContext() const {
  client::ComposeContext context;
  context.ClientExePath = settings_.Properties.Quenmar32;
  context.AccountName = account_.AccountName;
  context.AccountIniPath = account_.AccountIniPath;
  context.MailboxDir = account_.MailboxDir;
  return context;
}

bool TVtFormMain::ClientConfigured() const {
  return environment_.MailClient != nullptr &&
         client::ClientConfigured(settings_.Properties.Quenmar32);
}

// The shell shows nothing when the client cannot be started (a moved or
// deleted executable): the user is told here.
void TVtFormMain::ReportLaunch(bool launched) {
  if (!launched) ShowMessageText(ja::kClientLaunchFailed + settings_.Properties.Quenmar32);
}

void TVtFormMain::ComposeNew() {
  if (environment_.MailClient == nullptr) return;
  ReportLaunch(client::ComposeNew(MailClientContext(), environment_.MailClient->System()));
}

void TVtFormMain::ComposeReply(const std::string& message_path) {
  if (environment_.MailClient == nullptr) return;
  ReportLaunch(
      client::ComposeReply(MailClientContext(), environment_.MailClient->System(), message_path));
}

void TVtFormMain::ComposeForward(const std::string& message_path) {
  if (environment_.MailClient == nullptr) return;
  ReportLaunch(
      client::ComposeForward(MailClientContext(), environment_.MailClient->System(), message_path));
}

void TVtFormMain::ComposeToAddress(const std::string& address) {
  if (environment_.MailClient == nullptr) return;
  ReportLaunch(
      client::ComposeToAddress(MailClientContext(), environment_.MailClient->System(), address));
}

void TVtFormMain::KQuenmar321Click() {
  if (environment_.MailClient == nullptr) return;
  ReportLaunch(client::StartClient(MailClientContext(), environment_.MailClient->System()));
}

void TVtFormMain::OpenUrl(const std::string& url) {
  if (environment_.MailClient != nullptr) environment_.MailClient->OpenUrl(url);
}

bool TVtFormMain::ViewMessageFile(const thread::ThreadNode* node) {
  viewed_node_ = node;
  if (platform::FileExists(node->FilePath.str())) return true;
  ShowMessageText(ja::kFileMissing);
  if (viewer_ != nullptr && IsWindowVisible(viewer_->hwnd())) {
    PostMessageW(viewer_->hwnd(), WM_CLOSE, 0, 0);
  }
  return false;
}

void TVtFormMain::ReplyOrForwardSelected(bool forward) {
  const thread::ThreadNode* node = thread_list_.SelectedNode();
  if (node == nullptr) return;
  if (!ViewMessageFile(node)) return;
  if (forward) {
    ComposeForward(node->FilePath.str());
  } else {
    ComposeReply(node->FilePath.str());
  }
}

}  // namespace ui
