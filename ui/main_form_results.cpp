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

bool TVtFormMain::CanSearchAll() const {
  return index_.Link != nullptr && index_.Link->Available();
}

void TVtFormMain::mSearchAllClick() {
  if (!CanSearchAll()) return;
  TSearchAllForm dialog(hwnd());
  dialog.Query = search_all_.Text;
  dialog.History = &settings_.Queries;
  if (dialog.Run() != IDOK) return;
  search_all_.Text = dialog.Query;
  SearchAllAgain();
}

void TVtFormMain::SearchAllAgain() {
  if (index_.Link == nullptr || search_all_.Text.empty()) return;
  search_all_.Query = index_.Link->SearchAll(search_all_.Text, search::SearchScope(*folders_));
  search_all_.AskedAt = {folder_list_.SelectedFolder(), GetFocus()};
}

void TVtFormMain::OnSearchAnswer(search::MailboxSearch::Answer answer) {
  if (answer.query != search_all_.Query) return;  // a newer search runs
  if (answer.failed) {
    search_all_.Pending.reset();
    ShowMessageText(ja::kSearchFailed);
    return;
  }
  search_all_.Pending = std::move(answer);
  // A load or the viewer's wait may hold rows of the hits shown: they are
  // replaced only once that is over.
  idle_.Run(WhenIdle::Job::kShowHits, [this] { ApplyPendingResults(); });
}

void TVtFormMain::ApplyPendingResults() {
  if (!search_all_.Pending) return;
  search::MailboxSearch::Answer answer = std::move(*search_all_.Pending);
  search_all_.Pending.reset();
  // The first answer of a search opens its row; the rest of its hits
  // follow in place, the selected and the viewed message kept.
  const bool first = answer.query != search_all_.ShownQuery;
  search_all_.ShownQuery = answer.query;
  const bool shown = shown_.ShowsHits();
  const thread::ThreadNode* selected = thread_list_.SelectedNode();
  const std::string selected_path =
      shown && selected != nullptr && !first ? std::string(selected->FilePath.str()) : "";
  const std::string viewed_path =
      shown && viewed_node_ != nullptr ? std::string(viewed_node_->FilePath.str()) : "";
  shown_.TakeHits(std::move(answer.rows), search_all_.Text, answer.complete);
  if (shown) {
    thread_list_.HitsReplaced();
    viewed_node_ = shown_.FindHit(viewed_path);
    const thread::ThreadNode* keep = shown_.FindHit(selected_path);
    if (keep == nullptr || !thread_list_.SelectNode(keep, false)) thread_list_.SelectRow(0, true);
  }
  folder_list_.AddResultsRow();
  // An answer that comes late finds the user elsewhere (another folder
  // chosen, or the focus moved): then the hits only wait in their row.
  const bool stayed = folder_list_.SelectedFolder() == search_all_.AskedAt.folder &&
                      !folder_list_.TimerKeyWaitRunning() &&
                      GetFocus() == search_all_.AskedAt.focus;
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
  idle_.Drop(WhenIdle::Job::kShowHits);
  search_all_.Pending.reset();
  shown_.ForgetHits();
  search_all_.ShownQuery = 0;
  search_all_.Query = 0;
}

}  // namespace ui
