#pragma once
// The tokens of the index: one per character. A folded text (search/fold.h) is cut at its
// blanks into runs; each character of a run gives, in order,
//   - the character itself, when it is not ASCII or the run ends or goes on with a
//     character that is not ASCII;
//   - else (ASCII followed by ASCII) the pair of it and the next character;
// and a blank token (kRunBreak) stands between two runs:
//   "東京都" gives 東 京 都;  "会議mtg" gives 会 議 mt tg g;  "ab cd" gives ab b " " cd d.
// So every substring of a run is found exactly as the phrase of its tokens, the token of
// its last character taken as a prefix when it is an ASCII character alone (in the text
// it may be paired with the character after it), and dropped when the pair before it
// already holds it. A phrase never reaches across runs, because the break stands between
// them and no query token is a blank (the words of a query hold none, search/fold.h).
// Japanese, whose characters are many, is indexed a character at a time: the index is
// smaller than the text, and a one-character word is one token. ASCII, whose characters
// are few and each very common, is indexed in pairs, so that an English word is not the
// phrase of letters found in every message.

#include <string>
#include <string_view>
#include <vector>

#include "search/fold.h"

namespace search {

// The token between two runs.
inline constexpr std::string_view kRunBreak = " ";

// Calls `emit(token)` for the tokens of `folded` in order; stops at the first non-zero
// return and gives it back (0 when all were taken).
template <class Emit>
int ForEachToken(std::string_view folded, Emit&& emit);

// The FTS5 query for the folded words of a search (search/fold.h QueryWords): every word
// must occur. Empty for no word.
std::string MatchExpression(const std::vector<std::string>& words);

// Bytes of the UTF-8 character at `pos` (1 for a byte that starts none).
std::size_t CharLength(std::string_view text, std::size_t pos);
constexpr bool IsAscii(char c) { return static_cast<unsigned char>(c) < 0x80; }

template <class Emit>
int ForEachToken(std::string_view folded, Emit&& emit) {
  std::size_t pos = 0;
  bool after_run = false;
  while (pos < folded.size()) {
    if (IsBlank(folded[pos])) {
      ++pos;
      continue;
    }
    if (after_run) {
      if (const int result = emit(kRunBreak); result != 0) return result;
    }
    after_run = true;
    // A run: each character, an ASCII one with the ASCII one after it.
    for (;;) {
      const std::size_t next = pos + CharLength(folded, pos);
      const bool run_goes_on = next < folded.size() && !IsBlank(folded[next]);
      const bool pair = run_goes_on && IsAscii(folded[pos]) && IsAscii(folded[next]);
      const std::size_t end = pair ? next + 1 : next;
      if (const int result = emit(folded.substr(pos, end - pos)); result != 0) return result;
      pos = next;
      if (!run_goes_on) break;
    }
  }
  return 0;
}

}  // namespace search
