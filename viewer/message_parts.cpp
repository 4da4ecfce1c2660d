#include "viewer/message_parts.h"

#include "platform/text_bytes.h"
#include "thread/index_record.h"
#include "viewer/ja_texts.h"

namespace viewer {
namespace {

// Pieces used when a file is read whole; lines are put together from them.
constexpr std::size_t kWholeFileBlock = 64 * 1024;

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// A line is empty when its first byte is a line end (LF, or a CR kept as read).
bool IsEmptyLine(std::string_view piece) {
  return !piece.empty() && (piece[0] == '\n' || piece[0] == '\r');
}

std::string WithoutLineEnd(std::string_view piece) {
  if (!piece.empty() && piece.back() == '\n') piece.remove_suffix(1);
  return std::string(piece);
}

// True for the upper-case copy of a line that begins with "C" and names the
// given content type.
bool IsContentTypeLine(std::string_view upper, std::string_view type_marker) {
  return !upper.empty() && upper[0] == 'C' && Contains(upper, type_marker);
}

constexpr std::string_view kTextPlainMarker = "CONTENT-TYPE: TEXT/PLAIN";
constexpr std::string_view kMultipartMarker = "CONTENT-TYPE: MULTIPART/";

}  // namespace

std::string BoundaryParameter(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  const std::size_t quote = line.find('"');
  if (quote != std::string_view::npos) {
    const std::size_t start = quote + 1;
    const std::size_t close = line.find('"', start);
    const std::size_t end = close == std::string_view::npos ? line.size() : close;
    return std::string(line.substr(start, end - start));
  }
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::string();
  return std::string(line.substr(equals + 1));
}

bool ExtractTextPartFrom(platform::TextReader& reader, TextLines& lines, TextLines* part_header) {
  lines.clear();
  if (part_header != nullptr) part_header->clear();
  std::string piece;
  bool multipart = false;
  std::string boundary;

  // The header, kept for the display up to and including its empty line.
  while (reader.ReadPiece(piece, kMaxPieceChars)) {
    const std::string upper = platform::AsciiUpper(piece);
    if (IsContentTypeLine(upper, kTextPlainMarker)) {
      lines.clear();  // a plain-text message is shown whole
      return false;
    }
    if (IsContentTypeLine(upper, kMultipartMarker)) multipart = true;
    if (Contains(upper, "BOUNDARY")) boundary = BoundaryParameter(piece);
    lines.push_back(WithoutLineEnd(piece));
    if (IsEmptyLine(piece)) break;
  }
  if (!multipart) return false;

  // The first text/plain part anywhere after the header; its own header is
  // dropped. At the end of the file each loop simply finds nothing more.
  while (reader.ReadPiece(piece, kMaxPieceChars)) {
    if (IsContentTypeLine(platform::AsciiUpper(piece), kTextPlainMarker)) {
      if (part_header != nullptr) part_header->push_back(WithoutLineEnd(piece));
      break;
    }
  }
  while (reader.ReadPiece(piece, kMaxPieceChars)) {
    if (IsEmptyLine(piece)) break;
    if (part_header != nullptr) part_header->push_back(WithoutLineEnd(piece));
  }
  // The part's body, up to the next line holding the boundary (an empty
  // boundary is found in every line, so the body is then empty).
  while (reader.ReadPiece(piece, kMaxPieceChars)) {
    if (Contains(piece, boundary)) break;
    lines.push_back(WithoutLineEnd(piece));
  }
  lines.emplace_back();
  lines.emplace_back(ja::kAttachmentNotice);
  return true;
}

bool ExtractTextPart(const std::string& path, std::uint32_t flags, TextLines& lines,
                     TextLines* part_header) {
  if ((flags & thread::kAttachmentFlag) == 0) return false;
  lines.clear();
  platform::TextReader reader;
  if (!reader.Open(path)) return false;
  return ExtractTextPartFrom(reader, lines, part_header);
}

void ReadAllLines(platform::TextReader& reader, TextLines& lines) {
  lines.clear();
  std::string piece;
  std::string line;
  while (reader.ReadPiece(piece, kWholeFileBlock)) {
    if (piece.back() != '\n') {
      line += piece;
      continue;
    }
    line.append(piece, 0, piece.size() - 1);
    lines.push_back(std::move(line));
    line.clear();
  }
  if (!line.empty()) lines.push_back(std::move(line));
}

bool ReadMessageLines(const std::string& path, TextLines& lines) {
  lines.clear();
  platform::TextReader reader;
  if (!reader.Open(path)) return false;
  ReadAllLines(reader, lines);
  return true;
}

}  // namespace viewer
