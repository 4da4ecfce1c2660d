#include "search/tokens.h"

#include <algorithm>

namespace search {
namespace {

// A token as an FTS5 string: in double quotes, a quote inside doubled.
void AppendQuoted(std::string_view token, std::string& out) {
  out += '"';
  for (const char c : token) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

}  // namespace

std::size_t CharLength(std::string_view text, std::size_t pos) {
  const auto byte = static_cast<unsigned char>(text[pos]);
  std::size_t length = 1;
  if (byte >= 0xF0) {
    length = 4;
  } else if (byte >= 0xE0) {
    length = 3;
  } else if (byte >= 0xC0) {
    length = 2;
  }
  return std::min(length, text.size() - pos);
}

std::string MatchExpression(const std::vector<std::string>& words) {
  // Each query token is quoted on its own; the query side of the tokenizer takes a quoted
  // string as one token, so what is written here is what is looked up.
  std::string query;
  for (const std::string& word : words) {
    if (!query.empty()) query += " AND ";
    // One token for each character: the pair at its position where there is one.
    std::vector<std::string_view> tokens;
    ForEachToken(word, [&](std::string_view token, bool same_position) {
      if (same_position) tokens.pop_back();
      tokens.push_back(token);
      return 0;
    });
    if (tokens.size() > 1 && tokens[tokens.size() - 2].size() == 2 &&
        IsAscii(tokens[tokens.size() - 2][0])) {
      tokens.pop_back();  // the pair before holds the last character
    }
    for (std::size_t i = 0; i < tokens.size(); ++i) {
      if (i != 0) query += " + ";
      AppendQuoted(tokens[i], query);
    }
  }
  return query;
}

}  // namespace search
