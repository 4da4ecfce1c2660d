#pragma once
// The tokens of the index: one for each character. A folded text (search/fold.h) is cut
// at its blanks into runs; the token of a character is the pair of it and the next where
// both are printable ASCII (Pairs), else the character alone, and a blank token (kRunBreak)
// stands between two runs. A pair after another character of its run that does not pair
// has the first character alone beside it, at the same position:
//   "東京都" gives 東 京 都;  "会議mtg" gives 会 議 m|mt tg g;  "ab cd" gives ab b " " cd d
// (x|xy: two tokens at one position). So every substring of a run is found exactly as the
// phrase of one token for each of its characters, the same rule applied to the substring
// (the pair where there is one), but for its last character when it pairs: the pair before
// holds it, or the character before does not pair and it is found alone; a word of that
// one character alone is the character or any pair beginning with it. A phrase never
// reaches across runs, because the break stands between them and no query token is a
// blank (the words of a query hold none).
// Japanese, whose characters are many, is found a character at a time: the index is
// smaller than the text, and a one-character word is one token. ASCII, whose characters
// are few and each very common, is found by its pairs, so that an English word is not the
// phrase of letters that every message holds; a character alone is not indexed beside its
// pair but where a word may end with it, which halves the tokens of ASCII text.

#include <string>
#include <string_view>
#include <vector>

#include "search/fold.h"

namespace search {

// The token between two runs.
inline constexpr std::string_view kRunBreak = " ";

// Calls `emit(token, same_position)` for the tokens of `folded` in order, `same_position`
// true for a pair at the position of the character before it; stops at the first non-zero
// return and gives it back (0 when all were taken).
template <class Emit>
int ForEachToken(std::string_view folded, Emit&& emit);

// The FTS5 query for the folded words of a search (search/fold.h QueryWords): every word
// must occur. Empty for no word.
std::string MatchExpression(const std::vector<std::string>& words);
// The FTS5 phrase for a folded text (search/fold.h Fold): a word as MatchExpression
// writes it, or words parted by blanks as the tokens of each with a kRunBreak between
// them, as a longer text is indexed (so a run of blanks matches any run of blanks, and
// the first word may end a longer run, the last begin one). Empty for a text of blanks.
std::string TextExpression(std::string_view folded);

// Bytes of the UTF-8 character at `pos` (1 for a byte that starts none).
std::size_t CharLength(std::string_view text, std::size_t pos);
constexpr bool IsAscii(char c) { return static_cast<unsigned char>(c) < 0x80; }
// The ASCII characters that pair with their neighbours: printable, so never a blank (and
// never a letter in upper case, which folding lowers).
constexpr bool Pairs(char c) { return c > ' ' && c < 0x7F; }

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
      if (const int result = emit(kRunBreak, false); result != 0) return result;
    }
    after_run = true;
    bool after_pairing = true;  // at the run's start no word ends before the character
    for (;;) {
      const std::size_t next = pos + CharLength(folded, pos);
      const bool run_goes_on = next < folded.size() && !IsBlank(folded[next]);
      const bool pair = run_goes_on && Pairs(folded[pos]) && Pairs(folded[next]);
      if (!pair || !after_pairing) {
        if (const int result = emit(folded.substr(pos, next - pos), false); result != 0) {
          return result;
        }
      }
      if (pair) {
        if (const int result = emit(folded.substr(pos, 2), !after_pairing); result != 0) {
          return result;
        }
      }
      after_pairing = Pairs(folded[pos]);
      pos = next;
      if (!run_goes_on) break;
    }
  }
  return 0;
}

}  // namespace search
