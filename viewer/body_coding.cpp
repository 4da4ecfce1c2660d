#include "viewer/body_coding.h"

#include "nkf/nkf_mime.h"
#include "viewer/base64_decode.h"

namespace viewer {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

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
  std::string stream;
  for (std::size_t i = 0; i < good; ++i) stream += lines[i];
  std::string bytes;
  DecodeBase64Into(stream, bytes);

  std::string out;
  AppendAsLines(bytes, out);
  if (good < lines.size()) {
    if (!out.empty() || good > 0) out += "\r\n";
    AppendStored(lines, good, out);
  }
  return out;
}

}  // namespace

std::string DecodeTransfer(const TextLines& lines, TransferEncoding transfer) {
  switch (transfer) {
    case TransferEncoding::kQuotedPrintable:
      return DecodeQuotedPrintable(lines);
    case TransferEncoding::kBase64:
      return DecodeBase64(lines);
    case TransferEncoding::kNone:
    case TransferEncoding::kUuencode:
      break;
  }
  return JoinLines(lines);
}

}  // namespace viewer
