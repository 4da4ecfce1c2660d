#pragma once
// The index file of a mailbox: where it lives, and opening it so that what is opened is
// ours and whole. One file serves the whole mailbox; only this program writes it.
//
// A file that is not a SQLite database, or one of another program or of another layout
// (its application id and version say so), is set aside, renamed to the same name +
// ".bad" (its write-ahead log with it), and a new one made: the old one is kept for a
// look, never read again, and the index is built anew. A file of this program's layout
// before the present one is brought up to it in place, its messages kept.

#include <string>

#include "search/sqlite_db.h"

namespace search {

inline constexpr char kIndexFileName[] = "VLTR.fts";
inline constexpr char kSetAsideSuffix[] = ".bad";

// The index at the mailbox root (both paths UTF-8).
std::string RootIndexPath(const std::string& mailbox_utf8);

// The index of a mailbox whose root may not be written: under the local application
// data folder, "Veltrano\VLTR-" + 16 hexadecimal digits of a hash of the mailbox path
// (letter case ignored, as Windows names match) + ".fts". Empty when `app_data_utf8` is.
std::string FallbackIndexPath(const std::string& mailbox_utf8, const std::string& app_data_utf8);

enum class OpenStatus {
  kOpened,       // ready: ours, of this layout, written in WAL mode
  kCannotWrite,  // the file or its folder cannot be written (read-only medium or folder)
  kFailed,       // anything else (a damaged file that could not be set aside, no memory)
};

// Opens the index at `utf8_path`, creating it (and its tables) when missing, with a busy
// timeout so that two programs updating one index take turns. A damaged or foreign file
// is set aside and a new one made. `error` says why on failure.
OpenStatus OpenIndexFile(Database& db, const std::string& utf8_path, std::string* error);

// Renames the file (and its log) aside as described above. False when it could not.
bool SetAside(const std::string& utf8_path);

// True for the result codes of a file that is not a (whole) database.
bool IsDamage(int result_code);

}  // namespace search
