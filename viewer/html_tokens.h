#pragma once
// Reading HTML as a stream of tokens, as the HTML standard's tokenizer reads
// it: start tags with their attributes, end tags and text, with character
// references decoded. Comments, doctypes and processing instructions are
// skipped. The text inside script, style, iframe, noembed, noframes and xmp is
// read raw (up to its end tag, no tags, no references) and inside title and
// textarea without tags; after <plaintext> everything is text.
//
// The reader works on bytes and cares only about ASCII, so it reads UTF-8 and
// every other charset that writes ASCII as ASCII (Shift-JIS, EUC-JP,
// ISO-2022-JP, the single-byte code pages) alike. References are decoded to
// UTF-8. One forward pass, no recursion: any input is read in linear time.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace viewer {

struct HtmlAttribute {
  std::string name;   // lower-case
  std::string value;  // references decoded
};

enum class HtmlTokenKind { kText, kStartTag, kEndTag };

struct HtmlToken {
  HtmlTokenKind kind = HtmlTokenKind::kText;
  // The tag's name in lower case; for text read raw or without tags, the
  // element it is the text of ("script", "title", "plaintext"), else empty.
  std::string name;
  std::vector<HtmlAttribute> attributes;  // start tags only; the first of a name wins
  std::string text;                       // kText only; never empty
};

// The value of the attribute `name` (lower-case), or null when it has none.
const std::string* FindAttribute(const HtmlToken& token, std::string_view name);

class HtmlTokenizer {
 public:
  explicit HtmlTokenizer(std::string_view html) : html_(html) {}

  // Reads the next token into `token`; false at the end of the input. A tag
  // the input ends inside is dropped, as a browser drops it.
  bool Next(HtmlToken& token);

  // Bytes read so far.
  std::size_t Position() const { return pos_; }

 private:
  bool ReadMarkup(HtmlToken& token);
  bool ReadTag(HtmlToken& token, bool end_tag);
  void ReadText(HtmlToken& token);
  void ReadRawText(HtmlToken& token);

  std::string_view html_;
  std::size_t pos_ = 0;
  // While inside an element read raw or without tags: its name.
  std::string raw_element_;
  bool raw_references_ = false;  // title and textarea decode references
};

// Decodes the character reference at html[pos] ('&'), appending its text to
// `out`; returns the bytes it used, 0 when there is none there (the '&' is
// then text). In an attribute value a reference without ";" followed by "="
// or a letter or digit is text, as the standard says.
std::size_t DecodeReference(std::string_view html, std::size_t pos, bool in_attribute,
                            std::string& out);

}  // namespace viewer
