#include "search/index_file.h"

#include <cstdint>
#include <cstdio>

#include "platform/utf8_path.h"
#include "search/fnv1a.h"
#include "search/fts5_tokenizer.h"
#include "search/ja_texts.h"
#include "search/message_text.h"

namespace search {
namespace {

// "VLTF" in the database header: this program's index.
constexpr std::int64_t kApplicationId = 0x564C5446;
// The layout below; a file of another layout is set aside and built again (the layouts
// before held neither the messages' identifiers nor their stamps; layout 6 adds the
// attachment names and forwarded messages to the text; layout 7 indexes ASCII by its
// pairs alone; layout 8 keeps the fields apart and holds the flags and folder titles;
// layout 9 cuts ASCII words into pairs that do not overlap, and marks the runs' starts).
constexpr std::int64_t kLayoutVersion = 9;
// A second program updating the same index waits this long for its turn.
constexpr int kBusyTimeoutMs = 10000;

// folders: one row per mail folder ever indexed, by its path relative to the mailbox;
//   `seen`: a hash of the stamps of its "Entry.lst" and its directory when it was last
//   brought up to date in full (0: never); `live`: the messages the index held of it
//   then, so that a folder found unchanged is not counted row by row; `title`: its
//   title (Shift-JIS) as the last pass found it, for a search by folder.
// messages: one row per indexed message, its id the rowid of its text in `words`. A row
//   whose folder is 0 is a message that has left its folder (or was indexed again): the
//   index has no text to remove its words with (it stores none), so its words stay
//   behind under an id no live row has, and they are never a hit. The ids are made from
//   the date stamp (see mail_index.h), so the newest hits come first by id; `stamp`
//   is the record's own, which orders them exactly. `mid`: its Message-ID with letters lowered
//   (empty without one); `shown`: 0 when an earlier record of its folder has the same Message-ID,
//   so that the thread list drops it, and it is no hit. `flags`: the record's flag word,
//   kept current without reading the file again when only it changed (read, unread).
// words: the tokens (search/tokens.h) of each field in a column of its own
//   (search/query_plan.h): the text's lines outside quotes, its quoted lines, the sender
//   (the record's and the From header), the recipients (To and Cc), the subject as
//   shown, the attachments' names; the lines of a column parted by line ends, which part
//   words as blanks do. The text outside quotes comes first: a position in the first
//   column is stored without a column number. Contentless, with positions (detail=full)
//   so that a phrase of characters is exact without reading the text.
constexpr char kSchema[] =
    "CREATE TABLE folders(id INTEGER PRIMARY KEY, path BLOB NOT NULL UNIQUE,"
    " seen INTEGER NOT NULL DEFAULT 0, live INTEGER NOT NULL DEFAULT 0,"
    " title BLOB NOT NULL DEFAULT '');"
    "CREATE TABLE messages(id INTEGER PRIMARY KEY, folder INTEGER NOT NULL,"
    " name BLOB NOT NULL, sig INTEGER NOT NULL, stamp INTEGER NOT NULL, mid BLOB NOT NULL,"
    " shown INTEGER NOT NULL DEFAULT 1, flags INTEGER NOT NULL DEFAULT 0);"
    "CREATE INDEX messages_in_folder ON messages(folder);"
    "CREATE VIRTUAL TABLE words USING fts5(unquoted, quoted, sender, recipients, subject, names,"
    " tokenize='veltrano',"
    " content='', columnsize=0, detail=full);"
    // New tokens are kept in memory up to this much before being written out as a
    // segment (1 MB by default); fewer, larger segments cost fewer merges later.
    "INSERT INTO words(words, rank) VALUES('hashsize', 8388608);"
    // Segments are merged when 16 of one level have piled up ('crisismerge'), not a few
    // at a time after every write: a bulk build merges all of them into one at its end
    // anyway (mail_index.cpp), and merging as it went took a fifth of its time.
    "INSERT INTO words(words, rank) VALUES('automerge', 0);";

enum class Check { kOurs, kEmpty, kForeign, kDamaged, kError };

Check CheckFile(Database& db) {
  Statement id(db.Get(), "PRAGMA application_id");
  if (!id.Ok())
    return IsDamage(sqlite3_extended_errcode(db.Get())) ? Check::kDamaged : Check::kError;
  const int step = id.Step();
  if (step != SQLITE_ROW) return IsDamage(step) ? Check::kDamaged : Check::kError;
  const std::int64_t application = id.Int(0);
  Statement version(db.Get(), "PRAGMA user_version");
  if (version.Step() != SQLITE_ROW) return Check::kError;
  Statement tables(db.Get(), "SELECT count(*) FROM sqlite_master");
  const int counted = tables.Step();
  if (counted != SQLITE_ROW) return IsDamage(counted) ? Check::kDamaged : Check::kError;
  if (application == 0 && version.Int(0) == 0 && tables.Int(0) == 0) return Check::kEmpty;
  if (application != kApplicationId || version.Int(0) != kLayoutVersion) return Check::kForeign;
  return Check::kOurs;
}

// `what`: CP932 (search/ja_texts.h); the path and SQLite's own words follow, in UTF-8.
bool Failed(Database& db, const char* what, const std::string& utf8_path, std::string* error) {
  if (error != nullptr) *error = Said(what, utf8_path) + " (" + db.Error() + ")";
  db.Close();
  return false;
}

bool CreateTables(Database& db) {
  char header[96];
  std::snprintf(header, sizeof header, "PRAGMA application_id=%lld;PRAGMA user_version=%lld;",
                static_cast<long long>(kApplicationId), static_cast<long long>(kLayoutVersion));
  if (db.Exec("BEGIN IMMEDIATE") != SQLITE_OK) return false;
  // Another program may have made them while this one waited for the lock.
  Statement tables(db.Get(), "SELECT count(*) FROM sqlite_master");
  if (tables.Step() == SQLITE_ROW && tables.Int(0) != 0) return db.Exec("COMMIT") == SQLITE_OK;
  if (db.Exec(header) != SQLITE_OK || db.Exec(kSchema) != SQLITE_OK) {
    db.Exec("ROLLBACK");
    return false;
  }
  return db.Exec("COMMIT") == SQLITE_OK;
}

// Renames the file (and its log) aside, and takes its mark away. False when it could not.
bool SetAside(const std::string& utf8_path) {
  platform::RemoveFileUtf8(utf8_path + "-shm");
  const std::string aside = utf8_path + kSetAsideSuffix;
  platform::RemoveFileUtf8(aside + "-wal");
  platform::RenameFileUtf8(utf8_path + "-wal", aside + "-wal");
  if (!platform::RenameFileUtf8(utf8_path, aside) && platform::FileExistsUtf8(utf8_path)) {
    return false;
  }
  platform::RemoveFileUtf8(utf8_path + kDamagedSuffix);
  return true;
}

// Leaves the file marked, to be set aside at the next open, and fails with `what`.
bool Unusable(const std::string& utf8_path, const char* what, std::string* error) {
  MarkDamaged(utf8_path);
  if (error != nullptr) *error = Said(what, utf8_path);
  return false;
}

bool SetWal(Database& db) {
  Statement wal(db.Get(), "PRAGMA journal_mode=WAL");
  return wal.Step() == SQLITE_ROW && wal.Text(0) == "wal";
}

}  // namespace

std::string Said(const char* what, std::string_view utf8_detail) {
  std::string text = SjisToUtf8(what);
  if (!utf8_detail.empty()) text += SjisToUtf8(ja::kColon) + std::string(utf8_detail);
  return text;
}

bool IsDamage(int result_code) {
  const int primary = result_code & 0xFF;
  return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT;
}

std::string IndexPath(const std::string& mailbox_utf8, const std::string& folder_utf8) {
  if (folder_utf8.empty()) return {};
  std::string key;
  for (const char c : mailbox_utf8) key += c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
  char name[32];
  std::snprintf(name, sizeof name, "VLTR-%016llx.fts",
                static_cast<unsigned long long>(Fnv1aOf(key)));
  return folder_utf8 + platform::kUtf8PathDelimiter + name;
}

bool MarkDamaged(const std::string& utf8_path) {
  return platform::TouchFileUtf8(utf8_path + kDamagedSuffix);
}

bool OpenSecondReader(Database& db, const std::string& utf8_path) {
  if (!db.Open(utf8_path, false)) return false;
  db.SetBusyTimeout(kBusyTimeoutMs);
  return RegisterTokenizer(db.Get());
}

bool OpenIndexFile(Database& db, const std::string& utf8_path, std::string* error) {
  if (platform::FileExistsUtf8(utf8_path + kDamagedSuffix) && !SetAside(utf8_path)) {
    return Unusable(utf8_path, ja::kDamagedInUse, error);
  }
  for (int attempt = 0;; ++attempt) {
    if (!db.Open(utf8_path, true)) return Failed(db, ja::kCannotOpen, utf8_path, error);
    db.SetBusyTimeout(kBusyTimeoutMs);
    if (!RegisterTokenizer(db.Get())) return Failed(db, ja::kNoFts5, utf8_path, error);
    const Check check = CheckFile(db);
    if (check == Check::kError) return Failed(db, ja::kCannotRead, utf8_path, error);
    if (check == Check::kDamaged || check == Check::kForeign) {
      db.Close();
      if (attempt > 0 || !SetAside(utf8_path)) {
        return Unusable(utf8_path, ja::kCannotSetAside, error);
      }
      continue;
    }
    // WAL: a search reads while an update writes. It needs the folder writable (its log
    // and shared-memory files lie beside the index).
    // Pages freed by merging segments are given back to the file system (after a bulk
    // build the merge frees about half the file). Only a file without pages takes it.
    if (check == Check::kEmpty) db.Exec("PRAGMA auto_vacuum=INCREMENTAL");
    if (!SetWal(db)) return Failed(db, ja::kCannotWrite, utf8_path, error);
    // The index can always be built again from the mailbox: a crash may lose the last
    // batch, never the file.
    db.Exec("PRAGMA synchronous=NORMAL");
    if (check == Check::kEmpty && !CreateTables(db)) {
      return Failed(db, ja::kCannotWrite, utf8_path, error);
    }
    return true;
  }
}

}  // namespace search
