// Any bytes as a message text and as a query: the folding must give valid UTF-8 and be
// its own fixed point, every token must be one or two whole characters of the folded
// text, and every word of a query drawn from a text must be found there by the tokens'
// rule (a word of one character begins a token; a longer one is a run of pairs).

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

  std::vector<std::string> tokens;
  search::ForEachToken(folded, [&](std::string_view token) {
    Check(!token.empty() && Characters(token) <= 2);
    Check(folded.find(token) != std::string::npos);
    tokens.emplace_back(token);
    return 0;
  });

  // The words of the same bytes as a query: each is in the text, so each must be found
  // among its tokens as the query says.
  const std::vector<std::string> words = search::QueryWords(bytes);
  for (const std::string& word : words) {
    Check(folded.find(word) != std::string::npos);
    std::vector<std::string> pairs;
    search::ForEachToken(word, [&](std::string_view t) {
      pairs.emplace_back(t);
      return 0;
    });
    Check(!pairs.empty());
    bool found = false;
    for (std::size_t i = 0; i < tokens.size() && !found; ++i) {
      if (pairs.size() == 1) {
        found = tokens[i].starts_with(pairs[0]);
        continue;
      }
      std::size_t k = 0;
      while (k + 1 < pairs.size() && i + k < tokens.size() && tokens[i + k] == pairs[k]) ++k;
      found = k + 1 == pairs.size();
    }
    Check(found);
  }
  search::MatchExpression(words);
  return 0;
}
