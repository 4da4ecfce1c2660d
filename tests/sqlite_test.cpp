#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "tests/temp_dir_support.h"

namespace {

using Rows = std::vector<std::string>;
using testing_support::TempDir;

// One connection, closed when the test leaves its scope.
class Db {
 public:
  explicit Db(const std::string& path) {
    EXPECT_EQ(
        sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
        SQLITE_OK)
        << path;
  }
  ~Db() { sqlite3_close(db_); }
  Db(const Db&) = delete;
  Db& operator=(const Db&) = delete;

  // Runs `sql`: the first column of each row it gives, or one "error: ..." row.
  Rows Run(const char* sql) {
    Rows rows;
    auto collect = [](void* out, int, char** values, char**) {
      static_cast<Rows*>(out)->push_back(values[0] ? values[0] : "NULL");
      return 0;
    };
    char* error = nullptr;
    if (sqlite3_exec(db_, sql, collect, &rows, &error) != SQLITE_OK) {
      rows = {std::string("error: ") + (error ? error : "?")};
    }
    sqlite3_free(error);
    return rows;
  }

 private:
  sqlite3* db_ = nullptr;
};

TEST(Sqlite, Fts5TableFindsTheRowsHoldingAWord) {
  Db db(":memory:");
  EXPECT_EQ(db.Run("CREATE VIRTUAL TABLE mail USING fts5(body);"
                   "INSERT INTO mail VALUES ('the quick brown fox'), ('lazy dogs sleep'),"
                   " ('a fox and dogs')"),
            Rows{});
  EXPECT_EQ(db.Run("SELECT body FROM mail WHERE mail MATCH 'dogs' ORDER BY rowid"),
            (Rows{"lazy dogs sleep", "a fox and dogs"}));
}

// A database file in write-ahead-log mode: a second connection sees what the
// first committed while the first is still open (through the log's shared
// index), and the file keeps its rows and its mode after both are closed.
TEST(Sqlite, WalFileKeepsCommittedRowsAcrossConnections) {
  TempDir dir;
  const std::string path = dir.Join("index.db");  // ASCII: SQLite takes file names in UTF-8
  {
    Db writer(path);
    EXPECT_EQ(writer.Run("PRAGMA journal_mode=WAL"), Rows{"wal"});
    EXPECT_EQ(writer.Run("CREATE TABLE m(name TEXT); INSERT INTO m VALUES ('2.txt'), ('1.txt')"),
              Rows{});
    Db reader(path);
    EXPECT_EQ(reader.Run("SELECT name FROM m ORDER BY name"), (Rows{"1.txt", "2.txt"}));
  }
  Db reopened(path);
  EXPECT_EQ(reopened.Run("PRAGMA journal_mode"), Rows{"wal"});
  EXPECT_EQ(reopened.Run("SELECT count(*) FROM m"), Rows{"2"});
}

}  // namespace
