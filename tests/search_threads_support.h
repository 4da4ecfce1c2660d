#pragma once
// For the tests of the index's threads: what they reported, waited for with a bound; a
// second connection holding the index's write lock; a condition polled until it holds.

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "search/background_index.h"

namespace search_testing {

// What the threads reported, waited for with a bound.
class Reports {
 public:
  search::BackgroundIndex::Events Events() {
    search::BackgroundIndex::Events events;
    events.unavailable = [this](const std::string& error) {
      Add([&] { errors.push_back(error); });
    };
    events.update_failed = [this](const std::string& error) {
      Add([&] { failures.push_back(error); });
    };
    events.updated = [this](const std::string& folder) {
      Add([&] {
        updated.push_back(folder);
        updated_in_pass += in_pass ? 1 : 0;
      });
    };
    events.whole_pass = [this](bool running) {
      Add([&] {
        in_pass = running;
        passes += running ? 1 : 0;
      });
    };
    events.progress = [this](search::MailIndex::Progress now) {
      Add([&] { merge_began = merge_began || now.merging; });
    };
    events.answered = [this](search::BackgroundIndex::Answer answer) {
      Add([&] { answers.push_back(std::move(answer)); });
    };
    return events;
  }
  template <class Done>
  bool WaitFor(Done done) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(20), done);
  }
  const search::BackgroundIndex::Answer* AnswerTo(std::uint64_t query) const {
    for (const auto& answer : answers) {
      if (answer.query == query) return &answer;
    }
    return nullptr;
  }
  bool Updated(const std::string& folder) const {
    return std::find(updated.begin(), updated.end(), folder) != updated.end();
  }

  std::vector<std::string> errors;    // unavailable
  std::vector<std::string> failures;  // update_failed
  std::vector<std::string> updated;
  bool merge_began = false;  // a progress said the index is being merged
  bool in_pass = false;      // between whole_pass(true) and whole_pass(false)
  int passes = 0;            // whole passes begun
  int updated_in_pass = 0;   // `updated` said inside a whole pass
  std::vector<search::BackgroundIndex::Answer> answers;

 private:
  template <class Change>
  void Add(Change change) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      change();
    }
    changed_.notify_all();
  }
  std::mutex mutex_;
  std::condition_variable changed_;
};

// A second connection to the index, holding its write lock while the test says.
class Holder {
 public:
  ~Holder() { Release(); }
  bool Hold(const std::string& path) {
    sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    return sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
  }
  void Release() {
    if (db_ != nullptr) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db_);
    db_ = nullptr;
  }

 private:
  sqlite3* db_ = nullptr;
};

// Checks `done` until it holds, for 20 s at most.
template <class Done>
inline bool PollUntil(Done done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace search_testing
