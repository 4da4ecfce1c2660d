#include "viewer/message_view.h"

#include <algorithm>
#include <cstddef>

#include "client/quenmar_interface.h"
#include "nkf/nkf_convert.h"
#include "platform/text_bytes.h"
#include "thread/index_record.h"
#include "viewer/body_coding.h"
#include "viewer/html_text.h"
#include "viewer/ja_texts.h"
#include "viewer/message_parts.h"
#include "viewer/unicode_text.h"

namespace viewer {
namespace {

std::string_view UpToFirstNul(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

void FindLinks(MessageView& view) {
  const std::string text = JoinLines(view.Lines);
  view.Links = view.Form == TextForm::kUnicode ? DetectLinksUtf8(text) : DetectLinks(text);
}

// How a body to be converted reaches Unicode.
enum class Route { kUtf8, kSingleByte, kConverter };

bool HasEightBitByte(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// The declared charset decides, except that ISO-2022-JP escapes (Japanese mail
// labelled as Latin, as old mailers do) and 8-bit bytes labelled US-ASCII go to
// the converter's detection; without a usable label the detection decides.
Route ChooseRoute(const Charset& charset, std::string_view text) {
  switch (charset.kind) {
    case CharsetKind::kUtf8:
      return Route::kUtf8;
    case CharsetKind::kOther:
      return Route::kConverter;
    case CharsetKind::kSingleByte:
      if (charset.code_page == 20127 && HasEightBitByte(text)) break;
      if (nkf::DetectInputCode(text) == nkf::InputCode::Jis) return Route::kConverter;
      return Route::kSingleByte;
    case CharsetKind::kNone:
      break;
  }
  return nkf::DetectInputCode(text) == nkf::InputCode::Utf8 ? Route::kUtf8 : Route::kConverter;
}

// Shift-JIS lines to UTF-8, converted as one text (a single empty line stays).
TextLines LinesToUtf8(const TextLines& lines) {
  const std::string joined = JoinLines(lines);
  return joined.empty() ? lines : SplitAtCrLf(Cp932ToUtf8(joined));
}

// The body of a Unicode view: decoded straight where its charset allows,
// else through the converter (when one is given) and from Shift-JIS.
void ConvertToUnicode(TextLines& lines, const Charset& charset, const CodeConverter& converter) {
  const std::string joined = JoinLines(lines);
  const std::string_view text = UpToFirstNul(joined);
  switch (ChooseRoute(charset, text)) {
    case Route::kUtf8:
      lines = SplitAtCrLf(DecodeEncodedWords(ValidUtf8(text)));
      return;
    case Route::kSingleByte:
      lines = SplitAtCrLf(DecodeEncodedWords(
          HasEightBitByte(text) ? SingleByteToUtf8(charset.code_page, text) : std::string(text)));
      return;
    case Route::kConverter:
      if (converter) ConvertCodes(lines, converter);
      lines = LinesToUtf8(lines);
      return;
  }
}

// A header line as the header command shows it in a Unicode view.
std::string HeaderLineToUtf8(const std::string& line) {
  const bool utf8 = !HasEightBitByte(line) || ValidUtf8(line) == line;
  return DecodeEncodedWords(utf8 ? line : Cp932ToUtf8(line));
}

// How the texts of one load are made.
struct TextMaker {
  const CodeConverter& converter;
  TextForm form;
  bool convert;

  // A part's text: transfer encoding undone (text only), HTML made text, codes converted.
  TextLines PartText(std::string_view message, const MimePart& part) const {
    TextLines lines = BytesToLines(PartBody(message, part));
    if (part.IsText() && part.transfer != TransferEncoding::kNone) {
      lines = SplitAtCrLf(DecodeTransfer(lines, part.transfer));
    }
    if (part.type == "text/html") return HtmlText(lines, part.charset);
    if (form == TextForm::kUnicode) {
      if (convert) {
        ConvertToUnicode(lines, CharsetNamed(part.charset), converter);
      } else {
        lines = LinesToUtf8(lines);
      }
    } else if (convert && converter) {
      ConvertCodes(lines, converter);
    }
    return lines;
  }

  // HTML read as text, with its own charset rules (viewer/html_text.h), after
  // a line that says so; the forced filter shows its source.
  TextLines HtmlText(const TextLines& decoded, std::string_view charset) const {
    TextLines lines{OwnLine(ja::kHtmlConvertedNotice), std::string()};
    for (std::string& line : SplitAtCrLf(HtmlToText(JoinLines(decoded), charset)))
      lines.push_back(Utf8Line(line));
    return lines;
  }
  // A line of our own, from Shift-JIS.
  std::string OwnLine(std::string_view sjis) const {
    return form == TextForm::kUnicode ? Cp932ToUtf8(sjis) : std::string(sjis);
  }
  // A line of our own, from UTF-8.
  std::string Utf8Line(std::string_view utf8) const {
    return form == TextForm::kUnicode ? std::string(utf8)
                                      : nkf::ConvertToShiftJis(utf8, nkf::InputCode::Utf8);
  }
  // A header field of a forwarded message, its encoded words decoded; none
  // when the message has no such field.
  void AppendHeaderLine(std::string_view header, std::string_view name, std::string_view caption,
                        TextLines& lines) const {
    const std::string value = HeaderField(header, name);
    if (value.empty()) return;
    const std::string line = std::string(caption) + value;
    lines.push_back(form == TextForm::kUnicode ? HeaderLineToUtf8(line)
                                               : nkf::ConvertToShiftJis(line));
  }

  // Each forwarded message among the leaves of `tree`, under its notice.
  void AppendForwarded(std::string_view message, const MimeTree& tree, int depth,
                       TextLines& lines) const {
    if (depth > kMaxForwardedDepth) return;
    for (const std::size_t index : tree.leaves) {
      if (tree.parts[index].type != "message/rfc822") continue;
      const std::string inner = DecodedBody(message, tree.parts[index]);
      const MimeTree inner_tree = ParseMime(inner);
      const std::string_view header = PartHeader(inner, inner_tree.parts[0]);
      lines.emplace_back();
      lines.push_back(OwnLine(ja::kForwardedNotice));
      AppendHeaderLine(header, "from", "From: ", lines);
      AppendHeaderLine(header, "date", "Date: ", lines);
      AppendHeaderLine(header, "subject", "Subject: ", lines);
      lines.emplace_back();
      const std::size_t shown = ShownTextPart(inner_tree);
      if (shown != kNoPart) {
        const TextLines text = PartText(inner, inner_tree.parts[shown]);
        lines.insert(lines.end(), text.begin(), text.end());
      }
      AppendForwarded(inner, inner_tree, depth + 1, lines);
    }
  }
};

// The whole file as stored, as the forced filter shows it.
void LoadAsStored(MessageView& view, std::string_view bytes, std::uint32_t flags, bool forced,
                  const CodeConverter& converter) {
  view.Lines = BytesToLines(bytes);
  SplitHeader(view.Lines, view.HeaderLines);
  if (NeedsConversion(flags, forced, view.HeaderLines) && converter) {
    ConvertCodes(view.Lines, converter);
  }
  if (view.Form == TextForm::kUnicode) view.Lines = LinesToUtf8(view.Lines);
}

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
                       const CodeConverter& converter, const LoadOptions& options) {
  view.HeaderShown = false;
  view.HeaderLines.clear();
  view.Lines.clear();
  view.Links.clear();
  view.Attachments.clear();
  view.Form = options.form;

  MessageFile file;
  if (!ReadMessageFile(view.MessagePath, file)) return LoadStatus::kCannotOpen;
  if (options.as_stored) {
    LoadAsStored(view, file.bytes, flags, forced, converter);
  } else {
    const MimeTree& tree = file.tree;
    view.HeaderLines = BytesToLines(PartHeader(file.bytes, tree.parts[0]));
    const TextMaker maker{converter, options.form,
                          NeedsConversion(flags, forced, view.HeaderLines)};
    const std::size_t shown = ShownTextPart(tree);
    if (shown != kNoPart) view.Lines = maker.PartText(file.bytes, tree.parts[shown]);
    const std::vector<std::size_t> attachments = AttachmentLeaves(tree, shown);
    if (!attachments.empty()) {
      view.Lines.emplace_back();
      view.Lines.push_back(maker.OwnLine(ja::kAttachmentNotice));
    }
    for (const std::size_t leaf : attachments) {
      const MimePart& part = tree.parts[tree.leaves[leaf]];
      const std::uint64_t size = DecodedSize(file.bytes, part);
      view.Attachments.push_back({leaf, view.Lines.size(), part.name, part.type, size});
      view.Lines.push_back(maker.Utf8Line(AttachmentLineText(part, size)));
    }
    maker.AppendForwarded(file.bytes, tree, 1, view.Lines);
  }
  if (options.find_links) FindLinks(view);
  return LoadStatus::kShown;
}

void ToggleHeader(MessageView& view) {
  if (view.HeaderShown) {
    const std::size_t shown = std::min(view.HeaderLines.size(), view.Lines.size());
    view.Lines.erase(view.Lines.begin(), view.Lines.begin() + static_cast<std::ptrdiff_t>(shown));
  } else if (view.Form == TextForm::kUnicode) {
    TextLines header;
    for (const std::string& line : view.HeaderLines) header.push_back(HeaderLineToUtf8(line));
    view.Lines.insert(view.Lines.begin(), header.begin(), header.end());
  } else {
    view.Lines.insert(view.Lines.begin(), view.HeaderLines.begin(), view.HeaderLines.end());
  }
  view.HeaderShown = !view.HeaderShown;
  for (Attachment& attachment : view.Attachments) {
    attachment.Line = view.HeaderShown ? attachment.Line + view.HeaderLines.size()
                                       : attachment.Line - view.HeaderLines.size();
  }
  FindLinks(view);
}

}  // namespace viewer
