#pragma once
// The index file of a mailbox: where it lives, and opening it so that what is opened is
// ours and whole. One file serves the whole mailbox; only this program writes it.
//
// It lives in the user's own folder on this machine (platform::LocalProgramFolderUtf8),
// never beside the mailbox: a mailbox on a network share or in a synchronised folder
// would take SQLite's write-ahead log across machines (each maps its own shared memory:
// missed hits, damage), or be copied whenever it changes.
//
// A file that is not a SQLite database, or one of another program or of another layout
// (its application id and version say so), is set aside, renamed to the same name +
// ".bad" (its write-ahead log with it), and a new one made: the old one is kept for a
// look, never read again, and the index is built anew (in the background, as at the
// first start). Only OpenIndexFile sets a file aside.
//
// Windows cannot rename a file that is open, and damage is often found while other
// connections (or statements) hold the file. So damage found then is only marked, by an
// empty file of the index's name + ".damaged" beside it, and the file is set aside at
// its next open, before any connection has it; while one still does, the open fails.

#include <string>
#include <string_view>

#include "search/sqlite_db.h"

namespace search {

inline constexpr char kSetAsideSuffix[] = ".bad";
inline constexpr char kDamagedSuffix[] = ".damaged";

// The index of the mailbox at `mailbox_utf8` in the folder `folder_utf8` (both UTF-8):
// "VLTR-" + 16 hexadecimal digits of a hash of the mailbox path (letter case ignored, as
// Windows names match) + ".fts". Empty when `folder_utf8` is.
std::string IndexPath(const std::string& mailbox_utf8, const std::string& folder_utf8);

// Opens the index at `utf8_path`, creating it (and its tables) when missing, with a busy
// timeout so that two programs updating one index take turns. A damaged or foreign file,
// or one marked damaged, is set aside and a new one made; when it cannot be set aside
// (another connection has it) it is marked, and the open fails. True when ready: ours, of
// this layout, written in WAL mode; else false with `error` saying why.
bool OpenIndexFile(Database& db, const std::string& utf8_path, std::string* error);

// Opens the index at `utf8_path`, which an OpenIndexFile connection holds open, for a
// second reader beside it (same busy timeout, same tokenizer). False when it cannot.
bool OpenSecondReader(Database& db, const std::string& utf8_path);

// Marks the file damaged, to be set aside at its next open: the one way for code that
// holds the file open to have it set aside (only OpenIndexFile renames it). False when
// it could not.
bool MarkDamaged(const std::string& utf8_path);

// The text of an error in UTF-8: `what` (CP932, search/ja_texts.h), then "：" and
// `utf8_detail` (a path, a cause) unless it is empty.
std::string Said(const char* what, std::string_view utf8_detail = {});

// True for the result codes of a file that is not a (whole) database.
bool IsDamage(int result_code);

}  // namespace search
