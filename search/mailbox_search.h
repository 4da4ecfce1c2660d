#pragma once
// A search of the whole mailbox off the window's thread, with a connection to
// the index of its own (search/mail_index.h): the newest query only, answered
// twice, first with its newest hits (so that the first rows show at once in a
// mailbox of any size) and then with all of them. A query asked while an older
// one runs supersedes it: the older gets no further answer.
//
// `answered` is called on the search's thread; the window posts it on to
// itself. Stopping is as the index keeper's (search/background_index.h): Stop
// interrupts the query and the reading of the hits' folders between two
// folders, no answer comes once it has returned, and what the thread uses is
// its own, so that after Detach it ends on its own.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

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
  // Stops the thread and waits for it to end, unless detached.
  ~MailboxSearch();
  MailboxSearch(const MailboxSearch&) = delete;
  MailboxSearch& operator=(const MailboxSearch&) = delete;

  // Searches for `query_utf8` (UTF-8, as typed; read on the machine's clock,
  // thread/search_query.h) in the folders `folder_dirs`
  // only (the window gives the current account's, SearchScope), and reads the
  // hits' rows from them; a row's folder is its place in `folder_dirs`. The
  // first answer's kFirstHits are the newest hits of those folders: hits of
  // other folders are never counted among them. The query's number.
  std::uint64_t Ask(const std::string& query_utf8, std::vector<std::string> folder_dirs);

  // Asks the thread to end and interrupts its connection; at once.
  void Stop();
  // Waits at most `limit` for the thread to end: true when it has.
  bool WaitEnded(std::chrono::milliseconds limit);
  // Stops the thread and leaves it to end on its own.
  void Detach();

 private:
  struct Core;  // what the thread uses, its own as much as this object's
  std::shared_ptr<Core> core_;
  std::thread thread_;
};

}  // namespace search
