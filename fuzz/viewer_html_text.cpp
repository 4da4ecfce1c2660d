// Any bytes as HTML mail, in one of the charsets mail declares (chosen by the
// first byte): the conversion must end, and its text must be what the viewer
// takes: valid UTF-8 without NUL, lines joined by CR LF only, at most one
// empty line in a row and none at either end.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "viewer/html_text.h"
#include "viewer/unicode_text.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

constexpr std::string_view kCharsets[] = {
    "", "utf-8", "shift_jis", "euc-jp", "iso-2022-jp", "iso-8859-1", "windows-1252", "us-ascii"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view charset = kCharsets[data[0] % std::size(kCharsets)];
  const std::string_view html(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string text = viewer::HtmlToText(html, charset);
  // (After a letter: ValidUtf8 drops a byte-order mark at the start, and a
  // U+FEFF inside the document may come first in its text.)
  Check(viewer::ValidUtf8("x" + text) == "x" + text);
  Check(text.find('\0') == std::string::npos);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') Check(i + 1 < text.size() && text[i + 1] == '\n');
    if (text[i] == '\n') Check(i > 0 && text[i - 1] == '\r');
  }
  Check(text.find("\r\n\r\n\r\n") == std::string::npos);
  Check(!text.starts_with("\r\n") && !text.ends_with("\r\n"));
  return 0;
}
