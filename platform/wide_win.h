#pragma once
// CP932 byte strings <-> the wide strings the W functions take (Windows only).

#include <string>
#include <string_view>

namespace platform {

std::wstring Widen(std::string_view cp932);
std::string Narrow(std::wstring_view wide);

}  // namespace platform
