#pragma once
// File-system access for the portable core. Paths are byte strings: Shift-JIS
// (CP932) on Windows, where they reach the W functions through CP932, and the
// native bytes on POSIX. The core joins path components with kPathDelimiter.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system_path.h"

namespace platform {

#ifdef _WIN32
inline constexpr char kPathDelimiter = '\\';
#else
inline constexpr char kPathDelimiter = '/';
#endif

// dir + delimiter + name.
std::string JoinPath(std::string_view dir, std::string_view name);

struct DirEntry {
  std::string name;  // the entry's own name, without the directory
  bool is_directory = false;
};

// Entries of `dir` whose names match `pattern` ("*" any run, "?" one byte;
// letter case ignored for ASCII, as Windows matches names). "." and ".." are
// never returned. Windows returns the file system's order; POSIX sorts the
// names bytewise so results are reproducible. A missing directory gives none.
std::vector<DirEntry> ListDirectory(const std::string& dir, std::string_view pattern);

// True for a plain file only: not a directory, not hidden, not a system file
// (on POSIX a name starting with "." counts as hidden).
bool FileExists(const std::string& path);

// True when the path names a directory.
bool DirectoryExists(const std::string& path);

// True when the file can be opened for reading right now (used to wait until
// the mail client has released a message file).
bool CanOpenForReading(const std::string& path);

// Reads the whole file as bytes. False when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& bytes);
bool ReadWholeFile(const SystemPath& path, std::string& bytes);

// What tells one version of a file from the next: its size and the time of
// its last write (in the platform's own units).
struct FileStamp {
  std::uint64_t Size = 0;
  std::uint64_t WriteTime = 0;
  bool operator==(const FileStamp&) const = default;
};
// The file's stamp; nullopt when it cannot be read.
std::optional<FileStamp> StampOf(const std::string& path);

// A plain file of a directory with its stamp.
struct StampedFile {
  std::string name;
  FileStamp stamp;
};
// The files (not directories) of `dir` whose names match `pattern`, each with its stamp,
// unsorted: Windows lists sizes and times with the names, so a folder of 100,000 messages
// is one pass over the directory rather than 100,000 queries. A missing directory gives none.
std::vector<StampedFile> ListFileStamps(const std::string& dir, std::string_view pattern);

// Reads a file that another program may be rewriting meanwhile (the mail
// client's "Entry.lst"): a read counts when the file's stamp is the same
// before and after it; otherwise it is read again after a short pause, up to
// kSettleTries reads in all, and the last read is kept. False when it cannot
// be opened or read.
inline constexpr int kSettleTries = 5;
inline constexpr int kSettlePauseMs = 20;
bool ReadSettledFile(const std::string& path, std::string& bytes);

// The same loop over any stamp, read and pause, so that it can be tested.
bool ReadSettled(const std::function<std::optional<FileStamp>()>& stamp,
                 const std::function<bool(std::string&)>& read, const std::function<void()>& pause,
                 std::string& bytes);

// Writes `bytes` to a temporary file beside `path`, flushes it to disk and
// renames it over `path`, so that a crash or a full disk leaves either the old
// file or the new one, never a half-written file. False on any failure (the
// old file is then untouched and the temporary file removed).
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes);
// The same, tried once: a file another program holds fails at once, for the
// caller, which knows how long it may wait, to try again or report.
bool ReplaceFileAtomically(const SystemPath& path, std::string_view bytes);

// Creates the file, or cuts an existing one to zero length. False on failure.
bool TruncateFile(const std::string& path);

// Removes a file; false when it did not exist or could not be removed.
bool RemoveFile(const std::string& path);

// Creates one directory (the parent must exist). True when it exists afterwards.
bool MakeDirectory(const std::string& path);
bool MakeDirectory(const SystemPath& path);

// What decides where a file the program writes can live: whether `path` is a
// plain file, whether it can be opened for writing now, and whether a new
// file can be made in `folder`.
bool FileExists(const SystemPath& path);
bool CanWriteFile(const SystemPath& path);
bool CanCreateFileIn(const SystemPath& folder);

}  // namespace platform
