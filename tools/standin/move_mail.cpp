#include "tools/standin/move_mail.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "client/ja_texts.h"
#include "platform/files.h"
#include "settings/ini_profile.h"
#include "thread/index_record.h"

namespace standin {
namespace {

constexpr std::string_view kPrefix = "MoveMail(";
constexpr std::string_view kTrashTitle = client::ja::kTrashFolderName;
constexpr std::size_t kNameLength = 8;

std::string EntryIni(const std::string& folder) { return platform::JoinPath(folder, "Entry.ini"); }

std::string FolderTitle(const std::string& folder) {
  return settings::IniReader(EntryIni(folder)).ReadString("Property", "Title", "");
}

// Takes the record of message `name` (with its line end) out of `index`;
// empty when there is none.
std::string TakeRecord(std::string& index, std::string_view name) {
  for (std::size_t start = 0; start < index.size();) {
    std::size_t end = index.find('\n', start);
    end = end == std::string::npos ? index.size() : end + 1;
    const std::string_view line(index.data() + start, end - start);
    if (thread::IsIndexRecord(line) && line.substr(0, kNameLength) == name) {
      std::string record(line);
      index.erase(start, end - start);
      return record;
    }
    start = end;
  }
  return {};
}

bool AddToCounts(const std::string& folder, int total, int unread) {
  settings::IniReader reader(EntryIni(folder));
  const std::int32_t old_total = reader.ReadInteger("Property", "Total", 0);
  const std::int32_t old_unread = reader.ReadInteger("Property", "UnOpen", 0);
  settings::IniWriter writer(EntryIni(folder));
  writer.WriteInteger("Property", "Total", std::max(0, old_total + total));
  writer.WriteInteger("Property", "UnOpen", std::max(0, old_unread + unread));
  return writer.Commit();
}

// The account's top-level folder titled "ごみ箱"; made as the next free
// UserNNN.box (and added to the account's Order when it has one) when missing.
// Empty when it can be neither found nor made.
std::string TrashFolder(const std::string& account_dir) {
  int free_number = 0;
  for (int number = 1; number <= 999; ++number) {
    char name[16];
    std::snprintf(name, sizeof name, "User%03d.box", number);
    const std::string folder = platform::JoinPath(account_dir, name);
    if (!platform::DirectoryExists(folder)) {
      if (free_number == 0) free_number = number;
      continue;
    }
    if (FolderTitle(folder) == kTrashTitle) return folder;
  }
  if (free_number == 0) return {};
  char name[16];
  std::snprintf(name, sizeof name, "User%03d.box", free_number);
  const std::string folder = platform::JoinPath(account_dir, name);
  settings::IniWriter entry(EntryIni(folder));
  entry.WriteString("Property", "Title", kTrashTitle);
  entry.WriteInteger("Property", "Total", 0);
  entry.WriteInteger("Property", "UnOpen", 0);
  if (!platform::MakeDirectory(folder) || !entry.Commit() ||
      !platform::ReplaceFileAtomically(platform::JoinPath(folder, "Entry.lst"), "")) {
    return {};
  }
  const std::string account_ini = platform::JoinPath(account_dir, "Account.ini");
  const std::string order = settings::IniReader(account_ini).ReadString("Property", "Order", "");
  if (!order.empty()) {
    settings::IniWriter account(account_ini);
    account.WriteString("Property", "Order", order + std::string(name + 4, 3));
    if (!account.Commit()) return {};
  }
  return folder;
}

}  // namespace

bool ParseMoveMail(std::string_view command, MoveCommand& move) {
  const std::string suffix = "\\" + std::string(kTrashTitle) + "\")";
  if (!command.starts_with(kPrefix) || !command.ends_with(suffix)) return false;
  command.remove_prefix(kPrefix.size());
  command.remove_suffix(suffix.size());
  const std::size_t quote = command.find(",\"");
  if (quote == std::string_view::npos || quote == 0) return false;
  move.relative_name = command.substr(0, quote);
  move.account_name = command.substr(quote + 2);
  return true;
}

MoveResult MoveMailToTrash(const std::string& mailbox_dir, const MoveCommand& move) {
  // Account and folder directory names are ASCII, so a backslash is always a
  // delimiter, never the trail byte of a Shift-JIS character.
  const std::size_t account_end = move.relative_name.find('\\');
  const std::size_t split = move.relative_name.rfind('\\');
  if (account_end == std::string::npos || move.relative_name.size() - split - 1 != kNameLength) {
    return MoveResult::kNotFound;
  }
  const std::string account_dir =
      platform::JoinPath(mailbox_dir, move.relative_name.substr(0, account_end));
  const std::string account_title =
      settings::IniReader(platform::JoinPath(account_dir, "Account.ini"))
          .ReadString("Property", "Title", "");
  if (account_title != move.account_name) return MoveResult::kNotFound;
  const std::string source = platform::JoinPath(mailbox_dir, move.relative_name.substr(0, split));
  const std::string name = move.relative_name.substr(split + 1);
  const std::string source_index_path = platform::JoinPath(source, "Entry.lst");
  std::string source_index;
  std::string message;
  const std::string message_path = platform::JoinPath(source, name + ".qnm");
  if (!platform::ReadWholeFile(source_index_path, source_index) ||
      !platform::ReadWholeFile(message_path, message)) {
    return MoveResult::kNotFound;
  }
  const std::string record = TakeRecord(source_index, name);
  if (record.empty()) return MoveResult::kNotFound;
  const std::string trash = TrashFolder(account_dir);
  if (trash.empty()) return MoveResult::kWriteFailed;
  if (trash == source) return MoveResult::kMoved;  // already in the trash
  std::string trash_index;
  const std::string trash_index_path = platform::JoinPath(trash, "Entry.lst");
  platform::ReadWholeFile(trash_index_path, trash_index);
  trash_index += record;
  const int unread = thread::IsUnread(thread::ParseIndexRecord(record).StatusBlock) ? 1 : 0;
  // The copy first, the original last: an interrupted move leaves the message
  // in both folders, never in none.
  if (!platform::ReplaceFileAtomically(platform::JoinPath(trash, name + ".qnm"), message) ||
      !platform::ReplaceFileAtomically(trash_index_path, trash_index) ||
      !AddToCounts(trash, 1, unread) ||
      !platform::ReplaceFileAtomically(source_index_path, source_index) ||
      !AddToCounts(source, -1, -unread) || !platform::RemoveFile(message_path)) {
    return MoveResult::kWriteFailed;
  }
  return MoveResult::kMoved;
}

}  // namespace standin
