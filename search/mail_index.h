#pragma once
// The full-text index of a mailbox: every message of every folder of every account found
// by the words and phrases of a query (thread/search_query.h) in its sender, recipients,
// subject, text and attachments' names, each a field of its own (search/message_text.h),
// Japanese exact (search/tokens.h), with the quick filter's folding (search/fold.h), and
// by its date, flags and folder. The index is
// one SQLite file for the whole mailbox (search/index_file.h); it holds no text, only the
// tokens, and is brought up to date from the mailbox on request.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "search/query_plan.h"
#include "search/sqlite_db.h"
#include "thread/search_query.h"

namespace mailbox {
struct FolderInfo;
}  // namespace mailbox

namespace search {

struct FolderPlan;
struct IndexedMessage;
struct ListedMessage;

// A folder's directory as the index names it: relative to the mailbox at
// `mailbox_dir`, components parted by "\" whichever delimiter was written.
// Empty for a directory outside the mailbox.
std::string RelativeFolder(const std::string& mailbox_dir, const std::string& folder_dir);

// One connection to the index of one mailbox. Not shared between threads: each thread
// that uses the index opens its own (SQLite WAL lets a reader query while the writer adds).
class MailIndex {
 public:
  struct Progress {
    std::size_t done = 0;
    std::size_t total = 0;
    bool merging = false;  // every message is in; the index is being merged
  };
  // What the last update did.
  struct Summary {
    std::size_t folders = 0;   // mail folders looked at
    std::size_t messages = 0;  // messages the index holds for them afterwards
    std::size_t added = 0;     // messages indexed (new or changed)
    std::size_t removed = 0;   // messages that left a folder or changed
    std::size_t skipped = 0;   // message files that could not be read (tried again next time)
  };
  struct Hit {
    std::string folder;  // relative to the mailbox, components parted by "\"
    std::string name;
  };

  // Opens the index of the mailbox at `mailbox_dir` (the mailbox root, Shift-JIS path as
  // MailboxDir holds it) in the user's own folder (search/index_file.h), creating it when
  // missing; a damaged or foreign file is set aside and a new one made. Null with
  // `*error` set when it cannot be opened at all (then the window searches subject and
  // sender only).
  static std::unique_ptr<MailIndex> Open(const std::string& mailbox_dir, std::string* error);
  // The same with the index file given (UTF-8).
  static std::unique_ptr<MailIndex> OpenAt(const std::string& mailbox_dir,
                                           const std::string& path_utf8, std::string* error);
  ~MailIndex();
  MailIndex(const MailIndex&) = delete;
  MailIndex& operator=(const MailIndex&) = delete;

  // Brings every folder of every account up to date: new messages added, messages that
  // left a folder removed, changed files indexed again. `stop` is asked between messages
  // (the next run resumes where it stopped); `progress` is called now and then on the
  // calling thread. False when stopped, interrupted or failed (then Error() says why; it
  // is empty after a stop or an interrupt).
  bool UpdateAll(const std::function<bool()>& stop, const std::function<void(Progress)>& progress);
  // The same for one folder (its directory, as FolderInfo::Path holds it).
  bool UpdateFolder(const std::string& folder_dir, const std::function<bool()>& stop);
  // For each of `leaves` (kText nodes of a parsed query, thread/search_query.h; negation
  // not applied) the Names of the folder's messages the thread list lists where it holds,
  // sorted by name: what the thread list's filter asks of the index (thread::AskedOfIndex).
  // std::nullopt when `stop` said yes before it finished (or the index failed).
  std::optional<std::vector<std::vector<std::string>>> FolderLeafHits(
      const std::string& folder_dir, const std::vector<const thread::QueryNode*>& leaves,
      const std::function<bool()>& stop);
  // Messages of the folder's "Entry.lst" the index does not hold yet.
  std::size_t Unindexed(const std::string& folder_dir);

  // The hits for `query` (thread/search_query.h: its text leaves on their fields' columns,
  // dates on the record's stamp, is: on its flags, folder: on the folders' titles) among
  // the messages of the folders `folder_dirs` (directories as FolderInfo::Path holds them;
  // an empty one holds none), newest first: by the index record's date stamp, descending,
  // then by the folder's place in `folder_dirs`, then by name. At most `limit` (all when
  // negative), counted among those folders' hits only. A message the thread list does not
  // list (another record of its folder before it has its Message-ID) is no hit. A query
  // that failed or is empty has none. std::nullopt on failure.
  std::optional<std::vector<Hit>> Search(const thread::ParsedQuery& query,
                                         const std::vector<std::string>& folder_dirs,
                                         std::int64_t limit);
  // The same over every mail folder of every account, in the accounts' order and each
  // account's folder order: the folders UpdateAll brings up to date.
  std::optional<std::vector<Hit>> Search(const thread::ParsedQuery& query, std::int64_t limit);
  // The number of hits of the whole mailbox; std::nullopt on failure.
  std::optional<std::int64_t> Count(const thread::ParsedQuery& query);

  // Whether an update compares every message file's stamp even in a folder whose
  // "Entry.lst" and directory have not changed since it was last brought up to date.
  // On at first; each update of a folder with it on lets later ones skip such a folder.
  void CheckEveryFile(bool on) { check_every_file_ = on; }
  const Summary& LastUpdate() const { return summary_; }
  // Why the last call failed, in Japanese (UTF-8, paths as they are; search/ja_texts.txt).
  const std::string& Error() const { return error_; }
  // The file was found damaged: it is set aside at its next open, and until then this
  // connection answers from broken pages, so it is better not asked.
  bool Damaged() const { return damaged_; }
  const std::string& Path() const { return path_; }  // the index file, UTF-8

  // Stops whatever the connection does, for good, from any thread while it lives: the
  // statement running (a merge, a query, a wait for another program's lock) and every
  // one after it fail at once, and an update returns false as if stopped.
  void Interrupt() { db_.Interrupt(); }

 private:
  // A message's id is its date stamp followed by kSlotBits bits that tell apart the
  // messages of one second, so that ordering by id orders by stamp. More than 16 of one
  // second (a message indexed again takes a new id) take ids of the seconds after: an
  // id shifted right by kSlotBits is never less than its message's stamp. (A wider slot
  // would keep to the stamps always, but makes every gap in the text index's lists of
  // ids longer: a quarter more file.)
  static constexpr int kSlotBits = 4;
  // The first stretch of ids a search without a text to lead reads (Search): a week.
  static constexpr std::int64_t kFirstStretch = std::int64_t{7 * 86400} << kSlotBits;

  MailIndex() = default;
  // Every mail folder of every account, once.
  std::vector<mailbox::FolderInfo> MailFolders() const;
  // True, with the summary set, when every folder is as the index last saw it.
  bool Unchanged(const std::vector<mailbox::FolderInfo>& folders);
  // The messages the index holds of the folder; std::nullopt on failure (then
  // `*failure` holds the result code).
  std::optional<std::vector<IndexedMessage>> IndexedIn(std::int64_t folder_id,
                                                       int* failure = nullptr);
  // `title`: the folder's title to keep (null: as it is).
  bool UpdateOne(const std::string& folder_dir, int ml_string_delete, const std::string* title,
                 const std::function<bool()>& stop, const std::function<void()>& step);
  bool AddMessages(const std::string& folder_dir, std::int64_t folder_id,
                   const std::vector<ListedMessage>& listed, const FolderPlan& plan,
                   const std::function<bool()>& stop, const std::function<void()>& step);
  // The folder's record; 0 when there is none and `create` is false; std::nullopt on
  // failure (then `*failure` holds the result code).
  std::optional<std::int64_t> FolderId(const std::string& relative, bool create,
                                       int* failure = nullptr);
  // Marks which of the folder's messages the thread list lists (`listed`: the folder's
  // records in file order): of those with one Message-ID, only the first.
  bool MarkShown(std::int64_t folder_id, const std::vector<ListedMessage>& listed);
  // The plan of `root`, its folder leaves looked up among the folders' titles;
  // std::nullopt on failure.
  std::optional<QueryPlan> Planned(const thread::QueryNode& root);
  // The rows of a plan's hits on `db`, newest first: id, folder, name, stamp (`count`: the
  // number of the live ones instead).
  Statement HitRows(sqlite3* db, const QueryPlan& plan, bool count);
  // Calls `read(db, lo, hi, half)` for the plan's ids in [lo, hi): the newer half of its
  // messages (half 0) on this connection, the older (half 1) at once on a second one in a
  // thread of its own, both at one snapshot of the file. All of them in one call on this
  // connection when there is no second. `read` gives SQLITE_DONE or the error; so does this.
  using HalfReader = std::function<int(sqlite3* db, std::int64_t lo, std::int64_t hi, int half)>;
  int ReadInHalves(const QueryPlan& plan, const HalfReader& read);
  std::string Relative(const std::string& folder_dir) const;
  // `what`: what could not be done (CP932, search/ja_texts.h).
  bool Failed(int result, const char* what);
  void MarkIfDamaged(int result);

  std::string mailbox_dir_;
  std::string path_;
  Database db_;
  Summary summary_;
  std::string error_;
  bool check_every_file_ = true;
  bool damaged_ = false;
};

}  // namespace search
