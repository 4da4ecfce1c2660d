// Opening a folder through its thread cache: read "VLTR.ume", reconcile it
// with "Entry.lst", then link the mail that arrived after the cache was
// written.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/timing_log.h"
#include "thread/header_scan_pool.h"
#include "thread/index_record.h"
#include "thread/ja_texts.h"
#include "thread/thread_cache.h"

namespace thread {
namespace {

constexpr char kIndexFileName[] = "Entry.lst";

std::uint64_t NameKey(const char* name) {
  std::uint64_t key = 0;
  std::memcpy(&key, name, sizeof key);
  return key;
}

// The index records of "Entry.lst" in file order, with a lookup by message
// name that gives the same answer as scanning the records from the front
// (first record of that name) or from the back (last).
class IndexTable {
 public:
  // Open addressing with linear probing.
  struct Slot {
    std::uint64_t key = 0;
    std::uint32_t first = 0;  // record positions, 1 to Count(); 0 marks a free slot
    std::uint32_t last = 0;
  };

  // The records of `text`, which must outlive the table.
  explicit IndexTable(std::string_view text) {
    IndexRecords records(text);
    std::string_view line;
    while (records.Next(line)) lines_.push_back(line);
    std::size_t size = 16;
    while (size < 2 * lines_.size()) size *= 2;
    slots_.assign(size, Slot{});
    for (std::uint32_t position = 1; position <= lines_.size(); ++position) {
      const std::uint64_t key = NameKey(lines_[position - 1].data());
      Slot& slot = slots_[SlotOf(key)];
      if (slot.first == 0) {
        slot.key = key;
        slot.first = position;
      }
      slot.last = position;
    }
  }

  int Count() const { return static_cast<int>(lines_.size()); }
  std::string_view Line(std::uint32_t position) const { return lines_[position - 1]; }

  // The slot of the records named as the node, or null when there is none.
  // Names shorter than 8 characters match no record (every record line is
  // longer than that).
  const Slot* Find(const ThreadNode& node) const {
    if (std::find(node.Name.data(), node.Name.data() + 8, '\0') != node.Name.data() + 8) {
      return nullptr;
    }
    const Slot& slot = slots_[SlotOf(NameKey(node.Name.data()))];
    return slot.first != 0 ? &slot : nullptr;
  }

 private:
  // The slot holding `key`, or the free slot where it would go.
  std::size_t SlotOf(std::uint64_t key) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & mask;
    while (slots_[at].first != 0 && slots_[at].key != key) at = (at + 1) & mask;
    return at;
  }

  std::vector<std::string_view> lines_;  // the records, in file order
  std::vector<Slot> slots_;
};

// A record's DateStamp without parsing its texts: bytes 8-11 of the decoded
// status field, reversed as ParseIndexRecord stores them.
Stamp RecordStamp(std::string_view line) {
  const Base64Block block = DecodeBase64Block(line.substr(9, 16));
  return Stamp{block.Bytes[11], block.Bytes[10], block.Bytes[9], block.Bytes[8]};
}

}  // namespace

int ReconcileWithIndex(std::string_view index, ThreadNode*& head, LoadContext& context) {
  ProgressSink& progress = context.progress;
  progress.EnableCancel(false);
  const IndexTable table(index);
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
    const IndexTable::Slot* slot = table.Find(*node);
    if (slot == nullptr) {
      progress.SetMailTitle(node->Subject);
      RemoveNodeKeepingReplies(head, node);
    } else {
      // While fewer than half the records are found, the first record of the
      // name counts (a scan from the front), then the last (from the back).
      ParseIndexRecordInto(table.Line(found < middle ? slot->first : slot->last), *node);
      ++found;
    }
    progress.Step();
    node = next;
  }
  return found;
}

NewMailResult SearchNewMail(const FolderSource& folder, const std::string* index,
                            const Stamp& last_date, int found, ThreadNode*& head,
                            LoadContext& context) {
  NewMailResult result;
  if (index == nullptr) return result;
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
  IndexRecords records(*index);
  std::string_view line;
  while (records.Next(line)) {
    if (CompareStamps(RecordStamp(line), last_date) <= 0) continue;
    if (head == nullptr) break;
    ThreadNode* node = NewThreadNode(head);
    ParseIndexRecordInto(line, *node);
    SetFilePath(*node, folder.Path);
    fresh.push_back(node);
  }
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
  platform::PhaseTimer read_timer("cache-read");
  std::string text;
  if (!platform::ReadWholeFile(platform::JoinPath(folder.Path, kCacheFileName), text)) return load;

  context.progress.SetTitle(ja::kCacheReadTitle);
  context.progress.Repaint();
  CacheContents cache = ReadThreadCache(text, folder.Path, &context);
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
        // "Entry.lst" is read once for both passes; when it cannot be read the
        // consistency pass finds no record and the search fails.
        platform::PhaseTimer reconcile_timer("reconcile");
        std::string index;
        const bool index_read =
            platform::ReadWholeFile(platform::JoinPath(folder.Path, kIndexFileName), index);
        const int found =
            ReconcileWithIndex(index_read ? index : std::string_view(), head, context);
        reconcile_timer.Stop();
        platform::PhaseTimer search_timer("new-mail-search");
        const NewMailResult fresh = SearchNewMail(folder, index_read ? &index : nullptr,
                                                  cache.LastDate, found, head, context);
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
