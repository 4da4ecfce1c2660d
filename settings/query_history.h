#pragma once
// The queries run last in the quick filter box and in the search of every
// folder, shared by both boxes: at most kQueryHistoryLimit, the most recent
// first, each once (the same text run again moves to the front).
//
// In "Veltra.ini" they have a section of their own, [QueryHistory], one key
// per query, "Q1" (the most recent) to "Q50". The file's text is Shift-JIS,
// and a query may hold characters Shift-JIS has no form for, so a value is
// the query's UTF-8 with every byte outside printable ASCII, and "%" and
// double quotes, written "%" + two hex digits: every character comes back,
// and the line stays ASCII, readable where the query is. A value that does
// not decode is dropped on reading.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system_path.h"
#include "settings/ini_profile.h"

namespace settings {

inline constexpr std::size_t kQueryHistoryLimit = 50;
inline constexpr char kQueryHistorySection[] = "QueryHistory";

class QueryHistory {
 public:
  QueryHistory() = default;
  // The queries, most recent first, as read or added (no check is made here).
  explicit QueryHistory(std::vector<std::string> queries) : queries_(std::move(queries)) {}

  // Records a query that ran (UTF-8). Blanks at its ends do not count; a text
  // of blanks only is no query and is not recorded.
  void Add(std::string_view query);
  const std::vector<std::string>& Items() const { return queries_; }

 private:
  std::vector<std::string> queries_;
};

// The value a query is stored as, and back; nullopt for a value that is not
// one (a bad escape).
std::string EscapeQuery(std::string_view utf8);
std::optional<std::string> UnescapeQuery(std::string_view value);

// The section of `text` (keys Q1, Q2, … in number order; gaps and keys of
// another form are skipped).
QueryHistory ReadQueryHistory(const IniText& text);
// Writes every query and takes out the keys beyond the last one.
void WriteQueryHistory(IniWriter& out, const QueryHistory& history);

// A pass of its own over "Veltra.ini": read at the main load, written at the
// main save. Reading never fails; the write's result is IniWriter::Commit's.
QueryHistory LoadQueryHistory(const platform::SystemPath& path);
bool SaveQueryHistory(const platform::SystemPath& path, const QueryHistory& history);

}  // namespace settings
