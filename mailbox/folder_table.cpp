#include "mailbox/folder_table.h"

#include <cstdio>

#include "mailbox/ja_texts.h"

namespace mailbox {

int FolderCount(const FolderTable& table) {
  int count = 0;
  while (count < kFolderCapacity && table[count].Kind != kFolderEmpty) ++count;
  return count;
}

std::string FolderStatusText(const FolderInfo& folder) {
  char total[16];
  char unread[16];
  if (folder.Kind == kFolderContainer) {
    std::snprintf(total, sizeof total, "-----");
  } else {
    std::snprintf(total, sizeof total, "%5d", folder.Total);
  }
  std::snprintf(unread, sizeof unread, "%5d", folder.Unread);
  std::string text = ja::kTotalLabel;
  text += total;
  text += ja::kUnreadLabel;
  text += unread;
  text += "]";
  return text;
}

}  // namespace mailbox
