#include "search/sqlite_db.h"

namespace search {
namespace {

// Steps of a statement between two asks of the stop flag: a few microseconds.
constexpr int kStepsBetweenAsks = 1000;
// A wait for a lock sleeps in steps this short, asking the stop flag between them.
constexpr int kBusySleepMs = 10;

}  // namespace

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
  sqlite3* db = nullptr;
  const int opened = sqlite3_open_v2(utf8_path.c_str(), &db, flags, nullptr);
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    db_ = db;
  }
  if (opened != SQLITE_OK) return false;
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_progress_handler(db_, kStepsBetweenAsks, Progress, this);
  sqlite3_busy_handler(db_, Busy, this);
  return true;
}

void Database::Close() {
  sqlite3* db = nullptr;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    db = db_;
    db_ = nullptr;
  }
  sqlite3_close_v2(db);
}

void Database::Interrupt() {
  const std::lock_guard<std::mutex> lock(mutex_);
  interrupted_ = true;
  if (db_ != nullptr) sqlite3_interrupt(db_);
}

int Database::Progress(void* self) {
  const auto& db = *static_cast<const Database*>(self);
  return db.interrupted_.load() || (db.stop_ != nullptr && (*db.stop_)()) ? 1 : 0;
}

// Sleeps through the default file system (the one tests replace), in short steps.
int Database::Busy(void* self, int count) {
  const auto& db = *static_cast<const Database*>(self);
  if (db.interrupted_.load() || count * kBusySleepMs >= db.busy_timeout_ms_) return 0;
  sqlite3_sleep(kBusySleepMs);
  return 1;
}

int Database::Exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }

std::string Database::Error() const {
  return db_ == nullptr ? "out of memory" : sqlite3_errmsg(db_);
}

}  // namespace search
