// CP932 and the single-byte code pages <-> UTF-16 on POSIX through iconv.
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

// iconv's names for the code pages SingleByteToUtf16 takes.
const char* IconvName(unsigned code_page) {
  switch (code_page) {
    case 28591:
      return "ISO-8859-1";
    case 28592:
      return "ISO-8859-2";
    case 28593:
      return "ISO-8859-3";
    case 28594:
      return "ISO-8859-4";
    case 28595:
      return "ISO-8859-5";
    case 28596:
      return "ISO-8859-6";
    case 28597:
      return "ISO-8859-7";
    case 28598:
      return "ISO-8859-8";
    case 28599:
      return "ISO-8859-9";
    case 28603:
      return "ISO-8859-13";
    case 28605:
      return "ISO-8859-15";
    case 1250:
      return "CP1250";
    case 1251:
      return "CP1251";
    case 1252:
      return "CP1252";
    case 1253:
      return "CP1253";
    case 1254:
      return "CP1254";
    case 1255:
      return "CP1255";
    case 1256:
      return "CP1256";
    case 1257:
      return "CP1257";
    case 1258:
      return "CP1258";
    case 20866:
      return "KOI8-R";
    case 21866:
      return "KOI8-U";
    case 20127:
      return "ASCII";
    default:
      return nullptr;
  }
}

std::u16string FromUtf16Le(const std::string& bytes) {
  std::u16string out(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                   (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  }
  return out;
}

}  // namespace

std::u16string Cp932ToUtf16(std::string_view cp932) {
  return FromUtf16Le(Convert("UTF-16LE", "CP932", cp932, std::string_view("\xFD\xFF", 2), 1));
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

std::u16string SingleByteToUtf16(unsigned code_page, std::string_view bytes) {
  const char* name = IconvName(code_page);
  if (name == nullptr) return {};
  return FromUtf16Le(Convert("UTF-16LE", name, bytes, std::string_view("\xFD\xFF", 2), 1));
}

}  // namespace platform
