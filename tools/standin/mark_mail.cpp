#include "tools/standin/mark_mail.h"

#include <algorithm>
#include <cstdint>

#include "platform/files.h"
#include "settings/ini_profile.h"
#include "thread/index_record.h"
#include "tools/mkmailbox/index_format.h"

namespace standin {
namespace {

constexpr std::string_view kPrefix = "MarkMail(";
constexpr std::size_t kNameLength = 8;
constexpr std::size_t kFieldStart = 9;
constexpr std::size_t kFieldLength = 16;

// The command's end: the flag-word bits to clear (the unread bit), in decimal.
std::string MarkReadSuffix() { return "," + std::to_string(thread::kUnreadFlag) + ",0)"; }

// The record line of message `name` in the index (with its line end), or an
// empty view.
std::string_view FindRecord(std::string_view index, std::string_view name) {
  while (!index.empty()) {
    const std::size_t end = index.find('\n');
    const std::string_view line = index.substr(0, end == std::string_view::npos ? end : end + 1);
    if (thread::IsIndexRecord(line) && line.substr(0, kNameLength) == name) return line;
    index.remove_prefix(line.size());
  }
  return {};
}

bool LowerUnreadCount(const std::string& folder) {
  const std::string path = platform::JoinPath(folder, "Entry.ini");
  const std::int32_t unread = settings::IniReader(path).ReadInteger("Property", "UnOpen", 0);
  settings::IniWriter writer(path);
  writer.WriteInteger("Property", "UnOpen", std::max(0, unread - 1));
  return writer.Commit();
}

}  // namespace

bool ParseMarkMail(std::string_view command, std::string& relative_name) {
  const std::string suffix = MarkReadSuffix();
  if (command.size() <= kPrefix.size() + suffix.size() ||
      command.substr(0, kPrefix.size()) != kPrefix ||
      command.substr(command.size() - suffix.size()) != suffix) {
    return false;
  }
  relative_name = command.substr(kPrefix.size(), command.size() - kPrefix.size() - suffix.size());
  return true;
}

MarkResult MarkMailRead(const std::string& mailbox_dir, const std::string& relative_name) {
  // Folder and account directory names are ASCII, so the last backslash is a
  // delimiter, never the trail byte of a Shift-JIS character.
  const std::size_t split = relative_name.rfind('\\');
  if (split == std::string::npos || relative_name.size() - split - 1 != kNameLength) {
    return MarkResult::kNotFound;
  }
  const std::string folder = platform::JoinPath(mailbox_dir, relative_name.substr(0, split));
  const std::string index_path = platform::JoinPath(folder, "Entry.lst");
  std::string index;
  if (!platform::ReadWholeFile(index_path, index)) return MarkResult::kNotFound;
  const std::string_view line =
      FindRecord(index, std::string_view(relative_name).substr(split + 1));
  if (line.empty()) return MarkResult::kNotFound;
  // A damaged status field is left alone: writing it back would lose its bytes.
  const thread::Base64Block field =
      thread::DecodeBase64Block(line.substr(kFieldStart, kFieldLength));
  if (field.Corrupt || field.Length != 12) return MarkResult::kNotFound;
  thread::StatusBytes status = thread::ParseIndexRecord(line).StatusBlock;
  if (!thread::IsUnread(status)) return MarkResult::kAlreadyRead;
  thread::MarkRead(status);
  const std::size_t record = static_cast<std::size_t>(line.data() - index.data());
  index.replace(record + kFieldStart, kFieldLength, mkmailbox::EncodeStatusField(status));
  if (!platform::ReplaceFileAtomically(index_path, index) || !LowerUnreadCount(folder)) {
    return MarkResult::kWriteFailed;
  }
  return MarkResult::kMarked;
}

}  // namespace standin
