// TVtFormMain and the search of every folder: the box that asks for the text,
// and the index's answers shown in the thread list from their row "検索結果"
// of the folder list (a row after the folders, one row per hit, newest first).
//
// While the hits are shown no folder is current: choosing a folder again
// opens it, from memory when its list is kept (MailInMemory 1), else from its
// cache. Each hit knows its own folder (the shown list's), so opening,
// marking read and the trash name that folder.

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
  search_all_query_ = index_->SearchAll(search_all_text_, *folders_);
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
  // The first answer of a search opens its row; the rest of its hits
  // follow in place, the selected and the viewed message kept.
  const bool first = answer.query != results_query_;
  results_query_ = answer.query;
  const bool shown = shown_.ShowsHits();
  const thread::ThreadNode* selected = thread_list_.SelectedNode();
  const std::string selected_path =
      shown && selected != nullptr && !first ? std::string(selected->FilePath.str()) : "";
  const std::string viewed_path =
      shown && viewed_node_ != nullptr ? std::string(viewed_node_->FilePath.str()) : "";
  shown_.TakeHits(std::move(answer.rows), search_all_text_, answer.complete);
  if (shown) {
    thread_list_.HitsReplaced();
    viewed_node_ = shown_.FindHit(viewed_path);
    const thread::ThreadNode* keep = shown_.FindHit(selected_path);
    if (keep == nullptr || !thread_list_.SelectNode(keep, false)) thread_list_.SelectRow(0, true);
  }
  folder_list_.AddResultsRow();
  // An answer that comes late finds the user elsewhere (another folder
  // chosen, or the focus moved): then the hits only wait in their row.
  const bool stayed = folder_list_.SelectedFolder() == search_all_asked_.folder &&
                      !folder_list_.TimerKeyWaitRunning() && GetFocus() == search_all_asked_.focus;
  if (first && stayed) {
    folder_list_.OpenHits();
    thread_list_.ListViewMail().Focus();
  }
  if (shown_.ShowsHits()) ShowListStatus();
}

void TVtFormMain::OpenHits() {
  if (view_.Loading || !shown_.HasHits() || shown_.ShowsHits()) return;
  const int left = view_.CurrentFolderIndex;
  if (left >= 0 && left < mailbox::FolderCount(*folders_)) {
    (*folders_)[left].SelectedIndex = std::max(SelectedRow(), 0);
  }
  thread::LeaveShownList(view_, *this);
  thread_list_.ShowHits();
  thread_list_.SelectRow(0, true);
  ShowListStatus();
}

// The hits name folders of the table that is going: they go with it.
void TVtFormMain::ForgetResults() {
  if (shown_.ShowsHits()) {
    viewed_node_ = nullptr;
    thread_list_.ClearRows(-1);
  }
  if (hwnd() != nullptr) KillTimer(hwnd(), kTimerResultsId);
  pending_results_.reset();
  shown_.ForgetHits();
  results_query_ = 0;
  search_all_query_ = 0;
}

}  // namespace ui
