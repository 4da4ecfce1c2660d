#include "thread/index_record.h"

#include <algorithm>
#include <utility>

#include "thread/thread_node.h"

namespace thread {

namespace {

constexpr std::size_t kNameLength = 8;
constexpr std::size_t kStatusStart = 9;
constexpr std::size_t kStatusLength = 16;
constexpr std::size_t kSenderStart = 25;

// A name that could reach outside the folder when joined to its path, or
// break out of a quoted mail-client command, is not a message name.
bool IsSafeName(std::string_view name) {
  for (unsigned char c : name) {
    if (c == '\\' || c == '/' || c == '"' || c < 0x20 || c == 0x7F) return false;
  }
  return name.find("..") == std::string_view::npos;
}

// Base64 value of `c`, or -1 for a character outside the alphabet.
int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

std::string_view WithoutLineEnd(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  return line;
}

// `size` counts the line end when there is one.
bool IsRecordText(std::string_view text, std::size_t size) {
  return size > 24 && text[8] == '=' && IsSafeName(text.substr(0, kNameLength));
}

}  // namespace

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
      int value = Base64Value(c);
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

IndexRecord ParseIndexRecord(std::string_view line) {
  IndexRecord record;
  const std::string_view name = line.substr(0, kNameLength);
  std::copy(name.begin(), name.end(), record.Name.begin());

  const Base64Block status = DecodeBase64Block(line.substr(std::min(kStatusStart, line.size()), kStatusLength));
  std::copy(status.Bytes.begin(), status.Bytes.end(), record.StatusBlock.begin());
  std::reverse(record.StatusBlock.begin() + 4, record.StatusBlock.begin() + 8);
  std::reverse(record.StatusBlock.begin() + 8, record.StatusBlock.begin() + 12);

  const std::string_view text = WithoutLineEnd(line);
  if (text.size() <= kSenderStart) return record;
  const std::string_view rest = text.substr(kSenderStart);
  const std::size_t colon = rest.find(':');
  record.Sender = std::string(rest.substr(0, colon));
  if (colon == std::string_view::npos) return record;

  // In the subject ":" quotes the character after it.
  const std::string_view subject = rest.substr(colon + 1);
  record.Subject.reserve(subject.size());
  for (std::size_t i = 0; i < subject.size(); ++i) {
    if (subject[i] == ':') {
      ++i;
      if (i == subject.size()) break;
    }
    record.Subject.push_back(subject[i]);
  }
  return record;
}

void ParseIndexRecordInto(std::string_view line, ThreadNode& node) {
  // Most subjects hold no ":": their texts go straight from the line into the
  // node's store, without the record's strings (a cached open of 100,000
  // messages spent a sixth of its time making and freeing them).
  const std::string_view text = WithoutLineEnd(line);
  const std::size_t subject_start = text.find(':', std::min(kSenderStart, text.size()));
  const bool plain = subject_start == std::string_view::npos ||
                     text.find(':', subject_start + 1) == std::string_view::npos;
  const IndexRecord record = ParseIndexRecord(plain ? line.substr(0, kSenderStart) : line);
  node.Name = record.Name;
  node.StatusBlock = record.StatusBlock;
  if (!plain) {
    node.Sender = node.Keep(record.Sender);
    node.Subject = node.Keep(record.Subject);
    return;
  }
  const std::string_view rest = text.substr(std::min(kSenderStart, text.size()));
  const std::size_t colon = rest.find(':');
  node.Sender = node.Keep(rest.substr(0, colon));
  node.Subject = colon == std::string_view::npos ? NodeText() : node.Keep(rest.substr(colon + 1));
}

}  // namespace thread
