#include "viewer/html_tokens.h"

#include <algorithm>
#include <cstdint>

#include "platform/text_bytes.h"
#include "viewer/html_entities.h"
#include "viewer/unicode_text.h"

namespace viewer {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; }
bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAsciiAlnum(char c) { return IsAsciiLetter(c) || IsAsciiDigit(c); }

int HexValue(char c) {
  if (IsAsciiDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// What a numeric reference to 0x80-0x9F means: the character Windows-1252 has
// there, as the standard says (0 where it has none: the code point stays).
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The longest name in the table, ";" included.
constexpr std::size_t kLongestEntity = 32;

std::string_view NameOf(const HtmlEntity& entity) {
  return std::string_view(kHtmlEntityNames + entity.name, entity.name_size);
}

std::string_view TextOf(const HtmlEntity& entity) {
  return std::string_view(kHtmlEntityTexts + entity.text, entity.text_size);
}

const HtmlEntity* FindEntity(std::string_view name) {
  const auto* end = std::end(kHtmlEntities);
  const auto* found = std::lower_bound(
      std::begin(kHtmlEntities), end, name,
      [](const HtmlEntity& entity, std::string_view key) { return NameOf(entity) < key; });
  return found != end && NameOf(*found) == name ? found : nullptr;
}

std::size_t DecodeNumeric(std::string_view html, std::size_t pos, std::string& out) {
  std::size_t i = pos + 2;  // after "&#"
  const bool hex = i < html.size() && (html[i] == 'x' || html[i] == 'X');
  if (hex) ++i;
  const std::size_t digits = i;
  std::uint32_t value = 0;
  for (; i < html.size(); ++i) {
    const int digit = hex ? HexValue(html[i]) : (IsAsciiDigit(html[i]) ? html[i] - '0' : -1);
    if (digit < 0) break;
    // Saturates: any number past U+10FFFF means the same.
    value = std::min<std::uint32_t>(value * (hex ? 16 : 10) + digit, 0x110000);
  }
  if (i == digits) return 0;
  if (i < html.size() && html[i] == ';') ++i;
  char32_t code_point = value;
  if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    code_point = 0xFFFD;
  } else if (value >= 0x80 && value <= 0x9F && kWindows1252High[value - 0x80] != 0) {
    code_point = kWindows1252High[value - 0x80];
  }
  AppendUtf8(out, code_point);
  return i - pos;
}

// Appends `text` with its character references decoded.
void AppendDecoded(std::string_view text, bool in_attribute, std::string& out) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t amp = text.find('&', i);
    if (amp == std::string_view::npos) {
      out.append(text.substr(i));
      return;
    }
    out.append(text.substr(i, amp - i));
    const std::size_t used = DecodeReference(text, amp, in_attribute, out);
    if (used == 0) out.push_back('&');
    i = amp + std::max<std::size_t>(used, 1);
  }
}

bool IsRawTextElement(std::string_view name) {
  return name == "script" || name == "style" || name == "iframe" || name == "noembed" ||
         name == "noframes" || name == "xmp" || name == "title" || name == "textarea" ||
         name == "plaintext";
}

}  // namespace

std::size_t DecodeReference(std::string_view html, std::size_t pos, bool in_attribute,
                            std::string& out) {
  const std::size_t start = pos + 1;
  if (start < html.size() && html[start] == '#') return DecodeNumeric(html, pos, out);
  std::size_t end = start;
  while (end < html.size() && end - start < kLongestEntity && IsAsciiAlnum(html[end])) ++end;
  if (end == start) return 0;
  if (end < html.size() && html[end] == ';') {
    if (const HtmlEntity* entity = FindEntity(html.substr(start, end + 1 - start))) {
      out.append(TextOf(*entity));
      return end + 1 - pos;
    }
  }
  // A legacy reference without ";": the longest name that is one.
  for (std::size_t length = end - start; length >= 2; --length) {
    const HtmlEntity* entity = FindEntity(html.substr(start, length));
    if (!entity) continue;
    const std::size_t next = start + length;
    if (in_attribute && next < html.size() && (html[next] == '=' || IsAsciiAlnum(html[next]))) {
      return 0;
    }
    out.append(TextOf(*entity));
    return next - pos;
  }
  return 0;
}

const std::string* FindAttribute(const HtmlToken& token, std::string_view name) {
  for (const HtmlAttribute& attribute : token.attributes) {
    if (attribute.name == name) return &attribute.value;
  }
  return nullptr;
}

bool HtmlTokenizer::Next(HtmlToken& token) {
  token.kind = HtmlTokenKind::kText;
  token.name.clear();
  token.attributes.clear();
  token.text.clear();
  while (pos_ < html_.size()) {
    if (!raw_element_.empty()) {
      ReadRawText(token);
    } else if (html_[pos_] == '<') {
      if (ReadMarkup(token)) return true;
      continue;
    } else {
      ReadText(token);
    }
    if (!token.text.empty()) return true;
  }
  return false;
}

bool HtmlTokenizer::ReadMarkup(HtmlToken& token) {
  const std::string_view rest = html_.substr(pos_);
  auto skip_past = [&](std::string_view end, std::size_t from) {
    const std::size_t found = html_.find(end, pos_ + from);
    pos_ = found == std::string_view::npos ? html_.size() : found + end.size();
    return false;
  };
  if (rest.starts_with("<!--")) {
    // "<!-->" and "<!--->" are whole (empty) comments.
    if (rest.substr(4).starts_with(">")) return skip_past(">", 4);
    if (rest.substr(4).starts_with("->")) return skip_past("->", 4);
    return skip_past("-->", 4);
  }
  if (rest.starts_with("<!") || rest.starts_with("<?")) return skip_past(">", 2);
  if (rest.size() >= 2 && IsAsciiLetter(rest[1])) return ReadTag(token, false);
  if (rest.starts_with("</") && rest.size() > 2) {
    if (IsAsciiLetter(rest[2])) return ReadTag(token, true);
    return skip_past(">", 2);  // "</>" and what the standard reads as a comment
  }
  token.text = "<";
  ++pos_;
  return true;
}

bool HtmlTokenizer::ReadTag(HtmlToken& token, bool end_tag) {
  std::size_t i = pos_ + (end_tag ? 2 : 1);
  const std::size_t name_start = i;
  while (i < html_.size() && !IsSpace(html_[i]) && html_[i] != '/' && html_[i] != '>') ++i;
  token.name = platform::AsciiLower(html_.substr(name_start, i - name_start));
  auto skip_spaces = [&] {
    while (i < html_.size() && IsSpace(html_[i])) ++i;
  };
  for (;;) {
    skip_spaces();
    if (i >= html_.size()) break;
    if (html_[i] == '>') {
      pos_ = i + 1;
      token.kind = end_tag ? HtmlTokenKind::kEndTag : HtmlTokenKind::kStartTag;
      if (end_tag) token.attributes.clear();
      if (!end_tag && IsRawTextElement(token.name)) {
        raw_element_ = token.name;
        raw_references_ = token.name == "title" || token.name == "textarea";
      }
      return true;
    }
    if (html_[i] == '/') {  // a self-closing mark means nothing for HTML's elements
      ++i;
      continue;
    }
    const std::size_t attribute_start = i++;
    while (i < html_.size() && !IsSpace(html_[i]) && html_[i] != '/' && html_[i] != '>' &&
           html_[i] != '=') {
      ++i;
    }
    HtmlAttribute attribute{
        platform::AsciiLower(html_.substr(attribute_start, i - attribute_start)), {}};
    skip_spaces();
    if (i < html_.size() && html_[i] == '=') {
      ++i;
      skip_spaces();
      if (i >= html_.size()) break;
      std::string_view value;
      if (html_[i] == '"' || html_[i] == '\'') {
        const std::size_t close = html_.find(html_[i], i + 1);
        if (close == std::string_view::npos) break;
        value = html_.substr(i + 1, close - i - 1);
        i = close + 1;
      } else {
        const std::size_t value_start = i;
        while (i < html_.size() && !IsSpace(html_[i]) && html_[i] != '>') ++i;
        value = html_.substr(value_start, i - value_start);
      }
      AppendDecoded(value, true, attribute.value);
    }
    if (!FindAttribute(token, attribute.name)) token.attributes.push_back(std::move(attribute));
  }
  // The input ends inside the tag.
  pos_ = html_.size();
  token.attributes.clear();
  return false;
}

void HtmlTokenizer::ReadText(HtmlToken& token) {
  std::size_t end = html_.find('<', pos_);
  if (end == std::string_view::npos) end = html_.size();
  AppendDecoded(html_.substr(pos_, end - pos_), false, token.text);
  pos_ = end;
}

void HtmlTokenizer::ReadRawText(HtmlToken& token) {
  token.name = raw_element_;
  std::size_t end = html_.size();
  if (raw_element_ != "plaintext") {
    // The end tag: "</" and the name in any case, then a space, "/" or ">".
    for (std::size_t at = html_.find("</", pos_); at != std::string_view::npos;
         at = html_.find("</", at + 2)) {
      const std::size_t after = at + 2 + raw_element_.size();
      if (after > html_.size()) break;
      if (!platform::EqualsIgnoringAsciiCase(html_.substr(at + 2, raw_element_.size()),
                                             raw_element_)) {
        continue;
      }
      if (after == html_.size() || IsSpace(html_[after]) || html_[after] == '/' ||
          html_[after] == '>') {
        end = at;
        break;
      }
    }
  }
  const std::string_view text = html_.substr(pos_, end - pos_);
  if (raw_references_) {
    AppendDecoded(text, false, token.text);
  } else {
    token.text.assign(text);
  }
  pos_ = end;
  raw_element_.clear();
}

}  // namespace viewer
