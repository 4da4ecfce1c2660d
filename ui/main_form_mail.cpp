// TVtFormMain: what goes through the mail client. Mark-as-read when a message
// is opened, the move to the trash with its local part (the row and node
// taken out, the replies moved up a level), composing, and the shell. The
// texts and the bounded waits are client/'s; the link carries them out.

#include <algorithm>

#include "client/client_commands.h"
#include "mailbox/folder_table.h"
#include "platform/files.h"
#include "thread/thread_node.h"
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
void TVtFormMain::MarkAsRead(int folder, const std::string& message_path) {
  MailClientLink* link = environment_.MailClient;
  if (folder == kNoMarkReadFolder || link == nullptr) return;
  if (link->ClientStatus() != client::ClientState::kRunning) return;
  const std::string name = client::RelativeMailName(account_.MailboxDir, message_path);
  if (name.empty()) return;
  link->SendHostCommand(client::MarkMailCommand(name), message_path);
}

bool TVtFormMain::MoveToTrash() { return MoveRowToTrash(thread_list_.ListViewMail().Selected()); }

bool TVtFormMain::MoveViewedToTrash() {
  const std::vector<thread::ThreadNode*>& rows = thread_list_.Rows();
  const auto found = std::find(rows.begin(), rows.end(), viewed_node_);
  if (viewed_node_ == nullptr || found == rows.end()) return false;
  return MoveRowToTrash(static_cast<int>(found - rows.begin()));
}

// While the client moves the message the window serves its messages, so the
// list is not touched until the command is over, and then only through `row`
// and the node, which nothing could remove meanwhile (ViewerBusy holds off
// every load and trash).
bool TVtFormMain::MoveRowToTrash(int row) {
  const std::vector<thread::ThreadNode*>& rows = thread_list_.Rows();
  if (ViewerBusy() || row < 0 || row >= static_cast<int>(rows.size())) return false;
  thread::ThreadNode* node = rows[static_cast<std::size_t>(row)];
  const BusyFlag::Scope busy = viewer_busy_.Hold();
  const int depth = node->Depth;
  const std::string path = node->FilePath.str();
  MailClientLink* link = environment_.MailClient;
  const std::string name = client::RelativeMailName(account_.MailboxDir, path);
  // Without the client nothing is moved, so the row stays: taking it out
  // would show the message as trashed until the next load brings it back.
  const client::ClientState state =
      link == nullptr ? client::ClientState::kNotRunning : link->ClientStatus();
  if (state != client::ClientState::kRunning || name.empty()) {
    ShowMessageText(state == client::ClientState::kHung ? ja::kTrashClientHung
                                                        : ja::kTrashWithoutClient);
    return false;
  }
  const client::HostCommandResult sent =
      link->SendHostCommand(client::MoveMailCommand(name, account_.AccountName), path);
  if (sent == client::HostCommandResult::kNotSent) {
    ShowMessageText(ja::kTrashNotAccepted);
    return false;
  }
  if (viewer_ != nullptr && IsWindowVisible(viewer_->hwnd()) && viewed_node_ == node) {
    SendMessageW(viewer_->hwnd(), WM_CLOSE, 0, 0);
  }
  // The selection stays on its message; when it was the one moved, it goes
  // to the row that takes its place.
  const thread::ThreadNode* selected = thread_list_.SelectedNode();
  RemoveNode(node, row);
  const std::vector<thread::ThreadNode*>& left = thread_list_.Rows();
  const auto kept = std::find(left.begin(), left.end(), selected);
  SelectRow(selected == node || kept == left.end() ? row : static_cast<int>(kept - left.begin()),
            false);
  if (row < thread_list_.ListViewMail().RowCount()) PromoteChildren(row, depth);
  return true;
}

// The rows belong to the folder opened last, so its counts change (the folder
// list's selection may already be on another folder waiting to load).
void TVtFormMain::RemoveNode(thread::ThreadNode* node, int row) {
  const int folder = view_.CurrentFolderIndex;
  if (folder >= 0 && folder < mailbox::FolderCount(*folders_)) {
    mailbox::FolderInfo& info = (*folders_)[folder];
    if (thread::IsUnread(*node) && info.Unread > 0) {
      --info.Unread;
      if (info.Unread == 0) folder_list_.RedrawFolder(folder);
    }
    --info.Total;
    ShowFolderStatus(folder);
    if (info.Threads == node) info.Threads = node->Next;
  }
  if (view_.CurrentThreads == node) view_.CurrentThreads = node->Next;
  if (viewed_node_ == node) viewed_node_ = nullptr;
  thread::UnlinkNode(node);
  node->Next = nullptr;
  node->Prev = nullptr;
  thread_list_.RemoveRow(row);
  thread::FreeThreadList(node);
}

// The removed message's replies (the deeper rows right after it) move up one
// level; the first row at its depth or above ends them.
void TVtFormMain::PromoteChildren(int row, int depth) {
  const std::vector<thread::ThreadNode*>& rows = thread_list_.Rows();
  int last = row;
  for (; last < static_cast<int>(rows.size()); ++last) {
    thread::ThreadNode* node = rows[static_cast<std::size_t>(last)];
    if (node->Depth <= depth) break;
    --node->Depth;
  }
  // The rows are drawn from their nodes: redrawing rebuilds their texts.
  if (last > row) thread_list_.RedrawRows(row, last - 1);
}

void TVtFormMain::SetViewedNode(const thread::ThreadNode* node) { viewed_node_ = node; }

void TVtFormMain::SelectAdjacentRow(Direction direction) {
  const int row = thread_list_.ListViewMail().Selected();
  if (row < 0) return;
  SelectRow(direction == Direction::kNext ? row + 1 : row - 1, true);
}

client::ComposeContext TVtFormMain::MailClientContext() const {
  client::ComposeContext context;
  context.ClientExePath = properties_.Quenmar32;
  context.AccountName = account_.AccountName;
  context.AccountIniPath = account_.AccountIniPath;
  context.MailboxDir = account_.MailboxDir;
  return context;
}

bool TVtFormMain::ClientConfigured() const {
  return environment_.MailClient != nullptr && client::ClientConfigured(properties_.Quenmar32);
}

// The shell shows nothing when the client cannot be started (a moved or
// deleted executable): the user is told here.
void TVtFormMain::ReportLaunch(bool launched) {
  if (!launched) ShowMessageText(ja::kClientLaunchFailed + properties_.Quenmar32);
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
