#include "mailbox/folder_table.h"

#include <cstdio>

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
  std::string text = "[\xD2\xB0\xD9\x90\x94 :";  // "[ﾒｰﾙ数 :"
  text += total;
  text += "] [\x96\xA2\x93\xC7\xD2\xB0\xD9\x90\x94\x81\x46";  // "] [未読ﾒｰﾙ数："
  text += unread;
  text += "]";
  return text;
}

}  // namespace mailbox
