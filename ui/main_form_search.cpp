// TVtFormMain and the full-text index: its threads started on the mailbox,
// the quick filter's questions to it and its answers, the folders brought up
// to date after a load, and what the status bar says of it.

#include "thread/search_query.h"
#include "ui/ja_texts.h"
#include "ui/main_form.h"
#include "viewer/unicode_text.h"

namespace ui {
namespace {

// 12345 -> "12,345".
std::string Grouped(std::size_t number) {
  std::string digits = std::to_string(number);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
    digits.insert(static_cast<std::size_t>(at), ",");
  }
  return digits;
}

}  // namespace

void TVtFormMain::StartIndex() {
  index_.Link.reset();  // stopped, the old mailbox's threads end on their own
  index_.Progress.reset();
  index_.UnindexedFolder = -1;
  if (!environment_.FullTextIndex || account_.MailboxDir.empty()) return;
  // Started once the account's first folder has loaded (its whole pass takes that folder
  // too): a pass lists every folder's files before it can pause, and on a first start
  // that slowed the load by a tenth.
  index_.Link = std::make_unique<IndexLink>(hwnd(), kIndexNewsMessage, account_.MailboxDir);
}

bool TVtFormMain::AskBodySearch(int folder, const std::string& text) {
  if (index_.Link == nullptr || !index_.Link->Available() || folder < 0 ||
      folder >= mailbox::FolderCount(*folders_)) {
    return false;
  }
  if (thread::ParseQuery(thread_list_.FilterBox().Utf8Text(), thread::LocalQueryClock()).Empty()) {
    index_.Link->Index().Forget();
    return false;
  }
  index_.QueryFolder = (*folders_)[folder].Path;
  index_.QueryText = text;
  index_.Link->Index().Ask(index_.QueryFolder, thread_list_.FilterBox().Utf8Text(),
                           thread_list_.BodySearch());
  return true;
}

void TVtFormMain::OnIndexNews() {
  if (index_.Link == nullptr) return;
  IndexLink::News news = index_.Link->Take();  // a later report posts again
  if (Closing()) return;
  if (news.results) OnSearchAnswer(std::move(*news.results));
  const int folder = shown_.Folder();
  const bool shown = folder >= 0 && folder < mailbox::FolderCount(*folders_);
  if (news.unavailable) {
    // Once: the filter falls back to the subject and sender from now on.
    index_.Progress.reset();
    status_bar_.SetSimpleUtf8Text(viewer::Cp932ToUtf8(ja::kIndexUnavailable) + *news.unavailable);
    if (thread_list_.BodySearch()) thread_list_.FilterBoxChanged();
    return;
  }
  if (news.progress) index_.Progress = news.progress;
  // The pass ended there: its progress is not shown any more.
  if (news.update_failed) index_.Progress.reset();
  bool ask_again = false;
  for (const std::string& updated : news.updated) {
    if (updated.empty()) index_.Progress.reset();  // a whole pass ended
    ask_again = ask_again || updated.empty() || (shown && updated == (*folders_)[folder].Path);
  }
  // A query that failed shows the subject and sender matches only, and says so.
  std::optional<std::string> query_failed;
  if (news.answer && index_.Link->Index().IsCurrent(news.answer->query) && shown &&
      news.answer->folder_dir == (*folders_)[folder].Path) {
    index_.UnindexedFolder = folder;
    index_.Unindexed = news.answer->unindexed;
    if (!news.answer->error.empty()) query_failed = news.answer->error;
    // Each leaf asked of the index takes its own hits beside the rows' texts.
    thread_list_.ApplyBodyHits(index_.QueryText, std::move(news.answer->leaf_names));
  }
  // What the index holds of the shown folder changed: its hits are asked again.
  if (ask_again && thread_list_.BodySearch()) {
    AskBodySearch(folder, thread_list_.FilterBox().Text());
  }
  if (news.update_failed) {
    // Once, as an index that cannot be opened is said; the body search goes on
    // with what the index holds.
    status_bar_.SetSimpleUtf8Text(*news.update_failed);
  } else if (query_failed) {
    status_bar_.SetSimpleUtf8Text(*query_failed);
  } else if (shown || shown_.ShowsHits()) {
    // The counts of the folder list's choice: a folder chosen and still
    // waiting to open keeps its own.
    folder_list_.ShowChoiceStatus();
  }
}

std::string TVtFormMain::IndexStatusText(int folder) const {
  std::string text;
  if (thread_list_.BodyFilterShown() && folder == index_.UnindexedFolder && index_.Unindexed > 0) {
    text += ja::kUnindexedLabel + std::to_string(index_.Unindexed) + ja::kUnindexedEnd;
  }
  if (index_.Progress &&
      (index_.Progress->done < index_.Progress->total || index_.Progress->merging)) {
    text += std::string("  ") + ja::kIndexing + Grouped(index_.Progress->done) + "/" +
            Grouped(index_.Progress->total);
  }
  return text;
}

// A folder shown has the filter's count too; one waiting to open its own.
void TVtFormMain::ShowFolderStatus(int folder) {
  if (folder < 0 || folder >= mailbox::FolderCount(*folders_)) {
    status_bar_.SetSimpleText("");
    return;
  }
  const std::string text = folder == shown_.Folder()
                               ? shown_.StatusText(*folders_)
                               : mailbox::FolderStatusText((*folders_)[folder]);
  if (folder == shown_.Folder()) {
    SetListStatus(text + IndexStatusText(folder));
  } else {
    status_bar_.SetSimpleText(text + IndexStatusText(folder));
  }
}

void TVtFormMain::ShowHitsStatus() {
  const std::string text =
      shown_.ShowsHits() ? shown_.StatusText(*folders_) : shown_.HitsStatusText();
  SetListStatus(text + IndexStatusText(-1));
}

// The counts, and how the filter box's text was read (or why it could not be).
void TVtFormMain::SetListStatus(const std::string& counts) {
  const std::string& explained = shown_.FilterExplained();
  if (explained.empty()) {
    status_bar_.SetSimpleText(counts);
    return;
  }
  status_bar_.SetSimpleUtf8Text(viewer::Cp932ToUtf8(counts) + "  " + explained);
}

void TVtFormMain::ShowListStatus() {
  if (shown_.ShowsHits()) {
    ShowHitsStatus();
  } else {
    ShowFolderStatus(shown_.Folder());
  }
}

}  // namespace ui
