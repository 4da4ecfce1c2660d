#include "nkf/nkf_mime.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "platform/text_bytes.h"

namespace nkf {
namespace {

std::optional<WordCharset> CharsetNamed(std::string_view name) {
  const struct {
    std::string_view name;
    WordCharset charset;
  } kCharsets[] = {
      {"ISO-2022-JP", WordCharset::kJis},    {"UTF-8", WordCharset::kUtf8},
      {"Shift_JIS", WordCharset::kShiftJis}, {"EUC-JP", WordCharset::kEucJp},
      {"US-ASCII", WordCharset::kLatin1},    {"ISO-8859-1", WordCharset::kLatin1},
  };
  for (const auto& c : kCharsets) {
    if (platform::EqualsIgnoringAsciiCase(name, c.name)) return c.charset;
  }
  return std::nullopt;
}

// Base64 in whole groups of four, "=" padding only in the last group.
std::optional<std::string> DecodeBase64(std::string_view text) {
  if (text.size() % 4 != 0) return std::nullopt;
  std::string out;
  for (std::size_t group = 0; group < text.size(); group += 4) {
    const bool last = group + 4 == text.size();
    std::size_t padding = 0;
    if (last) padding = text[group + 3] != '=' ? 0 : text[group + 2] != '=' ? 1 : 2;
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < 4 - padding; ++i) {
      const int value = Base64Value(text[group + i]);
      if (value < 0) return std::nullopt;
      bits = bits << 6 | static_cast<std::uint32_t>(value);
    }
    bits <<= 6 * padding;
    for (std::size_t i = 0; i < 3 - padding; ++i) {
      out.push_back(static_cast<char>(bits >> (16 - 8 * i)));
    }
  }
  return out;
}

// Q encoding: "_" is a space, "=XX" the byte XX; a "=" without two hex digits stays as it is.
std::string DecodeQ(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int high = i + 2 < text.size() && text[i] == '=' ? HexValue(text[i + 1]) : -1;
    const int low = high >= 0 ? HexValue(text[i + 2]) : -1;
    if (low >= 0) {
      out.push_back(static_cast<char>(high << 4 | low));
      i += 2;
    } else {
      out.push_back(text[i] == '_' ? ' ' : text[i]);
    }
  }
  return out;
}

// Printable ASCII other than "?" (the field separator): what a word's fields may hold.
bool IsWordCharacter(char c) { return c > ' ' && c < 0x7F && c != '?'; }

}  // namespace

std::optional<EncodedWord> ReadEncodedWord(std::string_view text, std::size_t pos) {
  if (text.compare(pos, 2, "=?") != 0) return std::nullopt;
  // =? charset ? encoding ? text ?=
  const std::size_t charset_start = pos + 2;
  const std::size_t charset_end = text.find('?', charset_start);
  if (charset_end == std::string_view::npos || charset_end + 3 > text.size()) return std::nullopt;
  if (text[charset_end + 2] != '?') return std::nullopt;
  const std::string_view charset_name = text.substr(charset_start, charset_end - charset_start);
  const auto charset = CharsetNamed(charset_name);
  const int encoding = std::toupper(static_cast<unsigned char>(text[charset_end + 1]));
  if (!charset || (encoding != 'B' && encoding != 'Q')) return std::nullopt;
  if (encoding == 'Q' && (*charset == WordCharset::kShiftJis || *charset == WordCharset::kEucJp)) {
    return std::nullopt;
  }
  const std::size_t body_start = charset_end + 3;
  const std::size_t body_end = text.find("?=", body_start);
  if (body_end == std::string_view::npos) return std::nullopt;
  const std::string_view body = text.substr(body_start, body_end - body_start);
  if (!std::all_of(body.begin(), body.end(), IsWordCharacter)) return std::nullopt;

  std::optional<std::string> decoded = encoding == 'B' ? DecodeBase64(body) : DecodeQ(body);
  if (!decoded) return std::nullopt;
  return EncodedWord{*charset, std::move(*decoded), body_end + 2 - pos};
}

std::size_t LineEndLength(std::string_view text, std::size_t pos) {
  if (pos >= text.size()) return 0;
  if (text[pos] == '\n') return 1;
  if (text[pos] != '\r') return 0;
  return pos + 1 < text.size() && text[pos + 1] == '\n' ? 2 : 1;
}

std::size_t WhiteSpaceAfterWordLength(std::string_view text, std::size_t pos) {
  const auto is_blank = [&text](std::size_t at) {
    return at < text.size() && (text[at] == ' ' || text[at] == '\t');
  };
  std::size_t end = pos;
  while (true) {
    if (is_blank(end)) {
      ++end;
      continue;
    }
    const std::size_t line_end = LineEndLength(text, end);
    if (line_end == 0 || !is_blank(end + line_end)) return end - pos;
    end += line_end + 1;
  }
}

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  const char lower = platform::AsciiLower(c);
  return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

}  // namespace nkf
