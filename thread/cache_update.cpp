// Opening a folder through its thread cache: read "VLTR.ume", reconcile it
// with "Entry.lst", then link the mail that arrived after the cache was
// written.

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/text_reader.h"
#include "platform/timing_log.h"
#include "thread/header_scan_pool.h"
#include "thread/index_record.h"
#include "thread/thread_cache.h"
#include "thread/ja_texts.h"

namespace thread {
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
    }
    IndexNames();
    return true;
  }

  int Count() const { return starts_.empty() ? 0 : static_cast<int>(starts_.size()) - 1; }

  std::string_view Line(int position) const {
    const std::size_t begin = starts_[static_cast<std::size_t>(position) - 1];
    return std::string_view(bytes_).substr(begin, starts_[static_cast<std::size_t>(position)] - begin);
  }

  // Position of the first (or last) record whose line begins with the node's
  // name, or 0 when there is none. Names shorter than 8 characters match no
  // record (every record line is longer than that).
  int Find(const ThreadNode& node, bool from_front) const {
    if (slots_.empty() || strnlen(node.Name.data(), node.Name.size()) != 8) return 0;
    const Slot& slot = slots_[SlotOf(NameKey(node.Name.data()))];
    if (slot.first == 0) return 0;
    return from_front ? slot.first : slot.last;
  }

 private:
  // Open addressing with linear probing; first == 0 marks a free slot.
  struct Slot {
    std::uint64_t key = 0;
    int first = 0;
    int last = 0;
  };

  // The slot holding `key`, or the free slot where it would go.
  std::size_t SlotOf(std::uint64_t key) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & mask;
    while (slots_[at].first != 0 && slots_[at].key != key) at = (at + 1) & mask;
    return at;
  }

  void IndexNames() {
    std::size_t size = 16;
    while (size < 2 * static_cast<std::size_t>(Count())) size *= 2;
    slots_.assign(size, Slot{});
    for (int position = 1; position <= Count(); ++position) {
      const std::uint64_t key = NameKey(Line(position).data());
      Slot& slot = slots_[SlotOf(key)];
      if (slot.first == 0) {
        slot.key = key;
        slot.first = position;
      }
      slot.last = position;
    }
  }

  std::string bytes_;
  std::vector<std::size_t> starts_;
  std::vector<Slot> slots_;
};

// A record's DateStamp without parsing its texts: bytes 8-11 of the decoded
// status field, reversed as ParseIndexRecord stores them.
Stamp RecordStamp(std::string_view line) {
  const Base64Block block = DecodeBase64Block(line.substr(9, 16));
  return Stamp{block.Bytes[11], block.Bytes[10], block.Bytes[9], block.Bytes[8]};
}

}  // namespace

int ReconcileWithIndex(const FolderSource& folder, ThreadNode*& head, LoadContext& context) {
  ProgressSink& progress = context.progress;
  progress.EnableCancel(false);
  IndexTable table;
  table.Read(platform::JoinPath(folder.Path, kIndexFileName));
  const int middle = table.Count() / 2;

  progress.SetTitle(ja::kReconcileTitle);
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
      ParseIndexRecordInto(table.Line(position), *node);  // the same Name

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
  progress.SetTitle(ja::kNewMailTitle);
  progress.SetRange(0, folder.Total - found);
  progress.SetPosition(0);
  progress.Repaint();
  context.monitor.PumpMessages();

  // Collect the new records first so that their headers can be scanned ahead.
  std::vector<ThreadNode*> fresh;
  std::string line;
  while (ReadNextIndexRecord(reader, line)) {
    if (CompareStamps(RecordStamp(line), last_date) <= 0) continue;
    if (head == nullptr) break;
    ThreadNode* node = NewThreadNode(head);
    ParseIndexRecordInto(line, *node);
    node->FilePath = node->Keep(platform::JoinPath(folder.Path, std::string(node->Name.data()) + ".qnm"));
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

  context.progress.SetTitle(ja::kCacheReadTitle);
  context.progress.Repaint();
  platform::PhaseTimer read_timer("cache-read");
  CacheContents cache = ReadThreadCache(reader, folder.Path, &context);
  reader.Close();
  read_timer.Stop();
  context.monitor.EnableMainWindow(false);

  switch (cache.Status) {
    case CacheReadStatus::kUnusable:
      break;
    case CacheReadStatus::kCancelled:
      load.ForgetFolder = true;
      break;
    case CacheReadStatus::kLoaded:
      if (cache.Records > 0) {
        ThreadNode*& head = cache.List.MutableHead();
        platform::PhaseTimer reconcile_timer("reconcile");
        const int found = ReconcileWithIndex(folder, head, context);
        reconcile_timer.Stop();
        platform::PhaseTimer search_timer("new-mail-search");
        const NewMailResult fresh = SearchNewMail(folder, cache.LastDate, found, head, context);
        search_timer.Stop();
        if (!fresh.IndexOpened) load.ForgetFolder = true;
      }
      break;
  }
  context.monitor.EnableMainWindow(true);
  load.List = std::move(cache.List);
  load.Show = !load.List.Empty() || load.ForgetFolder;
  return load;
}

}  // namespace thread
