// Opening a folder through its thread cache: read "VLTR.ume", reconcile it
// with "Entry.lst", then link the mail that arrived after the cache was
// written.

#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/text_reader.h"
#include "thread/header_scan_pool.h"
#include "thread/index_record.h"
#include "thread/thread_cache.h"

namespace threads {
namespace {

constexpr char kIndexFileName[] = "Entry.lst";

std::uint64_t NameKey(const char* name) {
  std::uint64_t key = 0;
  std::memcpy(&key, name, sizeof key);
  return key;
}

// The index records of "Entry.lst" in file order, positions 1 to Count(),
// with a lookup by message name that gives the same answer as scanning the
// records from the front (first record of that name) or from the back (last).
class IndexTable {
 public:
  // False (and an empty table) when the file cannot be opened.
  bool Read(const std::string& path) {
    platform::TextReader reader;
    if (!reader.Open(path)) return false;
    std::string line;
    starts_.push_back(0);
    while (ReadNextIndexRecord(reader, line)) {
      bytes_ += line;
      starts_.push_back(bytes_.size());
      const int position = Count();
      auto [it, inserted] = names_.try_emplace(NameKey(line.data()), position, position);
      if (!inserted) it->second.second = position;
    }
    return true;
  }

  int Count() const { return starts_.empty() ? 0 : static_cast<int>(starts_.size()) - 1; }

  std::string_view Line(int position) const {
    const std::size_t begin = starts_[position - 1];
    return std::string_view(bytes_).substr(begin, starts_[position] - begin);
  }

  // Position of the first (or last) record whose line begins with `name`, or
  // 0 when there is none. Names shorter than 8 characters match no record.
  int Find(const ThreadNode& node, bool from_front) const {
    if (strnlen(node.Name.data(), node.Name.size()) != 8) return 0;
    const auto it = names_.find(NameKey(node.Name.data()));
    if (it == names_.end()) return 0;
    return from_front ? it->second.first : it->second.second;
  }

 private:
  std::string bytes_;
  std::vector<std::size_t> starts_;
  std::unordered_map<std::uint64_t, std::pair<int, int>> names_;
};

}  // namespace

int ReconcileWithIndex(const FolderSource& folder, ThreadNode*& head, LoadContext& context) {
  ProgressSink& progress = context.progress;
  progress.EnableCancel(false);
  IndexTable table;
  table.Read(platform::JoinPath(folder.Path, kIndexFileName));
  const int middle = table.Count() / 2;

  progress.SetTitle(kReconcileTitle);
  progress.SetRange(0, table.Count());
  progress.SetPosition(0);
  progress.Repaint();
  context.monitor.PumpMessages();

  int found = 0;
  ThreadNode* node = head;
  while (node != nullptr) {
    ThreadNode* next = node->Next;
    const int position = table.Find(*node, found < middle);
    if (position == 0) {
      progress.SetMailTitle(node->Subject);
      RemoveNodeKeepingReplies(head, node);
    } else {
      ++found;
      IndexRecord record = ParseIndexRecord(table.Line(position));
      node->StatusBlock = record.StatusBlock;
      node->Sender = std::move(record.Sender);
      node->Subject = std::move(record.Subject);
    }
    progress.Step();
    node = next;
  }
  return found;
}

NewMailResult SearchNewMail(const FolderSource& folder, const Stamp& last_date, int found,
                            ThreadNode*& head, LoadContext& context) {
  NewMailResult result;
  platform::TextReader reader;
  if (!reader.Open(platform::JoinPath(folder.Path, kIndexFileName))) return result;
  result.IndexOpened = true;

  ProgressSink& progress = context.progress;
  progress.EnableCancel(true);
  progress.SetTitle(kNewMailTitle);
  progress.SetRange(0, folder.Total - found);
  progress.SetPosition(0);
  progress.Repaint();
  context.monitor.PumpMessages();

  // Collect the new records first so that their headers can be scanned ahead.
  std::vector<ThreadNode*> fresh;
  std::string line;
  while (ReadNextIndexRecord(reader, line)) {
    IndexRecord record = ParseIndexRecord(line);
    if (CompareStamps(DateStamp(record.StatusBlock), last_date) <= 0) continue;
    if (head == nullptr) break;
    ThreadNode* node = NewThreadNode();
    node->Name = record.Name;
    node->StatusBlock = record.StatusBlock;
    node->Sender = std::move(record.Sender);
    node->Subject = std::move(record.Subject);
    node->FilePath = platform::JoinPath(folder.Path, std::string(record.Name.data()) + ".qnm");
    fresh.push_back(node);
  }
  reader.Close();
  if (fresh.empty()) return result;

  ThreadLinker linker(folder.Link);
  for (ThreadNode* node = head; node != nullptr; node = node->Next) linker.AddExisting(node);
  const LinkRun run = ScanAndLink(fresh, linker, head, context, folder.ScanWorkers);
  result.Added = run.Added;
  result.Stopped = run.Stopped;
  return result;
}

ThreadLoad LoadThreadCache(const FolderSource& folder, LoadContext& context) {
  ThreadLoad load;
  platform::TextReader reader;
  if (!reader.Open(platform::JoinPath(folder.Path, kCacheFileName))) return load;

  context.progress.SetTitle(kCacheReadTitle);
  context.progress.Repaint();
  CacheContents cache = ReadThreadCache(reader, folder.Path, &context);
  reader.Close();
  context.monitor.EnableMainWindow(false);

  switch (cache.Status) {
    case CacheReadStatus::kTruncated:
      break;
    case CacheReadStatus::kCancelled:
      load.ForgetFolder = true;
      break;
    case CacheReadStatus::kLoaded:
      if (cache.Records > 0) {
        ThreadNode*& head = cache.List.MutableHead();
        const int found = ReconcileWithIndex(folder, head, context);
        const NewMailResult fresh = SearchNewMail(folder, cache.LastDate, found, head, context);
        if (!fresh.IndexOpened) load.ForgetFolder = true;
      }
      break;
  }
  context.monitor.EnableMainWindow(true);
  load.List = std::move(cache.List);
  load.Show = !load.List.Empty() || load.ForgetFolder;
  return load;
}

}  // namespace threads
