#include "tools/mkmailbox/index_format.h"

#include <algorithm>
#include <cstdio>

namespace mkmailbox {
namespace {

// Where a record's status field lies: after the name and the "=".
constexpr std::size_t kStatusFieldStart = 9;
constexpr std::size_t kStatusFieldLength = 16;

void AppendLittleEndian(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
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

std::string EncodeStatusField(const thread::StatusBytes& status) {
  // The reader reverses bytes 4-7 and 8-11; reversing them again gives the
  // bytes as stored.
  std::string block(status.begin(), status.begin() + 12);
  std::reverse(block.begin() + 4, block.begin() + 8);
  std::reverse(block.begin() + 8, block.begin() + 12);
  return EncodeBase64(block);
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

std::string WithEveryRecordUnread(std::string_view index) {
  std::string out(index);
  for (std::size_t start = 0; start < out.size();) {
    const std::size_t found = out.find('\n', start);
    const std::size_t end = found == std::string::npos ? out.size() : found + 1;
    const std::string_view line = std::string_view(out).substr(start, end - start);
    // A damaged field is left alone: encoding it again would lose its bytes.
    const thread::Base64Block field = thread::DecodeBase64Block(
        line.substr(std::min(kStatusFieldStart, line.size()), kStatusFieldLength));
    if (thread::IsIndexRecord(line) && !field.Corrupt && field.Length == 12) {
      thread::StatusBytes status = thread::ParseIndexRecord(line).StatusBlock;
      status[3] = static_cast<std::uint8_t>(status[3] | (thread::kUnreadFlag >> 24));
      out.replace(start + kStatusFieldStart, kStatusFieldLength, EncodeStatusField(status));
    }
    start = end;
  }
  return out;
}

}  // namespace mkmailbox
