#include "search/result_rows.h"

#include <string_view>

#include "mailbox/client_files.h"
#include "platform/files.h"
#include "platform/text_bytes.h"
#include "thread/index_record.h"

namespace search {
namespace {

// One folder's "Entry.lst" held for the hits in it: record lines by message
// name, compared as Windows compares file names. The first record of a name
// wins, as in the thread list.
struct FolderRecords {
  int folder = -1;
  bool read = false;
  std::string text;
  std::unordered_map<std::string, std::string_view> lines;
};

void ReadRecords(const mailbox::FolderInfo& info, FolderRecords& records) {
  records.read = true;
  if (!platform::ReadSettledFile(platform::JoinPath(info.Path, mailbox::kEntryList), records.text))
    return;
  thread::IndexRecords all(records.text);
  std::string_view line;
  while (all.Next(line)) {
    records.lines.emplace(platform::AsciiLower(line.substr(0, 8)), line);
  }
}

}  // namespace

ResultRows MakeResultRows(const std::vector<MailIndex::Hit>& hits,
                          const mailbox::FolderTable& folders, const std::string& mailbox_dir,
                          const std::function<bool()>& stop) {
  std::unordered_map<std::string, FolderRecords> by_folder;  // by relative folder
  const int count = mailbox::FolderCount(folders);
  for (int i = 0; i < count; ++i) {
    const std::string relative = RelativeFolder(mailbox_dir, folders[i].Path);
    if (!relative.empty()) by_folder[relative].folder = i;
  }

  ResultRows rows;
  thread::ThreadNode* last = nullptr;
  for (const MailIndex::Hit& hit : hits) {
    const auto folder = by_folder.find(hit.folder);
    if (folder == by_folder.end()) continue;
    FolderRecords& records = folder->second;
    const mailbox::FolderInfo& info = folders[records.folder];
    if (!records.read) {
      if (stop && stop()) break;
      ReadRecords(info, records);
    }
    const auto line = records.lines.find(platform::AsciiLower(hit.name));
    if (line == records.lines.end()) continue;

    thread::ThreadNode* node = thread::NewThreadNode(last);
    thread::ParseIndexRecordInto(line->second, *node);
    thread::SetFilePath(*node, info.Path);
    if (last == nullptr) {
      rows.List.Reset(node);
    } else {
      thread::AppendNode(last, node);
    }
    rows.FolderOf[node] = records.folder;
    last = node;
  }
  return rows;
}

}  // namespace search
