#pragma once
// Text into the wide characters of the W functions: CP932 into a caller's
// buffer, for list-view callbacks that run for every painted cell and should
// not allocate; UTF-8 (every character kept) into a new string.

#include <string>
#include <string_view>

namespace ui {

// Converts `cp932` into `buffer` of `capacity` wide characters, always
// terminated; text that does not fit is cut.
void WideInto(std::string_view cp932, wchar_t* buffer, int capacity);

std::wstring WideFromUtf8(std::string_view utf8);

}  // namespace ui
