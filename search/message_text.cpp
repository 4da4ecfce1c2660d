#include "search/message_text.h"

#include "nkf/nkf_convert.h"
#include "viewer/message_view.h"
#include "viewer/mime_parts.h"
#include "viewer/unicode_text.h"

namespace search {
namespace {

bool HasEightBitByte(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  }
  return false;
}

// A header value as the viewer shows its header line in a Unicode view: encoded words
// decoded, other bytes read as UTF-8 where valid, else as Shift-JIS.
std::string HeaderValueToUtf8(const std::string& value) {
  const bool utf8 = !HasEightBitByte(value) || viewer::ValidUtf8(value) == value;
  return viewer::DecodeEncodedWords(utf8 ? value : viewer::Cp932ToUtf8(value));
}

void AppendLine(std::string_view line, std::string& out) {
  if (line.empty()) return;
  out += line;
  out += '\n';
}

}  // namespace

bool IsQuotedLine(std::string_view line) {
  static constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";
  static constexpr std::string_view kFullWidthGreater = "\xEF\xBC\x9E";
  std::size_t pos = 0;
  for (;;) {
    if (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) {
      ++pos;
    } else if (line.substr(pos).starts_with(kIdeographicSpace)) {
      pos += kIdeographicSpace.size();
    } else {
      break;
    }
  }
  const std::string_view rest = line.substr(pos);
  return rest.starts_with('>') || rest.starts_with('|') || rest.starts_with(kFullWidthGreater);
}

std::optional<MessageFields> ReadMessageFields(const std::string& path, std::uint32_t flags) {
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
  MessageFields fields;
  for (const std::string& line : view.Lines) {
    std::string& out = IsQuotedLine(line) ? fields.quoted : fields.unquoted;
    out += line;
    out += '\n';
  }
  std::string header;
  for (const std::string& line : view.HeaderLines) {
    header += line;
    header += '\n';
  }
  fields.from = HeaderValueToUtf8(viewer::HeaderField(header, "from"));
  AppendLine(HeaderValueToUtf8(viewer::HeaderField(header, "to")), fields.recipients);
  AppendLine(HeaderValueToUtf8(viewer::HeaderField(header, "cc")), fields.recipients);
  for (const viewer::Attachment& attachment : view.Attachments) {
    AppendLine(attachment.Name, fields.names);
  }
  return fields;
}

std::string SjisToUtf8(std::string_view sjis) { return viewer::Cp932ToUtf8(sjis); }

}  // namespace search
