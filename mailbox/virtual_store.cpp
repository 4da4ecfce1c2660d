#include "mailbox/virtual_store.h"

namespace mailbox {

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// "X:\..." (the drive's root included).
bool IsDrivePath(std::string_view path) {
  return path.size() >= 3 && IsLetter(path[0]) && path[1] == ':' && path[2] == '\\';
}

}  // namespace

VirtualStoreCopy VirtualStorePath(std::string_view mailbox_dir, std::string_view local_app_data) {
  if (!IsDrivePath(local_app_data)) return {{}, "no local application data folder on a drive"};
  if (mailbox_dir.substr(0, 2) == "\\\\") return {{}, "a network or device path: not virtualised"};
  if (!IsDrivePath(mailbox_dir)) return {{}, "not a full path on a drive"};
  if (mailbox_dir.size() == 3) return {{}, "a drive's root: not a virtualised folder"};
  if (Upper(mailbox_dir[0]) != Upper(local_app_data[0])) {
    return {{}, "another drive than the system's: not virtualised"};
  }
  std::string path(local_app_data);
  path.append("\\VirtualStore").append(mailbox_dir.substr(2));
  return {path, nullptr};
}

}  // namespace mailbox
