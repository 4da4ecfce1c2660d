#include "viewer/body_coding.h"

#include <cstdint>

#include "nkf/nkf_mime.h"
#include "platform/text_bytes.h"

namespace viewer {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (IsBlank(text.front()) || text.front() == '\r')) text.remove_prefix(1);
  while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

// The header's fields, each with its folded continuation lines joined.
TextLines UnfoldedFields(const TextLines& header_lines) {
  TextLines fields;
  for (const std::string& line : header_lines) {
    if (!line.empty() && IsBlank(line[0]) && !fields.empty()) {
      fields.back() += line;
    } else {
      fields.push_back(line);
    }
  }
  return fields;
}

// The value of a field named `name` (lower case, colon included), or nothing.
bool FieldValue(const std::string& field, std::string_view name, std::string_view& value) {
  if (field.size() < name.size() ||
      platform::AsciiLower(std::string_view(field).substr(0, name.size())) != name) {
    return false;
  }
  value = std::string_view(field).substr(name.size());
  return true;
}

std::string CharsetParameter(std::string_view value) {
  const std::string lower = platform::AsciiLower(value);
  const std::size_t at = lower.find("charset=");
  if (at == std::string::npos) return {};
  std::string_view rest = value.substr(at + 8);
  if (!rest.empty() && rest[0] == '"') {
    rest.remove_prefix(1);
    return std::string(rest.substr(0, rest.find('"')));
  }
  const std::size_t end = rest.find_first_of("; \t\r");
  return std::string(rest.substr(0, end));
}

// The lines from `first` on, as stored, after `out` (which ends where they begin).
void AppendStored(const TextLines& lines, std::size_t first, std::string& out) {
  for (std::size_t i = first; i < lines.size(); ++i) {
    if (i > first) out += "\r\n";
    out += lines[i];
  }
}

std::string DecodeQuotedPrintable(const TextLines& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
    bool soft_break = false;
    for (std::size_t k = 0; k < line.size(); ++k) {
      if (line[k] != '=') {
        out.push_back(line[k]);
        continue;
      }
      if (k + 1 == line.size()) {
        soft_break = true;
        break;
      }
      const int high = nkf::HexValue(line[k + 1]);
      const int low = k + 2 < line.size() ? nkf::HexValue(line[k + 2]) : -1;
      if (high < 0 || low < 0) {  // broken: the rest as stored
        out.append(lines[i], k);
        if (i + 1 < lines.size()) {
          out += "\r\n";
          AppendStored(lines, i + 1, out);
        }
        return out;
      }
      out.push_back(static_cast<char>(high << 4 | low));
      k += 2;
    }
    if (!soft_break && i + 1 < lines.size()) out += "\r\n";
  }
  return out;
}

bool IsBase64Line(std::string_view line) {
  for (const char c : line) {
    if (nkf::Base64Value(c) < 0 && c != '=' && !IsBlank(c) && c != '\r') return false;
  }
  return true;
}

// Decoded bytes into lines joined by CR LF: split at LF, a CR before it
// dropped, a final line end making no extra line.
void AppendAsLines(std::string_view bytes, std::string& out) {
  std::size_t start = 0;
  bool first = true;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    const std::size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
    if (end == std::string_view::npos) end = bytes.size();
    std::size_t line_end = end;
    if (end < bytes.size() && line_end > start && bytes[line_end - 1] == '\r') --line_end;
    if (!first) out += "\r\n";
    out.append(bytes.data() + start, line_end - start);
    first = false;
    start = next;
  }
}

std::string DecodeBase64(const TextLines& lines) {
  std::size_t good = 0;
  while (good < lines.size() && IsBase64Line(lines[good])) ++good;
  std::string bytes;
  std::uint32_t bits = 0;
  int count = 0;  // characters in the current group of four
  for (std::size_t i = 0; i < good; ++i) {
    for (const char c : lines[i]) {
      const int value = nkf::Base64Value(c);
      if (value >= 0) {
        bits = bits << 6 | static_cast<std::uint32_t>(value);
        if (++count == 4) {
          bytes.push_back(static_cast<char>(bits >> 16));
          bytes.push_back(static_cast<char>(bits >> 8));
          bytes.push_back(static_cast<char>(bits));
          bits = 0;
          count = 0;
        }
      } else if (c == '=') {
        // Padding ends a group early: two characters give one byte, three give two.
        if (count >= 2) bytes.push_back(static_cast<char>(bits >> (6 * count - 8)));
        if (count == 3) bytes.push_back(static_cast<char>(bits >> (6 * count - 16)));
        bits = 0;
        count = 0;
      }
    }
  }
  if (count >= 2) bytes.push_back(static_cast<char>(bits >> (6 * count - 8)));
  if (count == 3) bytes.push_back(static_cast<char>(bits >> (6 * count - 16)));

  std::string out;
  AppendAsLines(bytes, out);
  if (good < lines.size()) {
    if (!out.empty() || good > 0) out += "\r\n";
    AppendStored(lines, good, out);
  }
  return out;
}

}  // namespace

BodyCoding ReadBodyCoding(const TextLines& header_lines) {
  BodyCoding coding;
  bool text = true;  // no Content-Type means text/plain
  for (const std::string& field : UnfoldedFields(header_lines)) {
    std::string_view value;
    if (FieldValue(field, "content-type:", value)) {
      coding.charset = CharsetParameter(value);
      text = platform::AsciiLower(Trimmed(value)).starts_with("text/");
    } else if (FieldValue(field, "content-transfer-encoding:", value)) {
      const std::string encoding = platform::AsciiLower(Trimmed(value));
      coding.transfer = encoding == "quoted-printable" ? TransferEncoding::kQuotedPrintable
                        : encoding == "base64"         ? TransferEncoding::kBase64
                                                       : TransferEncoding::kNone;
    }
  }
  if (!text) coding.transfer = TransferEncoding::kNone;
  return coding;
}

std::string DecodeTransfer(const TextLines& lines, TransferEncoding transfer) {
  switch (transfer) {
    case TransferEncoding::kQuotedPrintable:
      return DecodeQuotedPrintable(lines);
    case TransferEncoding::kBase64:
      return DecodeBase64(lines);
    case TransferEncoding::kNone:
      break;
  }
  return JoinLines(lines);
}

}  // namespace viewer
