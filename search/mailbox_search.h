#pragma once
// A search of the whole mailbox off the window's thread, with a connection to
// the index of its own (search/mail_index.h): the newest query only, answered
// twice, first with its newest hits (so that the first rows show at once in a
// mailbox of any size) and then with all of them. A query asked while an older
// one runs supersedes it: the older gets no further answer.
//
// `answered` is called on the search's thread; the window posts it on to
// itself. The destructor waits for a search under way to end.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "mailbox/folder_table.h"
#include "search/mail_index.h"
#include "search/result_rows.h"

namespace search {

class MailboxSearch {
 public:
  // Hits turned into rows by the first answer.
  static constexpr std::int64_t kFirstHits = 50;

  struct Answer {
    std::uint64_t query = 0;  // the number Ask gave
    ResultRows rows;
    bool complete = false;  // all hits; false: the first kFirstHits of more
    bool failed = false;    // the index could not be opened or asked
  };
  using OpenFn = std::function<std::unique_ptr<MailIndex>(std::string* error)>;

  // `open` opens a connection (MailIndex::Open on `mailbox_dir` unless given).
  MailboxSearch(const std::string& mailbox_dir, std::function<void(Answer)> answered,
                OpenFn open = nullptr);
  ~MailboxSearch();
  MailboxSearch(const MailboxSearch&) = delete;
  MailboxSearch& operator=(const MailboxSearch&) = delete;

  // Searches for `query_utf8` (UTF-8, as typed); the hits' rows are read
  // from the folders of `folders`, a copy taken now. The query's number.
  std::uint64_t Ask(const std::string& query_utf8, const mailbox::FolderTable& folders);

 private:
  void Run();
  bool Current(std::uint64_t query);

  std::string mailbox_dir_;
  std::function<void(Answer)> answered_;
  OpenFn open_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::uint64_t asked_ = 0;           // the newest query's number
  std::uint64_t answered_up_to_ = 0;  // the newest query taken by the thread
  std::string text_;
  std::unique_ptr<mailbox::FolderTable> folders_;
  std::thread thread_;
};

}  // namespace search
