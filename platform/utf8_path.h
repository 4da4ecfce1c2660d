#pragma once
// File names in UTF-8, for libraries that take them so (SQLite). The core holds paths as
// CP932 bytes on Windows and native bytes on POSIX (platform/files.h); a folder of the
// user's own, such as the local application data folder, may hold characters CP932 has no
// form for, so it is handed over in UTF-8 and never passes through CP932.

#include <string>

namespace platform {

// A path as the core holds it, in UTF-8 (POSIX: the bytes unchanged).
std::string PathToUtf8(const std::string& path);

// The program's own folder of files kept for this user on this machine only, in UTF-8:
// %LOCALAPPDATA%\Veltrano on Windows, $XDG_CACHE_HOME/veltrano or else
// $HOME/.cache/veltrano on POSIX. Made when missing (with its parent); empty when the
// user's folder is unknown or it cannot be made.
std::string LocalProgramFolderUtf8();

// True when the file (or directory) exists.
bool FileExistsUtf8(const std::string& path);

// Creates the file empty, or leaves it as it is when it exists. True when it exists
// afterwards.
bool TouchFileUtf8(const std::string& path);

// Creates the directory (its parent must exist). True when it exists afterwards.
bool MakeDirectoryUtf8(const std::string& path);

// Renames `from` to `to`, replacing `to`. False when that failed.
bool RenameFileUtf8(const std::string& from, const std::string& to);

// Removes the file. False when it did not exist or could not be removed.
bool RemoveFileUtf8(const std::string& path);

// The path separator of the platform, for joining UTF-8 paths.
#ifdef _WIN32
inline constexpr char kUtf8PathDelimiter = '\\';
#else
inline constexpr char kUtf8PathDelimiter = '/';
#endif

}  // namespace platform
