#include "thread/index_record.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "thread/thread_node.h"

namespace thread {

namespace {

constexpr std::size_t kNameLength = 8;
constexpr std::size_t kStatusStart = 9;
constexpr std::size_t kStatusLength = 16;
constexpr std::size_t kSenderStart = 25;

// The bytes of a message name: ASCII letters, digits, "_" and "-".
constexpr std::array<bool, 256> kNameByte = [] {
  std::array<bool, 256> allowed{};
  for (int c = 'A'; c <= 'Z'; ++c) allowed[c] = allowed[c - 'A' + 'a'] = true;
  for (int c = '0'; c <= '9'; ++c) allowed[c] = true;
  allowed['_'] = allowed['-'] = true;
  return allowed;
}();

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// `name` holds name bytes only.
bool IsDeviceName(std::string_view name) {
  if (name.size() != 3 && name.size() != 4) return false;
  const std::string upper{Upper(name[0]), Upper(name[1]), Upper(name[2])};
  if (name.size() == 3) return upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL";
  return (upper == "COM" || upper == "LPT") && name[3] >= '0' && name[3] <= '9';
}

// Base64 value of each byte, -1 outside the alphabet. A table, because every
// index record of a folder is decoded on each open.
constexpr std::array<std::int8_t, 256> kBase64Value = [] {
  std::array<std::int8_t, 256> value{};
  for (auto& v : value) v = -1;
  for (int i = 0; i < 26; ++i) {
    value['A' + i] = static_cast<std::int8_t>(i);
    value['a' + i] = static_cast<std::int8_t>(26 + i);
  }
  for (int i = 0; i < 10; ++i) value['0' + i] = static_cast<std::int8_t>(52 + i);
  value['+'] = 62;
  value['/'] = 63;
  return value;
}();

std::string_view WithoutLineEnd(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  return line;
}

// `size` counts the line end when there is one.
bool IsRecordText(std::string_view text, std::size_t size) {
  return size > 24 && text[8] == '=' && IsMessageName(text.substr(0, kNameLength));
}

}  // namespace

bool IsMessageName(std::string_view name) {
  if (name.empty()) return false;
  for (unsigned char c : name) {
    if (!kNameByte[c]) return false;
  }
  return !IsDeviceName(name);
}

bool IsIndexRecord(std::string_view line) { return IsRecordText(line, line.size()); }

bool IndexRecords::Next(std::string_view& line) {
  platform::TextPiece piece;
  while (pieces_.Next(piece, kIndexReadChars)) {
    if (piece.StartedLine && IsRecordText(piece.Text, piece.Text.size() + piece.LineEnd)) {
      line = piece.Text;
      return true;
    }
  }
  return false;
}

Base64Block DecodeBase64Block(std::string_view text) {
  Base64Block block;
  // Nearly every field is 16 alphabet characters: decode those without the
  // checks for padding and bad characters below.
  if (text.size() >= 16) {
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    std::uint8_t* out = block.Bytes.data();
    bool clean = true;
    for (std::size_t quantum = 0; quantum < 4; ++quantum, in += 4, out += 3) {
      const int a = kBase64Value[in[0]], b = kBase64Value[in[1]];
      const int c = kBase64Value[in[2]], d = kBase64Value[in[3]];
      clean = (a | b | c | d) >= 0;
      if (!clean) break;
      const std::uint32_t bits = static_cast<std::uint32_t>(a << 18 | b << 12 | c << 6 | d);
      out[0] = static_cast<std::uint8_t>(bits >> 16);
      out[1] = static_cast<std::uint8_t>(bits >> 8);
      out[2] = static_cast<std::uint8_t>(bits);
    }
    if (clean) {
      block.Length = 12;
      return block;
    }
    block.Bytes = {};
  }
  for (std::size_t quantum = 0; quantum < 4; ++quantum) {
    const std::size_t first = quantum * 4;
    if (first + 4 > text.size()) {
      block.Corrupt = true;
      return block;
    }
    std::uint32_t bits = 0;
    std::size_t yield = 3;
    for (std::size_t i = 0; i < 4; ++i) {
      const char c = text[first + i];
      int value = kBase64Value[static_cast<unsigned char>(c)];
      if (c == '=' && i >= 2) {
        value = 0;
        yield = std::min<std::size_t>(yield, i - 1);
      }
      if (value < 0) {
        block.Corrupt = true;
        return block;
      }
      bits = (bits << 6) | static_cast<std::uint32_t>(value);
    }
    for (std::size_t i = 0; i < yield; ++i) {
      block.Bytes[block.Length++] = static_cast<std::uint8_t>(bits >> (16 - 8 * i));
    }
    if (yield < 3) return block;
  }
  return block;
}

std::uint32_t FlagWord(const StatusBytes& status) {
  return static_cast<std::uint32_t>(status[0]) | (static_cast<std::uint32_t>(status[1]) << 8) |
         (static_cast<std::uint32_t>(status[2]) << 16) |
         (static_cast<std::uint32_t>(status[3]) << 24);
}

void MarkRead(StatusBytes& status) {
  for (std::size_t i = 0; i < 4; ++i) {
    status[i] &= static_cast<std::uint8_t>(~(kUnreadFlag >> (8 * i)));
  }
}

namespace {

// The status field, decoded, with the two date words reversed.
StatusBytes DecodeStatus(std::string_view line) {
  const Base64Block block =
      DecodeBase64Block(line.substr(std::min(kStatusStart, line.size()), kStatusLength));
  StatusBytes status{};
  std::copy(block.Bytes.begin(), block.Bytes.end(), status.begin());
  std::reverse(status.begin() + 4, status.begin() + 8);
  std::reverse(status.begin() + 8, status.begin() + 12);
  return status;
}

std::array<char, 12> NameOf(std::string_view line) {
  std::array<char, 12> name{};
  const std::string_view text = line.substr(0, kNameLength);
  std::copy(text.begin(), text.end(), name.begin());
  return name;
}

// The sender, and the subject still quoted.
struct RecordTexts {
  std::string_view Sender;
  std::string_view QuotedSubject;
};

RecordTexts SplitTexts(std::string_view line) {
  const std::string_view text = WithoutLineEnd(line);
  if (text.size() <= kSenderStart) return {};
  const std::string_view rest = text.substr(kSenderStart);
  const std::size_t colon = rest.find(':');
  if (colon == std::string_view::npos) return {rest, {}};
  return {rest.substr(0, colon), rest.substr(colon + 1)};
}

// Writes the subject without its quoting ":" to `out`, which has room for
// quoted.size() bytes; returns the bytes written.
std::size_t Unquote(std::string_view quoted, char* out) {
  std::size_t length = 0;
  while (!quoted.empty()) {
    const std::size_t colon = std::min(quoted.find(':'), quoted.size());
    std::memcpy(out + length, quoted.data(), colon);
    length += colon;
    if (colon + 1 >= quoted.size()) break;  // no ":", or one right at the end
    out[length++] = quoted[colon + 1];
    quoted.remove_prefix(colon + 2);
  }
  return length;
}

}  // namespace

IndexRecord ParseIndexRecord(std::string_view line) {
  IndexRecord record;
  record.Name = NameOf(line);
  record.StatusBlock = DecodeStatus(line);
  const RecordTexts texts = SplitTexts(line);
  record.Sender = std::string(texts.Sender);
  record.Subject.resize(texts.QuotedSubject.size());
  record.Subject.resize(Unquote(texts.QuotedSubject, record.Subject.data()));
  return record;
}

void ParseIndexRecordInto(std::string_view line, ThreadNode& node) {
  // The texts go straight from the line into the node's store: a cached open
  // of 100,000 messages spent a sixth of its time making and freeing strings.
  node.Name = NameOf(line);
  node.StatusBlock = DecodeStatus(line);
  const RecordTexts texts = SplitTexts(line);
  node.Sender = node.Keep(texts.Sender);
  const std::string_view quoted = texts.QuotedSubject;
  if (quoted.find(':') == std::string_view::npos) {
    node.Subject = node.Keep(quoted);
    return;
  }
  char buffer[kIndexReadChars];  // a record read from a file is never longer
  if (quoted.size() <= sizeof buffer) {
    node.Subject = node.Keep(std::string_view(buffer, Unquote(quoted, buffer)));
    return;
  }
  std::string subject(quoted.size(), '\0');
  subject.resize(Unquote(quoted, subject.data()));
  node.Subject = node.Keep(subject);
}

}  // namespace thread
