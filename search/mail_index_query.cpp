// Asking the index: the hits of one folder for the window's filter, of the whole mailbox
// for the search of every folder and the command line, and what a folder still lacks.
#include <algorithm>
#include <functional>
#include <queue>
#include <thread>
#include <unordered_map>

#include "mailbox/client_files.h"
#include "mailbox/folder_discovery.h"
#include "platform/files.h"
#include "search/fold.h"
#include "search/folder_scan.h"
#include "search/index_file.h"
#include "search/ja_texts.h"
#include "search/mail_index.h"
#include "search/message_text.h"

namespace search {
namespace {

// A hit as read, its folder by its place among the folders asked for.
struct Found {
  std::int64_t stamp;
  std::size_t place;
  std::string name;
};

// The hits newest first (ties: by the folder's place, then by name), at most `limit`
// (all when negative); `relative`: the folders' paths by place.
std::vector<MailIndex::Hit> Ordered(std::vector<Found> found,
                                    const std::vector<std::string>& relative, std::int64_t limit) {
  std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    if (a.stamp != b.stamp) return a.stamp > b.stamp;
    if (a.place != b.place) return a.place < b.place;
    return a.name < b.name;
  });
  if (limit > 0 && found.size() > static_cast<std::size_t>(limit)) {
    found.resize(static_cast<std::size_t>(limit));
  }
  std::vector<MailIndex::Hit> out;
  out.reserve(found.size());
  for (Found& f : found) out.push_back({relative[f.place], std::move(f.name)});
  return out;
}

}  // namespace

// For each leaf, the folder's rows and the text index's hits are read each on its own,
// both by id, and walked side by side: joined in SQL, the text query runs once for every
// row of the folder (SQLite starts from the folder's index), or every hit of the mailbox
// is looked up among the messages.
std::optional<std::vector<std::vector<std::string>>> MailIndex::FolderLeafHits(
    const std::string& folder_dir, const std::vector<const thread::QueryNode*>& leaves,
    const std::function<bool()>& stop) {
  if (stop && stop()) return std::nullopt;
  std::vector<std::vector<std::string>> hits(leaves.size());
  const std::string relative = Relative(folder_dir);
  if (relative.empty()) return hits;
  int failure = SQLITE_ERROR;
  const std::optional<std::int64_t> folder_id = FolderId(relative, false, &failure);
  if (!folder_id) {
    Failed(failure, ja::kCannotSearch);
    return std::nullopt;
  }
  if (*folder_id == 0 || leaves.empty()) return hits;

  struct Row {
    std::int64_t id;
    std::string name;
  };
  std::vector<Row> rows;
  db_.AskWhileRunning(stop ? &stop : nullptr);
  Statement in_folder(db_.Get(),
                      "SELECT id, name FROM messages WHERE folder = ?1 AND shown ORDER BY id");
  in_folder.Bind(1, *folder_id);
  int result;
  while ((result = in_folder.Step()) == SQLITE_ROW) {
    rows.push_back({in_folder.Int(0), std::string(in_folder.Text(1))});
  }
  // Only the ids from the folder's first to its last are looked at: a folder's mail is
  // often of a stretch of time, and ids follow the date.
  Statement matching(db_.Get(),
                     "SELECT rowid FROM words WHERE words MATCH ?1 AND rowid BETWEEN ?2 AND ?3"
                     " ORDER BY rowid");
  for (std::size_t leaf = 0; leaf < leaves.size() && result == SQLITE_DONE; ++leaf) {
    std::vector<std::string>& names = hits[leaf];
    const std::string match = LeafExpression(*leaves[leaf]);
    if (match.empty()) {
      for (const Row& row : rows) names.push_back(row.name);
    } else if (!rows.empty()) {
      matching.Bind(1, match).Bind(2, rows.front().id).Bind(3, rows.back().id);
      auto row = rows.begin();
      while (row != rows.end() && (result = matching.Step()) == SQLITE_ROW) {
        const std::int64_t id = matching.Int(0);
        while (row != rows.end() && row->id < id) ++row;
        if (row != rows.end() && row->id == id) names.push_back(row->name);
      }
      if (result == SQLITE_ROW) result = SQLITE_DONE;  // past the folder's last message
      matching.Reset();
    }
    std::sort(names.begin(), names.end());
  }
  db_.AskWhileRunning(nullptr);
  if (result != SQLITE_DONE) {
    if (result != SQLITE_INTERRUPT) Failed(result, ja::kCannotSearch);
    return std::nullopt;
  }
  return hits;
}

std::optional<QueryPlan> MailIndex::Planned(const thread::QueryNode& root) {
  // Folder titles are few: each is folded once, when the query has a folder leaf.
  std::vector<std::pair<std::int64_t, std::string>> titles;
  bool titles_read = false;
  int failure = SQLITE_OK;
  const auto folders_titled = [&](const std::string& folded) {
    if (!titles_read) {
      titles_read = true;
      Statement all(db_.Get(), "SELECT id, title FROM folders");
      int result;
      while ((result = all.Step()) == SQLITE_ROW) {
        titles.emplace_back(all.Int(0), Fold(SjisToUtf8(all.Text(1))));
      }
      if (result != SQLITE_DONE) failure = result;
    }
    std::vector<std::int64_t> ids;
    for (const auto& [id, title] : titles) {
      if (title.find(folded) != std::string::npos) ids.push_back(id);
    }
    return ids;
  };
  QueryPlan plan = PlanQuery(root, folders_titled, kSlotBits);
  if (failure != SQLITE_OK) {
    Failed(failure, ja::kCannotSearch);
    return std::nullopt;
  }
  return plan;
}

// The text index leads when the plan has an expression for it (CROSS JOIN keeps it
// first), giving its ids newest first; else the messages do, by id. Either way a limit
// stops the reading early (Search). Only ids in [?2, ?3) are read.
Statement MailIndex::HitRows(sqlite3* db, const QueryPlan& plan, bool count) {
  const std::string what = count ? "count(*)" : "m.id, m.folder, m.name, m.stamp";
  std::string sql;
  if (!plan.lead.empty()) {
    sql = "SELECT " + what +
          " FROM words CROSS JOIN messages m ON m.id = words.rowid"
          " WHERE words MATCH ?1 AND words.rowid >= ?2 AND words.rowid < ?3"
          " AND m.folder != 0 AND m.shown AND " +
          plan.where + (count ? "" : " ORDER BY words.rowid DESC");
  } else {
    sql = "SELECT " + what +
          " FROM messages m WHERE m.folder != 0 AND m.shown AND m.id >= ?2 AND m.id < ?3 AND " +
          plan.where + (count ? "" : " ORDER BY m.id DESC");
  }
  Statement rows(db, sql.c_str());
  if (!plan.lead.empty()) rows.Bind(1, plan.lead);
  for (std::size_t i = 0; i < plan.texts.size(); ++i) {
    rows.Bind(static_cast<int>(i) + 4, plan.texts[i]);
  }
  rows.Bind(2, plan.least_id).Bind(3, plan.most_id);
  return rows;
}

namespace {

// Starts a read transaction on `second` at the snapshot `first` (in one) reads. Where the
// first reads no frame of the write-ahead log (a log just emptied), SQLite has no snapshot
// to give; then the second reads the same when it too finds none: frames written since would
// have given it one, and none can be moved into the file while the first reads without them.
bool SameSnapshot(sqlite3* first, sqlite3* second) {
  const auto run = [second](const char* sql) {
    return sqlite3_exec(second, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
  };
  // A read before the transaction opens the second's log, which opening a snapshot needs.
  constexpr char kRead[] = "SELECT 1 FROM messages LIMIT 1";
  if (!run(kRead) || !run("BEGIN")) return false;
  sqlite3_snapshot* snapshot = nullptr;
  if (sqlite3_snapshot_get(first, "main", &snapshot) == SQLITE_OK) {
    const bool opened = sqlite3_snapshot_open(second, "main", snapshot) == SQLITE_OK;
    sqlite3_snapshot_free(snapshot);
    return opened;
  }
  if (!run(kRead)) return false;
  if (sqlite3_snapshot_get(second, "main", &snapshot) != SQLITE_OK) return true;
  sqlite3_snapshot_free(snapshot);
  return false;
}

}  // namespace

// Every hit of a common phrase costs FTS5 mostly the merging of the positions of the
// tokens that may stand at one place of it, for every message holding any: work for the
// processor, not the disk. Two connections, each reading half of the ids, take it in
// about half the time on two cores.
int MailIndex::ReadInHalves(const QueryPlan& plan, const HalfReader& read) {
  // The transaction holds this connection's snapshot for the second to open.
  int result = db_.Exec("BEGIN");
  if (result != SQLITE_OK) return result;
  // The split: halfway in time between the first and the last id of the range. The halves
  // hold as many messages only as far as the mail is spread evenly over time, but finding
  // the middle message would read half the table: 20 ms at 100,000 messages.
  Statement ends(db_.Get(),
                 "SELECT (SELECT min(id) FROM messages WHERE id >= ?1 AND id < ?2),"
                 " (SELECT max(id) FROM messages WHERE id >= ?1 AND id < ?2)");
  ends.Bind(1, plan.least_id).Bind(2, plan.most_id);
  result = ends.Step();
  const std::int64_t split = result == SQLITE_ROW && !ends.IsNull(0) && ends.Int(1) > ends.Int(0)
                                 ? ends.Int(0) + (ends.Int(1) - ends.Int(0)) / 2 + 1
                                 : plan.least_id;
  ends.Reset();
  if (result != SQLITE_ROW) {
    db_.Exec("ROLLBACK");
    return result;
  }
  Database second;
  const bool split_ok = split > plan.least_id && OpenSecondReader(second, path_) &&
                        SameSnapshot(db_.Get(), second.Get());
  if (!split_ok) {
    result = read(db_.Get(), plan.least_id, plan.most_id, 0);
  } else {
    // An interrupt of this connection stops the second too, even once this one is done.
    const std::function<bool()> interrupted = [this] { return db_.Interrupted(); };
    second.AskWhileRunning(&interrupted);
    int older = SQLITE_DONE;
    std::thread reader([&] { older = read(second.Get(), plan.least_id, split, 1); });
    result = read(db_.Get(), split, plan.most_id, 0);
    if (result != SQLITE_DONE) second.Interrupt();
    reader.join();
    if (result == SQLITE_DONE) result = older;
  }
  db_.Exec("COMMIT");
  return result;
}

std::optional<std::vector<MailIndex::Hit>> MailIndex::Search(const thread::ParsedQuery& query,
                                                             std::int64_t limit) {
  std::vector<std::string> folder_dirs;
  for (const mailbox::FolderInfo& folder : MailFolders()) folder_dirs.push_back(folder.Path);
  return Search(query, folder_dirs, limit);
}

std::optional<std::vector<MailIndex::Hit>> MailIndex::Search(
    const thread::ParsedQuery& query, const std::vector<std::string>& folder_dirs,
    std::int64_t limit) {
  if (query.Empty() || limit == 0) return std::vector<Hit>();
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
  const std::optional<QueryPlan> plan = Planned(query.root);
  if (!plan) return std::nullopt;

  // The rows come newest first by id: once `limit` hits are held, a row whose id is
  // older than the stamp of the last of them ends the reading (no hit after it can be
  // newer, mail_index.h). The hits of other folders are passed over here, not in SQL,
  // so that the limit counts the asked folders' hits only.
  std::vector<Found> found;
  if (limit < 0) {
    std::vector<Found> older;
    const int result =
        ReadInHalves(*plan, [&](sqlite3* db, std::int64_t lo, std::int64_t hi, int half) {
          std::vector<Found>& mine = half == 0 ? found : older;
          Statement hits = HitRows(db, *plan, false);
          if (!hits.Ok()) return sqlite3_extended_errcode(db);
          hits.Bind(2, lo).Bind(3, hi);
          int step;
          while ((step = hits.Step()) == SQLITE_ROW) {
            const auto place = place_of.find(hits.Int(1));
            if (place == place_of.end()) continue;
            mine.push_back({hits.Int(3), place->second, std::string(hits.Text(2))});
          }
          return step;
        });
    if (result != SQLITE_DONE) {
      Failed(result, ja::kCannotSearch);
      return std::nullopt;
    }
    found.insert(found.end(), older.begin(), older.end());
    return Ordered(std::move(found), relative, limit);
  }
  // The `limit` newest stamps held, the oldest of them on top.
  std::priority_queue<std::int64_t, std::vector<std::int64_t>, std::greater<>> newest;
  Statement hits = HitRows(db_.Get(), *plan, false);
  const auto held = static_cast<std::size_t>(limit);
  // Without a text to lead, the messages are read a stretch of ids at a time from the
  // newest, each stretch four times the one before, and the text leaves ask for that
  // stretch's hits only: asked for all of them at once, a common word would cost its
  // whole count before the first row.
  std::int64_t hi = plan->most_id;
  std::int64_t span = plan->most_id - plan->least_id;
  if (plan->lead.empty() && limit > 0) {
    Statement last(db_.Get(), "SELECT max(id) FROM messages");
    if (last.Step() == SQLITE_ROW && !last.IsNull(0)) hi = std::min(hi, last.Int(0) + 1);
    span = kFirstStretch;
  }
  int result = hits.Ok() ? SQLITE_DONE : sqlite3_extended_errcode(db_.Get());
  bool enough = false;
  while (hits.Ok() && result == SQLITE_DONE && !enough && hi > plan->least_id) {
    const std::int64_t lo = hi - plan->least_id > span ? hi - span : plan->least_id;
    hits.Bind(2, lo).Bind(3, hi);
    while ((result = hits.Step()) == SQLITE_ROW) {
      if (limit > 0 && newest.size() == held && (hits.Int(0) >> kSlotBits) < newest.top()) {
        enough = true;
        break;
      }
      const auto place = place_of.find(hits.Int(1));
      if (place == place_of.end()) continue;
      const std::int64_t stamp = hits.Int(3);
      found.push_back({stamp, place->second, std::string(hits.Text(2))});
      newest.push(stamp);
      if (newest.size() > held) newest.pop();
    }
    if (result == SQLITE_ROW) result = SQLITE_DONE;
    hits.Rewind();
    hi = lo;
    span = span > INT64_MAX / 4 ? INT64_MAX : span * 4;
  }
  if (result != SQLITE_DONE) {
    Failed(result, ja::kCannotSearch);
    return std::nullopt;
  }
  return Ordered(std::move(found), relative, limit);
}

std::optional<std::int64_t> MailIndex::Count(const thread::ParsedQuery& query) {
  if (query.Empty()) return 0;
  const std::optional<QueryPlan> plan = Planned(query.root);
  if (!plan) return std::nullopt;
  std::int64_t counted[2] = {0, 0};
  const int result =
      ReadInHalves(*plan, [&](sqlite3* db, std::int64_t lo, std::int64_t hi, int half) {
        Statement count = HitRows(db, *plan, true);
        if (!count.Ok()) return sqlite3_extended_errcode(db);
        count.Bind(2, lo).Bind(3, hi);
        const int step = count.Step();
        if (step != SQLITE_ROW) return step;
        counted[half] = count.Int(0);
        return SQLITE_DONE;
      });
  if (result != SQLITE_DONE) {
    Failed(result, ja::kCannotSearch);
    return std::nullopt;
  }
  return counted[0] + counted[1];
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
