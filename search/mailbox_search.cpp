#include "search/mailbox_search.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace search {

struct MailboxSearch::Core {
  std::string mailbox_dir;
  std::function<void(Answer)> answered;
  OpenFn open;
  std::mutex mutex;
  std::condition_variable wake;  // a query, a stop, the thread's end
  bool stopping = false;
  bool ended = false;
  std::uint64_t asked = 0;           // the newest query's number
  std::uint64_t answered_up_to = 0;  // the newest query taken by the thread
  std::string text;
  std::vector<std::string> folder_dirs;
  MailIndex* connection = nullptr;  // open now: Stop interrupts it
  // Held while `answered` runs, so that it never runs once Stop has returned.
  std::mutex answer_mutex;
  bool silenced = false;

  bool Current(std::uint64_t query);
  // Says `answer` unless it is no longer current or the search stopped.
  void Say(Answer answer);
  void Run();
};

MailboxSearch::MailboxSearch(const std::string& mailbox_dir, std::function<void(Answer)> answered,
                             OpenFn open)
    : core_(std::make_shared<Core>()) {
  core_->mailbox_dir = mailbox_dir;
  core_->answered = std::move(answered);
  core_->open = std::move(open);
  if (!core_->open) {
    core_->open = [mailbox_dir](std::string* error) { return MailIndex::Open(mailbox_dir, error); };
  }
  thread_ = std::thread([core = core_] {
    core->Run();
    {
      const std::lock_guard<std::mutex> lock(core->mutex);
      core->ended = true;
    }
    core->wake.notify_all();
  });
}

MailboxSearch::~MailboxSearch() {
  Stop();
  if (thread_.joinable()) thread_.join();
}

void MailboxSearch::Stop() {
  {
    const std::lock_guard<std::mutex> lock(core_->mutex);
    core_->stopping = true;
    if (core_->connection != nullptr) core_->connection->Interrupt();
  }
  core_->wake.notify_all();
  const std::lock_guard<std::mutex> lock(core_->answer_mutex);  // waits for an answer being said
  core_->silenced = true;
}

bool MailboxSearch::WaitEnded(std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lock(core_->mutex);
  return core_->wake.wait_for(lock, limit, [this] { return core_->ended; });
}

void MailboxSearch::Detach() {
  Stop();
  if (thread_.joinable()) thread_.detach();
}

std::uint64_t MailboxSearch::Ask(const std::string& query_utf8,
                                 std::vector<std::string> folder_dirs) {
  std::uint64_t number = 0;
  {
    const std::lock_guard<std::mutex> lock(core_->mutex);
    number = ++core_->asked;
    core_->text = query_utf8;
    core_->folder_dirs = std::move(folder_dirs);
  }
  core_->wake.notify_all();
  return number;
}

bool MailboxSearch::Core::Current(std::uint64_t query) {
  const std::lock_guard<std::mutex> lock(mutex);
  return !stopping && query == asked;
}

void MailboxSearch::Core::Say(Answer answer) {
  if (!Current(answer.query)) return;
  const std::lock_guard<std::mutex> lock(answer_mutex);
  if (!silenced) answered(std::move(answer));
}

// The connection is opened at the first query, not at the start: most runs
// never search the whole mailbox.
void MailboxSearch::Core::Run() {
  std::unique_ptr<MailIndex> index;
  // The rows are read folder by folder: a newer query or a stop ends the
  // reading between two folders (one on a slow share may take long).
  std::uint64_t query = 0;
  const std::function<bool()> overtaken = [this, &query] { return !Current(query); };
  for (;;) {
    std::string asked_text;
    std::vector<std::string> asked_folders;
    {
      std::unique_lock<std::mutex> lock(mutex);
      wake.wait(lock, [&] { return stopping || asked != answered_up_to; });
      if (stopping) break;
      query = answered_up_to = asked;
      asked_text = std::move(text);
      asked_folders = std::move(folder_dirs);
    }
    if (index == nullptr) {
      std::string error;
      index = open(&error);
      const std::lock_guard<std::mutex> lock(mutex);
      connection = index.get();
      if (stopping && index != nullptr) index->Interrupt();
    }
    Answer answer;
    answer.query = query;
    const thread::ParsedQuery parsed = thread::ParseQuery(asked_text, thread::LocalQueryClock());
    std::optional<std::vector<MailIndex::Hit>> hits;
    if (index != nullptr) hits = index->Search(parsed, asked_folders, kFirstHits);
    if (!hits) {
      answer.failed = true;
      Say(std::move(answer));
      continue;
    }
    answer.complete = hits->size() < static_cast<std::size_t>(kFirstHits);
    answer.rows = MakeResultRows(*hits, asked_folders, mailbox_dir, overtaken);
    const bool more = !answer.complete;
    if (!Current(query)) continue;
    Say(std::move(answer));
    if (!more) continue;

    hits = index->Search(parsed, asked_folders, -1);
    Answer all;
    all.query = query;
    all.complete = true;
    all.failed = !hits;
    if (hits) all.rows = MakeResultRows(*hits, asked_folders, mailbox_dir, overtaken);
    Say(std::move(all));
  }
  {
    const std::lock_guard<std::mutex> lock(mutex);
    connection = nullptr;
  }
}

}  // namespace search
