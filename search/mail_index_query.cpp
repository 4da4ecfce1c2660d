// Asking the index: the hits of one folder for the window, of the whole mailbox for the
// command line, and what a folder still lacks.
#include <algorithm>
#include <functional>
#include <queue>
#include <unordered_map>

#include "mailbox/client_files.h"
#include "mailbox/folder_discovery.h"
#include "platform/files.h"
#include "search/fold.h"
#include "search/folder_scan.h"
#include "search/index_file.h"
#include "search/ja_texts.h"
#include "search/mail_index.h"
#include "search/tokens.h"

namespace search {

std::optional<std::vector<std::string>> MailIndex::FolderHits(const std::string& folder_dir,
                                                              std::string_view query_utf8,
                                                              const std::function<bool()>& stop) {
  if (stop && stop()) return std::nullopt;
  const std::string relative = Relative(folder_dir);
  if (relative.empty()) return std::vector<std::string>();
  int failure = SQLITE_ERROR;
  const std::optional<std::int64_t> folder_id = FolderId(relative, false, &failure);
  if (!folder_id) {
    Failed(failure, ja::kCannotSearch);
    return std::nullopt;
  }
  if (*folder_id == 0) return std::vector<std::string>();
  const std::vector<std::string> words = QueryWords(query_utf8);

  db_.AskWhileRunning(stop ? &stop : nullptr);
  const std::optional<std::vector<std::string>> names =
      FolderNames(*folder_id, words.empty() ? std::string() : MatchExpression(words));
  db_.AskWhileRunning(nullptr);
  return names;
}

// The names of the folder's messages that are hits for `match` (all when empty), sorted.
// The folder's rows and the text index's hits are read each on its own, both by id, and
// walked side by side: joined in SQL, the text query runs once for every row of the
// folder (SQLite starts from the folder's index), or every hit of the mailbox is looked
// up among the messages.
std::optional<std::vector<std::string>> MailIndex::FolderNames(std::int64_t folder_id,
                                                               const std::string& match) {
  struct Row {
    std::int64_t id;
    std::string name;
  };
  std::vector<Row> rows;
  Statement in_folder(db_.Get(),
                      "SELECT id, name FROM messages WHERE folder = ?1 AND shown ORDER BY id");
  in_folder.Bind(1, folder_id);
  int result;
  while ((result = in_folder.Step()) == SQLITE_ROW) {
    rows.push_back({in_folder.Int(0), std::string(in_folder.Text(1))});
  }
  std::vector<std::string> names;
  if (result == SQLITE_DONE && match.empty()) {
    for (Row& row : rows) names.push_back(std::move(row.name));
  } else if (result == SQLITE_DONE && !rows.empty()) {
    // Only the ids from the folder's first to its last are looked at: a folder's mail is
    // often of a stretch of time, and ids follow the date.
    Statement hits(db_.Get(),
                   "SELECT rowid FROM words WHERE words MATCH ?1 AND rowid BETWEEN ?2 AND ?3"
                   " ORDER BY rowid");
    hits.Bind(1, match).Bind(2, rows.front().id).Bind(3, rows.back().id);
    auto row = rows.begin();
    while (row != rows.end() && (result = hits.Step()) == SQLITE_ROW) {
      const std::int64_t id = hits.Int(0);
      while (row != rows.end() && row->id < id) ++row;
      if (row != rows.end() && row->id == id) names.push_back(std::move(row->name));
    }
    if (result == SQLITE_ROW) result = SQLITE_DONE;  // past the folder's last message
  }
  if (result != SQLITE_DONE) {
    if (result != SQLITE_INTERRUPT) Failed(result, ja::kCannotSearch);
    return std::nullopt;
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<std::vector<MailIndex::Hit>> MailIndex::Search(std::string_view query_utf8,
                                                             std::int64_t limit) {
  std::vector<std::string> folder_dirs;
  for (const mailbox::FolderInfo& folder : MailFolders()) folder_dirs.push_back(folder.Path);
  return Search(query_utf8, folder_dirs, limit);
}

std::optional<std::vector<MailIndex::Hit>> MailIndex::Search(
    std::string_view query_utf8, const std::vector<std::string>& folder_dirs, std::int64_t limit) {
  const std::vector<std::string> words = QueryWords(query_utf8);
  if (words.empty() || limit == 0) return std::vector<Hit>();
  // Each folder's record, with its place among the folders asked for; a folder the
  // index does not hold has no hits.
  std::unordered_map<std::int64_t, std::size_t> place_of;
  std::vector<std::string> relative(folder_dirs.size());
  for (std::size_t place = 0; place < folder_dirs.size(); ++place) {
    relative[place] = Relative(folder_dirs[place]);
    if (relative[place].empty()) continue;
    int failure = SQLITE_ERROR;
    const std::optional<std::int64_t> id = FolderId(relative[place], false, &failure);
    if (!id) {
      Failed(failure, ja::kCannotSearch);
      return std::nullopt;
    }
    if (*id != 0) place_of.emplace(*id, place);
  }

  // The text index leads (CROSS JOIN keeps it first), giving its ids newest first, so
  // that a limit stops it early: once `limit` hits are held, a row whose id is older
  // than the stamp of the last of them ends the reading (no hit after it can be newer,
  // mail_index.h). The hits of other folders are passed over here, not in SQL, so that
  // the limit counts the asked folders' hits only.
  struct Found {
    std::int64_t stamp;
    std::size_t place;
    std::string name;
  };
  std::vector<Found> found;
  // The `limit` newest stamps held, the oldest of them on top.
  std::priority_queue<std::int64_t, std::vector<std::int64_t>, std::greater<>> newest;
  Statement hits(db_.Get(),
                 "SELECT words.rowid, m.folder, m.name, m.stamp FROM words CROSS JOIN messages m"
                 " ON m.id = words.rowid WHERE words MATCH ?1 AND m.shown"
                 " ORDER BY words.rowid DESC");
  hits.Bind(1, MatchExpression(words));
  const auto held = static_cast<std::size_t>(limit);
  int result;
  while ((result = hits.Step()) == SQLITE_ROW) {
    if (limit > 0 && newest.size() == held && (hits.Int(0) >> kSlotBits) < newest.top()) {
      result = SQLITE_DONE;
      break;
    }
    const auto place = place_of.find(hits.Int(1));
    if (place == place_of.end()) continue;
    const std::int64_t stamp = hits.Int(3);
    found.push_back({stamp, place->second, std::string(hits.Text(2))});
    if (limit < 0) continue;
    newest.push(stamp);
    if (newest.size() > held) newest.pop();
  }
  if (result != SQLITE_DONE) {
    Failed(result, ja::kCannotSearch);
    return std::nullopt;
  }
  std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    if (a.stamp != b.stamp) return a.stamp > b.stamp;
    if (a.place != b.place) return a.place < b.place;
    return a.name < b.name;
  });
  if (limit > 0 && found.size() > static_cast<std::size_t>(limit)) {
    found.resize(static_cast<std::size_t>(limit));
  }
  std::vector<Hit> out;
  out.reserve(found.size());
  for (Found& f : found) out.push_back({relative[f.place], std::move(f.name)});
  return out;
}

std::optional<std::int64_t> MailIndex::Count(std::string_view query_utf8) {
  const std::vector<std::string> words = QueryWords(query_utf8);
  if (words.empty()) return 0;
  Statement count(db_.Get(),
                  "SELECT count(*) FROM words CROSS JOIN messages m ON m.id = words.rowid"
                  " WHERE words MATCH ?1 AND m.folder != 0 AND m.shown");
  count.Bind(1, MatchExpression(words));
  const int result = count.Step();
  if (result != SQLITE_ROW) {
    Failed(result, ja::kCannotSearch);
    return std::nullopt;
  }
  return count.Int(0);
}

std::size_t MailIndex::Unindexed(const std::string& folder_dir) {
  const int ml = mailbox::ReadFolderDisplaySettings(folder_dir, 0).MlStringDelete;
  const std::optional<std::vector<ListedMessage>> listed = ListFolder(folder_dir, ml);
  if (!listed) return 0;
  const std::string relative = Relative(folder_dir);
  const std::optional<std::int64_t> folder_id =
      relative.empty() ? std::nullopt : FolderId(relative, false);
  if (!folder_id || *folder_id == 0) return listed->size();
  std::optional<std::vector<IndexedMessage>> indexed = IndexedIn(*folder_id);
  if (!indexed) return listed->size();
  return PlanFolder(*listed, std::move(*indexed)).add.size();
}

}  // namespace search
