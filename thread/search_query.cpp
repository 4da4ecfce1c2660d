#include "thread/search_query.h"

#include <cstddef>
#include <cstdio>
#include <utility>

#include "nkf/nkf_decode.h"
#include "platform/local_day.h"
#include "thread/quick_filter.h"

// The parser reads the UTF-8 text by recursive descent, one term at a time:
//   query    := sequence
//   sequence := either*            (until the end, or a ")" while a group is open)
//   either   := unary ("OR" unary)*
//   unary    := "-" unary | "(" sequence ")" | field value | phrase | word
// Messages are UTF-8 literals: the error goes to the status bar and the command line,
// both of which take UTF-8.

namespace thread {

// ---- Days --------------------------------------------------------------------------

std::int64_t DaysFromCivil(const CivilDay& d) {
  const std::int64_t y = d.year - (d.month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t mp = (d.month + 9) % 12;
  const std::int64_t doy = (153 * mp + 2) / 5 + d.day - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

CivilDay CivilFromDays(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0)), month, day};
}

static bool LeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && LeapYear(year) ? 29 : kDays[month - 1];
}

CivilDay AddDays(const CivilDay& day, std::int64_t days) {
  return CivilFromDays(DaysFromCivil(day) + days);
}

namespace {

constexpr std::string_view kIdeographicSpace = "　";
constexpr std::string_view kFullWidthColon = "：";

// `months` calendar months before `day`, the day clamped to the month's length.
CivilDay MonthsBefore(const CivilDay& day, int months) {
  const int index = day.year * 12 + (day.month - 1) - months;
  if (index < 1970 * 12) return {1970, 1, 1};
  CivilDay result{index / 12, index % 12 + 1, day.day};
  if (result.day > DaysInMonth(result.year, result.month)) {
    result.day = DaysInMonth(result.year, result.month);
  }
  return result;
}

// The days a date value names: its first and last.
struct DaySpan {
  CivilDay first;
  CivilDay last;
};

bool Digits(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

int Number(std::string_view digits) {
  int n = 0;
  for (const char c : digits) n = n * 10 + (c - '0');
  return n;
}

// A day, a month or a year: 2026-03-14, 2026-03, 2026 ("/" as well as "-", one kind in
// a value); years 1970-9999, as the stamps count from 1970.
std::optional<DaySpan> ReadDays(std::string_view text) {
  const std::size_t sep_at = text.find_first_of("-/");
  const char sep = sep_at == std::string_view::npos ? '-' : text[sep_at];
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(sep, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  if (parts.size() > 3 || parts[0].size() != 4 || !Digits(parts[0])) return std::nullopt;
  for (std::size_t i = 1; i < parts.size(); ++i) {
    if (parts[i].size() > 2 || !Digits(parts[i])) return std::nullopt;
  }
  const int year = Number(parts[0]);
  if (year < 1970) return std::nullopt;
  if (parts.size() == 1) return DaySpan{{year, 1, 1}, {year, 12, 31}};
  const int month = Number(parts[1]);
  if (month < 1 || month > 12) return std::nullopt;
  if (parts.size() == 2) return DaySpan{{year, month, 1}, {year, month, DaysInMonth(year, month)}};
  const int day = Number(parts[2]);
  if (day < 1 || day > DaysInMonth(year, month)) return std::nullopt;
  return DaySpan{{year, month, day}, {year, month, day}};
}

// An age: 7d 3w 2m 1y, the first day it reaches back to.
std::optional<CivilDay> ReadAge(std::string_view text, const CivilDay& today) {
  if (text.size() < 2 || text.size() > 6) return std::nullopt;
  const std::string_view digits = text.substr(0, text.size() - 1);
  if (!Digits(digits)) return std::nullopt;
  const int n = Number(digits);
  CivilDay first;
  switch (text.back() | 0x20) {
    case 'd':
      first = AddDays(today, -n);
      break;
    case 'w':
      first = AddDays(today, -7 * std::int64_t{n});
      break;
    case 'm':
      first = MonthsBefore(today, n);
      break;
    case 'y':
      first = MonthsBefore(today, 12 * n);
      break;
    default:
      return std::nullopt;
  }
  if (first.year < 1970) first = {1970, 1, 1};
  return first;
}

// ---- Texts ---------------------------------------------------------------------------

// The UTF-8 text in Shift-JIS, folded as the quick filter folds; nullopt when a
// character has no Shift-JIS form.
std::optional<std::string> SjisFolded(std::string_view utf8) {
  std::string sjis;
  for (std::size_t pos = 0; pos < utf8.size();) {
    const unsigned char byte = static_cast<unsigned char>(utf8[pos]);
    if (byte < 0x80) {
      sjis += static_cast<char>(byte);
      ++pos;
      continue;
    }
    const nkf::Piece piece = nkf::NextUtf8Piece(utf8, pos);
    if (piece.kind == nkf::PieceKind::kByte) {
      sjis += static_cast<char>(piece.code);
    } else if (piece.kind == nkf::PieceKind::kDoubleByte) {
      sjis += static_cast<char>(piece.code >> 8);
      sjis += static_cast<char>(piece.code & 0xFF);
    } else {
      return std::nullopt;
    }
    pos += piece.length;
  }
  std::string folded;
  AppendFolded(sjis, folded);
  return folded;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] | 0x20) : a[i];
    if (x != b[i]) return false;
  }
  return true;
}

// The field names, with what each makes.
enum class Field { kText, kDate, kAfter, kBefore, kIs, kHas, kFolder };
struct FieldName {
  std::string_view name;  // ASCII names lower case, matched ignoring case
  Field field;
  QueryField text_field;
};
constexpr FieldName kFieldNames[] = {
    {"from", Field::kText, QueryField::kFrom},
    {"to", Field::kText, QueryField::kTo},
    {"subject", Field::kText, QueryField::kSubject},
    {"body", Field::kText, QueryField::kBody},
    {"nq", Field::kText, QueryField::kNotQuoted},
    {"file", Field::kText, QueryField::kFile},
    {"差出人", Field::kText, QueryField::kFrom},
    {"宛先", Field::kText, QueryField::kTo},
    {"件名", Field::kText, QueryField::kSubject},
    {"本文", Field::kText, QueryField::kBody},
    {"添付", Field::kText, QueryField::kFile},
    {"date", Field::kDate, QueryField::kAny},
    {"after", Field::kAfter, QueryField::kAny},
    {"before", Field::kBefore, QueryField::kAny},
    {"is", Field::kIs, QueryField::kAny},
    {"has", Field::kHas, QueryField::kAny},
    {"folder", Field::kFolder, QueryField::kAny},
};

// ---- The parser ----------------------------------------------------------------------

class Parser {
 public:
  Parser(std::string_view text, const QueryClock& clock) : text_(text), clock_(clock) {}

  ParsedQuery Parse() {
    ParsedQuery query;
    query.root.kind = QueryNode::Kind::kAll;
    query.root.children = Sequence(0);
    if (!error_.empty()) return {QueryNode{}, error_};
    return query;
  }

 private:
  static constexpr int kMaxDepth = 64;

  bool AtEnd() const { return pos_ >= text_.size(); }
  std::size_t BlankAt(std::size_t pos) const {
    if (pos >= text_.size()) return 0;
    if (text_[pos] == ' ' || text_[pos] == '\t' || text_[pos] == '\r' || text_[pos] == '\n') {
      return 1;
    }
    return text_.substr(pos).starts_with(kIdeographicSpace) ? kIdeographicSpace.size() : 0;
  }
  void SkipBlanks() {
    while (std::size_t n = BlankAt(pos_)) pos_ += n;
  }
  // Whether a term ends at `pos`: the end, a blank, or a ")" closing an open group.
  bool TermEndsAt(std::size_t pos, int depth) const {
    return pos >= text_.size() || BlankAt(pos) > 0 || (depth > 0 && text_[pos] == ')');
  }
  bool Fail(std::string message) {
    if (error_.empty()) error_ = std::move(message);
    return false;
  }
  // Whether the bare word "OR" starts at the current position.
  bool AtOr(int depth) const {
    return text_.substr(pos_).starts_with("OR") && TermEndsAt(pos_ + 2, depth);
  }

  std::vector<QueryNode> Sequence(int depth) {
    std::vector<QueryNode> terms;
    const std::size_t start = pos_;
    for (;;) {
      SkipBlanks();
      if (!error_.empty() || AtEnd()) break;
      if (depth > 0 && text_[pos_] == ')') {
        if (terms.empty()) {
          Fail("括弧の中が空です：「" +
               std::string(text_.substr(start - 1, pos_ + 1 - (start - 1))) + "」");
        }
        break;
      }
      if (AtOr(depth)) {
        Fail("「OR」の前に語がありません");
        break;
      }
      QueryNode term = Either(depth);
      if (!error_.empty()) break;
      terms.push_back(std::move(term));
    }
    return terms;
  }

  QueryNode Either(int depth) {
    QueryNode first = Unary(depth);
    SkipBlanks();
    if (!error_.empty() || !AtOr(depth)) return first;
    QueryNode either;
    either.kind = QueryNode::Kind::kEither;
    either.children.push_back(std::move(first));
    while (error_.empty() && AtOr(depth)) {
      pos_ += 2;
      SkipBlanks();
      if (AtEnd() || (depth > 0 && text_[pos_] == ')') || AtOr(depth)) {
        Fail("「OR」の後に語がありません");
        break;
      }
      either.children.push_back(Unary(depth));
      SkipBlanks();
    }
    return either;
  }

  QueryNode Unary(int depth) {
    bool negated = false;
    while (text_[pos_] == '-') {
      ++pos_;
      negated = !negated;
      if (TermEndsAt(pos_, depth) || AtOr(depth)) {
        Fail("「-」の後に語がありません");
        return {};
      }
    }
    QueryNode term = text_[pos_] == '(' ? Group(depth) : Term(depth);
    term.negated = term.negated != negated;
    return term;
  }

  QueryNode Group(int depth) {
    const std::size_t open = pos_;
    if (depth >= kMaxDepth) {
      Fail("括弧が深すぎます");
      return {};
    }
    ++pos_;
    std::vector<QueryNode> terms = Sequence(depth + 1);
    if (!error_.empty()) return {};
    if (AtEnd()) {
      Fail("括弧が閉じられていません：「" + std::string(text_.substr(open)) + "」");
      return {};
    }
    ++pos_;  // the ")"
    if (terms.size() == 1) return std::move(terms.front());
    QueryNode group;
    group.kind = QueryNode::Kind::kAll;
    group.children = std::move(terms);
    return group;
  }

  // A phrase from the quote at the current position: its text, or an error. Inside it
  // \" stands for a quote and \\ for a backslash (as "this sender" writes a name that
  // holds them); any other backslash is itself.
  std::optional<std::string> Phrase() {
    const std::size_t open = pos_;
    std::string phrase;
    std::size_t at = open + 1;
    for (;; ++at) {
      if (at >= text_.size()) {
        Fail("引用符が閉じられていません：「" + std::string(text_.substr(open)) + "」");
        return std::nullopt;
      }
      if (text_[at] == '"') break;
      if (text_[at] == '\\' && at + 1 < text_.size() &&
          (text_[at + 1] == '"' || text_[at + 1] == '\\')) {
        ++at;
      }
      phrase += text_[at];
    }
    pos_ = at + 1;
    if (phrase.empty()) {
      Fail("引用符の中が空です：「\"\"」");
      return std::nullopt;
    }
    return phrase;
  }

  // A word from the current position to the term's end. A ")" ends it only past the
  // word's own "(" (so "ls(1)" stays whole inside a group).
  std::string Word(int depth) {
    const std::size_t start = pos_;
    int own = 0;
    while (pos_ < text_.size() && BlankAt(pos_) == 0) {
      if (text_[pos_] == '(') ++own;
      if (text_[pos_] == ')') {
        if (own == 0 && depth > 0) break;
        if (own > 0) --own;
      }
      ++pos_;
    }
    return std::string(text_.substr(start, pos_ - start));
  }

  static QueryNode TextNode(std::string text, bool phrase, QueryField field) {
    QueryNode node;
    node.kind = QueryNode::Kind::kText;
    node.field = field;
    node.phrase = phrase;
    node.sjis_folded = SjisFolded(text);
    node.text = std::move(text);
    return node;
  }

  // The field name ending in a colon at the current position, and the colon's length.
  const FieldName* FieldAt(std::size_t& colon_end) const {
    const std::string_view rest = text_.substr(pos_);
    for (const FieldName& name : kFieldNames) {
      if (rest.size() <= name.name.size()) continue;
      if (!EqualsIgnoringCase(rest.substr(0, name.name.size()), name.name)) continue;
      const std::string_view after = rest.substr(name.name.size());
      if (after.starts_with(':')) {
        colon_end = pos_ + name.name.size() + 1;
        return &name;
      }
      if (after.starts_with(kFullWidthColon)) {
        colon_end = pos_ + name.name.size() + kFullWidthColon.size();
        return &name;
      }
    }
    return nullptr;
  }

  QueryNode Term(int depth) {
    if (text_[pos_] == '"') {
      std::optional<std::string> phrase = Phrase();
      if (!phrase) return {};
      return TextNode(std::move(*phrase), true, QueryField::kAny);
    }
    std::size_t value_at = 0;
    const FieldName* name = FieldAt(value_at);
    if (name == nullptr) return TextNode(Word(depth), false, QueryField::kAny);

    const std::string typed_name(text_.substr(pos_, value_at - pos_));
    pos_ = value_at;
    if (TermEndsAt(pos_, depth)) {
      Fail("「" + typed_name + "」の後に値がありません");
      return {};
    }
    bool phrase = false;
    std::string value;
    if (text_[pos_] == '"') {
      std::optional<std::string> quoted = Phrase();
      if (!quoted) return {};
      value = std::move(*quoted);
      phrase = true;
    } else {
      value = Word(depth);
    }
    switch (name->field) {
      case Field::kText:
        return TextNode(std::move(value), phrase, name->text_field);
      case Field::kFolder: {
        QueryNode node = TextNode(std::move(value), phrase, QueryField::kAny);
        node.kind = QueryNode::Kind::kFolder;
        return node;
      }
      case Field::kIs:
        if (EqualsIgnoringCase(value, "unread")) return FlagNode(QueryFlag::kUnread);
        if (EqualsIgnoringCase(value, "read")) return FlagNode(QueryFlag::kRead);
        BadValue(typed_name, value, "unread か read");
        return {};
      case Field::kHas:
        if (EqualsIgnoringCase(value, "attachment")) return FlagNode(QueryFlag::kAttachment);
        BadValue(typed_name, value, "attachment");
        return {};
      case Field::kDate:
      case Field::kAfter:
      case Field::kBefore:
        return DateNode(name->field, typed_name, value);
    }
    return {};
  }

  void BadValue(const std::string& typed_name, const std::string& value, const char* expected) {
    Fail("「" + typed_name + value + "」の値が読めません（" + expected + "）");
  }

  static QueryNode FlagNode(QueryFlag flag) {
    QueryNode node;
    node.kind = QueryNode::Kind::kFlag;
    node.flag = flag;
    return node;
  }

  QueryNode DateNode(Field field, const std::string& typed_name, const std::string& value) {
    static constexpr char kDateForms[] = "2026-03-14, 2026-03, 2026, 2026-01..2026-03, 7d 3w 2m 1y";
    static constexpr char kDayForms[] = "2026-03-14, 2026-03, 2026";
    std::optional<CivilDay> first;
    std::optional<CivilDay> last;
    if (field == Field::kDate) {
      const std::size_t dots = value.find("..");
      if (dots != std::string::npos) {
        const std::string_view from = std::string_view(value).substr(0, dots);
        const std::string_view to = std::string_view(value).substr(dots + 2);
        const std::optional<DaySpan> from_days = from.empty() ? std::nullopt : ReadDays(from);
        const std::optional<DaySpan> to_days = to.empty() ? std::nullopt : ReadDays(to);
        if ((from.empty() && to.empty()) || (!from.empty() && !from_days) ||
            (!to.empty() && !to_days)) {
          BadValue(typed_name, value, kDateForms);
          return {};
        }
        if (from_days) first = from_days->first;
        if (to_days) last = to_days->last;
        if (first && last && DaysFromCivil(*first) > DaysFromCivil(*last)) {
          Fail("「" + typed_name + value + "」の範囲の始めが終わりより後です");
          return {};
        }
      } else if (const std::optional<DaySpan> days = ReadDays(value)) {
        first = days->first;
        last = days->last;
      } else if (const std::optional<CivilDay> age = ReadAge(value, clock_.today)) {
        first = age;
      } else {
        BadValue(typed_name, value, kDateForms);
        return {};
      }
    } else {
      const std::optional<DaySpan> days = ReadDays(value);
      if (!days) {
        BadValue(typed_name, value, kDayForms);
        return {};
      }
      if (field == Field::kAfter) first = days->first;
      if (field == Field::kBefore) last = AddDays(days->first, -1);
    }
    QueryNode node;
    node.kind = QueryNode::Kind::kDate;
    node.first_day = first;
    node.last_day = last;
    if (first && clock_.day_start) node.from_stamp = clock_.day_start(*first);
    if (last && clock_.day_start) node.before_stamp = clock_.day_start(AddDays(*last, 1));
    return node;
  }

  std::string_view text_;
  const QueryClock& clock_;
  std::size_t pos_ = 0;
  std::string error_;
};

// ---- The explanation -----------------------------------------------------------------

std::string DayText(const CivilDay& day) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", day.year, day.month, day.day);
  return text;
}

const char* FieldText(QueryField field) {
  switch (field) {
    case QueryField::kAny:
      return "";
    case QueryField::kFrom:
      return "差出人に";
    case QueryField::kTo:
      return "宛先に";
    case QueryField::kSubject:
      return "件名に";
    case QueryField::kBody:
      return "本文に";
    case QueryField::kNotQuoted:
      return "引用外の本文に";
    case QueryField::kFile:
      return "添付名に";
  }
  return "";
}

// A text as 「word」, a phrase as 『a phrase』.
std::string Quoted(const QueryNode& node) {
  return node.phrase ? "『" + node.text + "』" : "「" + node.text + "」";
}

void Explain(const QueryNode& node, bool nested, std::string& out) {
  const bool compound =
      (node.kind == QueryNode::Kind::kAll || node.kind == QueryNode::Kind::kEither);
  const bool brackets = compound && (nested || node.negated);
  if (brackets) out += '(';
  switch (node.kind) {
    case QueryNode::Kind::kAll:
    case QueryNode::Kind::kEither:
      for (std::size_t i = 0; i < node.children.size(); ++i) {
        if (i > 0) {
          out += node.kind == QueryNode::Kind::kAll ? " かつ " : " または ";
        }
        Explain(node.children[i], true, out);
      }
      break;
    case QueryNode::Kind::kText:
      out += FieldText(node.field) + Quoted(node);
      break;
    case QueryNode::Kind::kFolder:
      out += "フォルダ名に" + Quoted(node);
      break;
    case QueryNode::Kind::kDate:
      out += "日付 ";
      if (node.first_day) out += DayText(*node.first_day);
      out += "〜";
      if (node.last_day) out += DayText(*node.last_day);
      break;
    case QueryNode::Kind::kFlag:
      out += node.flag == QueryFlag::kUnread ? "未読"
             : node.flag == QueryFlag::kRead ? "既読"
                                             : "添付あり";
      break;
  }
  if (brackets) out += ')';
  if (node.negated) out += " でない";
}

}  // namespace

ParsedQuery ParseQuery(std::string_view utf8, const QueryClock& clock) {
  return Parser(utf8, clock).Parse();
}

std::string ExplainQuery(const ParsedQuery& query) {
  if (!query.Ok()) return query.error;
  std::string out;
  Explain(query.root, false, out);
  return out;
}

bool Evaluate(const QueryNode& node, const std::function<bool(const QueryNode&)>& holds) {
  bool result = false;
  switch (node.kind) {
    case QueryNode::Kind::kAll:
      result = true;
      for (const QueryNode& child : node.children) {
        if (!Evaluate(child, holds)) {
          result = false;
          break;
        }
      }
      break;
    case QueryNode::Kind::kEither:
      for (const QueryNode& child : node.children) {
        if (Evaluate(child, holds)) {
          result = true;
          break;
        }
      }
      break;
    default:
      result = holds(node);
      break;
  }
  return result != node.negated;
}

namespace {

void VisitLeaves(const QueryNode& node, bool positive,
                 const std::function<void(const QueryNode&, bool)>& visit) {
  positive = positive != node.negated;
  if (node.kind == QueryNode::Kind::kAll || node.kind == QueryNode::Kind::kEither) {
    for (const QueryNode& child : node.children) VisitLeaves(child, positive, visit);
    return;
  }
  visit(node, positive);
}

}  // namespace

void ForEachLeaf(const QueryNode& node,
                 const std::function<void(const QueryNode& leaf, bool positive)>& visit) {
  VisitLeaves(node, true, visit);
}

QueryClock LocalQueryClock() {
  const platform::LocalDate today = platform::LocalToday();
  QueryClock clock;
  clock.today = {today.year, today.month, today.day};
  clock.day_start = [](const CivilDay& day) {
    return platform::LocalDayStart({day.year, day.month, day.day});
  };
  return clock;
}

bool AskedOfIndex(const QueryNode& leaf, bool body_search) {
  if (leaf.kind != QueryNode::Kind::kText) return false;
  switch (leaf.field) {
    case QueryField::kAny:
      return body_search;
    case QueryField::kSubject:
      return false;
    case QueryField::kFrom:
    case QueryField::kTo:
    case QueryField::kBody:
    case QueryField::kNotQuoted:
    case QueryField::kFile:
      return true;
  }
  return false;
}

}  // namespace thread
