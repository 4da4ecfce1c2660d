#pragma once
// The thread cache "VLTR.ume" in each folder's directory: the folder's thread
// list in display order, so that opening a folder needs no message file.
//
// Format (text; written with CR LF, read with CR LF or LF), per node:
//   "-*(VLTR)*-"
//   MessageId            (empty line when empty)
//   InReplyTo
//   LastReference
//   Name ":" Depth       (Depth in decimal)
// and a closing line "LastDate=" + 8 letters: the greatest DateStamp of the
// list, each byte as two letters "A" + high nibble, "A" + low nibble.
//
// Sender, subject and status block are not stored: they always come from the
// current "Entry.lst".

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "thread/load_host.h"
#include "thread/thread_linker.h"
#include "thread/thread_node.h"

namespace thread {

inline constexpr char kCacheFileName[] = "VLTR.ume";
inline constexpr std::string_view kCacheRecordMarker = "-*(VLTR)*-";
// The cache is read in pieces of at most this many characters.
inline constexpr std::size_t kCacheReadChars = 1000;

// "AAABACAD" for the stamp 00 01 02 03.
std::string EncodeLastDate(const Stamp& stamp);
// The letters back to bytes: (first - "A") * 16 + (second - "A"), modulo 256.
// At most 8 letters are used; missing letters count as "A".
Stamp DecodeLastDate(std::string_view letters);

// A cache depth: an optional sign and decimal digits that fit 32 bits, else 0.
std::int32_t ParseCacheDepth(std::string_view text);

// ---- Reading -------------------------------------------------------------

enum class CacheReadStatus {
  kLoaded,     // every record read (possibly none)
  kUnusable,   // the text ended inside a record, or a record line was
               // longer than one read: the folder is to be built in full
  kCancelled,  // the load was stopped; the list has been released
};

struct CacheContents {
  CacheReadStatus Status = CacheReadStatus::kLoaded;
  ThreadList List;       // the nodes in file order (empty unless kLoaded)
  Stamp LastDate{};      // zero when the file has no "LastDate=" line
  int Records = 0;       // records read
};

// Reads cache records from the text of a "VLTR.ume" into nodes whose FilePath
// is built from `folder_path`. Depths that would break the list (a head not at 0, a negative
// depth, or one more than one below the previous node) are clamped into range.
// With a context, advances its bar by one per record and stops when
// PumpAndCheckStop says so; without one (null) it never stops early.
CacheContents ReadThreadCache(std::string_view text, const std::string& folder_path,
                              LoadContext* context);

// ---- Writing -------------------------------------------------------------

// Collects the cache text of a list node by node (so that it can be done in
// the pass that also makes the rows) and writes it in one piece.
class CacheWriter {
 public:
  // LastDate starts from the head's stamp (zero for an empty list).
  explicit CacheWriter(const ThreadNode* head);

  void Add(const ThreadNode& node);
  bool Empty() const { return nodes_ == 0; }
  // The full file text including the closing "LastDate=" line.
  std::string Text() const;
  // Replaces the file at `path` atomically with Text(). Nothing is written
  // (and true returned) when no node was added, so an empty list keeps the old
  // cache; a file that already holds Text() is left as it is. False when the
  // file could not be written; the old file then stays whole.
  bool Commit(const std::string& path) const;

 private:
  std::string text_;
  Stamp last_date_{};
  int nodes_ = 0;
};

// The cache text of a whole list (CacheWriter over every node).
std::string ThreadCacheText(const ThreadNode* head);

// ---- Loading a folder through its cache ----------------------------------

struct FolderSource {
  std::string Path;    // the folder's directory
  int Total = 0;       // "Total" of its "Entry.ini"
  LinkOptions Link;
  int ScanWorkers = 0;  // threads scanning message headers ahead (0: the caller)
};

struct ThreadLoad {
  ThreadList List;
  bool Show = false;          // false: no usable source (try the next one, or show nothing)
  bool ForgetFolder = false;  // the load was cancelled or "Entry.lst" vanished:
                              // no folder is current afterwards
  bool CacheCurrent = false;  // "VLTR.ume" already holds this list: no rewrite needed
};

// The files a cached open reads: "VLTR.ume", and "Entry.lst" when that was
// read.
struct CacheFiles {
  bool CacheRead = false;
  std::string Cache;
  bool IndexRead = false;
  std::string Index;
};
CacheFiles ReadCacheFiles(const std::string& folder_path);

// A cached open in two parts, so that the first part can run on a thread of
// its own while the windows are made. OpenCache reads "VLTR.ume" and
// reconciles it with "Entry.lst": it reaches windows only through `context`
// (give it a quiet one off the user-interface thread) and cannot be cancelled
// once the reconciling has begun. FinishCacheOpen links the new mail, with
// the progress dialog and its cancel.
class CacheOpening {
 public:
  CacheOpening();
  ~CacheOpening();
  CacheOpening(CacheOpening&&) noexcept;
  CacheOpening& operator=(CacheOpening&&) noexcept;

  // True when the cache was read whole, something is left after reconciling
  // and no index record is newer than the cache: finishing then has no mail
  // to link and nothing to cancel.
  bool Complete() const;

  struct State;

 private:
  friend CacheOpening OpenCache(CacheFiles files, const FolderSource& folder, LoadContext& context);
  friend ThreadLoad FinishCacheOpen(CacheOpening opening, const FolderSource& folder,
                                    LoadContext& context);
  std::unique_ptr<State> state_;
};

CacheOpening OpenCache(const FolderSource& folder, LoadContext& context);
// The same with the files read already.
CacheOpening OpenCache(CacheFiles files, const FolderSource& folder, LoadContext& context);
ThreadLoad FinishCacheOpen(CacheOpening opening, const FolderSource& folder, LoadContext& context);

// Reads "VLTR.ume", reconciles it with "Entry.lst" and links the new mail:
// OpenCache and FinishCacheOpen in a row.
// Show is false when the cache is missing, empty, cut short, or leaves an
// empty list that was not cancelled: the folder is then to be built in full.
ThreadLoad LoadThreadCache(const FolderSource& folder, LoadContext& context);

}  // namespace thread
