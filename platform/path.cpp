#include "platform/files.h"

namespace platform {

std::string JoinPath(std::string_view dir, std::string_view name) {
  std::string path;
  path.reserve(dir.size() + 1 + name.size());
  path.append(dir);
  path.push_back(kPathDelimiter);
  path.append(name);
  return path;
}

}  // namespace platform
