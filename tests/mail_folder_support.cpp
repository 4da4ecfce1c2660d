#include "tests/mail_folder_support.h"

#include "tools/mkmailbox/index_format.h"

#include <array>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/files.h"

namespace folder_fixture {
namespace {

}  // namespace

TestMessage MakeMessage(int number, std::uint32_t stamp) {
  char name[16];
  std::snprintf(name, sizeof name, "%08d", number);
  TestMessage message;
  message.Name = name;
  message.MessageId = "m" + std::to_string(number) + "@test";
  message.Stamp = stamp;
  return message;
}

std::string IndexLine(const TestMessage& message) {
  mkmailbox::IndexEntry entry;
  entry.name = message.Name;
  entry.flags = message.Unread ? thread::kUnreadFlag : 0;
  entry.date_stamp = message.Stamp;
  entry.sender = message.Sender;
  entry.subject = message.Subject;
  std::string line;
  mkmailbox::AppendIndexRecord(line, entry);
  return line;
}

std::string MessageFileText(const TestMessage& message) {
  std::string text = "From: someone\r\n";
  if (!message.MessageId.empty()) text += "Message-ID: <" + message.MessageId + ">\r\n";
  if (!message.InReplyTo.empty()) text += "In-Reply-To: <" + message.InReplyTo + ">\r\n";
  if (!message.References.empty()) text += "References: <" + message.References + ">\r\n";
  text += "Subject: x\r\n\r\nbody\r\n";
  return text;
}

TestFolder::TestFolder() {
  static std::atomic<int> counter{0};
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (;;) {
    const std::string name = "veltrano-folder-" + std::to_string(counter++) + "-" +
                             std::to_string(reinterpret_cast<std::uintptr_t>(this) & 0xFFFFFF);
    path_ = platform::JoinPath(base.string(), name);
    std::error_code error;
    if (std::filesystem::create_directory(path_, error)) break;
  }
}

TestFolder::~TestFolder() {
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

std::string TestFolder::FilePath(const std::string& name) const {
  return platform::JoinPath(path_, name);
}

void TestFolder::WriteEntryIni(int total) const {
  WriteFile("Entry.ini", "[Property]\r\nTotal=" + std::to_string(total) + "\r\n");
}

void TestFolder::WriteMessages(const std::vector<TestMessage>& messages, bool files) const {
  std::string index;
  for (const TestMessage& message : messages) {
    index += IndexLine(message);
    if (files) WriteFile(message.Name + ".qnm", MessageFileText(message));
  }
  WriteFile("Entry.lst", index);
  WriteEntryIni(static_cast<int>(messages.size()));
}

void TestFolder::WriteFile(const std::string& name, const std::string& bytes) const {
  std::FILE* file = std::fopen(FilePath(name).c_str(), "wb");
  if (file == nullptr) return;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

std::string TestFolder::ReadFile(const std::string& name) const {
  std::string bytes;
  if (!platform::ReadWholeFile(FilePath(name), bytes)) return "<missing>";
  return bytes;
}

bool TestFolder::Exists(const std::string& name) const {
  return std::filesystem::exists(FilePath(name));
}

void TestFolder::Remove(const std::string& name) const {
  std::error_code error;
  std::filesystem::remove(FilePath(name), error);
}

}  // namespace folder_fixture
