#include "viewer/message_view.h"

#include <algorithm>
#include <cstddef>

#include "client/quenmar_interface.h"
#include "platform/text_bytes.h"
#include "thread/index_record.h"
#include "viewer/message_parts.h"

namespace viewer {
namespace {

std::string_view UpToFirstNul(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

void FindLinks(MessageView& view) { view.Links = DetectLinks(JoinLines(view.Lines)); }

}  // namespace

std::string ViewerCaption(std::string_view sender, std::string_view subject) {
  std::string caption = "From: ";
  caption += sender;
  caption += " - ";
  caption += subject;
  return caption;
}

std::string CannotOpenMessageText(std::string_view path) {
  std::string text = "Cannot open file \"";
  text += path;
  text += "\".";
  return text;
}

void SplitHeader(TextLines& lines, TextLines& header_lines) {
  header_lines.clear();
  auto empty = std::find_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.empty(); });
  const auto header_end = empty == lines.end() ? lines.end() : empty + 1;
  header_lines.assign(std::make_move_iterator(lines.begin()), std::make_move_iterator(header_end));
  lines.erase(lines.begin(), header_end);
}

bool NeedsConversion(std::uint32_t flags, bool forced, const TextLines& header_lines) {
  if (forced) return true;
  if ((flags & thread::kNoConvertFlags) != 0) return false;
  for (const std::string& line : header_lines) {
    if (platform::AsciiLower(line).find(client::kSignatureHeader) != std::string::npos)
      return false;
  }
  return true;
}

void ConvertCodes(TextLines& lines, const CodeConverter& converter) {
  const std::string text = JoinLines(lines);
  const std::string converted = converter(UpToFirstNul(text));
  lines = SplitAtCrLf(UpToFirstNul(converted));
}

LoadStatus LoadMessage(MessageView& view, std::uint32_t flags, bool forced,
                       const CodeConverter& converter) {
  view.HeaderShown = false;
  view.HeaderLines.clear();
  view.Links.clear();

  const bool text_part = ExtractTextPart(view.MessagePath, flags, view.Lines);
  if (!text_part && !ReadMessageLines(view.MessagePath, view.Lines)) {
    return LoadStatus::kCannotOpen;
  }
  SplitHeader(view.Lines, view.HeaderLines);

  if (converter && NeedsConversion(flags, forced, view.HeaderLines)) {
    // The empty line and ja::kAttachmentNotice after a text part are Shift-JIS of
    // our own: they stay out of the conversion, so that a part in another code
    // is not mixed with them. (The empty line is missing when the header had
    // none and took it.)
    TextLines tail;
    if (text_part) {
      const std::size_t held = std::min<std::size_t>(2, view.Lines.size());
      tail.assign(view.Lines.end() - static_cast<std::ptrdiff_t>(held), view.Lines.end());
      view.Lines.resize(view.Lines.size() - held);
    }
    ConvertCodes(view.Lines, converter);
    view.Lines.insert(view.Lines.end(), tail.begin(), tail.end());
  }
  FindLinks(view);
  return LoadStatus::kShown;
}

void ToggleHeader(MessageView& view) {
  if (view.HeaderShown) {
    SplitHeader(view.Lines, view.HeaderLines);
  } else {
    view.Lines.insert(view.Lines.begin(), view.HeaderLines.begin(), view.HeaderLines.end());
  }
  view.HeaderShown = !view.HeaderShown;
  FindLinks(view);
}

}  // namespace viewer
