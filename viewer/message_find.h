#pragma once
// The viewer's find bar over the shown text: every occurrence of the typed
// text (TextFinder's, in the rich edit's positions) and which of them is the
// current one. Moving on from the last occurrence goes to the first, and back
// from the first to the last. A typed phrase starts at its first occurrence;
// the words of a search start with none current, so that the message is shown
// from its top with the words marked, and the first step goes to the first
// (back: to the last).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "viewer/text_find.h"

namespace viewer {

class MessageFind {
 public:
  // Finds `query` (UTF-8) in the text of `finder`; the first occurrence
  // becomes the current one.
  void Search(const TextFinder& finder, std::string_view query);
  // Finds each of `words` (UTF-8; a query split as the index splits it,
  // search::QueryWords): the occurrences of all of them, left to right,
  // those that overlap joined into one; none of them current.
  void SearchWords(const TextFinder& finder, const std::vector<std::string>& words);
  // No query, no occurrences.
  void Clear();

  // Every occurrence in UTF-16 units of the shown text, left to right.
  const std::vector<TextRange>& Matches() const { return matches_; }
  // The current occurrence's index in Matches(); none without occurrences
  // or before the first step after SearchWords.
  std::optional<std::size_t> Current() const { return current_; }
  // The next or the previous occurrence becomes the current one.
  void Next();
  void Previous();
  // The occurrences that overlap `shown` (the part of the text in view), as
  // indexes [first, last) of Matches().
  std::pair<std::size_t, std::size_t> MatchesWithin(TextRange shown) const;

  // "N / M": the current occurrence's number (from 1) and the count; "? / M"
  // while none is current; "0 / 0" when the query found nothing; empty
  // without a query.
  std::string CountText() const;

 private:
  bool searched_ = false;  // a non-empty query was looked for
  std::vector<TextRange> matches_;
  std::optional<std::size_t> current_;
};

}  // namespace viewer
