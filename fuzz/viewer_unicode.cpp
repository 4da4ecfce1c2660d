// Any bytes as a body: the transfer decodings and the decoding to Unicode must
// never fail, must give valid UTF-8, and links found in it must lie on whole
// characters inside the text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "viewer/body_coding.h"
#include "viewer/link_scan.h"
#include "viewer/text_lines.h"
#include "viewer/unicode_text.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool StartsACharacter(std::string_view text, std::size_t pos) {
  return pos == text.size() || (static_cast<unsigned char>(text[pos]) & 0xC0) != 0x80;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const viewer::TextLines lines = viewer::SplitAtCrLf(bytes);
  // Quoted-printable never makes a text longer than it was stored; base64 may
  // (its LF line ends become CR LF), but must not fail either.
  Check(viewer::DecodeTransfer(lines, viewer::TransferEncoding::kQuotedPrintable).size() <=
        bytes.size());
  viewer::DecodeTransfer(lines, viewer::TransferEncoding::kBase64);

  const std::string utf8 = viewer::DecodeEncodedWords(viewer::ValidUtf8(bytes));
  Check(viewer::ValidUtf8(utf8) == utf8 || utf8.starts_with("\xEF\xBB\xBF"));
  Check(viewer::Utf16ToUtf8(viewer::Utf8ToUtf16(utf8)) == utf8);
  for (const viewer::Link& link : viewer::DetectLinksUtf8(utf8)) {
    Check(link.start < link.end && link.end <= utf8.size());
    Check(StartsACharacter(utf8, link.start) && StartsACharacter(utf8, link.end));
  }
  return 0;
}
