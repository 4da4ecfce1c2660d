#include "viewer/text_lines.h"

namespace viewer {

std::string JoinLines(const TextLines& lines) {
  std::size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += lines[i];
  }
  return text;
}

TextLines SplitAtCrLf(std::string_view text) {
  TextLines lines;
  if (text.empty()) return lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      return lines;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 2;
  }
}

// Written without branches so that the compiler can work on many bytes at once
// (a 5 MB text is lower-cased for every link scan).
namespace {
std::string ShiftLetters(std::string_view text, unsigned char first, unsigned char flip) {
  std::string copy(text.size(), '\0');
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  auto* out = reinterpret_cast<unsigned char*>(copy.data());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char byte = in[i];
    const bool letter = static_cast<unsigned char>(byte - first) < 26;
    out[i] = static_cast<unsigned char>(byte ^ (letter ? flip : 0));
  }
  return copy;
}
}  // namespace

std::string AsciiLower(std::string_view text) { return ShiftLetters(text, 'A', 0x20); }

std::string AsciiUpper(std::string_view text) { return ShiftLetters(text, 'a', 0x20); }

}  // namespace viewer
