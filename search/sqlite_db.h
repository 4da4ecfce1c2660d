#pragma once
// Thin owners of a SQLite connection and of a prepared statement, so that every
// early return closes what it opened. Texts are bound and read as bytes.
//
// A connection can be stopped from another thread (Interrupt): the program's
// close must not wait for a long merge, a whole-mailbox query or another
// program's lock. A statement running then fails with SQLITE_INTERRUPT, and so
// does every one after it (the progress handler asks the flag); a wait for a
// lock ends at once with SQLITE_BUSY.

#include <sqlite3.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
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
  // Ready to run again with the same values bound.
  void Rewind() { sqlite3_reset(statement_); }

  std::int64_t Int(int column) const { return sqlite3_column_int64(statement_, column); }
  bool IsNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }
  std::string_view Text(int column) const;

 private:
  sqlite3_stmt* statement_ = nullptr;
};

class Database {
 public:
  Database() = default;
  ~Database() { Close(); }
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Opens (with `create`: creates) the file named in UTF-8; false with Error() set.
  bool Open(const std::string& utf8_path, bool create);
  void Close();
  sqlite3* Get() const { return db_; }
  // Runs statements without results; the SQLite result code.
  int Exec(const char* sql);
  std::string Error() const;

  // A lock another connection holds is waited for up to `ms`, unless interrupted.
  void SetBusyTimeout(int ms) { busy_timeout_ms_ = ms; }
  // Safe from any thread, at any time while the Database lives; for good: the
  // connection is being given up.
  void Interrupt();
  bool Interrupted() const { return interrupted_.load(); }
  // While set (not null), `*stop` is asked every so many steps of a statement
  // too, on the connection's thread: true interrupts that statement.
  void AskWhileRunning(const std::function<bool()>* stop) { stop_ = stop; }

 private:
  static int Progress(void* self);
  static int Busy(void* self, int count);

  // Guards db_ against a close or reopen while another thread interrupts it.
  std::mutex mutex_;
  sqlite3* db_ = nullptr;
  std::atomic<bool> interrupted_{false};
  const std::function<bool()>* stop_ = nullptr;
  int busy_timeout_ms_ = 0;
};

}  // namespace search
