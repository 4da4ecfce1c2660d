#include "search/message_text.h"

#include "nkf/nkf_convert.h"
#include "viewer/message_view.h"
#include "viewer/unicode_text.h"

namespace search {

std::optional<std::string> MessageText(const std::string& path, std::uint32_t flags) {
  viewer::MessageView view;
  view.MessagePath = path;
  const viewer::CodeConverter converter = [](std::string_view text) {
    return nkf::ConvertToShiftJis(text);
  };
  viewer::LoadOptions options;
  options.form = viewer::TextForm::kUnicode;
  options.find_links = false;
  if (viewer::LoadMessage(view, flags, false, converter, options) != viewer::LoadStatus::kShown) {
    return std::nullopt;
  }
  std::string text;
  std::size_t size = 0;
  for (const std::string& line : view.Lines) size += line.size() + 1;
  text.reserve(size);
  for (const std::string& line : view.Lines) {
    text += line;
    text += '\n';
  }
  return text;
}

std::string SjisToUtf8(std::string_view sjis) { return viewer::Cp932ToUtf8(sjis); }

}  // namespace search
