#include "viewer/message_find.h"

#include <algorithm>

namespace viewer {

void MessageFind::Search(const TextFinder& finder, std::string_view query) {
  searched_ = !query.empty();
  matches_ = finder.ToUtf16(finder.FindAll(query));
  current_.reset();
  if (!matches_.empty()) current_ = 0;
}

void MessageFind::SearchWords(const TextFinder& finder, const std::vector<std::string>& words) {
  std::vector<TextRange> found;
  for (const std::string& word : words) {
    const std::vector<TextRange> each = finder.FindAll(word);
    found.insert(found.end(), each.begin(), each.end());
  }
  searched_ = !words.empty();
  std::sort(found.begin(), found.end(), [](const TextRange& a, const TextRange& b) {
    return a.start != b.start ? a.start < b.start : a.end > b.end;
  });
  std::vector<TextRange> joined;
  for (const TextRange& range : found) {
    if (!joined.empty() && range.start < joined.back().end) {
      joined.back().end = std::max(joined.back().end, range.end);
    } else {
      joined.push_back(range);
    }
  }
  matches_ = finder.ToUtf16(std::move(joined));
  current_.reset();
}

void MessageFind::Clear() {
  searched_ = false;
  matches_.clear();
  current_.reset();
}

void MessageFind::Next() {
  if (matches_.empty()) return;
  current_ = current_ ? (*current_ + 1) % matches_.size() : 0;
}

void MessageFind::Previous() {
  if (matches_.empty()) return;
  current_ = (current_.value_or(0) + matches_.size() - 1) % matches_.size();
}

std::pair<std::size_t, std::size_t> MessageFind::MatchesWithin(TextRange shown) const {
  // The occurrences are in order and do not overlap: their ends ascend too.
  const auto first = std::upper_bound(
      matches_.begin(), matches_.end(), shown.start,
      [](std::size_t position, const TextRange& match) { return position < match.end; });
  const auto last = std::lower_bound(
      first, matches_.end(), shown.end,
      [](const TextRange& match, std::size_t position) { return match.start < position; });
  return {static_cast<std::size_t>(first - matches_.begin()),
          static_cast<std::size_t>(last - matches_.begin())};
}

std::string MessageFind::CountText() const {
  if (!searched_) return {};
  if (matches_.empty()) return "0 / 0";
  const std::string count = " / " + std::to_string(matches_.size());
  return current_ ? std::to_string(*current_ + 1) + count : "?" + count;
}

}  // namespace viewer
