#pragma once
// A SQLite file system (VFS) over the default one, for tests of what the index does when
// its file fails it: made the default while it lives, it passes every call on, except
// that reads and writes answer the error a test chose (SQLITE_FULL: the disk is full),
// and that the busy handler's sleeps return at once (unless told otherwise), so that a
// lock another connection holds outlasts the busy timeout in no time. Connections opened
// while it lives must be closed before it goes.

#include <sqlite3.h>

#include <atomic>

namespace search_testing {

class FaultyFiles {
 public:
  FaultyFiles();
  ~FaultyFiles();
  FaultyFiles(const FaultyFiles&) = delete;
  FaultyFiles& operator=(const FaultyFiles&) = delete;

  // Every write from now on answers `code` (SQLITE_OK: writes pass again).
  void FailWrites(int code) { state_.write_error = code; }
  // Every read from now on answers `code` (SQLITE_OK: reads pass again).
  void FailReads(int code) { state_.read_error = code; }
  // The busy handler's sleeps take their time (they are still counted).
  void SleepForReal() { state_.real_sleeps = true; }
  // The reads and writes refused and the sleeps so far.
  int Faults() const { return state_.faults.load(); }

  // What the files opened through it see.
  struct State {
    std::atomic<int> write_error{SQLITE_OK};
    std::atomic<int> read_error{SQLITE_OK};
    std::atomic<int> faults{0};
    std::atomic<bool> real_sleeps{false};
  };

 private:
  static int Open(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* out);
  static int Sleep(sqlite3_vfs* vfs, int microseconds);

  sqlite3_vfs vfs_{};
  sqlite3_vfs* real_ = nullptr;
  State state_;
};

}  // namespace search_testing
