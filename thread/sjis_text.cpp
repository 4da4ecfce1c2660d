#include "thread/sjis_text.h"

#include "platform/text_bytes.h"

namespace thread {

std::size_t SjisCharLength(std::string_view text, std::size_t pos) {
  if (platform::IsSjisLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size())
    return 2;
  return 1;
}

std::size_t SjisFind(std::string_view text, std::string_view needle, std::size_t from) {
  if (needle.empty()) return std::string_view::npos;
  for (std::size_t pos = from; pos < text.size(); pos += SjisCharLength(text, pos)) {
    if (text.compare(pos, needle.size(), needle) == 0) return pos;
  }
  return std::string_view::npos;
}

bool SjisContains(std::string_view text, std::string_view needle) {
  return SjisFind(text, needle) != std::string_view::npos;
}

bool HasReplyMark(std::string_view subject) { return SjisContains(subject, "Re:") || SjisContains(subject, "RE:"); }

std::string_view SubjectKey(std::string_view subject, bool skip_list_tag) {
  std::size_t start = 0;
  if (skip_list_tag && !subject.empty()) {
    const std::size_t second = SjisCharLength(subject, 0);
    if (second < subject.size() && subject[second] == '[') {
      const std::size_t close = SjisFind(subject, "]", second + 1);
      if (close != std::string_view::npos) start = close + 1;
    }
  }
  if (start < subject.size()) start += SjisCharLength(subject, start);
  return subject.substr(start);
}

}  // namespace thread
