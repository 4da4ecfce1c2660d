// Win32 implementation of the file-system access. Paths are CP932 bytes and
// reach the W functions through code page 932.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// shlobj.h needs the types of windows.h.
#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/file_open.h"
#include "platform/files.h"
#include "platform/wide_win.h"

namespace platform {

namespace {

DWORD Attributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

bool WriteAll(HANDLE file, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

// Renames `from` over `to`. A virus scanner, an indexer or the mail client
// may hold the target for a moment (a sharing violation, or access denied
// while a delete is pending): the rename is tried again a few times.
bool MoveOver(const std::wstring& from, const std::wstring& to, int max_tries) {
  for (int tries = 1;; ++tries) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    const DWORD error = GetLastError();
    if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) || tries >= max_tries) {
      return false;
    }
    Sleep(static_cast<DWORD>(50 * tries));
  }
}

bool Replace(const std::wstring& target, std::string_view bytes, int max_tries) {
  const std::wstring temp = target + L".tmp~";
  HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool written = WriteAll(file, bytes) && FlushFileBuffers(file);
  const bool closed = CloseHandle(file) != 0;
  if (!written || !closed || !MoveOver(temp, target, max_tries)) {
    DeleteFileW(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace

SystemPath SystemPath::FromCp932(std::string_view path) { return SystemPath(Widen(path)); }

// Shared for reading, writing and deleting: while a file of the mailbox is
// open here the mail client must still be able to rewrite, rename or delete
// it (the C runtime's own open leaves out the delete share).
std::FILE* OpenFileForReading(const std::string& path) {
  return OpenFileForReading(SystemPath::FromCp932(path));
}

std::FILE* OpenFileForReading(const SystemPath& path) {
  HANDLE file = CreateFileW(path.native().c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
  if (descriptor == -1) {
    CloseHandle(file);
    return nullptr;
  }
  std::FILE* stream = _fdopen(descriptor, "rb");
  if (stream == nullptr) _close(descriptor);
  return stream;
}

std::FILE* OpenFileForWriting(const std::string& path) {
  return _wfopen(Widen(path).c_str(), L"wb");
}

std::vector<DirEntry> ListDirectory(const std::string& dir, std::string_view pattern) {
  std::vector<DirEntry> entries;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(Widen(JoinPath(dir, pattern)).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return entries;
  do {
    const std::string name = Narrow(data.cFileName);
    if (name == "." || name == "..") continue;
    entries.push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return entries;
}

std::vector<StampedFile> ListFileStamps(const std::string& dir, std::string_view pattern) {
  std::vector<StampedFile> files;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileExW(Widen(JoinPath(dir, pattern)).c_str(), FindExInfoBasic, &data,
                                 FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) return files;
  do {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    files.push_back({Narrow(data.cFileName),
                     FileStamp{(std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow,
                               (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                                   data.ftLastWriteTime.dwLowDateTime}});
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return files;
}

std::optional<FileStamp> StampOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return FileStamp{(std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow,
                   (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                       data.ftLastWriteTime.dwLowDateTime};
}

bool FileExists(const std::string& path) { return FileExists(SystemPath::FromCp932(path)); }

bool FileExists(const SystemPath& path) {
  const DWORD a = Attributes(path.native());
  if (a == INVALID_FILE_ATTRIBUTES) return false;
  return (a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0;
}

bool DirectoryExists(const std::string& path) {
  const DWORD a = Attributes(Widen(path));
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A virus scanner, an indexer or the mail client may hold the file a moment:
// the rename is tried up to five times, 0.5 s in all.
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
  return Replace(Widen(path), bytes, 5);
}

bool ReplaceFileAtomically(const SystemPath& path, std::string_view bytes) {
  return Replace(path.native(), bytes, 1);
}

bool RemoveFile(const std::string& path) { return DeleteFileW(Widen(path).c_str()) != 0; }

bool MakeDirectory(const std::string& path) { return MakeDirectory(SystemPath::FromCp932(path)); }

bool MakeDirectory(const SystemPath& path) {
  if (CreateDirectoryW(path.native().c_str(), nullptr)) return true;
  const DWORD a = Attributes(path.native());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A file another program holds open (a sharing violation) still counts: it
// can be written once it is let go.
bool CanWriteFile(const SystemPath& path) {
  if (!FileExists(path)) return false;
  HANDLE file = CreateFileW(path.native().c_str(), GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
  CloseHandle(file);
  return true;
}

namespace {

// Whether this process's token is granted `access` by the security descriptor
// of `path` (false when the descriptor cannot be read).
bool Granted(const std::wstring& path, DWORD access) {
  const SECURITY_INFORMATION parts =
      OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  DWORD needed = 0;
  GetFileSecurityW(path.c_str(), parts, nullptr, 0, &needed);
  if (needed == 0) return false;
  std::vector<BYTE> descriptor(needed);
  if (!GetFileSecurityW(path.c_str(), parts, descriptor.data(), needed, &needed)) return false;
  HANDLE process_token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &process_token)) {
    return false;
  }
  // AccessCheck takes an impersonation token.
  HANDLE token = nullptr;
  const bool duplicated = DuplicateToken(process_token, SecurityImpersonation, &token) != 0;
  CloseHandle(process_token);
  if (!duplicated) return false;
  GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                          FILE_ALL_ACCESS};
  MapGenericMask(&access, &mapping);
  PRIVILEGE_SET privileges{};
  DWORD privileges_size = sizeof privileges;
  DWORD granted = 0;
  BOOL allowed = FALSE;
  const bool checked = AccessCheck(descriptor.data(), token, access, &mapping, &privileges,
                                   &privileges_size, &granted, &allowed) != 0;
  CloseHandle(token);
  return checked && allowed != FALSE;
}

// UAC virtualisation is on for this process: a 32-bit program whose manifest
// names no execution level, run by a standard user.
bool Virtualised() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  DWORD on = 0;
  DWORD size = 0;
  const bool read =
      GetTokenInformation(token, TokenVirtualizationEnabled, &on, sizeof on, &size) != 0;
  CloseHandle(token);
  return read && on != 0;
}

std::wstring KnownFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return path;
}

// `path` is `root` or inside it, letters compared ignoring case.
bool Inside(const std::wstring& path, const std::wstring& root) {
  if (root.empty() || path.size() < root.size()) return false;
  if (CompareStringOrdinal(path.c_str(), static_cast<int>(root.size()), root.c_str(),
                           static_cast<int>(root.size()), TRUE) != CSTR_EQUAL) {
    return false;
  }
  return path.size() == root.size() || path[root.size()] == L'\\' || root.back() == L'\\';
}

// The folders whose writes virtualisation sends to the user's VirtualStore.
bool VirtualisedFolder(const std::wstring& folder) {
  wchar_t program_files_64[MAX_PATH] = {};  // "C:\Program Files" as a 32-bit process on 64-bit
  GetEnvironmentVariableW(L"ProgramW6432", program_files_64, MAX_PATH);
  for (const std::wstring& root :
       {KnownFolder(CSIDL_PROGRAM_FILES), KnownFolder(CSIDL_PROGRAM_FILESX86),
        std::wstring(program_files_64), KnownFolder(CSIDL_WINDOWS),
        KnownFolder(CSIDL_COMMON_APPDATA)}) {
    if (Inside(folder, root)) return true;
  }
  return false;
}

}  // namespace

// Asked of the folder's security descriptor, nothing made: whether this
// process may add a file to it. Under virtualisation (the 32-bit program) a
// folder Windows protects takes new files too: they land in the user's
// VirtualStore, where this program, and the 32-bit mail client, find them
// again, so the settings file there belongs beside the program.
bool CanCreateFileIn(const SystemPath& folder) {
  const DWORD a = Attributes(folder.native());
  if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY) == 0) return false;
  if (Granted(folder.native(), FILE_ADD_FILE)) return true;
  return Virtualised() && VirtualisedFolder(folder.native());
}

}  // namespace platform
