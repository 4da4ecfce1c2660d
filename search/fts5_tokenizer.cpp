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
    if (input.empty()) return SQLITE_OK;
    return token(context, 0, input.data(), static_cast<int>(input.size()), 0, size);
  }
  // The folded text is kept between calls: a message is folded into the same buffer.
  thread_local std::string folded;
  folded.clear();
  AppendFolded(input, folded);
  // Offsets are into the folded text (a break between runs takes none): the index stores
  // no text, so nothing reads them.
  const char* const base = folded.data();
  int end = 0;
  return ForEachToken(folded, [&](std::string_view t, bool same_position) {
    const int size = static_cast<int>(t.size());
    const bool run_break = t == kRunBreak;
    const int start = run_break ? end : static_cast<int>(t.data() - base);
    end = run_break ? end : start + size;
    return token(context, same_position ? FTS5_TOKEN_COLOCATED : 0, t.data(), size, start, end);
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
