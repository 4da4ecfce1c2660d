#include "ui/wide_text.h"

#include <windows.h>

#include <string>

#include "platform/wide_win.h"
#include "viewer/unicode_text.h"

namespace ui {

void WideInto(std::string_view cp932, wchar_t* buffer, int capacity) {
  if (buffer == nullptr || capacity <= 0) return;
  int written = 0;
  if (!cp932.empty()) {
    written = MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), buffer,
                                  capacity - 1);
    if (written == 0) {
      // MultiByteToWideChar fails as a whole when the result does not fit:
      // convert through a temporary and cut it.
      const std::wstring whole = platform::Widen(cp932);
      written = static_cast<int>(whole.copy(buffer, static_cast<std::size_t>(capacity - 1)));
    }
  }
  buffer[written] = L'\0';
}

std::wstring WideFromUtf8(std::string_view utf8) {
  const std::u16string wide = viewer::Utf8ToUtf16(utf8);
  return std::wstring(wide.begin(), wide.end());
}

}  // namespace ui
