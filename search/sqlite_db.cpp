#include "search/sqlite_db.h"

namespace search {

Statement::Statement(sqlite3* db, std::string_view sql) {
  if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement_, nullptr) !=
      SQLITE_OK) {
    sqlite3_finalize(statement_);
    statement_ = nullptr;
  }
}

Statement& Statement::operator=(Statement&& other) noexcept {
  if (this != &other) {
    sqlite3_finalize(statement_);
    statement_ = other.statement_;
    other.statement_ = nullptr;
  }
  return *this;
}

Statement& Statement::Bind(int index, std::int64_t value) {
  sqlite3_bind_int64(statement_, index, value);
  return *this;
}

Statement& Statement::Bind(int index, std::string_view text) {
  // A non-null pointer even for an empty text, so that it binds as '' rather than NULL.
  sqlite3_bind_text64(statement_, index, text.empty() ? "" : text.data(), text.size(),
                      SQLITE_TRANSIENT, SQLITE_UTF8);
  return *this;
}

Statement& Statement::BindBlob(int index, std::string_view bytes) {
  sqlite3_bind_blob64(statement_, index, bytes.empty() ? "" : bytes.data(), bytes.size(),
                      SQLITE_TRANSIENT);
  return *this;
}

int Statement::Step() { return statement_ == nullptr ? SQLITE_MISUSE : sqlite3_step(statement_); }

int Statement::Run() {
  int result = Step();
  while (result == SQLITE_ROW) result = Step();
  Reset();
  return result;
}

void Statement::Reset() {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
}

std::string_view Statement::Text(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
  if (text == nullptr) return {};
  return {text, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column))};
}

bool Database::Open(const std::string& utf8_path, bool create) {
  Close();
  const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
  if (sqlite3_open_v2(utf8_path.c_str(), &db_, flags, nullptr) != SQLITE_OK) return false;
  sqlite3_extended_result_codes(db_, 1);
  return true;
}

void Database::Close() {
  sqlite3_close_v2(db_);
  db_ = nullptr;
}

int Database::Exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }

std::string Database::Error() const {
  return db_ == nullptr ? "out of memory" : sqlite3_errmsg(db_);
}

}  // namespace search
