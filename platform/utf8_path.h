#pragma once
// File names in UTF-8, for libraries that take them so (SQLite). The core holds paths as
// CP932 bytes on Windows and native bytes on POSIX (platform/files.h); a folder of the
// user's own, such as the local application data folder, may hold characters CP932 has no
// form for, so it is handed over in UTF-8 and never passes through CP932.

#include <string>

namespace platform {

// A path as the core holds it, in UTF-8 (POSIX: the bytes unchanged).
std::string PathToUtf8(const std::string& path);

// The user's local application data folder in UTF-8: %LOCALAPPDATA% on Windows,
// $XDG_DATA_HOME or else $HOME/.local/share on POSIX. Empty when unknown.
std::string LocalAppDataUtf8();

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
