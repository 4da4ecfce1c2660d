#include "search/fts5_tokenizer.h"

#include <string>
#include <string_view>

#include "search/fold.h"
#include "search/tokens.h"

namespace search {
namespace {

// The tokenizer keeps no state: one static object serves every table.
Fts5Tokenizer* TheTokenizer() {
  static int unused;
  return reinterpret_cast<Fts5Tokenizer*>(&unused);
}

int Create(void*, const char**, int, Fts5Tokenizer** out) {
  *out = TheTokenizer();
  return SQLITE_OK;
}

void Delete(Fts5Tokenizer*) {}

using TokenCallback = int (*)(void*, int, const char*, int, int, int);

int Tokenize(Fts5Tokenizer*, void* context, int flags, const char* text, int size,
             TokenCallback token) {
  const std::string_view input(text == nullptr ? "" : text, size < 0 ? 0 : size);
  if ((flags & FTS5_TOKENIZE_QUERY) != 0) {
    // The tokens at one position of a phrase: FTS5 takes a colocated one as another
    // that may stand there.
    std::size_t start = 0;
    int colocated = 0;
    while (start < input.size()) {
      std::size_t end = input.find(kAlternatives, start);
      if (end == std::string_view::npos) end = input.size();
      if (end > start) {
        const int result =
            token(context, colocated, input.data() + start, static_cast<int>(end - start), 0, size);
        if (result != SQLITE_OK) return result;
        colocated = FTS5_TOKEN_COLOCATED;
      }
      start = end + 1;
    }
    return SQLITE_OK;
  }
  // The folded text is kept between calls: a message is folded into the same buffer.
  thread_local std::string folded;
  thread_local std::string marked;
  folded.clear();
  AppendFolded(input, folded);
  // Offsets are into the folded text: the index stores no text, so nothing reads them.
  const char* const base = folded.data();
  return ForEachToken(folded, [&](std::string_view piece, bool run_start) {
    std::string_view t = piece;
    if (run_start) {
      marked.assign(1, kRunStart);
      marked += piece;
      t = marked;
    }
    const int start = static_cast<int>(piece.data() - base);
    return token(context, 0, t.data(), static_cast<int>(t.size()), start,
                 start + static_cast<int>(piece.size()));
  });
}

}  // namespace

bool RegisterTokenizer(sqlite3* db) {
  fts5_api* api = nullptr;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &statement, nullptr) != SQLITE_OK) {
    return false;
  }
  sqlite3_bind_pointer(statement, 1, &api, "fts5_api_ptr", nullptr);
  sqlite3_step(statement);
  sqlite3_finalize(statement);
  if (api == nullptr) return false;
  fts5_tokenizer tokenizer{Create, Delete, Tokenize};
  return api->xCreateTokenizer(api, kTokenizerName, nullptr, &tokenizer, nullptr) == SQLITE_OK;
}

}  // namespace search
