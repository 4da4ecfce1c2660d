// Any bytes as a message text and as a query: the folding must give valid UTF-8 and be
// its own fixed point; the tokens, read in order, must give back the text's runs whole
// (each a character, or a pair of an ASCII word's characters from the word's start), the
// first of each run alone marked; and every word of a query must make an expression.

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string folded = search::Fold(bytes);
  Check(viewer::ValidUtf8(folded) == folded || folded.starts_with("\xEF\xBB\xBF"));
  Check(search::Fold(folded) == folded);

  // The runs, as the tokens give them back.
  std::vector<std::string> runs;
  bool after_lone_word_char = false;
  search::ForEachToken(folded, [&](std::string_view token, bool run_start) {
    Check(!token.empty());
    const bool word = search::IsWordChar(token[0]);
    if (word) {
      Check(token.size() <= 2 && search::IsWordChar(token.back()));
    } else {
      Check(search::CharLength(token, 0) == token.size());
    }
    // A word character alone is its word's last.
    Check(!after_lone_word_char || run_start || !word);
    if (run_start) runs.emplace_back();
    Check(!runs.empty());
    runs.back() += token;
    after_lone_word_char = word && token.size() == 1;
    return 0;
  });
  std::vector<std::string> expected;
  bool in_run = false;
  for (std::size_t pos = 0; pos < folded.size(); ++pos) {
    if (search::IsBlank(folded[pos])) {
      in_run = false;
      continue;
    }
    if (!in_run) expected.emplace_back();
    in_run = true;
    expected.back() += folded[pos];
  }
  Check(runs == expected);

  for (const std::string& word : search::QueryWords(bytes)) {
    Check(!search::TextExpression(word).empty());
  }
  return 0;
}
