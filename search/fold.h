#pragma once
// The folding of the full-text search: the quick filter's rules (thread/quick_filter.h)
// carried over to UTF-8, so that the index and the query see the same characters:
//   - ASCII letters to lower case;
//   - full-width ASCII (U+FF01-U+FF5E) to ASCII, then lower case;
//   - the ideographic space (U+3000) to a blank;
//   - half-width katakana (U+FF61-U+FF9F) to full-width, a letter and its voiced or
//     semi-voiced mark joined where one character exists for the pair (ｶﾞ ガ, ﾊﾟ パ, ｳﾞ ヴ),
//     else the spacing mark (゛ ゜).
// Every other character is kept as it is (hiragana and katakana stay distinct). Bytes that
// are not valid UTF-8 become U+FFFD, one per broken sequence, as the viewer shows them.

#include <string>
#include <string_view>
#include <vector>

namespace search {

// `utf8` folded as above, appended to `out`.
void AppendFolded(std::string_view utf8, std::string& out);
std::string Fold(std::string_view utf8);

// The bytes that part words after folding (the blanks of the quick filter box and the
// line ends between lines of text). No other byte ever does, so a word of the query is
// always found whole inside one run of non-blank characters of a folded text.
constexpr bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The query split at blanks into words, each folded; empty for a text of blanks only.
std::vector<std::string> QueryWords(std::string_view utf8);

}  // namespace search
