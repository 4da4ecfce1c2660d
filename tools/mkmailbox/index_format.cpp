#include "tools/mkmailbox/index_format.h"

#include <cstdio>

namespace mkmailbox {
namespace {

void AppendLittleEndian(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

std::string MessageName(std::uint32_t number) {
  char name[16];
  std::snprintf(name, sizeof name, "%08X", static_cast<unsigned>(number));
  return name;
}

std::string EncodeBase64(std::string_view bytes) {
  static const char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint32_t v = (static_cast<std::uint8_t>(bytes[i]) << 16) |
                            (static_cast<std::uint8_t>(bytes[i + 1]) << 8) |
                            static_cast<std::uint8_t>(bytes[i + 2]);
    out.push_back(kAlphabet[(v >> 18) & 63]);
    out.push_back(kAlphabet[(v >> 12) & 63]);
    out.push_back(kAlphabet[(v >> 6) & 63]);
    out.push_back(kAlphabet[v & 63]);
  }
  const std::size_t rest = bytes.size() - i;
  if (rest > 0) {
    std::uint32_t v = static_cast<std::uint8_t>(bytes[i]) << 16;
    if (rest == 2) v |= static_cast<std::uint8_t>(bytes[i + 1]) << 8;
    out.push_back(kAlphabet[(v >> 18) & 63]);
    out.push_back(kAlphabet[(v >> 12) & 63]);
    out.push_back(rest == 2 ? kAlphabet[(v >> 6) & 63] : '=');
    out.push_back('=');
  }
  return out;
}

std::string EncodeStatusField(std::uint32_t flags, std::uint32_t file_size,
                              std::uint32_t date_stamp) {
  std::string block;
  AppendLittleEndian(block, flags);
  AppendLittleEndian(block, file_size);
  AppendLittleEndian(block, date_stamp);
  return EncodeBase64(block);
}

bool DecodeStatusField(std::string_view field, std::uint32_t& flags, std::uint32_t& file_size,
                       std::uint32_t& date_stamp) {
  if (field.size() != 16) return false;
  std::uint8_t block[12];
  for (int quantum = 0; quantum < 4; ++quantum) {
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) {
      const int value = Base64Value(field[quantum * 4 + i]);
      if (value < 0) return false;
      bits = (bits << 6) | static_cast<std::uint32_t>(value);
    }
    for (int i = 0; i < 3; ++i)
      block[quantum * 3 + i] = static_cast<std::uint8_t>(bits >> (16 - 8 * i));
  }
  auto word = [&block](int first) {
    return block[first] | (block[first + 1] << 8) | (block[first + 2] << 16) |
           (std::uint32_t{block[first + 3]} << 24);
  };
  flags = word(0);
  file_size = word(4);
  date_stamp = word(8);
  return true;
}

std::string QuoteIndexSubject(std::string_view subject) {
  std::string out;
  out.reserve(subject.size() + 8);
  for (char c : subject) {
    if (c == ':') out.push_back(':');
    out.push_back(c);
  }
  return out;
}

void AppendIndexRecord(std::string& out, const IndexEntry& entry) {
  out += entry.name;
  out += '=';
  out += EncodeStatusField(entry.flags, entry.file_size, entry.date_stamp);
  out += entry.sender;
  out += ':';
  out += QuoteIndexSubject(entry.subject);
  out += "\r\n";
}

}  // namespace mkmailbox
