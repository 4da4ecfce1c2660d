#include "viewer/message_view.h"

#include <algorithm>
#include <cstddef>

#include "client/quenmar_interface.h"
#include "nkf/nkf_convert.h"
#include "platform/text_bytes.h"
#include "thread/index_record.h"
#include "viewer/body_coding.h"
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
  view.Links.clear();
  view.Form = options.form;

  TextLines part_header;
  const bool text_part = ExtractTextPart(view.MessagePath, flags, view.Lines, &part_header);
  if (!text_part && !ReadMessageLines(view.MessagePath, view.Lines)) {
    return LoadStatus::kCannotOpen;
  }
  SplitHeader(view.Lines, view.HeaderLines);

  // The empty line and ja::kAttachmentNotice after a text part are Shift-JIS of
  // our own: they stay out of the decoding and the conversion, so that a part
  // in another code is not mixed with them. (The empty line is missing when
  // the header had none and took it.)
  TextLines tail;
  if (text_part) {
    const std::size_t held = std::min<std::size_t>(2, view.Lines.size());
    tail.assign(view.Lines.end() - static_cast<std::ptrdiff_t>(held), view.Lines.end());
    view.Lines.resize(view.Lines.size() - held);
  }

  const BodyCoding coding =
      options.as_stored ? BodyCoding{} : ReadBodyCoding(text_part ? part_header : view.HeaderLines);
  if (coding.transfer != TransferEncoding::kNone) {
    view.Lines = SplitAtCrLf(DecodeTransfer(view.Lines, coding.transfer));
  }

  const bool convert = NeedsConversion(flags, forced, view.HeaderLines);
  if (options.form == TextForm::kUnicode) {
    if (convert && !options.as_stored) {
      ConvertToUnicode(view.Lines, CharsetNamed(coding.charset), converter);
    } else {
      if (convert && converter) ConvertCodes(view.Lines, converter);
      view.Lines = LinesToUtf8(view.Lines);
    }
    for (std::string& line : tail) line = Cp932ToUtf8(line);
  } else if (convert && converter) {
    ConvertCodes(view.Lines, converter);
  }
  view.Lines.insert(view.Lines.end(), tail.begin(), tail.end());
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
  FindLinks(view);
}

}  // namespace viewer
