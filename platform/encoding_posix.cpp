// CP932 <-> UTF-16 on POSIX through iconv.
#include <iconv.h>

#include <cerrno>

#include "platform/encoding.h"

namespace platform {

namespace {

// Converts with iconv; an input byte sequence iconv rejects is replaced by
// `replacement` (already in the output encoding) and skipped by `skip` bytes.
std::string Convert(const char* to, const char* from, std::string_view input,
                    std::string_view replacement, std::size_t skip) {
  std::string out;
  iconv_t cd = ::iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return out;
  char* in = const_cast<char*>(input.data());
  std::size_t in_left = input.size();
  char buffer[4096];
  while (in_left > 0) {
    char* dst = buffer;
    std::size_t dst_left = sizeof buffer;
    const std::size_t r = ::iconv(cd, &in, &in_left, &dst, &dst_left);
    out.append(buffer, sizeof buffer - dst_left);
    if (r != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL: an invalid or truncated sequence.
    out.append(replacement);
    const std::size_t n = std::min(skip, in_left);
    in += n;
    in_left -= n;
  }
  ::iconv_close(cd);
  return out;
}

}  // namespace

std::u16string Cp932ToUtf16(std::string_view cp932) {
  const std::string bytes = Convert("UTF-16LE", "CP932", cp932, std::string_view("\xFD\xFF", 2), 1);
  std::u16string out(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                   (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  }
  return out;
}

std::string Utf16ToCp932(std::u16string_view utf16) {
  std::string bytes;
  bytes.reserve(utf16.size() * 2);
  for (char16_t c : utf16) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return Convert("CP932", "UTF-16LE", bytes, "?", 2);
}

}  // namespace platform
