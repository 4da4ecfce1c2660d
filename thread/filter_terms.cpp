#include "thread/filter_terms.h"

#include <algorithm>
#include <unordered_map>

#include "thread/quick_filter.h"
#include "thread/sjis_text.h"

namespace thread {
namespace {

constexpr std::string_view kIdeographicSpace = "\x81\x40";
constexpr std::string_view kWideColon = "\x81\x46";          // "："
constexpr std::string_view kWideOpen = "\x81\x79";           // "【"
constexpr std::string_view kWideClose = "\x81\x7a";          // "】"
constexpr std::string_view kReplyJa = "\x95\xd4\x90\x4d";    // "返信"
constexpr std::string_view kForwardJa = "\x93\x5d\x91\x97";  // "転送"

bool IsAsciiBlank(char c) { return c == ' ' || c == '\t'; }

// The length of the blank at the start of `text` (0 when none).
std::size_t BlankAt(std::string_view text) {
  if (!text.empty() && IsAsciiBlank(text[0])) return 1;
  if (text.starts_with(kIdeographicSpace)) return kIdeographicSpace.size();
  return 0;
}

std::string_view TrimStart(std::string_view text) {
  while (const std::size_t blank = BlankAt(text)) text.remove_prefix(blank);
  return text;
}

// Trailing blanks, stepping by characters from the start: the second byte of
// a double-byte character may look like a blank's.
std::string_view TrimEnd(std::string_view text) {
  std::size_t end = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t blank = BlankAt(text.substr(pos));
    pos += blank != 0 ? blank : SjisCharLength(text, pos);
    if (blank == 0) end = pos;
  }
  return text.substr(0, end);
}

std::string_view Trim(std::string_view text) { return TrimEnd(TrimStart(text)); }

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view text, std::string_view word) {
  if (text.size() < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (LowerAscii(text[i]) != word[i]) return false;
  }
  return true;
}

// The colon after a mark, ASCII or full-width: its length, 0 when none.
std::size_t ColonAt(std::string_view text) {
  if (text.starts_with(':')) return 1;
  if (text.starts_with(kWideColon)) return kWideColon.size();
  return 0;
}

// The length of a reply or forward mark at the start of `text`, its colon
// included; 0 when there is none.
std::size_t ReplyMarkAt(std::string_view text) {
  for (const std::string_view mark : {kReplyJa, kForwardJa}) {
    if (!text.starts_with(mark)) continue;
    const std::size_t colon = ColonAt(text.substr(mark.size()));
    if (colon != 0) return mark.size() + colon;
  }
  for (const std::string_view mark : {"fwd", "fw", "re"}) {
    if (!StartsWithNoCase(text, mark)) continue;
    std::size_t at = mark.size();
    // A count: "Re[2]:", "Re(2):", "Re^2:".
    if (at < text.size() && (text[at] == '[' || text[at] == '(' || text[at] == '^')) {
      const char close = text[at] == '[' ? ']' : text[at] == '(' ? ')' : '\0';
      std::size_t digit = at + 1;
      while (digit < text.size() && text[digit] >= '0' && text[digit] <= '9') ++digit;
      if (digit == at + 1) continue;
      if (close != '\0') {
        if (digit >= text.size() || text[digit] != close) continue;
        ++digit;
      }
      at = digit;
    }
    const std::size_t colon = ColonAt(text.substr(at));
    if (colon != 0) return at + colon;
  }
  return 0;
}

// The length of a mailing-list tag ("[...]" or "【...】") at the start of
// `text`, 0 when none.
std::size_t ListTagAt(std::string_view text) {
  if (text.starts_with('[')) {
    const std::size_t close = SjisFind(text, "]", 1);
    return close == std::string_view::npos ? 0 : close + 1;
  }
  if (text.starts_with(kWideOpen)) {
    const std::size_t close = SjisFind(text, kWideClose, kWideOpen.size());
    return close == std::string_view::npos ? 0 : close + kWideClose.size();
  }
  return 0;
}

bool NeedsQuotes(std::string_view value) {
  if (value.starts_with('-')) return true;
  for (std::size_t pos = 0; pos < value.size(); pos += SjisCharLength(value, pos)) {
    const char c = value[pos];
    if (BlankAt(value.substr(pos)) != 0 || c == '"' || c == '(' || c == ')') return true;
  }
  return false;
}

// SenderWord as a part of `sender`: every step only cuts it, so the ranking
// counts a folder's senders without a copy of each.
std::string_view SenderWordIn(std::string_view sender) {
  const std::string_view text = Trim(sender);
  const std::size_t open = SjisFind(text, "<");
  if (open != std::string_view::npos) {
    const std::size_t close = SjisFind(text, ">", open + 1);
    if (close != std::string_view::npos) {
      const std::string_view address = Trim(text.substr(open + 1, close - open - 1));
      if (SjisContains(address, "@")) return address;
    }
  }
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    return Trim(text.substr(1, text.size() - 2));
  }
  return text;
}

const ThreadNode& FirstOfThread(const ThreadNode& node) {
  const ThreadNode* at = &node;
  while (at->Depth > 0 && at->Prev != nullptr) at = at->Prev;
  return *at;
}

}  // namespace

std::string BareSubject(std::string_view subject) {
  std::string_view text = TrimStart(subject);
  for (;;) {
    std::size_t mark = ReplyMarkAt(text);
    if (mark == 0) mark = ListTagAt(text);
    if (mark == 0) break;
    text = TrimStart(text.substr(mark));
  }
  return std::string(TrimEnd(text));
}

std::string SenderWord(std::string_view sender) { return std::string(SenderWordIn(sender)); }

std::string FieldTerm(std::string_view field, std::string_view value) {
  if (value.empty()) return {};
  std::string term(field);
  term += ':';
  if (!NeedsQuotes(value)) return term += value;
  term += '"';
  for (std::size_t pos = 0; pos < value.size();) {
    const std::size_t length = SjisCharLength(value, pos);
    if (length == 1 && (value[pos] == '"' || value[pos] == '\\')) term += '\\';
    term += value.substr(pos, length);
    pos += length;
  }
  return term += '"';
}

std::string SenderTerm(const ThreadNode& node) {
  return FieldTerm("from", SenderWord(node.Sender));
}

std::string SubjectTerm(const ThreadNode& node) {
  return FieldTerm("subject", BareSubject(node.Subject));
}

std::string ThreadTerm(const ThreadNode& node) { return SubjectTerm(FirstOfThread(node)); }

SenderRanking::SenderRanking(const ThreadNode* head) {
  // Keyed by the words inside the nodes' texts, which outlive the count.
  std::unordered_map<std::string_view, std::size_t> seen;
  std::vector<std::string_view> words;
  std::vector<int> counts;
  for (const ThreadNode* node = head; node != nullptr; node = node->Next) {
    const std::string_view word = SenderWordIn(node->Sender);
    if (word.empty()) continue;
    const auto [at, fresh] = seen.emplace(word, words.size());
    if (fresh) {
      words.push_back(word);
      counts.push_back(0);
    }
    ++counts[at->second];
  }
  senders_.reserve(words.size());
  for (std::size_t i = 0; i < words.size(); ++i) {
    senders_.push_back({std::string(words[i]), FoldForFilter(words[i]), counts[i]});
  }
  // Stable: equal counts keep the order of first appearance.
  std::stable_sort(senders_.begin(), senders_.end(),
                   [](const Sender& a, const Sender& b) { return a.count > b.count; });
}

std::vector<std::string> SenderRanking::Matching(std::string_view typed, std::size_t limit) const {
  const std::string folded = FoldForFilter(typed);
  std::vector<std::string> out;
  for (const Sender& sender : senders_) {
    if (out.size() >= limit) break;
    if (folded.empty() || SjisContains(sender.folded, folded)) out.push_back(sender.word);
  }
  return out;
}

}  // namespace thread
