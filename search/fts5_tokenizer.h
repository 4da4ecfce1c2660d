#pragma once
// The index's tokenizer registered with SQLite's FTS5 module under the name
// kTokenizerName. A document's text is folded and cut into the tokens of
// search/tokens.h; a query string is taken as the tokens TextExpression wrote into it,
// already folded and cut: one, or the several that may stand at one place of a phrase,
// parted by kAlternatives.

#include <sqlite3.h>

namespace search {

inline constexpr char kTokenizerName[] = "veltrano";

// Registers the tokenizer on the connection. False when SQLite has no FTS5.
bool RegisterTokenizer(sqlite3* db);

}  // namespace search
