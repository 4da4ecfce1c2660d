// Reading and writing the thread cache text "VLTR.ume".

#include "thread/thread_cache.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/files.h"
#include "platform/text_reader.h"

namespace thread {
namespace {

constexpr std::string_view kLastDateKey = "LastDate=";
constexpr std::string_view kLineEnd = "\r\n";

std::string_view NameOf(const ThreadNode& node) {
  return std::string_view(node.Name.data(), strnlen(node.Name.data(), node.Name.size()));
}

// Fills Name, Depth and FilePath from the fifth line of a record.
void ApplyNameLine(std::string_view line, const std::string& folder_path, ThreadNode& node) {
  const std::string_view name = line.substr(0, 8);
  std::memcpy(node.Name.data(), name.data(), name.size());
  node.Depth = line.size() > 9 ? ParseCacheDepth(line.substr(9)) : 0;
  SetFilePath(node, folder_path);
}

// Keeps the list valid whatever the file says: the head is a root and every
// node is at most one level below the node before it.
std::int32_t ClampDepth(std::int32_t depth, const ThreadNode* previous) {
  if (previous == nullptr) return 0;
  return std::clamp<std::int32_t>(depth, 0, previous->Depth + 1);
}

}  // namespace

std::string EncodeLastDate(const Stamp& stamp) {
  std::string letters;
  for (std::uint8_t byte : stamp) {
    letters += static_cast<char>('A' + (byte >> 4));
    letters += static_cast<char>('A' + (byte & 0x0F));
  }
  return letters;
}

Stamp DecodeLastDate(std::string_view letters) {
  Stamp stamp{};
  auto letter_value = [&](std::size_t i) -> unsigned {
    const unsigned char c = i < letters.size() ? static_cast<unsigned char>(letters[i]) : 'A';
    return c - 'A';  // wraps for bytes below "A"; only the low 8 bits are kept
  };
  for (std::size_t b = 0; b < stamp.size(); ++b) {
    stamp[b] = static_cast<std::uint8_t>(letter_value(2 * b) * 16 + letter_value(2 * b + 1));
  }
  return stamp;
}

std::int32_t ParseCacheDepth(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return 0;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
    if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return 0;
  }
  if (negative) value = -value;
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    return 0;
  }
  return static_cast<std::int32_t>(value);
}

// Reads the four lines after a record marker, without their line ends. False
// when the text ends first, or when a line is longer than one read (such a
// file was not written by us, and reading on would take the rest of the line
// as the next field).
bool ReadRecordLines(platform::TextPieces& pieces, std::string_view (&fields)[4]) {
  platform::TextPiece piece;
  for (int i = 0; i < 4; ++i) {
    if (!pieces.Next(piece, kCacheReadChars)) return false;
    fields[i] = piece.Text;
    if (i < 3 && !piece.LineEnd) return false;
  }
  // The last line may end without a line end only at the end of the text.
  return piece.LineEnd || pieces.AtEnd();
}

CacheContents ReadThreadCache(std::string_view text, const std::string& folder_path,
                              LoadContext* context) {
  CacheContents out;
  ThreadNode* last = nullptr;
  platform::TextPieces pieces(text);
  platform::TextPiece piece;
  std::string_view fields[4];
  while (pieces.Next(piece, kCacheReadChars)) {
    if (piece.Text.find(kCacheRecordMarker) == std::string_view::npos) {
      if (piece.Text.find(kLastDateKey) != std::string_view::npos) {
        out.LastDate = DecodeLastDate(piece.Text.substr(9).substr(0, 8));
      }
      break;
    }
    if (!ReadRecordLines(pieces, fields)) {
      out.List.Reset();
      out.Status = CacheReadStatus::kUnusable;
      return out;
    }
    ThreadNode* node = NewThreadNode(last);
    node->MessageId = node->Keep(fields[0]);
    node->InReplyTo = node->Keep(fields[1]);
    node->LastReference = fields[2] == node->InReplyTo ? node->InReplyTo : node->Keep(fields[2]);
    ApplyNameLine(fields[3], folder_path, *node);
    node->Depth = ClampDepth(node->Depth, last);
    if (last == nullptr) {
      out.List.Reset(node);
    } else {
      AppendNode(last, node);
    }
    last = node;
    ++out.Records;
    if (context != nullptr) {
      context->progress.Step();
      if (context->PumpAndCheckStop()) {
        out.List.Reset();
        out.Status = CacheReadStatus::kCancelled;
        return out;
      }
    }
  }
  return out;
}

CacheWriter::CacheWriter(const ThreadNode* head) {
  if (head != nullptr) last_date_ = DateStamp(*head);
}

void CacheWriter::Add(const ThreadNode& node) {
  text_ += kCacheRecordMarker;
  text_ += kLineEnd;
  text_ += node.MessageId;
  text_ += kLineEnd;
  text_ += node.InReplyTo;
  text_ += kLineEnd;
  text_ += node.LastReference;
  text_ += kLineEnd;
  text_ += NameOf(node);
  text_ += ':';
  text_ += std::to_string(node.Depth);
  text_ += kLineEnd;
  const Stamp stamp = DateStamp(node);
  if (CompareStamps(stamp, last_date_) > 0) last_date_ = stamp;
  ++nodes_;
}

std::string CacheWriter::Text() const {
  std::string text = text_;
  text += kLastDateKey;
  text += EncodeLastDate(last_date_);
  text += kLineEnd;
  return text;
}

bool CacheWriter::Commit(const std::string& path) const {
  if (nodes_ == 0) return true;
  const std::string text = Text();
  // An open through a current cache writes the very bytes it read. Under Wine
  // replacing the file of a 100,000-message folder took about 100 ms, reading
  // and comparing it a few: leave an identical file alone.
  std::string current;
  if (platform::ReadWholeFile(path, current) && current == text) return true;
  return platform::ReplaceFileAtomically(path, text);
}

std::string ThreadCacheText(const ThreadNode* head) {
  CacheWriter writer(head);
  for (const ThreadNode* node = head; node != nullptr; node = node->Next) writer.Add(*node);
  return writer.Text();
}

}  // namespace thread
