#include "tools/mkmailbox/folder_writer.h"

#include <fstream>

#include "platform/files.h"
#include "tools/mkmailbox/index_format.h"
#include "tools/mkmailbox/random.h"

namespace mkmailbox {
namespace {

constexpr std::size_t kIndexFlushBytes = 1 << 20;

std::string EntryIni(const char* title, const char* type, const std::string& order,
                     std::uint32_t total, std::uint32_t unread) {
  std::string text = "[Property]\r\n";
  text += std::string("Title=") + title + "\r\n";
  if (type != nullptr) text += std::string("Type=") + type + "\r\n";
  if (!order.empty()) text += "Order=" + order + "\r\n";
  text += "Total=" + std::to_string(total) + "\r\n";
  text += "UnOpen=" + std::to_string(unread) + "\r\n";
  return text;
}

bool WriteMessages(const std::string& dir, const FolderContext& context, const FolderPlan& plan,
                   std::uint32_t& next_name, std::uint32_t& unread, std::string& error) {
  const std::string index_path = platform::JoinPath(dir, "Entry.lst");
  std::ofstream index(index_path, std::ios::binary | std::ios::trunc);
  if (!index) {
    error = "cannot write " + index_path;
    return false;
  }
  std::string records;
  IndexEntry entry;
  for (const std::uint32_t i : plan.by_arrival) {
    const PlannedMessage& message = plan.messages[i];
    const std::string text = ComposeMessage(context, plan, i);
    entry.name = MessageName(next_name++);
    if (!WriteFileBytes(platform::JoinPath(dir, entry.name + ".qnm"), text, error)) return false;
    entry.flags = (message.unread ? thread::kUnreadFlag : 0) |
                  (message.multipart ? thread::kAttachmentFlag : 0);
    entry.file_size = static_cast<std::uint32_t>(text.size());
    entry.date_stamp = message.date_stamp;
    entry.sender = IndexSender(context, message);
    entry.subject = IndexSubject(context, message);
    AppendIndexRecord(records, entry);
    if (message.unread) ++unread;
    if (records.size() >= kIndexFlushBytes) {
      index.write(records.data(), static_cast<std::streamsize>(records.size()));
      records.clear();
    }
  }
  index.write(records.data(), static_cast<std::streamsize>(records.size()));
  index.close();
  if (!index) {
    error = "cannot write " + index_path;
    return false;
  }
  return true;
}

}  // namespace

bool WriteFileBytes(const std::string& path, std::string_view bytes, std::string& error) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

bool EnsureDirectory(const std::string& dir, std::string& error) {
  if (platform::MakeDirectory(dir)) return true;
  error = "cannot create directory " + dir;
  return false;
}

bool WriteMailFolder(const std::string& dir, const MailFolder& folder, std::uint64_t seed,
                     std::uint32_t& next_name, std::string& error) {
  if (!EnsureDirectory(dir, error)) return false;
  Random rng = Random::ForPart(seed, folder.context.folder_number);
  const FolderPlan plan = PlanFolder(rng, folder.message_count, folder.start_time, folder.style);
  std::uint32_t unread = 0;
  if (!WriteMessages(dir, folder.context, plan, next_name, unread, error)) return false;
  return WriteFileBytes(platform::JoinPath(dir, "Entry.ini"),
                        EntryIni(folder.title, nullptr, "", folder.message_count, unread), error);
}

bool WriteContainerFolder(const std::string& dir, const char* title, const std::string& order,
                          std::string& error) {
  if (!EnsureDirectory(dir, error)) return false;
  return WriteFileBytes(platform::JoinPath(dir, "Entry.ini"),
                        EntryIni(title, "Subfolder", order, 0, 0), error);
}

}  // namespace mkmailbox
