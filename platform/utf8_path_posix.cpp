// POSIX: file names are bytes, taken to be UTF-8 as they are.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/utf8_path.h"

namespace platform {

std::string PathToUtf8(const std::string& path) { return path; }

std::string LocalProgramFolderUtf8() {
  std::string cache;
  if (const char* data = std::getenv("XDG_CACHE_HOME"); data != nullptr && *data == '/') {
    cache = data;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') {
    cache = std::string(home) + "/.cache";
  } else {
    return {};
  }
  const std::string folder = cache + "/veltrano";
  if (!MakeDirectoryUtf8(cache) || !MakeDirectoryUtf8(folder)) return {};
  return folder;
}

bool FileExistsUtf8(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

bool TouchFileUtf8(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

bool MakeDirectoryUtf8(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) == 0) return true;
  struct stat st {};
  return errno == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool RenameFileUtf8(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFileUtf8(const std::string& path) { return ::unlink(path.c_str()) == 0; }

}  // namespace platform
