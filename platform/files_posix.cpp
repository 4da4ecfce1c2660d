// POSIX implementation of the file-system access (Linux host build).
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "platform/file_open.h"
#include "platform/files.h"
#include "platform/wildcard.h"

namespace platform {

namespace {

std::string BaseName(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool WriteAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::FILE* OpenFileForReading(const std::string& path) {
  if (DirectoryExists(path)) return nullptr;  // fopen would "open" a directory on Linux
  return std::fopen(path.c_str(), "rb");
}

std::FILE* OpenFileForWriting(const std::string& path) { return std::fopen(path.c_str(), "wb"); }

SystemPath SystemPath::FromCp932(std::string_view path) { return SystemPath(std::string(path)); }

std::FILE* OpenFileForReading(const SystemPath& path) { return OpenFileForReading(path.native()); }
bool FileExists(const SystemPath& path) { return FileExists(path.native()); }
bool MakeDirectory(const SystemPath& path) { return MakeDirectory(path.native()); }

bool ReplaceFileAtomically(const SystemPath& path, std::string_view bytes) {
  return ReplaceFileAtomically(path.native(), bytes);
}

bool CanWriteFile(const SystemPath& path) {
  return FileExists(path) && ::access(path.native().c_str(), W_OK) == 0;
}

bool CanCreateFileIn(const SystemPath& folder) {
  return DirectoryExists(folder.native()) && ::access(folder.native().c_str(), W_OK) == 0;
}

std::vector<DirEntry> ListDirectory(const std::string& dir, std::string_view pattern) {
  std::vector<DirEntry> entries;
  DIR* d = ::opendir(dir.empty() ? "/" : dir.c_str());
  if (d == nullptr) return entries;
  while (const dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    if (!WildcardMatch(pattern, name)) continue;
    entries.push_back({name, DirectoryExists(JoinPath(dir, name))});
  }
  ::closedir(d);
  std::sort(entries.begin(), entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  return entries;
}

std::vector<StampedFile> ListFileStamps(const std::string& dir, std::string_view pattern) {
  std::vector<StampedFile> files;
  DIR* d = ::opendir(dir.empty() ? "/" : dir.c_str());
  if (d == nullptr) return files;
  while (const dirent* e = ::readdir(d)) {
    if (!WildcardMatch(pattern, e->d_name)) continue;
    struct stat st {};
    if (::fstatat(::dirfd(d), e->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
    files.push_back(
        {e->d_name, FileStamp{static_cast<std::uint64_t>(st.st_size),
                              static_cast<std::uint64_t>(st.st_mtim.tv_sec) * 1000000000u +
                                  static_cast<std::uint64_t>(st.st_mtim.tv_nsec)}});
  }
  ::closedir(d);
  return files;
}

std::optional<FileStamp> StampOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return FileStamp{static_cast<std::uint64_t>(st.st_size),
                   static_cast<std::uint64_t>(st.st_mtim.tv_sec) * 1000000000u +
                       static_cast<std::uint64_t>(st.st_mtim.tv_nsec)};
}

bool FileExists(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  if (!S_ISREG(st.st_mode)) return false;
  const std::string base = BaseName(path);
  return base.empty() || base[0] != '.';
}

bool DirectoryExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
  const std::string temp = path + ".tmp~";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed || ::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool MakeDirectory(const std::string& path) {
  return ::mkdir(path.c_str(), 0755) == 0 || DirectoryExists(path);
}

}  // namespace platform
