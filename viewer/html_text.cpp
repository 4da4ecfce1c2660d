#include "viewer/html_text.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/text_bytes.h"
#include "viewer/html_charset.h"
#include "viewer/html_tokens.h"

namespace viewer {
namespace {

// Line ends as the standard reads them (CR LF and a lone CR are LF), and no
// NUL, which would end the viewer's text.
std::string NormalizeLineEnds(std::string text) {
  std::size_t out = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\0') continue;
    if (c == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') continue;
      text[out++] = '\n';
      continue;
    }
    text[out++] = c;
  }
  text.resize(out);
  return text;
}

// ---- Text -----------------------------------------------------------------

bool IsHtmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; }

std::string_view TrimHtmlSpace(std::string_view text) {
  while (!text.empty() && IsHtmlSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsHtmlSpace(text.back())) text.remove_suffix(1);
  return text;
}

// Quote levels and list indents shown at most: deeper ones look the same, so
// that each line of deeply nested input does not grow a prefix of a
// kilobyte (10 MB of nested quotes would become half a gigabyte of text).
constexpr int kMaxPrefixLevels = 30;

// The text as it is built: line ends, prefixes and spaces are written only
// when the next visible text comes, so no block leaves an empty line or a
// trailing space behind.
class TextWriter {
 public:
  int quote_depth = 0;
  int indent = 0;

  // Text whose white space collapses to single spaces.
  void Text(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
      if (IsHtmlSpace(text[i])) {
        space_ = true;
        ++i;
        continue;
      }
      std::size_t end = i;
      while (end < text.size() && !IsHtmlSpace(text[end])) ++end;
      Put(text.substr(i, end - i));
      i = end;
    }
  }

  // Text as written; each LF ends a line. A CR (only a reference writes one
  // after the line ends are read) is dropped, as the viewer splits at CR LF.
  void Preformatted(std::string_view text) {
    space_ = false;
    for (;;) {
      const std::size_t stop = text.find_first_of("\r\n");
      if (stop != 0 && !text.empty()) Put(text.substr(0, stop));
      if (stop == std::string_view::npos) return;
      if (text[stop] == '\n') LineBreak();
      text.remove_prefix(stop + 1);
    }
  }

  // The next text begins a line (1) or follows an empty line (2).
  void Break(int lines) {
    pending_ = std::max(pending_, lines);
    space_ = tab_ = false;
    leading_spaces_.clear();
  }

  void LineBreak() {
    EndLines(pending_);
    pending_ = 0;
    if (!out_.empty() && line_ends_ < 2) {
      out_ += "\r\n";
      ++line_ends_;
    }
    space_ = tab_ = false;
    leading_spaces_.clear();
  }

  // A table cell: its text follows the row's earlier text after a tab.
  void CellBreak() {
    if (!AtLineStart() && pending_ == 0) tab_ = true;
  }

  // Written at the start of the next line that has text (a list item's mark).
  void SetMarker(std::string marker) { marker_ = std::move(marker); }

  void BeginLink() {
    link_pending_ = true;
    link_start_ = std::string::npos;
  }
  // The text written since BeginLink.
  std::string_view LinkText() const {
    if (link_start_ == std::string::npos) return {};
    return std::string_view(out_).substr(link_start_);
  }
  void EndLink() { link_pending_ = false; }

  std::string Finish() {
    while (out_.ends_with("\r\n")) out_.resize(out_.size() - 2);
    return std::move(out_);
  }

 private:
  bool AtLineStart() const { return out_.empty() || line_ends_ > 0; }

  void EndLines(int lines) {
    if (out_.empty()) return;
    while (line_ends_ < lines) {
      out_ += "\r\n";
      ++line_ends_;
    }
  }

  void Put(std::string_view run) {
    // A no-break space (U+00A0) is shown as a plain one, which every charset has.
    std::string piece;
    for (std::size_t nbsp; (nbsp = run.find("\xC2\xA0")) != std::string_view::npos;) {
      piece.append(run.substr(0, nbsp));
      piece += ' ';
      run.remove_prefix(nbsp + 2);
    }
    piece.append(run);
    // Spaces that begin a line wait for its text: a line of no-break spaces
    // (an HTML editor's "empty" paragraph) is an empty line.
    if ((AtLineStart() || pending_ > 0) && piece.find_first_not_of(' ') == std::string::npos) {
      leading_spaces_ += piece;
      return;
    }
    EndLines(pending_);
    pending_ = 0;
    if (AtLineStart()) {
      for (int i = 0; i < std::min(quote_depth, kMaxPrefixLevels); ++i) out_ += "> ";
      out_.append(static_cast<std::size_t>(2 * std::min(indent, kMaxPrefixLevels)), ' ');
      out_ += marker_;
      marker_.clear();
    } else if (tab_) {
      out_ += '\t';
    } else if (space_) {
      out_ += ' ';
    }
    space_ = tab_ = false;
    if (link_pending_) {
      link_start_ = out_.size();
      link_pending_ = false;
    }
    out_ += leading_spaces_;
    leading_spaces_.clear();
    out_ += piece;
    line_ends_ = 0;
  }

  std::string out_;
  int line_ends_ = 0;  // CR LF pairs at the end of out_, at most 2
  int pending_ = 0;
  bool space_ = false;
  bool tab_ = false;
  std::string leading_spaces_;  // no-break spaces at the start of a line without text yet
  std::string marker_;
  bool link_pending_ = false;
  std::size_t link_start_ = std::string::npos;
};

// ---- Elements -------------------------------------------------------------

enum Flag : unsigned {
  kVoid = 1u << 0,     // no content, no end tag
  kDropped = 1u << 1,  // its content is never shown
  kBlock = 1u << 2,    // on lines of its own
  kSpaced = 1u << 3,   // and apart from what is around it by an empty line
  kClosesParagraph = 1u << 4,
};

enum class Role : unsigned char {
  kNone,
  kAnchor,
  kItem,
  kBulletList,
  kNumberedList,
  kTable,
  kRow,
  kCell,
  kQuote,
  kPreformatted,
  kParagraph,
  kImage,
  kLineBreak,
  kRule,
};

struct TagRule {
  unsigned flags = 0;
  Role role = Role::kNone;
};

struct NamedRule {
  std::string_view name;
  TagRule rule;
};

constexpr unsigned kPBlock = kBlock | kClosesParagraph;
constexpr unsigned kPSpaced = kBlock | kSpaced | kClosesParagraph;

// Sorted by name.
constexpr NamedRule kRules[] = {
    {"a", {0, Role::kAnchor}},
    {"address", {kPBlock}},
    {"area", {kVoid}},
    {"article", {kPBlock}},
    {"aside", {kPBlock}},
    {"base", {kVoid}},
    {"basefont", {kVoid}},
    {"bgsound", {kVoid}},
    {"blockquote", {kPSpaced, Role::kQuote}},
    {"br", {kVoid, Role::kLineBreak}},
    {"caption", {kBlock}},
    {"center", {kPBlock}},
    {"col", {kVoid}},
    {"dd", {kPBlock}},
    {"details", {kPBlock}},
    {"dialog", {kPBlock}},
    {"dir", {kPSpaced, Role::kBulletList}},
    {"div", {kPBlock}},
    {"dl", {kPSpaced}},
    {"dt", {kPBlock}},
    {"embed", {kVoid}},
    {"fieldset", {kPBlock}},
    {"figcaption", {kPBlock}},
    {"figure", {kPBlock}},
    {"footer", {kPBlock}},
    {"form", {kPBlock}},
    {"frame", {kVoid}},
    {"h1", {kPSpaced}},
    {"h2", {kPSpaced}},
    {"h3", {kPSpaced}},
    {"h4", {kPSpaced}},
    {"h5", {kPSpaced}},
    {"h6", {kPSpaced}},
    {"header", {kPBlock}},
    {"hgroup", {kPBlock}},
    {"hr", {kVoid | kBlock | kClosesParagraph, Role::kRule}},
    {"iframe", {kDropped}},
    {"img", {kVoid, Role::kImage}},
    {"input", {kVoid}},
    {"keygen", {kVoid}},
    {"legend", {kBlock}},
    {"li", {kPBlock, Role::kItem}},
    {"link", {kVoid}},
    {"listing", {kPSpaced, Role::kPreformatted}},
    {"main", {kPBlock}},
    {"menu", {kPSpaced, Role::kBulletList}},
    {"meta", {kVoid}},
    {"nav", {kPBlock}},
    {"noembed", {kDropped}},
    {"noframes", {kDropped}},
    {"ol", {kPSpaced, Role::kNumberedList}},
    {"p", {kPSpaced, Role::kParagraph}},
    {"param", {kVoid}},
    {"plaintext", {kPSpaced, Role::kPreformatted}},
    {"pre", {kPSpaced, Role::kPreformatted}},
    {"script", {kDropped}},
    {"section", {kPBlock}},
    {"source", {kVoid}},
    {"style", {kDropped}},
    {"summary", {kPBlock}},
    {"svg", {kDropped}},
    {"table", {kBlock, Role::kTable}},
    {"td", {0, Role::kCell}},
    {"template", {kDropped}},
    {"th", {0, Role::kCell}},
    {"title", {kDropped}},
    {"tr", {kBlock, Role::kRow}},
    {"track", {kVoid}},
    {"ul", {kPSpaced, Role::kBulletList}},
    {"wbr", {kVoid}},
    {"xmp", {kPSpaced, Role::kPreformatted}},
};
static_assert(std::is_sorted(std::begin(kRules), std::end(kRules),
                             [](const NamedRule& a, const NamedRule& b) {
                               return a.name < b.name;
                             }));

TagRule RuleOf(std::string_view name) {
  const auto* found =
      std::lower_bound(std::begin(kRules), std::end(kRules), name,
                       [](const NamedRule& rule, std::string_view key) { return rule.name < key; });
  return found != std::end(kRules) && found->name == name ? found->rule : TagRule{};
}

// Whether an inline style hides the element: a "display: none" declaration.
bool HiddenByStyle(std::string_view style) {
  std::string compact;
  for (const char c : style) {
    if (!IsHtmlSpace(c)) compact += platform::AsciiLower(c);
  }
  std::string_view rest = compact;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find(';'), rest.size());
    const std::string_view declaration = rest.substr(0, end);
    if (declaration == "display:none" || declaration == "display:none!important") return true;
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  return false;
}

bool HidesContent(const HtmlToken& token, const TagRule& rule) {
  if (rule.flags & kDropped) return true;
  if (FindAttribute(token, "hidden")) return true;
  const std::string* style = FindAttribute(token, "style");
  return style && HiddenByStyle(*style);
}

// The target of a link as the text shows it (see the header); empty for a
// link to anything but http, https or mailto.
std::string LinkTarget(std::string_view href) {
  href = TrimHtmlSpace(href);
  const std::string lower = platform::AsciiLower(href.substr(0, 8));
  if (lower.starts_with("mailto:")) {
    std::string_view address = href.substr(7);
    address = TrimHtmlSpace(address.substr(0, address.find('?')));
    return std::string(address);
  }
  if (!lower.starts_with("http://") && !lower.starts_with("https://")) return {};
  std::string target;
  for (const char c : href) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\t' || c == '\n' || c == '\r') continue;  // URL parsers drop them
    if (byte >= 0x80 || c == ' ' || c == '"' || c == '<' || c == '>' || c == '\'') {
      constexpr char kHex[] = "0123456789ABCDEF";
      target += '%';
      target += kHex[byte >> 4];
      target += kHex[byte & 0xF];
    } else {
      target += c;
    }
  }
  return target;
}

// A list item's mark, "・" (U+30FB), and a rule, a line of "―" (U+2015), in UTF-8.
constexpr std::string_view kBullet = "\xE3\x83\xBB";
constexpr std::string_view kRuleBar = "\xE2\x80\x95";
constexpr int kRuleBars = 20;

// Browsers nest elements no deeper than this (Blink's parser stops at 512);
// it also bounds every walk down the stack.
constexpr std::size_t kMaxOpenElements = 512;

// The stack index of the nearest open element of each kind; -1 for none.
struct Scope {
  int list = -1;
  int item = -1;
  int table = -1;
  int row = -1;
  int cell = -1;
  int paragraph = -1;
  int anchor = -1;
};

struct OpenElement {
  std::string name;
  TagRule rule;
  bool shown = false;   // its start took effect: neither it nor anything around it hides it
  bool hiding = false;  // it hides its content
  int next_number = 1;  // a numbered list: its next item's number
  std::string link;     // an anchor: the target shown after its text
  std::string href;     // and the target as written
  Scope scope;          // this element included
};

class Converter {
 public:
  void Take(const HtmlToken& token) {
    const bool after_pre_start = std::exchange(skip_newline_, false);
    switch (token.kind) {
      case HtmlTokenKind::kStartTag:
        Start(token);
        return;
      case HtmlTokenKind::kEndTag:
        End(token);
        return;
      case HtmlTokenKind::kText:
        break;
    }
    if (hiding_ > 0 || (RuleOf(token.name).flags & kDropped)) return;
    std::string_view text = token.text;
    // The line end right after <pre> belongs to the markup.
    if (after_pre_start && text.starts_with('\n')) text.remove_prefix(1);
    const bool raw = token.name == "xmp" || token.name == "plaintext";
    if (preformatted_ > 0 || raw) {
      writer_.Preformatted(text);
    } else {
      writer_.Text(text);
    }
  }

  std::string Finish() {
    CloseFrom(0);
    return writer_.Finish();
  }

 private:
  int Nearest(int Scope::*kind) const { return open_.empty() ? -1 : open_.back().scope.*kind; }

  void Start(const HtmlToken& token) {
    const TagRule rule = RuleOf(token.name);
    const bool hides = HidesContent(token, rule);
    if (rule.flags & kVoid) {
      if (hiding_ == 0 && !hides) Void(token, rule);
      return;
    }
    // What the standard closes before this element opens.
    if ((rule.flags & kClosesParagraph) &&
        Nearest(&Scope::paragraph) > std::max(Nearest(&Scope::table), Nearest(&Scope::cell))) {
      CloseFrom(Nearest(&Scope::paragraph));
    }
    if (rule.role == Role::kItem && Nearest(&Scope::item) > Nearest(&Scope::list)) {
      CloseFrom(Nearest(&Scope::item));
    }
    if (rule.role == Role::kRow && Nearest(&Scope::row) > Nearest(&Scope::table)) {
      CloseFrom(Nearest(&Scope::row));
    }
    if (rule.role == Role::kCell && Nearest(&Scope::cell) > Nearest(&Scope::table)) {
      CloseFrom(Nearest(&Scope::cell));
    }
    if (rule.role == Role::kAnchor && Nearest(&Scope::anchor) >= 0) {
      CloseFrom(Nearest(&Scope::anchor));
    }
    if (open_.size() >= kMaxOpenElements) {
      if (hiding_ == 0 && (rule.flags & kBlock)) writer_.Break(1);
      return;
    }
    Push(token, rule, hides);
  }

  void Void(const HtmlToken& token, const TagRule& rule) {
    switch (rule.role) {
      case Role::kLineBreak:
        writer_.LineBreak();
        return;
      case Role::kRule:
        writer_.Break(1);
        for (int i = 0; i < kRuleBars; ++i) writer_.Text(kRuleBar);
        writer_.Break(1);
        return;
      case Role::kImage:
        if (const std::string* alt = FindAttribute(token, "alt")) {
          if (!TrimHtmlSpace(*alt).empty()) writer_.Text("[" + *alt + "]");
        }
        return;
      default:
        return;
    }
  }

  void Push(const HtmlToken& token, const TagRule& rule, bool hides) {
    OpenElement element;
    if (!open_.empty()) element.scope = open_.back().scope;
    const int index = static_cast<int>(open_.size());
    element.name = token.name;
    element.rule = rule;
    element.hiding = hides;
    element.shown = hiding_ == 0 && !hides;
    switch (rule.role) {
      case Role::kBulletList:
      case Role::kNumberedList:
        element.scope.list = index;
        break;
      case Role::kItem:
        element.scope.item = index;
        break;
      case Role::kTable:
        element.scope.table = index;
        break;
      case Role::kRow:
        element.scope.row = index;
        break;
      case Role::kCell:
        element.scope.cell = index;
        break;
      case Role::kParagraph:
        element.scope.paragraph = index;
        break;
      case Role::kAnchor:
        element.scope.anchor = index;
        break;
      default:
        break;
    }
    if (hides) ++hiding_;
    if (element.shown) Begin(token, element);
    ++open_names_[element.name];
    open_.push_back(std::move(element));
  }

  int BlockLines(const TagRule& rule) const {
    return (rule.flags & kSpaced) && Nearest(&Scope::item) < 0 ? 2 : 1;
  }

  // The start of an element shown.
  void Begin(const HtmlToken& token, OpenElement& element) {
    if (element.rule.flags & kBlock) writer_.Break(BlockLines(element.rule));
    switch (element.rule.role) {
      case Role::kQuote:
        ++writer_.quote_depth;
        break;
      case Role::kNumberedList:
        if (const std::string* start = FindAttribute(token, "start")) {
          element.next_number = NumberOr(*start, 1);
        }
        [[fallthrough]];
      case Role::kBulletList:
        writer_.indent = lists_++;
        break;
      case Role::kItem:
        writer_.SetMarker(ItemMarker(token));
        break;
      case Role::kPreformatted:
        ++preformatted_;
        skip_newline_ = true;
        break;
      case Role::kCell:
        writer_.CellBreak();
        break;
      case Role::kAnchor:
        if (const std::string* href = FindAttribute(token, "href")) {
          element.href = std::string(TrimHtmlSpace(*href));
          element.link = LinkTarget(*href);
          if (!element.link.empty()) writer_.BeginLink();
        }
        break;
      default:
        break;
    }
  }

  static int NumberOr(std::string_view text, int fallback) {
    text = TrimHtmlSpace(text);
    const bool negative = text.starts_with('-');
    if (negative) text.remove_prefix(1);
    if (text.empty() || text.size() > 9) return fallback;
    int value = 0;
    for (const char c : text) {
      if (c < '0' || c > '9') return fallback;
      value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
  }

  std::string ItemMarker(const HtmlToken& token) {
    const int list = Nearest(&Scope::list);
    if (list < 0 || open_[list].rule.role != Role::kNumberedList) return std::string(kBullet);
    OpenElement& numbered = open_[list];
    if (const std::string* value = FindAttribute(token, "value")) {
      numbered.next_number = NumberOr(*value, numbered.next_number);
    }
    return std::to_string(numbered.next_number++) + ". ";
  }

  void End(const HtmlToken& token) {
    const TagRule rule = RuleOf(token.name);
    if (rule.role == Role::kLineBreak) {  // </br> is read as <br>
      if (hiding_ == 0) writer_.LineBreak();
      return;
    }
    if (open_names_.find(token.name) == open_names_.end()) {
      // A </p> without its <p> is an empty paragraph.
      if (rule.role == Role::kParagraph && hiding_ == 0) writer_.Break(2);
      return;
    }
    for (std::size_t i = open_.size(); i-- > 0;) {
      if (open_[i].name == token.name) {
        CloseFrom(static_cast<int>(i));
        return;
      }
    }
  }

  // Closes the element at stack index `index` and everything inside it.
  void CloseFrom(int index) {
    while (static_cast<int>(open_.size()) > index) Pop();
  }

  void Pop() {
    OpenElement element = std::move(open_.back());
    open_.pop_back();
    const auto name = open_names_.find(element.name);
    if (--name->second == 0) open_names_.erase(name);
    if (element.hiding) --hiding_;
    if (!element.shown) return;
    switch (element.rule.role) {
      case Role::kQuote:
        --writer_.quote_depth;
        break;
      case Role::kBulletList:
      case Role::kNumberedList:
        writer_.indent = std::max(0, --lists_ - 1);
        break;
      case Role::kPreformatted:
        --preformatted_;
        break;
      case Role::kAnchor:
        if (!element.link.empty()) EndLink(element);
        break;
      default:
        break;
    }
    if (element.rule.flags & kBlock) writer_.Break(BlockLines(element.rule));
  }

  void EndLink(const OpenElement& anchor) {
    const std::string text(TrimHtmlSpace(writer_.LinkText()));
    writer_.EndLink();
    if (text.empty()) {
      writer_.Text(anchor.link);
    } else if (text != anchor.link && text != anchor.href) {
      writer_.Text(" <" + anchor.link + ">");
    }
  }

  TextWriter writer_;
  std::vector<OpenElement> open_;
  // How many open elements have each name: an end tag with none is ignored
  // without a walk down the stack.
  std::unordered_map<std::string, int> open_names_;
  int hiding_ = 0;  // open elements that hide their content
  int lists_ = 0;   // lists shown
  int preformatted_ = 0;
  bool skip_newline_ = false;
};

}  // namespace

std::string HtmlToText(std::string_view html, std::string_view mime_charset) {
  const std::string text = NormalizeLineEnds(DecodeHtmlBytes(html, mime_charset));
  HtmlTokenizer tokenizer(text);
  HtmlToken token;
  Converter converter;
  while (tokenizer.Next(token)) converter.Take(token);
  return converter.Finish();
}

}  // namespace viewer
