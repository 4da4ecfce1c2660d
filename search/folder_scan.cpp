#include "search/folder_scan.h"

#include <algorithm>
#include <unordered_set>

#include "mailbox/client_files.h"
#include "platform/text_bytes.h"
#include "search/fnv1a.h"
#include "thread/index_record.h"
#include "thread/thread_node.h"
#include "thread/thread_rows.h"

namespace search {
namespace {

// Message file names compared as Windows compares them.
std::string NameKey(std::string_view name) { return platform::AsciiLower(name); }

// A message's signature: its fields one after another.
class Hash {
 public:
  void Add(std::string_view bytes) {
    hash_.Bytes(bytes);
    hash_.Byte(0xFF);  // parts the fields: no Shift-JIS text ends with it
  }
  void Add(std::uint64_t value) {
    for (int i = 0; i < 8; ++i) hash_.Byte(static_cast<unsigned char>(value >> (8 * i)));
  }
  std::int64_t Value() const { return static_cast<std::int64_t>(hash_.Value()); }

 private:
  Fnv1a hash_;
};

// The flag bits that change what the viewer shows of a message.
constexpr std::uint32_t kTextFlags = thread::kAttachmentFlag | thread::kNoConvertFlags;

}  // namespace

std::vector<ListedMessage> ListMessages(std::string_view entry_list, int ml_string_delete,
                                        std::vector<platform::StampedFile> files) {
  for (platform::StampedFile& file : files) file.name = NameKey(file.name);
  std::sort(files.begin(), files.end(),
            [](const auto& a, const auto& b) { return a.name < b.name; });

  std::vector<ListedMessage> listed;
  std::unordered_set<std::string> seen;
  thread::IndexRecords records(entry_list);
  std::string_view line;
  while (records.Next(line)) {
    thread::IndexRecord record = thread::ParseIndexRecord(line);
    ListedMessage message;
    message.name = record.Name.data();
    if (!seen.insert(message.name).second) continue;
    const thread::Stamp stamp = thread::DateStamp(record.StatusBlock);
    message.stamp = std::uint32_t{stamp[0]} << 24 | std::uint32_t{stamp[1]} << 16 |
                    std::uint32_t{stamp[2]} << 8 | stamp[3];
    message.flags = thread::FlagWord(record.StatusBlock);
    message.sender = std::move(record.Sender);
    message.subject = std::string(thread::DisplaySubject(record.Subject, ml_string_delete));
    const std::string key = NameKey(message.name + mailbox::kMessageExtension);
    const auto file =
        std::lower_bound(files.begin(), files.end(), key,
                         [](const auto& f, const std::string& k) { return f.name < k; });
    if (file != files.end() && file->name == key) message.file = file->stamp;

    Hash hash;
    hash.Add(message.sender);
    hash.Add(message.subject);
    hash.Add(message.flags & kTextFlags);
    hash.Add(message.stamp);
    hash.Add(message.file.Size);
    hash.Add(message.file.WriteTime);
    message.sig = hash.Value();
    listed.push_back(std::move(message));
  }
  return listed;
}

std::optional<std::vector<ListedMessage>> ListFolder(const std::string& folder_dir,
                                                     int ml_string_delete) {
  std::string list;
  if (!platform::ReadSettledFile(platform::JoinPath(folder_dir, mailbox::kEntryList), list)) {
    return std::nullopt;
  }
  return ListMessages(list, ml_string_delete,
                      platform::ListFileStamps(folder_dir, mailbox::kMessagePattern));
}

FolderPlan PlanFolder(const std::vector<ListedMessage>& listed,
                      std::vector<IndexedMessage> indexed) {
  std::sort(indexed.begin(), indexed.end(),
            [](const auto& a, const auto& b) { return a.name < b.name; });
  FolderPlan plan;
  std::vector<bool> kept(indexed.size(), false);
  for (std::size_t i = 0; i < listed.size(); ++i) {
    auto row = std::lower_bound(indexed.begin(), indexed.end(), listed[i].name,
                                [](const auto& r, const std::string& n) { return r.name < n; });
    // Several rows of one name (never written so, but a crash could): any current one counts.
    bool current = false;
    for (; row != indexed.end() && row->name == listed[i].name; ++row) {
      if (row->sig == listed[i].sig && !current) {
        current = true;
        kept[static_cast<std::size_t>(row - indexed.begin())] = true;
        if (row->flags != listed[i].flags) plan.reflag.emplace_back(row->id, listed[i].flags);
      }
    }
    if (current) {
      ++plan.current;
    } else {
      plan.add.push_back(i);
    }
  }
  for (std::size_t r = 0; r < indexed.size(); ++r) {
    if (!kept[r]) plan.leave.push_back(indexed[r].id);
  }
  std::stable_sort(plan.add.begin(), plan.add.end(),
                   [&](std::size_t a, std::size_t b) { return listed[a].stamp > listed[b].stamp; });
  return plan;
}

}  // namespace search
