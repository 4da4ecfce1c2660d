// POSIX has no registry: every read finds nothing.
#include "platform/registry.h"

namespace platform {

std::optional<std::string> ReadCurrentUserString(const std::string&, const std::string&) {
  return std::nullopt;
}

}  // namespace platform
