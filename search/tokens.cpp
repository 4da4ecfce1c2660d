#include "search/tokens.h"

#include <algorithm>

namespace search {
namespace {

// One place of a query's phrase: the tokens that may stand there.
using Place = std::vector<std::string>;

constexpr std::string_view kWordChars = "abcdefghijklmnopqrstuvwxyz0123456789";

std::string Marked(std::string_view token) { return kRunStart + std::string(token); }

// A token as an FTS5 string: in double quotes, a quote inside doubled.
void AppendQuoted(std::string_view token, std::string& out) {
  out += '"';
  for (const char c : token) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

// The FTS5 phrase of `places`. A phrase of one place is the OR of its tokens: FTS5 reads
// a lone token's positions as stored, but merges the positions of tokens standing at one
// place for every message that holds any, at a cost that grows with their number.
std::string Phrase(const std::vector<Place>& places) {
  std::string out;
  if (places.size() == 1 && places[0].size() > 1) {
    for (const std::string& token : places[0]) {
      out += out.empty() ? "(" : " OR ";
      AppendQuoted(token, out);
    }
    return out + ")";
  }
  for (const Place& place : places) {
    if (!out.empty()) out += " + ";
    std::string alternatives;
    for (const std::string& token : place) {
      if (!alternatives.empty()) alternatives += kAlternatives;
      alternatives += token;
    }
    AppendQuoted(alternatives, out);
  }
  return out;
}

struct Piece {
  std::string_view text;
  bool run_start;
};

// The places of the query's pieces, its first word beginning `odd` places into a pair of
// the text.
std::vector<Place> Places(const std::vector<Piece>& pieces, bool odd) {
  std::vector<Place> places;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const std::string_view text = pieces[i].text;
    const bool first = i == 0;
    const bool last = i + 1 == pieces.size();
    if (!IsWordChar(text[0])) {
      // The first may begin the text's run or follow in it.
      if (first) {
        places.push_back({std::string(text), Marked(text)});
      } else {
        places.push_back({pieces[i].run_start ? Marked(text) : std::string(text)});
      }
      continue;
    }
    std::size_t pos = 0;
    if (first && odd) {
      // The second character of a pair, any word character the first.
      Place pair;
      for (const char c : kWordChars) {
        const std::string token{c, text[0]};
        pair.push_back(token);
        pair.push_back(Marked(token));
      }
      places.push_back(std::move(pair));
      pos = 1;
    }
    for (; pos < text.size(); pos += 2) {
      const std::string_view token = text.substr(pos, 2);
      Place place;
      if (first && pos == 0) {
        place = {std::string(token), Marked(token)};
      } else if (pos == 0 && pieces[i].run_start) {
        place = {Marked(token)};
      } else {
        place = {std::string(token)};
      }
      // The text's word may go on past the query's last: its last character alone may
      // be the first of a pair. (Alternatives, not a prefix: FTS5 reads a prefix's every
      // token whole before the first hit.)
      if (last && token.size() == 1) {
        for (std::size_t k = 0, forms = place.size(); k < forms; ++k) {
          for (const char c : kWordChars) place.push_back(place[k] + c);
        }
      }
      places.push_back(std::move(place));
    }
  }
  return places;
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

std::string TextExpression(std::string_view folded) {
  std::vector<Piece> pieces;
  // The query's words whole: the text's are cut into pairs from their own starts.
  std::size_t pos = 0;
  bool run_start = true;
  while (pos < folded.size()) {
    if (IsBlank(folded[pos])) {
      run_start = true;
      ++pos;
      continue;
    }
    std::size_t next = pos + CharLength(folded, pos);
    if (IsWordChar(folded[pos])) {
      while (next < folded.size() && IsWordChar(folded[next])) ++next;
    }
    pieces.push_back({folded.substr(pos, next - pos), run_start});
    run_start = false;
    pos = next;
  }
  if (pieces.empty()) return {};
  const std::string even = Phrase(Places(pieces, false));
  if (!IsWordChar(pieces[0].text[0])) return even;
  // The first word begins at a pair of the text or inside one.
  return "(" + even + " OR " + Phrase(Places(pieces, true)) + ")";
}

}  // namespace search
