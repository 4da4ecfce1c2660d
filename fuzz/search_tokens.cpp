// Any bytes as a message text and as a query: the folding must give valid UTF-8 and be
// its own fixed point, every token must be a character of the folded text, a pair of
// printable ASCII ones or the break between runs, and every word of a query drawn from a
// text must be found there by the tokens' rule (one token for each character, at
// consecutive positions; the pair where there is one, the last character held by the pair
// before, and a word of one character that pairs the first of the token at its position).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "search/fold.h"
#include "search/tokens.h"
#include "viewer/unicode_text.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

std::size_t Characters(std::string_view text) {
  std::size_t n = 0;
  for (std::size_t pos = 0; pos < text.size(); pos += search::CharLength(text, pos)) ++n;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string folded = search::Fold(bytes);
  Check(viewer::ValidUtf8(folded) == folded || folded.starts_with("\xEF\xBB\xBF"));
  Check(search::Fold(folded) == folded);

  // The tokens at each position.
  std::vector<std::vector<std::string>> positions;
  search::ForEachToken(folded, [&](std::string_view token, bool same_position) {
    const bool pair = token.size() == 2 && search::Pairs(token[0]) && search::Pairs(token[1]);
    Check(token == search::kRunBreak || Characters(token) == 1 || pair);
    Check(token == search::kRunBreak || folded.find(token) != std::string::npos);
    Check(!same_position || (pair && !positions.empty()));
    if (!same_position) positions.emplace_back();
    positions.back().emplace_back(token);
    return 0;
  });

  // The words of the same bytes as a query: each is in the text, so each must be found
  // among its tokens as the query says.
  const std::vector<std::string> words = search::QueryWords(bytes);
  for (const std::string& word : words) {
    Check(folded.find(word) != std::string::npos);
    std::vector<std::string> phrase;
    search::ForEachToken(word, [&](std::string_view t, bool same_position) {
      if (same_position) phrase.pop_back();
      phrase.emplace_back(t);
      return 0;
    });
    Check(!phrase.empty());
    const bool open_end = phrase.back().size() == 1 && search::Pairs(phrase.back()[0]);
    if (open_end && phrase.size() > 1 && phrase[phrase.size() - 2].size() == 2 &&
        search::IsAscii(phrase[phrase.size() - 2][0])) {
      phrase.pop_back();
    }
    bool found = false;
    for (std::size_t i = 0; i + phrase.size() <= positions.size() && !found; ++i) {
      std::size_t k = 0;
      while (k < phrase.size() && std::any_of(positions[i + k].begin(), positions[i + k].end(),
                                              [&](const std::string& token) {
                                                return token == phrase[k] ||
                                                       (open_end && phrase.size() == 1 &&
                                                        token.starts_with(phrase[k]));
                                              })) {
        ++k;
      }
      found = k == phrase.size();
    }
    Check(found);
  }
  search::MatchExpression(words);
  return 0;
}
