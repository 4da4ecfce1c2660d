#pragma once
// The index's tokenizer registered with SQLite's FTS5 module under the name
// kTokenizerName. A document's text is folded and cut into the tokens of
// search/tokens.h; a query string is taken as one token as it is, since
// MatchExpression writes each token of a query already folded and cut.

#include <sqlite3.h>

namespace search {

inline constexpr char kTokenizerName[] = "veltrano";

// Registers the tokenizer on the connection. False when SQLite has no FTS5.
bool RegisterTokenizer(sqlite3* db);

}  // namespace search
