// Asking the index: the hits of one folder for the window, of the whole mailbox for the
// command line, and what a folder still lacks.
#include <algorithm>

#include "mailbox/folder_discovery.h"
#include "platform/files.h"
#include "search/fold.h"
#include "search/folder_scan.h"
#include "search/mail_index.h"
#include "search/message_text.h"
#include "search/tokens.h"

namespace search {
namespace {

// SQLite asks this every so many steps of a query; non-zero interrupts it.
int AskStop(void* stop) { return (*static_cast<std::function<bool()>*>(stop))() ? 1 : 0; }
constexpr int kStepsBetweenAsks = 10000;

}  // namespace

std::optional<std::vector<std::string>> MailIndex::FolderHits(const std::string& folder_dir,
                                                              std::string_view query_sjis,
                                                              const std::function<bool()>& stop) {
  if (stop && stop()) return std::nullopt;
  const std::string relative = Relative(folder_dir);
  const std::optional<std::int64_t> folder_id =
      relative.empty() ? std::nullopt : FolderId(relative, false);
  if (!folder_id) return std::vector<std::string>();
  const std::vector<std::string> words = QueryWords(SjisToUtf8(query_sjis));

  Statement hits(db_.Get(), words.empty()
                                ? "SELECT name FROM messages WHERE folder = ?2"
                                : "SELECT m.name FROM words JOIN messages m ON m.id = words.rowid"
                                  " WHERE words MATCH ?1 AND m.folder = ?2");
  if (!words.empty()) hits.Bind(1, MatchExpression(words));
  hits.Bind(2, *folder_id);
  std::function<bool()> ask = stop;
  if (ask) sqlite3_progress_handler(db_.Get(), kStepsBetweenAsks, AskStop, &ask);
  std::vector<std::string> names;
  int result;
  while ((result = hits.Step()) == SQLITE_ROW) names.emplace_back(hits.Text(0));
  sqlite3_progress_handler(db_.Get(), 0, nullptr, nullptr);
  if (result != SQLITE_DONE) {
    if (result != SQLITE_INTERRUPT) Failed(result, "cannot search");
    return std::nullopt;
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<std::vector<MailIndex::Hit>> MailIndex::Search(std::string_view query_utf8,
                                                             std::int64_t limit) {
  const std::vector<std::string> words = QueryWords(query_utf8);
  if (words.empty()) return std::vector<Hit>();
  // The text index leads (CROSS JOIN keeps it first), giving its ids newest first, so
  // that a limit stops it early.
  Statement hits(db_.Get(),
                 "SELECT f.path, m.name FROM words CROSS JOIN messages m ON m.id = words.rowid"
                 " CROSS JOIN folders f ON f.id = m.folder WHERE words MATCH ?1"
                 " ORDER BY words.rowid DESC LIMIT ?2");
  hits.Bind(1, MatchExpression(words)).Bind(2, limit);
  std::vector<Hit> found;
  int result;
  while ((result = hits.Step()) == SQLITE_ROW) {
    found.push_back({std::string(hits.Text(0)), std::string(hits.Text(1))});
  }
  if (result != SQLITE_DONE) {
    Failed(result, "cannot search");
    return std::nullopt;
  }
  return found;
}

std::optional<std::int64_t> MailIndex::Count(std::string_view query_utf8) {
  const std::vector<std::string> words = QueryWords(query_utf8);
  if (words.empty()) return 0;
  Statement count(db_.Get(),
                  "SELECT count(*) FROM words CROSS JOIN messages m ON m.id = words.rowid"
                  " WHERE words MATCH ?1 AND m.folder != 0");
  count.Bind(1, MatchExpression(words));
  const int result = count.Step();
  if (result != SQLITE_ROW) {
    Failed(result, "cannot search");
    return std::nullopt;
  }
  return count.Int(0);
}

std::size_t MailIndex::Unindexed(const std::string& folder_dir) {
  std::string list;
  if (!platform::ReadSettledFile(platform::JoinPath(folder_dir, "Entry.lst"), list)) return 0;
  const int ml = mailbox::ReadFolderDisplaySettings(folder_dir, 0).MlStringDelete;
  const std::vector<ListedMessage> listed =
      ListMessages(list, ml, platform::ListFileStamps(folder_dir, "*.qnm"));
  const std::string relative = Relative(folder_dir);
  const std::optional<std::int64_t> folder_id =
      relative.empty() ? std::nullopt : FolderId(relative, false);
  if (!folder_id) return listed.size();
  std::vector<IndexedMessage> indexed;
  Statement rows(db_.Get(), "SELECT id, name, sig FROM messages WHERE folder = ?1");
  rows.Bind(1, *folder_id);
  while (rows.Step() == SQLITE_ROW) {
    indexed.push_back({rows.Int(0), std::string(rows.Text(1)), rows.Int(2)});
  }
  return PlanFolder(listed, std::move(indexed)).add.size();
}

}  // namespace search
