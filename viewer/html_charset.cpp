#include "viewer/html_charset.h"

#include <algorithm>
#include <cstddef>
#include <string>

#include "nkf/nkf_convert.h"
#include "platform/text_bytes.h"
#include "viewer/html_tokens.h"
#include "viewer/unicode_text.h"

namespace viewer {
namespace {

enum class Coding { kUnknown, kUtf8, kSingleByte, kJis, kEucJp, kShiftJis };

struct Decoding {
  Coding coding = Coding::kUnknown;
  unsigned code_page = 0;  // kSingleByte
};

Decoding DecodingNamed(std::string_view name) {
  while (!name.empty() && (name.front() == ' ' || name.front() == '"' || name.front() == '\'')) {
    name.remove_prefix(1);
  }
  while (!name.empty() && (name.back() == ' ' || name.back() == '"' || name.back() == '\'')) {
    name.remove_suffix(1);
  }
  const std::string lower = platform::AsciiLower(name);
  if (lower.starts_with("iso-2022-jp") || lower == "csiso2022jp") return {Coding::kJis};
  if (lower == "euc-jp" || lower == "x-euc-jp") return {Coding::kEucJp};
  if (lower == "shift_jis" || lower == "shift-jis" || lower == "sjis" || lower == "x-sjis" ||
      lower == "windows-31j" || lower == "cp932" || lower == "ms932" || lower == "csshiftjis") {
    return {Coding::kShiftJis};
  }
  const Charset charset = CharsetNamed(lower);
  if (charset.kind == CharsetKind::kUtf8) return {Coding::kUtf8};
  if (charset.kind == CharsetKind::kSingleByte) return {Coding::kSingleByte, charset.code_page};
  return {};
}

// The charset named in a meta element's content ("text/html; charset=x").
std::string_view CharsetInContent(std::string_view content) {
  const std::string lower = platform::AsciiLower(content);
  for (std::size_t at = lower.find("charset"); at != std::string::npos;
       at = lower.find("charset", at + 1)) {
    std::size_t i = at + 7;
    while (i < lower.size() && lower[i] == ' ') ++i;
    if (i >= lower.size() || lower[i] != '=') continue;
    ++i;
    while (i < lower.size() && lower[i] == ' ') ++i;
    if (i < lower.size() && (lower[i] == '"' || lower[i] == '\'')) {
      const std::size_t close = lower.find(lower[i], i + 1);
      if (close == std::string::npos) return {};
      return content.substr(i + 1, close - i - 1);
    }
    std::size_t end = i;
    while (end < lower.size() && lower[end] != ';' && lower[end] != ' ') ++end;
    return content.substr(i, end - i);
  }
  return {};
}

// The charset the document's head declares, read from its bytes (whatever
// they are, the markup is ASCII); empty when none comes before <body>.
std::string MetaCharset(std::string_view html) {
  // A head far longer than this declares nothing useful any more.
  constexpr std::size_t kHeadBytes = 64 * 1024;
  HtmlTokenizer tokenizer(html.substr(0, kHeadBytes));
  HtmlToken token;
  while (tokenizer.Next(token)) {
    if (token.kind != HtmlTokenKind::kStartTag) continue;
    if (token.name == "body") break;
    if (token.name != "meta") continue;
    if (const std::string* charset = FindAttribute(token, "charset")) return *charset;
    const std::string* equiv = FindAttribute(token, "http-equiv");
    const std::string* content = FindAttribute(token, "content");
    if (equiv && content && platform::EqualsIgnoringAsciiCase(*equiv, "content-type")) {
      const std::string_view charset = CharsetInContent(*content);
      if (!charset.empty()) return std::string(charset);
    }
  }
  return {};
}

// Whether the text holds an escape sequence of ISO-2022-JP (ESC $ @, ESC $ B,
// ESC ( B, ESC ( J, ESC ( I), which no other charset of mail writes.
bool HasJisEscape(std::string_view text) {
  for (std::size_t at = text.find('\x1b'); at != std::string_view::npos;
       at = text.find('\x1b', at + 1)) {
    const std::string_view next = text.substr(at + 1, 2);
    if (next == "$@" || next == "$B" || next == "(B" || next == "(J" || next == "(I") return true;
  }
  return false;
}

bool HasEightBitByte(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

Decoding ChooseDecoding(std::string_view html, std::string_view mime_charset) {
  if (html.starts_with("\xEF\xBB\xBF")) return {Coding::kUtf8};
  Decoding decoding = DecodingNamed(mime_charset);
  if (decoding.coding == Coding::kUnknown) decoding = DecodingNamed(MetaCharset(html));
  // US-ASCII with 8-bit bytes is no label at all.
  if (decoding.coding == Coding::kSingleByte && decoding.code_page == 20127 &&
      HasEightBitByte(html)) {
    decoding = {};
  }
  const bool jis = HasJisEscape(html);
  if (decoding.coding == Coding::kSingleByte && jis) return {Coding::kJis};
  if (decoding.coding != Coding::kUnknown) return decoding;
  if (jis) return {Coding::kJis};
  if (ValidUtf8(html) == html) return {Coding::kUtf8};
  return {Coding::kShiftJis};
}

}  // namespace

std::string DecodeHtmlBytes(std::string_view html, std::string_view mime_charset) {
  const Decoding decoding = ChooseDecoding(html, mime_charset);
  switch (decoding.coding) {
    case Coding::kUtf8:
      return ValidUtf8(html);
    case Coding::kSingleByte:
      return HasEightBitByte(html) ? SingleByteToUtf8(decoding.code_page, html) : std::string(html);
    case Coding::kJis:
      return Cp932ToUtf8(nkf::ConvertToShiftJis(html, nkf::InputCode::Jis));
    case Coding::kEucJp:
      return Cp932ToUtf8(nkf::ConvertToShiftJis(html, nkf::InputCode::EucJp));
    case Coding::kShiftJis:
    case Coding::kUnknown:
      break;
  }
  return Cp932ToUtf8(nkf::ConvertToShiftJis(html, nkf::InputCode::ShiftJis));
}

}  // namespace viewer
