#include "platform/wildcard.h"

#include <cstddef>

#include "platform/text_bytes.h"

namespace platform {

namespace {

bool Match(std::string_view pattern, std::string_view name) {
  // Iterative matcher with one backtrack point for the last "*": linear for the
  // simple patterns used here and never recursive.
  std::size_t p = 0, n = 0;
  std::size_t star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || AsciiLower(pattern[p]) == AsciiLower(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  if (Match(pattern, name)) return true;
  // As on Windows, a trailing ".*" also matches a name without an extension,
  // so "*.*" matches every name.
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*") {
    return Match(pattern.substr(0, pattern.size() - 2), name);
  }
  return false;
}

}  // namespace platform
