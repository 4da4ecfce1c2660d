#pragma once
// Thin owners of a SQLite connection and of a prepared statement, so that every
// early return closes what it opened. Texts are bound and read as bytes.

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace search {

class Statement {
 public:
  Statement() = default;
  Statement(sqlite3* db, std::string_view sql);
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(Statement&& other) noexcept : statement_(other.statement_) {
    other.statement_ = nullptr;
  }
  Statement& operator=(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool Ok() const { return statement_ != nullptr; }
  // Binding: `index` counts from 1. A text is copied by SQLite.
  Statement& Bind(int index, std::int64_t value);
  Statement& Bind(int index, std::string_view text);
  Statement& BindBlob(int index, std::string_view bytes);
  // SQLITE_ROW, SQLITE_DONE or an error code.
  int Step();
  // Steps to the end, then resets: SQLITE_DONE or an error code.
  int Run();
  void Reset();

  std::int64_t Int(int column) const { return sqlite3_column_int64(statement_, column); }
  bool IsNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }
  std::string_view Text(int column) const;

 private:
  sqlite3_stmt* statement_ = nullptr;
};

class Database {
 public:
  Database() = default;
  ~Database() { sqlite3_close_v2(db_); }
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Opens (with `create`: creates) the file named in UTF-8; false with Error() set.
  bool Open(const std::string& utf8_path, bool create);
  void Close();
  sqlite3* Get() const { return db_; }
  // Runs statements without results; the SQLite result code.
  int Exec(const char* sql);
  std::string Error() const;

 private:
  sqlite3* db_ = nullptr;
};

}  // namespace search
