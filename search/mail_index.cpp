#include "search/mail_index.h"

#include <chrono>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "mailbox/accounts.h"
#include "mailbox/client_files.h"
#include "mailbox/folder_discovery.h"
#include "platform/files.h"
#include "platform/utf8_path.h"
#include "search/fnv1a.h"
#include "search/folder_scan.h"
#include "search/index_file.h"
#include "search/ja_texts.h"
#include "search/message_text.h"

namespace search {
namespace {

// Deleted messages leave their words behind (search/index_file.cpp); when they outnumber
// half the live ones (and are many), the index is emptied and built again.
constexpr std::int64_t kMinGarbage = 2000;

std::int64_t StampHash(const std::optional<platform::FileStamp>& a,
                       const std::optional<platform::FileStamp>& b) {
  Fnv1a hash;
  for (const std::uint64_t v :
       {a ? a->Size : 1, a ? a->WriteTime : 1, b ? b->Size : 1, b ? b->WriteTime : 1}) {
    hash.Word(v);
  }
  // 0 means "never seen".
  return hash.Value() == 0 ? 1 : static_cast<std::int64_t>(hash.Value());
}

}  // namespace

std::unique_ptr<MailIndex> MailIndex::Open(const std::string& mailbox_dir, std::string* error) {
  const std::string folder = platform::LocalProgramFolderUtf8();
  if (folder.empty()) {
    if (error != nullptr) *error = Said(ja::kNoOwnFolder);
    return nullptr;
  }
  return OpenAt(mailbox_dir, IndexPath(platform::PathToUtf8(mailbox_dir), folder), error);
}

std::unique_ptr<MailIndex> MailIndex::OpenAt(const std::string& mailbox_dir,
                                             const std::string& path_utf8, std::string* error) {
  std::unique_ptr<MailIndex> index(new MailIndex);
  index->mailbox_dir_ = mailbox_dir;
  index->path_ = path_utf8;
  if (!OpenIndexFile(index->db_, path_utf8, error)) return nullptr;
  return index;
}

MailIndex::~MailIndex() = default;

std::string RelativeFolder(const std::string& mailbox_dir, const std::string& folder_dir) {
  const std::string prefix = mailbox_dir + platform::kPathDelimiter;
  if (folder_dir.size() <= prefix.size() || folder_dir.compare(0, prefix.size(), prefix) != 0) {
    return {};
  }
  // Windows takes "/" as a delimiter too: a folder named either way is one
  // record. "/" is never the second byte of a Shift-JIS character.
  std::string relative = folder_dir.substr(prefix.size());
  for (char& c : relative) {
    if (c == '/' || c == platform::kPathDelimiter) c = '\\';
  }
  return relative;
}

std::string MailIndex::Relative(const std::string& folder_dir) const {
  return RelativeFolder(mailbox_dir_, folder_dir);
}

bool MailIndex::Failed(int result, const char* what) {
  if (db_.Interrupted()) {  // stopped, whatever the statement answered
    error_.clear();
    db_.Exec("ROLLBACK");
    return false;
  }
  if ((result & 0xFF) == SQLITE_FULL) {
    error_ = Said(what, SjisToUtf8(ja::kDiskFull));
  } else if ((result & 0xFF) == SQLITE_BUSY) {
    error_ = Said(what, SjisToUtf8(ja::kBusy));
  } else if (IsDamage(result)) {
    error_ = Said(what, SjisToUtf8(ja::kDamaged));
  } else {
    error_ = Said(what, sqlite3_errstr(result));
  }
  db_.Exec("ROLLBACK");
  MarkIfDamaged(result);
  return false;
}

// A file found damaged while in use is marked, to be set aside and built anew at its next
// open: other connections and statements still hold it, and Windows renames no open file.
void MailIndex::MarkIfDamaged(int result) {
  if (!IsDamage(result)) return;
  damaged_ = true;
  MarkDamaged(path_);
}

std::optional<std::int64_t> MailIndex::FolderId(const std::string& relative, bool create,
                                                int* failure) {
  Statement find(db_.Get(), "SELECT id FROM folders WHERE path = ?1");
  find.BindBlob(1, relative);
  int result = find.Step();
  if (result == SQLITE_ROW) return find.Int(0);
  if (result == SQLITE_DONE) {
    if (!create) return 0;
    Statement insert(db_.Get(), "INSERT INTO folders(path) VALUES(?1)");
    insert.BindBlob(1, relative);
    if ((result = insert.Run()) == SQLITE_DONE) return sqlite3_last_insert_rowid(db_.Get());
  }
  if (failure != nullptr) *failure = result;
  return std::nullopt;
}

// A container's order may name the account's Inbox again: each folder counts once.
std::vector<mailbox::FolderInfo> MailIndex::MailFolders() const {
  std::vector<mailbox::FolderInfo> folders;
  std::set<std::string> seen;
  for (const mailbox::Account& account : mailbox::EnumerateAccounts(mailbox_dir_)) {
    auto table = std::make_unique<mailbox::FolderTable>();
    mailbox::DiscoverFolders(account.Directory, {}, *table);
    for (const mailbox::FolderInfo& folder : *table) {
      if (folder.Kind == mailbox::kFolderEmpty) break;
      if (folder.Kind != mailbox::kFolderMail || !seen.insert(folder.Path).second) continue;
      if (Relative(folder.Path).empty()) continue;
      folders.push_back(folder);
    }
  }
  return folders;
}

bool MailIndex::UpdateFolder(const std::string& folder_dir, const std::function<bool()>& stop) {
  summary_ = {};
  error_.clear();
  const int ml = mailbox::ReadFolderDisplaySettings(folder_dir, 0).MlStringDelete;
  return UpdateOne(folder_dir, ml, nullptr, stop, nullptr);
}

bool MailIndex::UpdateAll(const std::function<bool()>& stop,
                          const std::function<void(Progress)>& progress) {
  summary_ = {};
  error_.clear();
  const std::vector<mailbox::FolderInfo> folders = MailFolders();
  Progress done;
  for (const mailbox::FolderInfo& folder : folders) {
    done.total += static_cast<std::size_t>(std::max(0, folder.Total));
  }

  if (!check_every_file_ && Unchanged(folders)) {
    if (progress) progress({summary_.messages, summary_.messages});
    return true;
  }

  // Every statement is reset or gone before the writing starts: one left in the middle
  // of its rows keeps its snapshot, and the write-ahead log cannot be folded back into
  // the file behind it (it grew to 1.4 GB in a 100,000-message build).
  std::int64_t garbage = 0;
  std::int64_t live = 0;
  {
    Statement counts(db_.Get(), "SELECT sum(folder = 0), sum(folder != 0) FROM messages");
    const int counted = counts.Step();
    if (counted != SQLITE_ROW) return Failed(counted, ja::kCannotRead);
    garbage = counts.Int(0);
    live = counts.Int(1);
  }
  done.done = static_cast<std::size_t>(live);
  if (garbage > kMinGarbage && garbage > live / 2) {
    const int emptied = db_.Exec(
        "BEGIN IMMEDIATE; DELETE FROM messages; UPDATE folders SET seen = 0;"
        " INSERT INTO words(words) VALUES('delete-all'); COMMIT");
    if (emptied != SQLITE_OK) return Failed(emptied, ja::kCannotUpdate);
    done.done = 0;
  }
  done.total = std::max(done.total, done.done);

  // Folders that are no longer in the mailbox leave the results.
  std::set<std::string> relative;
  for (const mailbox::FolderInfo& folder : folders) relative.insert(Relative(folder.Path));
  std::vector<std::int64_t> gone;
  {
    Statement all(db_.Get(), "SELECT id, path FROM folders");
    while (all.Step() == SQLITE_ROW) {
      if (relative.count(std::string(all.Text(1))) == 0) gone.push_back(all.Int(0));
    }
  }
  for (const std::int64_t id : gone) {
    Statement leave(db_.Get(), "UPDATE messages SET folder = 0 WHERE folder = ?1");
    leave.Bind(1, id);
    if (const int left = leave.Run(); left != SQLITE_DONE) return Failed(left, ja::kCannotUpdate);
    Statement drop(db_.Get(), "DELETE FROM folders WHERE id = ?1");
    drop.Bind(1, id);
    drop.Run();
  }

  auto last_report = std::chrono::steady_clock::now();
  const auto now_and_then = [&] {
    const auto now = std::chrono::steady_clock::now();
    if (progress && now - last_report > std::chrono::milliseconds(200)) {
      last_report = now;
      progress(done);
    }
  };
  const std::function<void()> step = [&] {
    ++done.done;
    done.total = std::max(done.total, done.done);
    now_and_then();
  };
  if (progress) progress(done);
  for (const mailbox::FolderInfo& folder : folders) {
    if (stop && stop()) return false;
    if (!UpdateOne(folder.Path, folder.MlStringDelete, &folder.Title, stop, step)) return false;
  }
  // After a bulk build the index is many segments: merged into one it is smaller and
  // answers faster. The merge can take many seconds: it is said from the first steps
  // of its statement on, now and then, and Interrupt stops it (the segments stay as
  // they were).
  if (summary_.added > 1000 && summary_.added * 4 > summary_.messages) {
    done.merging = true;
    last_report = {};
    const std::function<bool()> merging = [&] {
      now_and_then();
      return false;
    };
    db_.AskWhileRunning(&merging);
    const int merged =
        db_.Exec("INSERT INTO words(words) VALUES('optimize'); PRAGMA incremental_vacuum");
    db_.AskWhileRunning(nullptr);
    done.merging = false;
    if (merged != SQLITE_OK) return Failed(merged, ja::kCannotUpdate);
  }
  if (progress) progress(done);
  // Every folder has been compared file by file: from now on unchanged folders are skipped.
  check_every_file_ = false;
  return true;
}

// Each folder's stamps ("Entry.lst" and the directory, which a message the mail client
// adds, removes or renames changes) and title against those the index saw when it last
// brought the folder up to date, and the number of folders against the index's: no row
// of the messages is read.
bool MailIndex::Unchanged(const std::vector<mailbox::FolderInfo>& folders) {
  Statement count(db_.Get(), "SELECT count(*) FROM folders");
  if (count.Step() != SQLITE_ROW || count.Int(0) != static_cast<std::int64_t>(folders.size())) {
    return false;  // a folder came or went
  }
  Statement seen(db_.Get(), "SELECT seen, live, title FROM folders WHERE path = ?1");
  Summary summary;
  for (const mailbox::FolderInfo& folder : folders) {
    seen.BindBlob(1, Relative(folder.Path));
    if (seen.Step() != SQLITE_ROW ||
        seen.Int(0) !=
            StampHash(platform::StampOf(platform::JoinPath(folder.Path, mailbox::kEntryList)),
                      platform::StampOf(folder.Path)) ||
        seen.Text(2) != folder.Title) {
      return false;
    }
    ++summary.folders;
    summary.messages += static_cast<std::size_t>(seen.Int(1));
    seen.Reset();
  }
  summary_ = summary;
  return true;
}

std::optional<std::vector<IndexedMessage>> MailIndex::IndexedIn(std::int64_t folder_id,
                                                                int* failure) {
  std::vector<IndexedMessage> indexed;
  Statement rows(db_.Get(), "SELECT id, name, sig, flags FROM messages WHERE folder = ?1");
  rows.Bind(1, folder_id);
  int result;
  while ((result = rows.Step()) == SQLITE_ROW) {
    indexed.push_back({rows.Int(0), std::string(rows.Text(1)), rows.Int(2),
                       static_cast<std::uint32_t>(rows.Int(3))});
  }
  if (result == SQLITE_DONE) return indexed;
  if (failure != nullptr) *failure = result;
  return std::nullopt;
}

bool MailIndex::UpdateOne(const std::string& folder_dir, int ml_string_delete,
                          const std::string* title, const std::function<bool()>& stop,
                          const std::function<void()>& step) {
  const std::string relative = Relative(folder_dir);
  if (relative.empty()) {
    error_ = Said(ja::kNotAFolder, platform::PathToUtf8(folder_dir));
    return false;
  }
  int failure = SQLITE_ERROR;
  const std::optional<std::int64_t> folder_id = FolderId(relative, true, &failure);
  if (!folder_id) return Failed(failure, ja::kCannotUpdate);
  ++summary_.folders;
  if (title != nullptr) {
    Statement retitle(db_.Get(), "UPDATE folders SET title = ?1 WHERE id = ?2 AND title != ?1");
    retitle.BindBlob(1, *title).Bind(2, *folder_id);
    if (const int done = retitle.Run(); done != SQLITE_DONE) return Failed(done, ja::kCannotUpdate);
  }

  const std::string list_path = platform::JoinPath(folder_dir, mailbox::kEntryList);
  const std::int64_t seen_now =
      StampHash(platform::StampOf(list_path), platform::StampOf(folder_dir));
  if (!check_every_file_) {
    Statement seen(db_.Get(), "SELECT seen, live FROM folders WHERE id = ?1");
    seen.Bind(1, *folder_id);
    if (seen.Step() == SQLITE_ROW && seen.Int(0) == seen_now) {
      summary_.messages += static_cast<std::size_t>(seen.Int(1));
      return true;
    }
  }

  // A folder whose "Entry.lst" cannot be read lists nothing, as in the thread list.
  const std::vector<ListedMessage> listed =
      ListFolder(folder_dir, ml_string_delete).value_or(std::vector<ListedMessage>());
  std::optional<std::vector<IndexedMessage>> indexed = IndexedIn(*folder_id, &failure);
  if (!indexed) return Failed(failure, ja::kCannotRead);
  const FolderPlan plan = PlanFolder(listed, std::move(*indexed));

  const std::size_t skipped_before = summary_.skipped;
  if (!AddMessages(folder_dir, *folder_id, listed, plan, stop, step)) return false;
  // Also when nothing was added or removed: the records may have changed places.
  if (!MarkShown(*folder_id, listed)) return false;
  const std::size_t live = plan.current + plan.add.size() - (summary_.skipped - skipped_before);
  summary_.messages += live;
  if (summary_.skipped == skipped_before) {
    Statement seen(db_.Get(), "UPDATE folders SET seen = ?1, live = ?2 WHERE id = ?3");
    seen.Bind(1, seen_now).Bind(2, static_cast<std::int64_t>(live)).Bind(3, *folder_id);
    seen.Run();
  }
  return true;
}

// The thread list links the records in file order and drops a message whose Message-ID
// (letter case ignored) one already in the list has (thread/thread_linker.h): the first
// record of an identifier is the one it shows. A message without one is always listed.
bool MailIndex::MarkShown(std::int64_t folder_id, const std::vector<ListedMessage>& listed) {
  struct Row {
    std::int64_t id;
    std::string mid;
    bool shown;
  };
  std::unordered_map<std::string, Row> rows;  // by name
  {
    Statement in_folder(db_.Get(), "SELECT id, name, mid, shown FROM messages WHERE folder = ?1");
    in_folder.Bind(1, folder_id);
    int result;
    while ((result = in_folder.Step()) == SQLITE_ROW) {
      rows.emplace(std::string(in_folder.Text(1)),
                   Row{in_folder.Int(0), std::string(in_folder.Text(2)), in_folder.Int(3) != 0});
    }
    if (result != SQLITE_DONE) return Failed(result, ja::kCannotRead);
  }
  std::vector<std::pair<std::int64_t, bool>> changes;
  std::unordered_set<std::string> seen;
  for (const ListedMessage& message : listed) {
    const auto row = rows.find(message.name);
    if (row == rows.end()) continue;  // not indexed (its file could not be read)
    const bool shown = row->second.mid.empty() || seen.insert(row->second.mid).second;
    if (shown != row->second.shown) changes.emplace_back(row->second.id, shown);
  }
  if (changes.empty()) return true;
  int result = db_.Exec("BEGIN IMMEDIATE");
  if (result != SQLITE_OK) return Failed(result, ja::kCannotUpdate);
  Statement mark(db_.Get(), "UPDATE messages SET shown = ?1 WHERE id = ?2");
  for (const auto& [id, shown] : changes) {
    mark.Bind(1, std::int64_t{shown}).Bind(2, id);
    if ((result = mark.Run()) != SQLITE_DONE) return Failed(result, ja::kCannotUpdate);
  }
  if ((result = db_.Exec("COMMIT")) != SQLITE_OK) return Failed(result, ja::kCannotUpdate);
  return true;
}

}  // namespace search
