// TVtFormMain: the commands (dispatch through the command table, the account
// menu, the pop-up menus) and opening the selected row in the viewer.

#include "mailbox/folder_discovery.h"
#include "platform/files.h"
#include "thread/thread_node.h"
#include "ui/ja_texts.h"
#include "ui/main_commands.h"
#include "ui/main_form.h"
#include "ui/view_form.h"

namespace ui {

void TVtFormMain::OnCommand(int id) {
  if (id >= kAccountFirstId) {
    AccountItemClick(id - kAccountFirstId);
    return;
  }
  MainCommands().Dispatch(*this, id);
}

void TVtFormMain::RunCommand(const char* name) { MainCommands().Dispatch(*this, name); }

bool TVtFormMain::CanReload() const { return !view_.Loading && !ViewerBusy(); }

bool TVtFormMain::SelectedFolderIsNoContainer() const {
  const int folder = folder_list_.SelectedFolder();
  return folder >= 0 && folder < mailbox::FolderCount(*folders_) &&
         (*folders_)[folder].Kind != mailbox::kFolderContainer;
}

void TVtFormMain::mAccountClick() { CheckOnly(AccountMenu(), account_.AccountIndex); }

void TVtFormMain::AccountItemClick(int index) {
  if (view_.Loading || ViewerBusy()) return;
  if (!mailbox::SwitchAccount(account_, index)) return;
  thread::ReleaseThreadLists(view_, *this);
  viewed_node_ = nullptr;
  view_.CurrentFolderIndex = -1;
  ReloadAccount();
}

// The pop-up at a point of the screen (Shift+F10 or the Menu key: at the
// selected row), or at the cursor (a right click).
void TVtFormMain::PopupMenu(Pane pane, HWND owner_control, std::optional<POINT> at) {
  POINT point{};
  if (at) {
    point = *at;
  } else {
    GetCursorPos(&point);
  }
  SetForegroundWindow(owner_control);
  HMENU menu = MainCommands().BuildPopup(
      *this, pane == Pane::kFolderList ? PopupFolderDef() : PopupMailDef());
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, point.x, point.y, 0, hwnd(), nullptr);
  DestroyMenu(menu);
}

void TVtFormMain::FilterBySelected(std::string (*term)(const thread::ThreadNode&)) {
  if (const thread::ThreadNode* node = thread_list_.SelectedNode())
    thread_list_.FilterFor(term(*node));
}

// From the viewer: what the filter leaves shows only in the list, so the
// main window comes forward with the focus in it (the viewer stays open
// behind, showing its message).
void TVtFormMain::FilterThreadList(const std::string& term) {
  thread_list_.FilterFor(term);
  if (IsIconic(hwnd())) ShowWindow(hwnd(), SW_RESTORE);
  SetForegroundWindow(hwnd());
  thread_list_.ListViewMail().Focus();
}

void TVtFormMain::FocusPane(Pane pane) {
  switch (pane) {
    case Pane::kFolderList:
      folder_list_.ListBoxF().Focus();
      return;
    case Pane::kFilterBox:
      thread_list_.FilterBox().Focus();
      return;
    case Pane::kBodySearch:
      thread_list_.FilterBox().FocusCheckBox();
      return;
    case Pane::kThreadList:
      thread_list_.ListViewMail().Focus();
      return;
  }
}

void TVtFormMain::OpenSelectedMail() {
  const int row = thread_list_.ListViewMail().Selected();
  thread::ThreadNode* node = thread_list_.SelectedNode();
  if (node == nullptr) return;
  if (!ViewMessageFile(node)) return;
  TViewForm& viewer = EnsureViewer();
  if (viewer.HoldsMessage(node->FilePath.str())) {
    viewer.FocusText();
    return;
  }
  BusyFlag::Scope busy = viewer_busy_.Hold();
  const bool unread = thread::IsUnread(*node);
  const std::uint32_t flags = thread::FlagWord(*node);
  // The message's own folder: a hit of the search names another than the
  // rows' folder.
  const int folder = shown_.FolderOf(node);
  // The unread mark goes before the load, so that it does not stay on the row
  // through the load and the mail client's wait.
  const int emptied = shown_.MarkRead(view_, node);
  thread_list_.RedrawRow(row);
  UpdateWindow(thread_list_.ListViewMail().hwnd());
  if (unread) ShowListStatus();
  if (emptied >= 0) folder_list_.RedrawFolder(emptied);
  // The load may show a box whose message loop runs: from here on the node
  // is not used, only what was taken from it.
  const std::string path = node->FilePath.str();
  viewer.SetMessage(path, node->Sender.str(), node->Subject.str());
  viewer.ShowOrFocus();
  // Found by a search of its text: what was searched for is highlighted;
  // found otherwise, the viewer's find bar that a search opened closes.
  const std::string query = shown_.ShowsHits()         ? shown_.HitsQuery()
                            : shown_.BodyFilterShown() ? thread_list_.FilterBox().Utf8Text()
                                                       : std::string();
  viewer.OpenMessage(flags, settings_.Properties.ComplNkf != 0, query);
  // While the client takes the mark-read the message can be read on; moving
  // to another message and the trash wait.
  busy.Shown();
  if (unread) MarkAsRead(folder, path, client::HostCommandPace::kSingle);
}

}  // namespace ui
