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

// The expression of one folded text: a word, or a phrase of words with the breaks
// between them as tokens, so that it is found as a longer text is indexed.
void AppendText(std::string_view folded, std::string& query) {
  std::vector<std::string_view> tokens;
  // One token for each character: the pair at its position where there is one.
  ForEachToken(folded, [&](std::string_view token, bool same_position) {
    if (same_position) tokens.pop_back();
    tokens.push_back(token);
    return 0;
  });
  if (tokens.empty()) return;
  if (!query.empty()) query += " AND ";
  // The text's last character, when it pairs, has no token of its own where another
  // printable ASCII character follows it in the text, but after one that does not.
  const std::string_view last = tokens.back();
  const bool open_end = last.size() == 1 && Pairs(last[0]);
  const bool held = open_end && tokens.size() > 1 && tokens[tokens.size() - 2].size() == 2 &&
                    IsAscii(tokens[tokens.size() - 2][0]);
  if (held) tokens.pop_back();
  if (open_end && !held && tokens.size() == 1) {
    // The character alone or any of its pairs: a prefix query would gather the lists of
    // every pair in memory first, the alternatives are read side by side.
    query += '(';
    AppendQuoted(last, query);
    for (char next = '!'; Pairs(next); ++next) {
      if (next >= 'A' && next <= 'Z') continue;
      query += " OR ";
      AppendQuoted(std::string{last[0], next}, query);
    }
    query += ')';
    return;
  }
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    if (i != 0) query += " + ";
    AppendQuoted(tokens[i], query);
  }
  // A phrase's last word of one character (after a break) that pairs: the character
  // alone or any pair it begins, as a prefix (a phrase holds no alternatives).
  if (open_end && !held && tokens[tokens.size() - 2] == kRunBreak) query += '*';
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
  for (const std::string& word : words) AppendText(word, query);
  return query;
}

std::string TextExpression(std::string_view folded) {
  std::string query;
  AppendText(folded, query);
  return query;
}

}  // namespace search
