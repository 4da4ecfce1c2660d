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
    std::vector<std::string_view> pairs;
    ForEachToken(word, [&](std::string_view token) {
      pairs.push_back(token);
      return 0;
    });
    if (pairs.size() == 1) {  // one character: every token that begins with it
      AppendQuoted(pairs[0], query);
      query += " *";
      continue;
    }
    pairs.pop_back();  // the last character alone adds nothing to its pair
    for (std::size_t i = 0; i < pairs.size(); ++i) {
      if (i != 0) query += " + ";
      AppendQuoted(pairs[i], query);
    }
  }
  return query;
}

}  // namespace search
