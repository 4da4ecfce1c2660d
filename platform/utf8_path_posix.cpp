// POSIX: file names are bytes, taken to be UTF-8 as they are.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/utf8_path.h"

namespace platform {

std::string PathToUtf8(const std::string& path) { return path; }

std::string LocalAppDataUtf8() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/') {
    return data;
  }
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home != '/') return {};
  return std::string(home) + "/.local/share";
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
