// Opening a folder through its thread cache: read "VLTR.ume", reconcile it
// with "Entry.lst", then link the mail that arrived after the cache was
// written.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "mailbox/client_files.h"
#include "platform/files.h"
#include "platform/timing_log.h"
#include "thread/header_scan_pool.h"
#include "thread/index_record.h"
#include "thread/ja_texts.h"
#include "thread/thread_cache.h"

namespace thread {
namespace {

std::uint64_t NameKey(const char* name) {
  std::uint64_t key = 0;
  std::memcpy(&key, name, sizeof key);
  return key;
}

// A record's DateStamp without parsing its texts: bytes 8-11 of the decoded
// status field, reversed as ParseIndexRecord stores them.
Stamp RecordStamp(std::string_view line) {
  const Base64Block block = DecodeBase64Block(line.substr(9, 16));
  return Stamp{block.Bytes[11], block.Bytes[10], block.Bytes[9], block.Bytes[8]};
}

}  // namespace

// The index records of "Entry.lst" in file order, with a lookup by message
// name that gives the same answer as scanning the records from the front
// (first record of that name) or from the back (last).
class IndexTable {
 public:
  // Open addressing with linear probing. The slot holds where its records
  // lie in the text, so a lookup touches the slot and the line only.
  struct Slot {
    std::uint64_t key = 0;
    std::uint32_t first_at = 0;
    std::uint32_t first_size = 0;  // 0 marks a free slot (a record is never empty)
    std::uint32_t last_at = 0;
    std::uint32_t last_size = 0;
  };

  // The records of `text`, which must outlive the table.
  explicit IndexTable(std::string_view text) : text_(text) {
    IndexRecords records(text);
    std::string_view line;
    while (records.Next(line)) {
      lines_.push_back(line);
      const Stamp stamp = RecordStamp(line);
      if (CompareStamps(stamp, newest_) > 0) newest_ = stamp;
    }
    std::size_t size = 16;
    shift_ = 60;
    while (size < 2 * lines_.size()) {
      size *= 2;
      --shift_;
    }
    slots_.assign(size, Slot{});
    for (std::string_view record : lines_) {
      const std::uint64_t key = NameKey(record.data());
      Slot& slot = slots_[SlotOf(key)];
      const auto at = static_cast<std::uint32_t>(record.data() - text_.data());
      const auto size_of = static_cast<std::uint32_t>(record.size());
      if (slot.first_size == 0) {
        slot.key = key;
        slot.first_at = at;
        slot.first_size = size_of;
      }
      slot.last_at = at;
      slot.last_size = size_of;
    }
  }

  int Count() const { return static_cast<int>(lines_.size()); }
  // The greatest DateStamp of the records (zero when there are none).
  const Stamp& Newest() const { return newest_; }
  // Record `position`, 1 to Count(), in file order.
  std::string_view Line(int position) const {
    return lines_[static_cast<std::size_t>(position - 1)];
  }
  std::string_view First(const Slot& slot) const {
    return text_.substr(slot.first_at, slot.first_size);
  }
  std::string_view Last(const Slot& slot) const {
    return text_.substr(slot.last_at, slot.last_size);
  }

  // The slot of the records named as the node, or null when there is none.
  // Names shorter than 8 characters match no record (every record line is
  // longer than that).
  const Slot* Find(const ThreadNode& node) const {
    if (!HasFullName(node)) return nullptr;
    const Slot& slot = slots_[SlotOf(NameKey(node.Name.data()))];
    return slot.first_size != 0 ? &slot : nullptr;
  }

 private:
  static bool HasFullName(const ThreadNode& node) {
    return std::find(node.Name.data(), node.Name.data() + 8, '\0') == node.Name.data() + 8;
  }

  // Where the search for `key` starts: the top bits of the product, which
  // every byte of the name reaches (the names of a folder differ in their
  // last characters, the key's top byte).
  std::size_t Home(std::uint64_t key) const {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> shift_);
  }

  // The slot holding `key`, or the free slot where it would go.
  std::size_t SlotOf(std::uint64_t key) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = Home(key);
    while (slots_[at].first_size != 0 && slots_[at].key != key) at = (at + 1) & mask;
    return at;
  }

  std::string_view text_;
  std::vector<std::string_view> lines_;  // the records, in file order
  Stamp newest_{};
  std::vector<Slot> slots_;
  int shift_ = 60;  // 64 - log2(slots_.size())
};

struct Reconciled {
  int Found = 0;   // nodes whose record was found
  Stamp Newest{};  // the greatest DateStamp among them
};

namespace {

// The consistency pass: drops the nodes whose name has no record (their
// replies move up one level) and refreshes Sender, Subject and StatusBlock of
// the others. A name found in the first half of the lookups resolves to its
// first record, later ones to its last record. Cannot be cancelled.
Reconciled ReconcileWithIndex(const IndexTable& table, ThreadNode*& head, LoadContext& context) {
  ProgressSink& progress = context.progress;
  progress.EnableCancel(false);
  const int middle = table.Count() / 2;

  progress.SetTitle(ja::kReconcileTitle);
  progress.SetRange(0, table.Count());
  progress.SetPosition(0);
  progress.Repaint();
  context.monitor.PumpMessages();

  Reconciled result;
  int& found = result.Found;
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
      ParseIndexRecordInto(found < middle ? table.First(*slot) : table.Last(*slot), *node);
      ++found;
      const Stamp stamp = DateStamp(*node);
      if (CompareStamps(stamp, result.Newest) > 0) result.Newest = stamp;
    }
    progress.Step();
    node = next;
  }
  return result;
}

struct NewMailResult {
  bool IndexOpened = false;  // false: "Entry.lst" could not be opened
  int Added = 0;             // nodes linked (duplicates not counted)
  bool Stopped = false;      // cancelled or another folder chosen
};

// Links every record of the index (null when "Entry.lst" could not be read)
// whose DateStamp is greater than `last_date`, scanning its message headers.
// Stops at the first such record when the list is empty (the folder is then
// built in full). A stop keeps the nodes linked so far. `found` is what
// ReconcileWithIndex returned.
NewMailResult SearchNewMail(const FolderSource& folder, const IndexTable* index,
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
  if (CompareStamps(index->Newest(), last_date) <= 0) return result;  // nothing newer
  for (int position = 1; position <= index->Count(); ++position) {
    const std::string_view line = index->Line(position);
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

}  // namespace

struct CacheOpening::State {
  bool FileRead = false;  // "VLTR.ume" could be read
  CacheContents Cache;
  std::string Index;  // the text of "Entry.lst", read once for both passes
  bool IndexRead = false;
  std::optional<IndexTable> Table;  // over Index
  Reconciled Found;
};

CacheOpening::CacheOpening() = default;
CacheOpening::~CacheOpening() = default;
CacheOpening::CacheOpening(CacheOpening&&) noexcept = default;
CacheOpening& CacheOpening::operator=(CacheOpening&&) noexcept = default;

bool CacheOpening::Complete() const {
  if (state_ == nullptr || !state_->FileRead || !state_->IndexRead) return false;
  const State& s = *state_;
  if (s.Cache.Status != CacheReadStatus::kLoaded || s.Cache.List.Empty()) return false;
  return CompareStamps(s.Table->Newest(), s.Cache.LastDate) <= 0;
}

CacheFiles ReadCacheFiles(const std::string& folder_path) {
  platform::PhaseTimer timer("cache-files");
  CacheFiles files;
  files.CacheRead =
      platform::ReadWholeFile(platform::JoinPath(folder_path, kCacheFileName), files.Cache);
  if (files.CacheRead) {
    files.IndexRead = platform::ReadSettledFile(
        platform::JoinPath(folder_path, mailbox::kEntryList), files.Index);
  }
  return files;
}

CacheOpening OpenCache(CacheFiles files, const FolderSource& folder, LoadContext& context) {
  CacheOpening opening;
  opening.state_ = std::make_unique<CacheOpening::State>();
  CacheOpening::State& s = *opening.state_;
  s.FileRead = files.CacheRead;
  if (!s.FileRead) return opening;

  platform::PhaseTimer read_timer("cache-read");
  context.progress.SetTitle(ja::kCacheReadTitle);
  context.progress.Repaint();
  s.Cache = ReadThreadCache(files.Cache, folder.Path, &context);
  read_timer.Stop();
  context.monitor.EnableMainWindow(false);
  if (s.Cache.Status != CacheReadStatus::kLoaded || s.Cache.Records == 0) return opening;

  // When "Entry.lst" could not be read the consistency pass finds no record
  // and the search fails.
  platform::PhaseTimer reconcile_timer("reconcile");
  s.IndexRead = files.IndexRead;
  s.Index = std::move(files.Index);
  s.Table.emplace(s.IndexRead ? std::string_view(s.Index) : std::string_view());
  s.Found = ReconcileWithIndex(*s.Table, s.Cache.List.MutableHead(), context);
  return opening;
}

CacheOpening OpenCache(const FolderSource& folder, LoadContext& context) {
  return OpenCache(ReadCacheFiles(folder.Path), folder, context);
}

ThreadLoad FinishCacheOpen(CacheOpening opening, const FolderSource& folder, LoadContext& context) {
  ThreadLoad load;
  if (opening.state_ == nullptr || !opening.state_->FileRead) return load;
  CacheOpening::State& s = *opening.state_;
  context.monitor.EnableMainWindow(false);
  switch (s.Cache.Status) {
    case CacheReadStatus::kUnusable:
      break;
    case CacheReadStatus::kCancelled:
      load.ForgetFolder = true;
      break;
    case CacheReadStatus::kLoaded:
      if (s.Cache.Records > 0) {
        platform::PhaseTimer search_timer("new-mail-search");
        ThreadNode*& head = s.Cache.List.MutableHead();
        const NewMailResult fresh = SearchNewMail(folder, s.IndexRead ? &*s.Table : nullptr,
                                                  s.Cache.LastDate, s.Found.Found, head, context);
        search_timer.Stop();
        if (!fresh.IndexOpened) load.ForgetFolder = true;
        // Nothing left, nothing added and the same LastDate (the writer's is
        // the newest stamp of the list): the file already reads as this list,
        // and rewriting it would only cost time.
        load.CacheCurrent = fresh.IndexOpened && s.Found.Found == s.Cache.Records &&
                            fresh.Added == 0 && !fresh.Stopped &&
                            s.Found.Newest == s.Cache.LastDate;
      }
      break;
  }
  context.monitor.EnableMainWindow(true);
  load.List = std::move(s.Cache.List);
  load.Show = !load.List.Empty() || load.ForgetFolder;
  return load;
}

ThreadLoad LoadThreadCache(const FolderSource& folder, LoadContext& context) {
  return FinishCacheOpen(OpenCache(folder, context), folder, context);
}

}  // namespace thread
