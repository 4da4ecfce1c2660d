#include "search/background_index.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>

namespace search {

struct BackgroundIndex::Core {
  OpenFn open;
  Events events;
  std::atomic<bool> stopping{false};
  std::atomic<std::uint64_t> current{0};
  // Bumped by each update the keeper ends: the searcher's count of a
  // folder's unindexed messages (a directory listing) holds until then.
  std::atomic<std::uint64_t> updates{0};
  std::mutex mutex;
  std::condition_variable wake;     // something to do, a stop, a thread's end
  int opened = 0;                   // the keeper's connection: 1 open, -1 failed
  std::deque<std::string> folders;  // to update, oldest first
  int paused = 0;                   // Pause calls not resumed yet
  bool asked = false;               // a query waits
  std::string asked_folder;
  std::string asked_text;
  bool asked_body = false;
  std::vector<MailIndex*> connections;  // open now: Stop interrupts them
  int running = 2;                      // threads not ended yet
  // Held while an event runs, so that none runs once Stop has returned.
  std::mutex events_mutex;
  bool silenced = false;

  bool Stopping() const { return stopping.load(); }
  template <class... Args, class... Given>
  void Say(const std::function<void(Args...)>& event, Given&&... args) {
    const std::lock_guard<std::mutex> lock(events_mutex);
    if (!silenced && event) event(std::forward<Given>(args)...);
  }
  std::unique_ptr<MailIndex> Connect(std::string* error);
  void Disconnect(std::unique_ptr<MailIndex> index);
  void Ended();
  void Keep();
  // After an update of the keeper's connection returned false: true when it
  // failed rather than stopped. A failure is said unless one was said since
  // the last success (`said`).
  bool Failed(const MailIndex& index, bool& said);
  void Search();
};

BackgroundIndex::BackgroundIndex(const std::string& mailbox_dir, Events events, OpenFn open)
    : core_(std::make_shared<Core>()) {
  core_->open = std::move(open);
  core_->events = std::move(events);
  if (!core_->open) {
    core_->open = [mailbox_dir](std::string* error) { return MailIndex::Open(mailbox_dir, error); };
  }
  // Each thread holds the core: the last to end frees it.
  keeper_ = std::thread([core = core_] {
    core->Keep();
    core->Ended();
  });
  searcher_ = std::thread([core = core_] {
    core->Search();
    core->Ended();
  });
}

BackgroundIndex::~BackgroundIndex() {
  Stop();
  if (keeper_.joinable()) keeper_.join();
  if (searcher_.joinable()) searcher_.join();
}

void BackgroundIndex::Stop() {
  {
    const std::lock_guard<std::mutex> lock(core_->mutex);
    core_->stopping = true;
    for (MailIndex* index : core_->connections) index->Interrupt();
  }
  core_->wake.notify_all();
  const std::lock_guard<std::mutex> lock(core_->events_mutex);  // waits for an event running
  core_->silenced = true;
}

bool BackgroundIndex::WaitEnded(std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lock(core_->mutex);
  return core_->wake.wait_for(lock, limit, [this] { return core_->running == 0; });
}

void BackgroundIndex::Detach() {
  Stop();
  if (keeper_.joinable()) keeper_.detach();
  if (searcher_.joinable()) searcher_.detach();
}

void BackgroundIndex::Pause() {
  const std::lock_guard<std::mutex> lock(core_->mutex);
  ++core_->paused;
}

void BackgroundIndex::Resume() {
  {
    const std::lock_guard<std::mutex> lock(core_->mutex);
    if (core_->paused > 0) --core_->paused;
  }
  core_->wake.notify_all();
}

void BackgroundIndex::UpdateFolder(const std::string& folder_dir) {
  {
    const std::lock_guard<std::mutex> lock(core_->mutex);
    std::deque<std::string>& folders = core_->folders;
    if (std::find(folders.begin(), folders.end(), folder_dir) == folders.end()) {
      folders.push_back(folder_dir);
    }
  }
  core_->wake.notify_all();
}

std::uint64_t BackgroundIndex::Ask(const std::string& folder_dir, const std::string& query_utf8,
                                   bool body_search) {
  std::uint64_t number = 0;
  {
    const std::lock_guard<std::mutex> lock(core_->mutex);
    number = core_->current.fetch_add(1) + 1;
    core_->asked = true;
    core_->asked_folder = folder_dir;
    core_->asked_text = query_utf8;
    core_->asked_body = body_search;
  }
  core_->wake.notify_all();
  return number;
}

void BackgroundIndex::Forget() { core_->current.fetch_add(1); }

bool BackgroundIndex::IsCurrent(std::uint64_t query) const {
  return query == core_->current.load();
}

// A connection opened after Stop is interrupted at once.
std::unique_ptr<MailIndex> BackgroundIndex::Core::Connect(std::string* error) {
  std::unique_ptr<MailIndex> index = open(error);
  if (index == nullptr) return nullptr;
  const std::lock_guard<std::mutex> lock(mutex);
  connections.push_back(index.get());
  if (stopping) index->Interrupt();
  return index;
}

void BackgroundIndex::Core::Disconnect(std::unique_ptr<MailIndex> index) {
  if (index == nullptr) return;
  {
    const std::lock_guard<std::mutex> lock(mutex);
    connections.erase(std::find(connections.begin(), connections.end(), index.get()));
  }
  index.reset();
}

void BackgroundIndex::Core::Ended() {
  {
    const std::lock_guard<std::mutex> lock(mutex);
    --running;
  }
  wake.notify_all();
}

// The keeper opens the index first and alone: a damaged file is set aside
// and made anew once, not by two connections racing.
void BackgroundIndex::Core::Keep() {
  Say(events.thread_started);
  std::string error;
  std::unique_ptr<MailIndex> index = Connect(&error);
  {
    const std::lock_guard<std::mutex> lock(mutex);
    opened = index != nullptr ? 1 : -1;
  }
  wake.notify_all();
  if (index == nullptr) {
    Say(events.unavailable, error);
    return;
  }
  // A folder asked for or a pause stops a running pass, which resumes after it
  // (the folders it has done are skipped as unchanged).
  const auto folder_waiting = [this] {
    if (Stopping()) return true;
    const std::lock_guard<std::mutex> lock(mutex);
    return !folders.empty() || paused > 0;
  };
  const auto progress = [this](MailIndex::Progress now) { Say(events.progress, now); };
  bool whole_pass_due = true;
  bool pass_failed = false;
  bool failure_said = false;
  while (!Stopping()) {
    // A damaged file is set aside at the next start; until then nothing is asked of it.
    if (index->Damaged()) {
      Say(events.unavailable, index->Error());
      break;
    }
    std::string folder;
    {
      std::unique_lock<std::mutex> lock(mutex);
      wake.wait(lock,
                [&] { return stopping || (paused == 0 && (whole_pass_due || !folders.empty())); });
      if (stopping) break;
      if (!folders.empty()) {
        folder = std::move(folders.front());
        folders.pop_front();
      }
    }
    if (!folder.empty()) {
      const bool done = index->UpdateFolder(folder, [this] { return Stopping(); });
      updates.fetch_add(1);
      if (done) {
        failure_said = false;
        whole_pass_due = whole_pass_due || pass_failed;
        pass_failed = false;
        Say(events.updated, folder);
      } else {
        Failed(*index, failure_said);
      }
      continue;
    }
    Say(events.whole_pass, true);
    const bool done = index->UpdateAll(folder_waiting, progress);
    Say(events.whole_pass, false);
    updates.fetch_add(1);
    if (done) {
      failure_said = false;
      whole_pass_due = false;
      Say(events.updated, std::string());
    } else if (Failed(*index, failure_said)) {
      // The index holds what the pass committed before it failed.
      pass_failed = true;
      whole_pass_due = false;
    }  // else stopped for a folder or a pause: the pass resumes after it
  }
  Disconnect(std::move(index));
}

bool BackgroundIndex::Core::Failed(const MailIndex& index, bool& said) {
  if (index.Error().empty()) return false;  // stopped
  if (index.Damaged()) return true;         // said as unavailable
  if (!said) Say(events.update_failed, index.Error());
  said = true;
  return true;
}

void BackgroundIndex::Core::Search() {
  Say(events.thread_started);
  {
    std::unique_lock<std::mutex> lock(mutex);
    wake.wait(lock, [this] { return stopping || opened != 0; });
    if (stopping || opened < 0) return;
  }
  std::string error;
  std::unique_ptr<MailIndex> index = Connect(&error);
  if (index == nullptr) {
    Say(events.unavailable, error);
    return;
  }
  std::string counted_folder;
  std::uint64_t counted_at = 0;
  std::size_t unindexed = 0;
  while (true) {
    Answer answer;
    std::string text;
    bool body_search = false;
    {
      std::unique_lock<std::mutex> lock(mutex);
      wake.wait(lock, [this] { return stopping || asked; });
      if (stopping) break;
      asked = false;
      answer.query = current.load();
      answer.folder_dir = asked_folder;
      text = asked_text;
      body_search = asked_body;
    }
    const auto overtaken = [this, &answer] { return Stopping() || answer.query != current.load(); };
    const thread::ParsedQuery query = thread::ParseQuery(text, thread::LocalQueryClock());
    std::vector<const thread::QueryNode*> leaves;
    thread::ForEachLeaf(query.root, [&](const thread::QueryNode& leaf, bool) {
      if (leaf.kind == thread::QueryNode::Kind::kText && thread::AskedOfIndex(leaf, body_search)) {
        leaves.push_back(&leaf);
      }
    });
    std::optional<std::vector<std::vector<std::string>>> names =
        index->FolderLeafHits(answer.folder_dir, leaves, overtaken);
    if (overtaken()) continue;
    if (!names) {
      // This query failed, not the index: the next one may well be answered.
      answer.error = index->Error();
      Say(events.answered, std::move(answer));
      continue;
    }
    answer.leaf_names = std::move(*names);
    const std::uint64_t now = updates.load();
    if (answer.folder_dir != counted_folder || now != counted_at) {
      unindexed = index->Unindexed(answer.folder_dir);
      counted_folder = answer.folder_dir;
      counted_at = now;
    }
    answer.unindexed = unindexed;
    Say(events.answered, std::move(answer));
  }
  Disconnect(std::move(index));
}

}  // namespace search
