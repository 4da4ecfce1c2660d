#pragma once
// The tokens of the index. A folded text (search/fold.h) is cut at its blanks into runs,
// and each run into pieces: a word of ASCII letters and digits, or any other character
// alone (ASCII punctuation, a control character, a Japanese character). A word's token is
// a pair of its characters, from its start, its last alone when they are odd in number.
// The first token of each run is marked, kRunStart before it, so that a phrase never
// reaches across runs without a token for the blanks between them:
//   "東京都" gives ^東 京 都;  "会議mtg" gives ^会 議 mt g;  "man-pages (7)" gives
//   ^ma n - pa ge s ^( 7 )
// Japanese, whose characters are many, is found a character at a time: the index is
// smaller than the text. ASCII, whose characters are few and each very common, by pairs
// that do not overlap: half a token for each character, and an English word is not the
// phrase of letters that every message holds. A query is the phrase of its own tokens
// (TextExpression). Only its ends may lie inside a longer word or run of the text: its
// first token may be marked or not, its first word may begin at an odd place in a word of
// the text (the second character of a pair, any of 36), and its last word may go on (its
// last character alone the first of a pair). So every substring of a run is found
// exactly, and never more than 74 tokens stand at one place of a query.

#include <string>
#include <string_view>
#include <vector>

#include "search/fold.h"

namespace search {

// The mark before the first token of a run. An unmarked token begins with it only when it
// is that control character alone, one byte: no marked token is ever an unmarked one.
inline constexpr char kRunStart = '\x01';

// Calls `emit(token, run_start)` for the tokens of `folded` in order, `run_start` true for
// the first of a run (to be marked); stops at the first non-zero return and gives it
// back (0 when all were taken).
template <class Emit>
int ForEachToken(std::string_view folded, Emit&& emit);

// The FTS5 expression for a folded text (search/fold.h Fold), as above: a blank in it is a
// run's start for the token after it. Empty for a text of blanks.
std::string TextExpression(std::string_view folded);

// In the string of one place of a query's phrase, the blank parts the tokens that may
// stand there (search/fts5_tokenizer.cpp); no token holds a blank.
inline constexpr char kAlternatives = ' ';

// Bytes of the UTF-8 character at `pos` (1 for a byte that starts none).
std::size_t CharLength(std::string_view text, std::size_t pos);
// The characters of an ASCII word: folding lowers every letter.
constexpr bool IsWordChar(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

template <class Emit>
int ForEachToken(std::string_view folded, Emit&& emit) {
  std::size_t pos = 0;
  while (pos < folded.size()) {
    if (IsBlank(folded[pos])) {
      ++pos;
      continue;
    }
    bool run_start = true;
    while (pos < folded.size() && !IsBlank(folded[pos])) {
      std::size_t next = pos + CharLength(folded, pos);
      // A word's pairs start at its first character, the one after a piece of another kind.
      if (IsWordChar(folded[pos]) && next < folded.size() && IsWordChar(folded[next])) ++next;
      if (const int result = emit(folded.substr(pos, next - pos), run_start); result != 0) {
        return result;
      }
      run_start = false;
      pos = next;
    }
  }
  return 0;
}

}  // namespace search
