#pragma once
// CP932 text into a caller's wide-character buffer, for list-view callbacks
// that run for every painted cell and should not allocate.

#include <string_view>

namespace ui {

// Converts `cp932` into `buffer` of `capacity` wide characters, always
// terminated; text that does not fit is cut.
void WideInto(std::string_view cp932, wchar_t* buffer, int capacity);

}  // namespace ui
