#pragma once
// A search query as the user types it, in the quick filter box, in the search of the
// whole mailbox and on the command line: one parse, read by every code that searches
// (the thread list's filter, the full-text index, the viewer's highlighting), so that a
// query means the same everywhere.
//
// The syntax:
//   word            the word in the sender, the subject or the text (any of them)
//   "a phrase"      the same with its blanks (a run of blanks matches any run of blanks)
//   from:W  to:W  subject:W  body:W  nq:W  file:W
//                   W (a word or a phrase) in that field only: from: the sender's name and
//                   address; to: To and Cc; body: the text; nq: the text outside quoted
//                   lines (lines that begin with ">", "＞" or "|" after blanks); file: an
//                   attachment's name. Aliases 差出人 宛先 件名 本文 添付, with ":" or "：".
//   date:D          D a day (2026-03-14), a month (2026-03) or a year (2026), "/" as well
//                   as "-"; a range D..D (either end open, both ends' days included); an
//                   age 7d 3w 2m 1y (on or after the start of the day that many days,
//                   weeks, calendar months or years before today)
//   after:D before:D  on or after day D; before day D
//   is:unread is:read has:attachment folder:T (T a substring of a folder's title)
//   -term           not the term (also the first of a query)
//   a OR b          either; binds tighter than terms side by side (a b OR c = a (b OR c))
//   ( ... )         a group; "(" counts only at a term's start, ")" only at its end while a
//                   group is open (so "ls(1)" is a word)
// Any other "word:" (Re:, 10:30, a URL) is a word as typed. Field names and keywords are
// matched without regard to letter case, except OR, which is upper case only.
// Terms side by side must all hold.
//
// Texts are kept as typed (UTF-8, every character); each searcher folds them its own way
// (search/fold.h for the index and the viewer); the Shift-JIS form is derived here only
// for the thread list's rows, whose sender and subject are Shift-JIS.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace thread {

// A day of the local calendar.
struct CivilDay {
  int year = 0;
  int month = 0;  // 1-12
  int day = 0;    // 1-31
  friend bool operator==(const CivilDay&, const CivilDay&) = default;
};

// Days since 1970-01-01 of a day of the proleptic Gregorian calendar, and back; the
// length of a month; a day moved by `days`.
std::int64_t DaysFromCivil(const CivilDay& day);
CivilDay CivilFromDays(std::int64_t days);
int DaysInMonth(int year, int month);
CivilDay AddDays(const CivilDay& day, std::int64_t days);

// What relative dates and day bounds are measured by: today's local date, and the date
// stamp (seconds, as the index records hold them) at which a local day starts. Tests give
// a fixed clock; the program gives the machine's (LocalQueryClock).
struct QueryClock {
  CivilDay today;
  std::function<std::int64_t(const CivilDay&)> day_start;
};

// Where a text term looks.
enum class QueryField {
  kAny,        // sender, subject or text: a bare word or phrase
  kFrom,       // the sender's name and address
  kTo,         // To and Cc, names and addresses
  kSubject,    // the subject as the thread list shows it
  kBody,       // the text, quoted lines and attachment lines included
  kNotQuoted,  // the text outside quoted lines
  kFile,       // an attachment's name
};

enum class QueryFlag { kUnread, kRead, kAttachment };

struct QueryNode {
  enum class Kind {
    kAll,     // every child holds (an empty kAll holds always)
    kEither,  // some child holds
    kText,    // `field` holds `text`
    kDate,    // the date stamp lies in [from_stamp, before_stamp)
    kFlag,    // the record's flag says `flag`
    kFolder,  // the folder's title holds `text`
  };
  Kind kind = Kind::kAll;
  bool negated = false;
  std::vector<QueryNode> children;  // kAll, kEither

  // kText, kFolder: the text as typed (quotes taken off), UTF-8.
  std::string text;
  bool phrase = false;  // given in quotes
  QueryField field = QueryField::kAny;
  // kText, kFolder: `text` in Shift-JIS folded as the quick filter folds
  // (thread/quick_filter.h); nullopt when a character has no Shift-JIS form (then it
  // matches no Shift-JIS text).
  std::optional<std::string> sjis_folded;

  // kDate: either bound open (nullopt); the days as typed, for the explanation.
  std::optional<std::int64_t> from_stamp;
  std::optional<std::int64_t> before_stamp;
  std::optional<CivilDay> first_day;  // the first day included
  std::optional<CivilDay> last_day;   // the last day included

  QueryFlag flag = QueryFlag::kUnread;  // kFlag
};

struct ParsedQuery {
  QueryNode root;     // kAll; no children for a text of blanks only
  std::string error;  // why the text cannot be read, in Japanese (UTF-8); empty when read
  bool Ok() const { return error.empty(); }
  // A text of blanks only (or one that failed) is no query.
  bool Empty() const { return !Ok() || root.children.empty(); }
};

// Reads `utf8`. Never throws; any text gives a query or an error.
ParsedQuery ParseQuery(std::string_view utf8, const QueryClock& clock);

// How the query was read, in one line (UTF-8), for the status bar and
// `veltrano-cli search --explain`; the error's text when it failed.
std::string ExplainQuery(const ParsedQuery& query);

// Whether `node` holds for a message whose leaves (kText, kDate, kFlag, kFolder nodes,
// negation not applied) `holds` answers. An empty kAll holds.
bool Evaluate(const QueryNode& node, const std::function<bool(const QueryNode&)>& holds);

// Calls `visit` for every leaf of `node`, in order, with whether it counts for (an even
// number of negations above it) or against.
void ForEachLeaf(const QueryNode& node,
                 const std::function<void(const QueryNode& leaf, bool positive)>& visit);

// The machine's clock and time zone.
QueryClock LocalQueryClock();

// Whether the thread list's filter asks the full-text index about `leaf` (a kText node):
// the fields a row of the list does not hold (to:, body:, nq:, file:), the sender's
// address (from:, beside the row's sender), and bare words when the text is searched too
// (`body_search`, "本文も検索"). The index answers such leaves one by one, in ForEachLeaf
// order, with the sorted names of the folder's messages where each holds (negation not
// applied); a row holds a leaf when its own texts do or its name is among those.
bool AskedOfIndex(const QueryNode& leaf, bool body_search);

}  // namespace thread
