#include "viewer/mime_parts.h"

#include "nkf/nkf_mime.h"
#include "platform/text_bytes.h"
#include "viewer/base64_decode.h"
#include "viewer/part_name.h"

namespace viewer {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (IsBlank(text.front()) || text.front() == '\n')) text.remove_prefix(1);
  while (!text.empty() && (IsBlank(text.back()) || text.back() == '\n')) text.remove_suffix(1);
  return text;
}

std::string WithoutAngles(std::string_view id) {
  id = Trimmed(id);
  if (id.starts_with('<')) id.remove_prefix(1);
  if (id.ends_with('>')) id.remove_suffix(1);
  return std::string(id);
}

// The end of the line at `pos` (its LF, or `end`).
std::size_t LineEnd(std::string_view text, std::size_t pos, std::size_t end) {
  const std::size_t lf = text.substr(0, end).find('\n', pos);
  return lf == std::string_view::npos ? end : lf;
}

// Where the header starting at `begin` ends: the start of its empty line, and
// the body's first byte after it. Without an empty line both are `end`.
void FindHeaderEnd(std::string_view text, std::size_t begin, std::size_t end,
                   std::size_t& header_end, std::size_t& body) {
  for (std::size_t pos = begin; pos < end;) {
    const std::size_t lf = LineEnd(text, pos, end);
    if (lf == pos || (lf == pos + 1 && text[pos] == '\r')) {
      header_end = pos;
      body = lf < end ? lf + 1 : end;
      return;
    }
    pos = lf + 1;
  }
  header_end = body = end;
}

// Calls `field(name, value)` for each field of a header, folded lines joined.
template <class Field>
void ForEachField(std::string_view header, const Field& field) {
  std::string current;
  const auto flush = [&] {
    const std::size_t colon = current.find(':');
    if (colon != std::string::npos) {
      field(platform::AsciiLower(Trimmed(std::string_view(current).substr(0, colon))),
            std::string_view(current).substr(colon + 1));
    }
    current.clear();
  };
  std::size_t pos = 0;
  while (pos < header.size()) {
    const std::size_t lf = LineEnd(header, pos, header.size());
    std::string_view line = header.substr(pos, lf - pos);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty()) break;
    if (line[0] != ' ' && line[0] != '\t') flush();
    current += line;
    pos = lf + 1;
  }
  flush();
}

TransferEncoding TransferNamed(std::string_view value) {
  const std::string name = platform::AsciiLower(Trimmed(value));
  if (name == "quoted-printable") return TransferEncoding::kQuotedPrintable;
  if (name == "base64") return TransferEncoding::kBase64;
  if (name == "x-uuencode" || name == "uuencode" || name == "x-uue")
    return TransferEncoding::kUuencode;
  return TransferEncoding::kNone;
}

struct Range {
  std::size_t begin;
  std::size_t end;
};

// The parts of a multipart body [begin, end) with `boundary`.
std::vector<Range> SplitAtDelimiters(std::string_view text, std::size_t begin, std::size_t end,
                                     const std::string& boundary) {
  const std::string delimiter = "--" + boundary;
  const std::string_view within = text.substr(0, end);
  std::vector<Range> parts;
  std::size_t part_begin = std::string_view::npos;
  for (std::size_t pos = begin; parts.size() < kMaxMimeParts;) {
    const std::size_t at = within.find(delimiter, pos);
    if (at == std::string_view::npos) break;
    pos = at + 1;
    if (at != begin && text[at - 1] != '\n') continue;
    std::size_t after = at + delimiter.size();
    const bool last = within.substr(after, 2) == "--";
    if (last) after += 2;
    const std::size_t lf = LineEnd(text, after, end);
    bool only_blanks = true;
    for (std::size_t k = after; k < lf; ++k) only_blanks = only_blanks && IsBlank(text[k]);
    if (!only_blanks) continue;
    if (part_begin != std::string_view::npos) {
      std::size_t part_end = at;
      if (part_end > part_begin && text[part_end - 1] == '\n') --part_end;
      if (part_end > part_begin && text[part_end - 1] == '\r') --part_end;
      parts.push_back({part_begin, part_end});
    }
    part_begin = std::string_view::npos;
    if (last) break;
    part_begin = lf < end ? lf + 1 : end;
    pos = part_begin;
  }
  if (part_begin != std::string_view::npos) parts.push_back({part_begin, end});
  return parts;
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  std::size_t Part(std::size_t begin, std::size_t end, int depth, std::string_view default_type) {
    const std::size_t index = tree_.parts.size();
    tree_.parts.emplace_back();
    MimePart part;
    part.type = default_type;
    part.begin = begin;
    part.end = end;
    part.depth = depth;
    std::size_t header_end = end;
    FindHeaderEnd(text_, begin, end, header_end, part.body);
    std::vector<MimeParameter> type_parameters;
    std::vector<MimeParameter> disposition;
    ForEachField(text_.substr(begin, header_end - begin), [&](const std::string& name,
                                                              std::string_view value) {
      if (name == "content-type") {
        part.type = MediaType(value);
        type_parameters = ParseParameters(value);
      } else if (name == "content-transfer-encoding") {
        part.transfer = TransferNamed(value);
      } else if (name == "content-disposition") {
        part.attachment =
            platform::AsciiLower(Trimmed(value.substr(0, value.find(';')))) == "attachment";
        disposition = ParseParameters(value);
      } else if (name == "content-id") {
        part.content_id = WithoutAngles(value);
      }
    });
    part.charset = ParameterValue(type_parameters, "charset");
    part.start = WithoutAngles(ParameterValue(type_parameters, "start"));
    part.name = PartFileName(disposition, type_parameters);
    const std::string boundary = ParameterValue(type_parameters, "boundary");

    std::vector<Range> ranges;
    if (part.type.starts_with("multipart/") && !boundary.empty() && depth < kMaxMimeDepth) {
      ranges = SplitAtDelimiters(text_, part.body, end, boundary);
    }
    const std::string child_type =
        part.type == "multipart/digest" ? "message/rfc822" : "text/plain";
    tree_.parts[index] = std::move(part);
    if (ranges.empty()) tree_.leaves.push_back(index);
    for (const Range& range : ranges) {
      if (tree_.parts.size() >= kMaxMimeParts) break;
      const std::size_t child = Part(range.begin, range.end, depth + 1, child_type);
      tree_.parts[index].children.push_back(child);
    }
    return index;
  }

  MimeTree Take() { return std::move(tree_); }

 private:
  std::string_view text_;
  MimeTree tree_;
};

// A counter standing in for the decoded string.
struct ByteCount {
  std::uint64_t size = 0;
  void push_back(char) { ++size; }
  void append(const char*, std::size_t n) { size += n; }
};

template <class Out>
void DecodeQuotedPrintable(std::string_view text, Out& out) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '=') {
      out.push_back(text[i]);
      continue;
    }
    // A soft line break: "=", blanks, a line end.
    std::size_t k = i + 1;
    while (k < text.size() && (text[k] == ' ' || text[k] == '\t')) ++k;
    const std::size_t line_end = nkf::LineEndLength(text, k);
    if (line_end > 0 || k == text.size()) {
      i = k + line_end - 1;
      continue;
    }
    const int high = i + 2 < text.size() ? nkf::HexValue(text[i + 1]) : -1;
    const int low = high >= 0 ? nkf::HexValue(text[i + 2]) : -1;
    if (low < 0) {
      out.push_back('=');
      continue;
    }
    out.push_back(static_cast<char>(high << 4 | low));
    i += 2;
  }
}

template <class Out>
void DecodeUuencode(std::string_view text, Out& out) {
  bool begun = false;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t lf = LineEnd(text, pos, text.size());
    std::string_view line = text.substr(pos, lf - pos);
    pos = lf + 1;
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (!begun) {
      begun = line.starts_with("begin ");
      continue;
    }
    if (line.empty() || line == "end") break;
    const auto value = [](char c) { return static_cast<unsigned>(c - 0x20) & 0x3F; };
    std::size_t count = value(line[0]);
    if (count == 0) break;
    for (std::size_t k = 1; k < line.size() && count > 0; k += 4) {
      const auto at = [&](std::size_t n) { return k + n < line.size() ? value(line[k + n]) : 0u; };
      const unsigned bits = at(0) << 18 | at(1) << 12 | at(2) << 6 | at(3);
      for (int b = 2; b >= 0 && count > 0; --b, --count)
        out.push_back(static_cast<char>(bits >> (8 * b)));
    }
  }
}

template <class Out>
void Decode(std::string_view body, TransferEncoding transfer, Out& out) {
  switch (transfer) {
    case TransferEncoding::kBase64:
      return DecodeBase64Into(body, out);
    case TransferEncoding::kQuotedPrintable:
      return DecodeQuotedPrintable(body, out);
    case TransferEncoding::kUuencode:
      return DecodeUuencode(body, out);
    case TransferEncoding::kNone:
      break;
  }
  out.append(body.data(), body.size());
}

}  // namespace

MimeTree ParseMime(std::string_view message) {
  Parser parser(message);
  parser.Part(0, message.size(), 0, "text/plain");
  return parser.Take();
}

std::string HeaderField(std::string_view header, std::string_view name) {
  std::string found;
  bool seen = false;
  ForEachField(header, [&](const std::string& field, std::string_view value) {
    if (seen || field != name) return;
    seen = true;
    found = Trimmed(value);
  });
  return found;
}

std::string DecodedBody(std::string_view message, const MimePart& part) {
  std::string out;
  Decode(PartBody(message, part), part.transfer, out);
  return out;
}

std::uint64_t DecodedSize(std::string_view message, const MimePart& part) {
  ByteCount count;
  Decode(PartBody(message, part), part.transfer, count);
  return count.size;
}

TextLines BytesToLines(std::string_view bytes) {
  TextLines lines;
  for (std::size_t pos = 0; pos < bytes.size();) {
    const std::size_t lf = LineEnd(bytes, pos, bytes.size());
    std::string_view line = bytes.substr(pos, lf - pos);
    if (lf < bytes.size() && line.ends_with('\r')) line.remove_suffix(1);
    lines.emplace_back(line);
    pos = lf + 1;
  }
  return lines;
}

}  // namespace viewer
