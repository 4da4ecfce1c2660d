#pragma once
// Wildcard matching of names as the Windows directory listing does it: "*"
// matches any run of bytes, "?" one byte, ASCII letters match either case, and
// a trailing ".*" also matches a name without an extension ("*.*" matches all).

#include <string_view>

namespace platform {

bool WildcardMatch(std::string_view pattern, std::string_view name);

}  // namespace platform
