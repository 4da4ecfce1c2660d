#include "nkf/nkf_options.h"

#include <algorithm>

namespace nkf {

NkfOptions ParseNkfOptions(std::string_view options) {
  NkfOptions result;
  while (!options.empty()) {
    const std::size_t start = options.find_first_not_of(" \t");
    if (start == std::string_view::npos) break;
    options.remove_prefix(start);
    const std::size_t end = std::min(options.find_first_of(" \t"), options.size());
    if (options.substr(0, end) == "-s") result.shift_jis_output = true;
    options.remove_prefix(end);
  }
  return result;
}

}  // namespace nkf
