#pragma once
// The folder table of the current account: 300 FolderInfo records in the
// folder list's order. The first record whose Kind is 0 ends the list; a
// folder's index in the table is its index everywhere (folder list row,
// thread loading, cache).

#include <array>
#include <cstdint>
#include <string>

namespace thread {
struct ThreadNode;
}

namespace mailbox {

inline constexpr int kFolderCapacity = 300;

enum FolderKind : std::int32_t {
  kFolderEmpty = 0,      // ends the list
  kFolderMail = 1,       // a mail folder
  kFolderContainer = 2,  // a container of further folders ("Subfolder")
};

struct FolderInfo {
  std::int32_t Kind = kFolderEmpty;
  std::int32_t Depth = 0;
  std::int32_t Total = 0;
  std::int32_t Unread = 0;
  std::int32_t TabInfo = 0;
  std::int32_t MlStringDelete = 0;
  std::int32_t SelectedIndex =
      -1;  // position in the list of the selected message; -1: not shown yet
  // Its "VLTR.fol" has muted threads (read at discovery, set by a mute), so
  // opening the folder reads that file again.
  bool HasMutes = false;
  std::string Title;
  std::string Path;  // the folder's directory, no trailing delimiter
  thread::ThreadNode* Threads = nullptr;  // kept list when MailInMemory is 1 (owned)
};

using FolderTable = std::array<FolderInfo, kFolderCapacity>;

// Number of used records: those before the first Kind 0.
int FolderCount(const FolderTable& table);

// The status-bar text for one folder: "[ﾒｰﾙ数 :" + Total as "%5d" ("-----" for a
// container) + "] [未読ﾒｰﾙ数：" + Unread as "%5d" + "]", in Shift-JIS.
std::string FolderStatusText(const FolderInfo& folder);

}  // namespace mailbox
