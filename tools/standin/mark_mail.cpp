#include "tools/standin/mark_mail.h"

#include <algorithm>
#include <cstdint>

#include "settings/ini_profile.h"
#include "platform/files.h"
#include "tools/mkmailbox/index_format.h"

namespace standin {
namespace {

constexpr std::string_view kPrefix = "MarkMail(";
constexpr std::string_view kSuffix = ",1073741824,0)";
constexpr std::size_t kNameLength = 8;
constexpr std::size_t kFieldStart = 9;
constexpr std::size_t kFieldLength = 16;

// Offset of the record line of message `name` in the index, or npos.
std::size_t FindRecord(const std::string& index, std::string_view name) {
  std::size_t start = 0;
  while (start < index.size()) {
    std::size_t end = index.find('\n', start);
    if (end == std::string::npos) end = index.size();
    const std::string_view line(index.data() + start, end - start);
    if (line.size() > kFieldStart + kFieldLength && line.substr(0, kNameLength) == name &&
        line[kNameLength] == '=') {
      return start;
    }
    start = end + 1;
  }
  return std::string::npos;
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
  if (command.size() <= kPrefix.size() + kSuffix.size() ||
      command.substr(0, kPrefix.size()) != kPrefix ||
      command.substr(command.size() - kSuffix.size()) != kSuffix) {
    return false;
  }
  relative_name = command.substr(kPrefix.size(), command.size() - kPrefix.size() - kSuffix.size());
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
  const std::size_t record = FindRecord(index, std::string_view(relative_name).substr(split + 1));
  if (record == std::string::npos) return MarkResult::kNotFound;
  std::uint32_t flags = 0, file_size = 0, date_stamp = 0;
  const std::string_view field(index.data() + record + kFieldStart, kFieldLength);
  if (!mkmailbox::DecodeStatusField(field, flags, file_size, date_stamp)) {
    return MarkResult::kNotFound;
  }
  if ((flags & mkmailbox::kUnreadFlag) == 0) return MarkResult::kAlreadyRead;
  index.replace(
      record + kFieldStart, kFieldLength,
      mkmailbox::EncodeStatusField(flags & ~mkmailbox::kUnreadFlag, file_size, date_stamp));
  if (!platform::ReplaceFileAtomically(index_path, index) || !LowerUnreadCount(folder)) {
    return MarkResult::kWriteFailed;
  }
  return MarkResult::kMarked;
}

}  // namespace standin
