#include "thread/quick_filter.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

#include "nkf/cp932.h"
#include "platform/text_bytes.h"
#include "thread/sjis_text.h"

namespace thread {
namespace {

// The full-width forms of "!" to "~" in Shift-JIS: the ASCII character for
// the trail byte of a lead byte 0x81 or 0x82, or 0 when the pair is none.
// (The two forms Shift-JIS has twice, ＇ and ＂, are also at 0xEEFB/0xEEFC and
// 0xFA56/0xFA57.)
struct FullWidthTable {
  std::array<char, 256> lead81{};
  std::array<char, 256> lead82{};
  constexpr FullWidthTable() {
    const char* const symbols81 =
        // trail 0x43 ... as pairs of trail byte and ASCII character
        "\x43,\x44.\x46:\x47;\x48?\x49!\x4d`\x4f^\x51_\x5e/\x5f\\\x60~\x62|\x69(\x6a)"
        "\x6d[\x6e]\x6f{\x70}\x7b+\x7c-\x81=\x83<\x84>\x90$\x93%\x94#\x95&\x96*\x97@";
    for (const char* p = symbols81; *p != 0; p += 2) {
      lead81[static_cast<unsigned char>(p[0])] = p[1];
    }
    for (int i = 0; i < 10; ++i) lead82[0x4F + i] = static_cast<char>('0' + i);
    for (int i = 0; i < 26; ++i) {
      lead82[0x60 + i] = static_cast<char>('A' + i);
      lead82[0x81 + i] = static_cast<char>('a' + i);
    }
  }
};
constexpr FullWidthTable kFullWidth;

constexpr unsigned char kHalfVoiced = 0xDE;  // ﾞ

char* PutDoubleByte(std::uint16_t code, char* out) {
  out[0] = static_cast<char>(code >> 8);
  out[1] = static_cast<char>(code & 0xFF);
  return out + 2;
}

// The ASCII character for a full-width pair, or 0.
char FullWidthAscii(unsigned char lead, unsigned char trail) {
  if (lead == 0x81) return kFullWidth.lead81[trail];
  if (lead == 0x82) return kFullWidth.lead82[trail];
  if ((lead == 0xEE && trail == 0xFB) || (lead == 0xFA && trail == 0x56)) return '\'';
  if ((lead == 0xEE && trail == 0xFC) || (lead == 0xFA && trail == 0x57)) return '"';
  return 0;
}

// Folds `text` into `to`, which has room for twice its length (the fold at
// most doubles it, for half-width kana), and returns the end. Through a
// pointer: the filter folds every row's texts on each typed character.
char* FoldInto(std::string_view text, char* to) {
  const char* from = text.data();
  const char* const end = from + text.size();
  while (from < end) {
    const auto byte = static_cast<unsigned char>(*from);
    if (byte < 0x80) {
      *to++ = platform::AsciiLower(static_cast<char>(byte));
      ++from;
    } else if (byte >= 0xA1 && byte <= 0xDF) {
      std::uint16_t joined = 0;
      if (from + 1 < end && byte < kHalfVoiced) {
        joined = nkf::JoinSoundMark(byte, static_cast<unsigned char>(from[1]));
      }
      to = PutDoubleByte(joined != 0 ? joined : nkf::FullWidthKatakana(byte), to);
      from += joined != 0 ? 2 : 1;
    } else if (platform::IsSjisLeadByte(byte) && from + 1 < end) {
      const auto trail = static_cast<unsigned char>(from[1]);
      if (byte == 0x81 && trail == 0x40) {
        *to++ = ' ';  // the ideographic space
      } else if (const char ascii = FullWidthAscii(byte, trail); ascii != 0) {
        *to++ = platform::AsciiLower(ascii);
      } else {
        *to++ = from[0];
        *to++ = from[1];
      }
      from += 2;
    } else {
      *to++ = static_cast<char>(byte);
      ++from;
    }
  }
  return to;
}

}  // namespace

void AppendFolded(std::string_view text, std::string& out) {
  const std::size_t start = out.size();
  out.resize(start + 2 * text.size());
  char* const end = FoldInto(text, out.data() + start);
  out.resize(static_cast<std::size_t>(end - out.data()));
}

namespace {

// Like SjisContains, but with the library's search for candidates and one
// forward walk over the character boundaries for all of them.
bool ContainsOnBoundary(std::string_view text, std::string_view word) {
  std::size_t boundary = 0;
  for (std::size_t pos = text.find(word); pos != std::string_view::npos;
       pos = text.find(word, pos + 1)) {
    while (boundary < pos) {
      boundary += platform::IsSjisLeadByte(static_cast<unsigned char>(text[boundary])) ? 2 : 1;
    }
    if (boundary == pos) return true;
  }
  return false;
}

}  // namespace

std::string FoldForFilter(std::string_view text) {
  std::string out;
  AppendFolded(text, out);
  return out;
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// `text` with each run of blanks made one blank.
std::string OneBlank(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (IsBlank(c) && !out.empty() && out.back() == ' ') continue;
    out += IsBlank(c) ? ' ' : c;
  }
  return out;
}

}  // namespace

QuickFilter::QuickFilter(ParsedQuery query, bool body_search, std::string_view folder_title,
                         std::vector<std::vector<std::string>> hits)
    : query_(std::move(query)), hits_(std::move(hits)) {
  if (query_.Empty()) return;
  const std::string folder = FoldForFilter(folder_title);
  std::size_t asked = 0;
  narrows_ = true;
  ForEachLeaf(query_.root, [&](const QueryNode& node, bool positive) {
    Leaf leaf;
    leaf.node = &node;
    if (AskedOfIndex(node, body_search)) {
      leaf.hits = asked < hits_.size() ? &hits_[asked] : nullptr;
      ++asked;
    }
    if (node.sjis_folded) {
      leaf.text = OneBlank(*node.sjis_folded);
      if (node.phrase && leaf.text->find(' ') != std::string::npos) one_blank_ = true;
    }
    if (node.kind == QueryNode::Kind::kFolder && leaf.text) {
      leaf.folder_holds = ContainsOnBoundary(OneBlank(folder), *leaf.text);
    }
    const bool word = node.kind == QueryNode::Kind::kText && node.field == QueryField::kAny &&
                      !node.phrase && node.sjis_folded && !AskedOfIndex(node, body_search);
    if (!word || !positive) narrows_ = false;
    if (word) folded_ += (folded_.empty() ? "" : " ") + *node.sjis_folded;
    leaves_.push_back(leaf);
  });
  // Side by side at the top, each a leaf of its own: no OR, no group.
  for (const QueryNode& child : query_.root.children) {
    if (child.kind == QueryNode::Kind::kAll || child.kind == QueryNode::Kind::kEither) {
      narrows_ = false;
    }
  }
  if (!narrows_) folded_.clear();
}

void QuickFilter::FoldRow(std::string_view shown_subject, std::string_view sender) {
  // Subject and sender folded into one text, parted by a line feed, which no
  // word of the box holds and no Shift-JIS character contains: a word found
  // there lies in one of the two.
  const std::size_t room = 2 * (shown_subject.size() + sender.size()) + 1;
  if (row_.size() < room) row_.resize(room);
  char* end = FoldInto(shown_subject, row_.data());
  subject_end_ = static_cast<std::size_t>(end - row_.data());
  *end++ = '\n';
  end = FoldInto(sender, end);
  if (one_blank_) {
    // A run of blanks in a phrase matches any run of blanks. (Blanks are
    // ASCII and never a trail byte; the subject's end moves with its blanks.)
    char* to = row_.data();
    for (char* from = row_.data(); from < end; ++from) {
      if (from - row_.data() == static_cast<std::ptrdiff_t>(subject_end_)) {
        subject_end_ = static_cast<std::size_t>(to - row_.data());
      }
      if (IsBlank(*from) && to > row_.data() && to[-1] == ' ') continue;
      *to++ = IsBlank(*from) ? ' ' : *from;
    }
    end = to;
  }
  row_text_ = std::string_view(row_.data(), static_cast<std::size_t>(end - row_.data()));
}

bool QuickFilter::Holds(const Leaf& leaf, const ThreadNode& node, std::string_view shown_subject) {
  const QueryNode& query = *leaf.node;
  switch (query.kind) {
    case QueryNode::Kind::kAll:
    case QueryNode::Kind::kEither:
      return false;
    case QueryNode::Kind::kFolder:
      return leaf.folder_holds;
    case QueryNode::Kind::kFlag: {
      const std::uint32_t flags = FlagWord(node);
      if (query.flag == QueryFlag::kUnread) return (flags & kUnreadFlag) != 0;
      if (query.flag == QueryFlag::kRead) return (flags & kUnreadFlag) == 0;
      return (flags & kAttachmentFlag) != 0;
    }
    case QueryNode::Kind::kDate: {
      const Stamp bytes = DateStamp(node);
      const std::int64_t stamp = std::int64_t{bytes[0]} << 24 | std::int64_t{bytes[1]} << 16 |
                                 std::int64_t{bytes[2]} << 8 | bytes[3];
      return (!query.from_stamp || stamp >= *query.from_stamp) &&
             (!query.before_stamp || stamp < *query.before_stamp);
    }
    case QueryNode::Kind::kText:
      break;
  }
  const bool row_field = query.field == QueryField::kAny || query.field == QueryField::kFrom ||
                         query.field == QueryField::kSubject;
  if (row_field && leaf.text) {
    if (row_text_.data() == nullptr) FoldRow(shown_subject, node.Sender);
    std::string_view text = row_text_;
    if (query.field == QueryField::kFrom) text = row_text_.substr(subject_end_ + 1);
    if (query.field == QueryField::kSubject) text = row_text_.substr(0, subject_end_);
    if (ContainsOnBoundary(text, *leaf.text)) return true;
  }
  if (leaf.hits == nullptr || leaf.hits->empty()) return false;
  name_.assign(node.Name.data(), strnlen(node.Name.data(), node.Name.size()));
  return std::binary_search(leaf.hits->begin(), leaf.hits->end(), name_);
}

bool QuickFilter::Matches(const ThreadNode& node, std::string_view shown_subject) {
  row_text_ = {};
  if (narrows_) {
    // Words side by side, the common case while typing: no tree to walk.
    for (const Leaf& leaf : leaves_) {
      if (!Holds(leaf, node, shown_subject)) return false;
    }
    return true;
  }
  return Evaluate(query_.root, [&](const QueryNode& query) {
    for (const Leaf& leaf : leaves_) {
      if (leaf.node == &query) return Holds(leaf, node, shown_subject);
    }
    return false;
  });
}

}  // namespace thread
