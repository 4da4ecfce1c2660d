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

void ReadRecords(const std::string& folder_dir, FolderRecords& records) {
  records.read = true;
  if (!platform::ReadSettledFile(platform::JoinPath(folder_dir, mailbox::kEntryList), records.text))
    return;
  thread::IndexRecords all(records.text);
  std::string_view line;
  while (all.Next(line)) {
    records.lines.emplace(platform::AsciiLower(line.substr(0, 8)), line);
  }
}

}  // namespace

std::vector<std::string> SearchScope(const mailbox::FolderTable& folders) {
  std::vector<std::string> dirs(static_cast<std::size_t>(mailbox::FolderCount(folders)));
  for (std::size_t i = 0; i < dirs.size(); ++i) {
    if (folders[i].Kind == mailbox::kFolderMail) dirs[i] = folders[i].Path;
  }
  return dirs;
}

ResultRows MakeResultRows(const std::vector<MailIndex::Hit>& hits,
                          const std::vector<std::string>& folder_dirs,
                          const std::string& mailbox_dir, const std::function<bool()>& stop) {
  std::unordered_map<std::string, FolderRecords> by_folder;  // by relative folder
  for (std::size_t i = 0; i < folder_dirs.size(); ++i) {
    const std::string relative = RelativeFolder(mailbox_dir, folder_dirs[i]);
    if (relative.empty()) continue;
    const auto [records, added] = by_folder.try_emplace(relative);
    if (added) records->second.folder = static_cast<int>(i);  // as Search, the first place
  }

  ResultRows rows;
  thread::ThreadNode* last = nullptr;
  for (const MailIndex::Hit& hit : hits) {
    const auto folder = by_folder.find(hit.folder);
    if (folder == by_folder.end()) continue;
    FolderRecords& records = folder->second;
    const std::string& folder_dir = folder_dirs[static_cast<std::size_t>(records.folder)];
    if (!records.read) {
      if (stop && stop()) break;
      ReadRecords(folder_dir, records);
    }
    const auto line = records.lines.find(platform::AsciiLower(hit.name));
    if (line == records.lines.end()) continue;

    thread::ThreadNode* node = thread::NewThreadNode(last);
    thread::ParseIndexRecordInto(line->second, *node);
    thread::SetFilePath(*node, folder_dir);
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
