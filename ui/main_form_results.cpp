// TVtFormMain and the search of every folder: the box that asks for the text,
// the index's answers shown as the folder "検索結果" (a row after the folders,
// one row per hit, newest first), and what a hit's move to the trash changes.
//
// While the hits are shown no folder is current: choosing a folder again
// opens it, from memory when its list is kept (MailInMemory 1), else from its
// cache. Each hit knows its own folder, so opening, marking read and the trash
// name that folder.

#include <algorithm>

#include "ui/dialogs/search_all_form.h"
#include "ui/ja_texts.h"
#include "ui/main_form.h"

namespace ui {
namespace {

// How often hits that came during a load or while the viewer was busy are
// tried again.
constexpr UINT kResultsRetryMs = 100;

}  // namespace

bool TVtFormMain::CanSearchAll() const { return index_ != nullptr && index_->Available(); }

void TVtFormMain::mSearchAllClick() {
  if (!CanSearchAll()) return;
  TSearchAllForm dialog(hwnd());
  dialog.Query = search_all_text_;
  if (dialog.Run() != IDOK) return;
  search_all_text_ = dialog.Query;
  SearchAllAgain();
}

void TVtFormMain::SearchAllAgain() {
  if (index_ == nullptr || search_all_text_.empty()) return;
  search_all_query_ = index_->SearchAll(search_all_text_, search::SearchScope(*folders_));
  search_all_asked_ = {folder_list_.SelectedFolder(), GetFocus()};
}

void TVtFormMain::OnSearchAnswer(search::MailboxSearch::Answer answer) {
  if (answer.query != search_all_query_) return;  // a newer search runs
  if (answer.failed) {
    pending_results_.reset();
    ShowMessageText(ja::kSearchFailed);
    return;
  }
  pending_results_ = std::move(answer);
  ApplyPendingResults();
}

// A load or the viewer's wait may hold rows of the hits shown: they are
// replaced only once that is over.
void TVtFormMain::ApplyPendingResults() {
  if (!pending_results_) return;
  if (view_.Loading || ViewerBusy()) {
    SetTimer(hwnd(), kTimerResultsId, kResultsRetryMs, nullptr);
    return;
  }
  KillTimer(hwnd(), kTimerResultsId);
  search::MailboxSearch::Answer answer = std::move(*pending_results_);
  pending_results_.reset();
  // The first answer of a search opens its folder; the rest of its hits
  // follow in place, the selected and the viewed message kept.
  const bool first = answer.query != results_query_;
  results_query_ = answer.query;
  results_text_ = search_all_text_;
  results_complete_ = answer.complete;
  auto fresh = std::make_unique<search::ResultRows>(std::move(answer.rows));
  if (thread_list_.RowsFolder() == kResultsFolder) {
    const thread::ThreadNode* selected = thread_list_.SelectedNode();
    const std::string selected_path =
        selected != nullptr && !first ? std::string(selected->FilePath.str()) : "";
    const std::string viewed_path =
        viewed_node_ != nullptr ? std::string(viewed_node_->FilePath.str()) : "";
    thread_list_.ShowResults(*fresh);
    results_ = std::move(fresh);  // the hits shown before are freed only now
    viewed_node_ = FindResult(viewed_path);
    const thread::ThreadNode* keep = FindResult(selected_path);
    if (keep == nullptr || !thread_list_.SelectNode(keep, false)) thread_list_.SelectRow(0, true);
  } else {
    results_ = std::move(fresh);
  }
  folder_list_.AddResultsRow();
  // An answer that comes late finds the user elsewhere (another folder
  // chosen, or the focus moved): then the hits only wait in their row.
  const bool stayed = folder_list_.SelectedFolder() == search_all_asked_.folder &&
                      !folder_list_.TimerKeyWaitRunning() && GetFocus() == search_all_asked_.focus;
  if (first && stayed) {
    folder_list_.OpenFolder(kResultsFolder);  // when shown already, only its row is selected
    thread_list_.ListViewMail().Focus();
  }
  if (thread_list_.RowsFolder() == kResultsFolder) ShowFolderStatus(kResultsFolder);
}

void TVtFormMain::ShowResultsFolder() {
  if (results_ == nullptr || thread_list_.RowsFolder() == kResultsFolder) return;
  const int left = view_.CurrentFolderIndex;
  if (left >= 0 && left < mailbox::FolderCount(*folders_)) {
    (*folders_)[left].SelectedIndex = std::max(SelectedRow(), 0);
  }
  thread::LeaveShownList(view_, *this);
  thread_list_.ShowResults(*results_);
  thread_list_.SelectRow(0, true);
  ShowFolderStatus(kResultsFolder);
}

// The hits name folders of the table that is going: they go with it.
void TVtFormMain::ForgetResults() {
  if (thread_list_.RowsFolder() == kResultsFolder) {
    viewed_node_ = nullptr;
    thread_list_.ClearRows(-1);
  }
  if (hwnd() != nullptr) KillTimer(hwnd(), kTimerResultsId);
  pending_results_.reset();
  results_.reset();
  results_complete_ = false;
  results_query_ = 0;
  search_all_query_ = 0;
}

void TVtFormMain::RemoveResult(thread::ThreadNode* node) {
  const int folder = thread_list_.FolderOf(node);
  const bool unread = thread::IsUnread(*node);
  thread_list_.RemoveResult(*results_, node);
  if (folder < 0 || folder >= mailbox::FolderCount(*folders_)) return;
  ForgetKeptList(folder);
  mailbox::FolderInfo& info = (*folders_)[folder];
  if (info.Total > 0) --info.Total;
  if (unread && info.Unread > 0 && --info.Unread == 0) folder_list_.RedrawFolder(folder);
}

// A hit marked read or moved is a copy of its folder's node: the list that
// folder keeps in memory would show it as it was, so the folder is read
// again at its next visit.
void TVtFormMain::ForgetKeptList(int folder) {
  if (folder < 0 || folder >= mailbox::FolderCount(*folders_)) return;
  mailbox::FolderInfo& info = (*folders_)[folder];
  if (info.Threads == nullptr || info.Threads == view_.CurrentThreads) return;
  thread::FreeThreadList(info.Threads);
  info.Threads = nullptr;
}

thread::ThreadNode* TVtFormMain::FindResult(const std::string& path) const {
  if (results_ == nullptr || path.empty()) return nullptr;
  for (thread::ThreadNode* node = results_->List.Head(); node != nullptr; node = node->Next) {
    if (node->FilePath.str() == path) return node;
  }
  return nullptr;
}

// "[検索結果：N]", with "+" after N while more hits are coming.
std::string TVtFormMain::ResultsStatusText() const {
  return ja::kResultsLabel + std::to_string(thread_list_.View().MessageCount()) +
         (results_complete_ ? "" : ja::kResultsMore) + ja::kResultsEnd;
}

}  // namespace ui
