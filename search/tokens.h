#pragma once
// The tokens of the index: character pairs. A folded text (search/fold.h) is cut at its
// blanks into runs; each run gives its overlapping pairs of characters (code points), in
// order, then its last character alone:
//   "東京都" gives 東京 京都 都;  "a" gives a.
// So every substring of a run is found exactly:
//   - one character c: a token beginning with c (the pair it starts, or c alone at the
//     end of its run), a prefix query on c;
//   - two characters: the one pair;
//   - more: the phrase of its consecutive pairs. A phrase never reaches across runs,
//     because a single character stands between the pairs of two runs.
// The words of a query hold no blank (search/fold.h), so a word lies inside one run.

#include <string>
#include <string_view>
#include <vector>

#include "search/fold.h"

namespace search {

// Calls `emit(token)` for the tokens of `folded` in order; stops at the first non-zero
// return and gives it back (0 when all were taken).
template <class Emit>
int ForEachToken(std::string_view folded, Emit&& emit);

// The FTS5 query for the folded words of a search (search/fold.h QueryWords): every word
// must occur. Empty for no word.
std::string MatchExpression(const std::vector<std::string>& words);

// Bytes of the UTF-8 character at `pos` (1 for a byte that starts none).
std::size_t CharLength(std::string_view text, std::size_t pos);

template <class Emit>
int ForEachToken(std::string_view folded, Emit&& emit) {
  std::size_t pos = 0;
  while (pos < folded.size()) {
    if (IsBlank(folded[pos])) {
      ++pos;
      continue;
    }
    // A run: each character with the one after it, while there is one in the run.
    for (;;) {
      const std::size_t next = pos + CharLength(folded, pos);
      const bool run_goes_on = next < folded.size() && !IsBlank(folded[next]);
      const std::size_t end = run_goes_on ? next + CharLength(folded, next) : next;
      if (const int result = emit(folded.substr(pos, end - pos)); result != 0) return result;
      pos = next;
      if (!run_goes_on) break;
    }
  }
  return 0;
}

}  // namespace search
