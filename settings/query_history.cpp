#include "settings/query_history.h"

#include <algorithm>

namespace settings {
namespace {

std::string KeyOf(std::size_t number) { return "Q" + std::to_string(number); }

bool Kept(unsigned char c) { return c >= 0x20 && c < 0x7f && c != '%' && c != '"'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

void QueryHistory::Add(std::string_view query) {
  query = TrimBlanks(query);
  if (query.empty()) return;
  const auto same = std::find(queries_.begin(), queries_.end(), query);
  if (same != queries_.end()) queries_.erase(same);
  queries_.insert(queries_.begin(), std::string(query));
  if (queries_.size() > kQueryHistoryLimit) queries_.resize(kQueryHistoryLimit);
}

std::string EscapeQuery(std::string_view utf8) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (Kept(byte)) {
      out += c;
      continue;
    }
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 15];
  }
  return out;
}

std::optional<std::string> UnescapeQuery(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '%') {
      out += value[i];
      continue;
    }
    if (i + 2 >= value.size()) return std::nullopt;
    const int high = HexValue(value[i + 1]);
    const int low = HexValue(value[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

QueryHistory ReadQueryHistory(const IniText& text) {
  // Oldest first, so that Add leaves the newest in front and drops repeats.
  QueryHistory history;
  for (std::size_t number = kQueryHistoryLimit; number >= 1; --number) {
    const std::string* value = text.Find(kQueryHistorySection, KeyOf(number));
    if (value == nullptr) continue;
    if (const std::optional<std::string> query = UnescapeQuery(*value)) history.Add(*query);
  }
  return history;
}

void WriteQueryHistory(IniWriter& out, const QueryHistory& history) {
  const std::vector<std::string>& queries = history.Items();
  for (std::size_t number = 1; number <= kQueryHistoryLimit; ++number) {
    if (number <= queries.size()) {
      out.WriteString(kQueryHistorySection, KeyOf(number), EscapeQuery(queries[number - 1]));
    } else {
      out.DeleteKey(kQueryHistorySection, KeyOf(number));
    }
  }
}

QueryHistory LoadQueryHistory(const platform::SystemPath& path) {
  return ReadQueryHistory(IniReader(path).Text());
}

bool SaveQueryHistory(const platform::SystemPath& path, const QueryHistory& history) {
  IniWriter out(path);
  WriteQueryHistory(out, history);
  return out.Commit();
}

}  // namespace settings
