#pragma once
// What SQL a parsed query (thread/search_query.h) becomes over the index's tables
// (search/index_file.cpp): its text leaves FTS5 expressions on their field's columns,
// its date, flag and folder leaves conditions on the messages' rows.
//
// A query leads with the text index when it can: its terms side by side that are texts
// (or groups and ORs of texts) make one FTS5 expression, its negated text terms joined
// to it by NOT, so that the hits come from the text index newest first and only the
// rest is checked row by row. Without such a term (negations, dates, flags, folders
// only) the messages are read by id, newest first, each text leaf then a set of ids the
// text index gives once.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "thread/search_query.h"

namespace search {

// The text index's columns, in the order of the table (the text outside quotes first:
// most tokens are there, and the first column stores no column number with a position).
inline constexpr char kTextColumns[] = "unquoted, quoted, sender, recipients, subject, names";

// The FTS5 expression of a kText leaf (negation not applied) on its field's columns;
// empty when its text has no character to look for (it holds for every message).
std::string LeafExpression(const thread::QueryNode& leaf);

struct QueryPlan {
  std::string lead;  // an FTS5 expression every hit matches; empty: the messages lead
  // A condition over the messages' row `m`; "1" when none. Its text leaves ask the text
  // index only for ids in [?2, ?3), the stretch of ids being read (?1 is `lead`).
  std::string where;
  // The FTS5 expressions `where` binds, as ?4, ?5 and on.
  std::vector<std::string> texts;
  // The ids a hit can have, [least_id, most_id), from a date the whole query needs; the
  // condition still tests the stamp, the bounds only spare the reading of other ids.
  std::int64_t least_id = 0;
  std::int64_t most_id = INT64_MAX;
};

// `folders_titled(folded)`: the ids of the folders whose folded title holds `folded`.
// `slot_bits`: the bits of an id below its date stamp (mail_index.h).
QueryPlan PlanQuery(
    const thread::QueryNode& root,
    const std::function<std::vector<std::int64_t>(const std::string&)>& folders_titled,
    int slot_bits);

}  // namespace search
