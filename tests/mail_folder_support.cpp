#include "tests/mail_folder_support.h"

#include <array>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/files.h"

namespace folder_fixture {
namespace {

std::string Base64(const std::array<std::uint8_t, 12>& bytes) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::uint32_t group = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
    for (int shift = 18; shift >= 0; shift -= 6) text += kAlphabet[(group >> shift) & 0x3F];
  }
  return text;
}

std::string DoubleColons(const std::string& text) {
  std::string out;
  for (char c : text) {
    out += c;
    if (c == ':') out += ':';
  }
  return out;
}

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
  std::array<std::uint8_t, 12> status{};
  if (message.Unread) status[3] = 0x40;
  // The file holds the stamp least significant byte first; the reader
  // reverses bytes 8-11.
  for (int i = 0; i < 4; ++i) status[8 + i] = static_cast<std::uint8_t>(message.Stamp >> (8 * i));
  return message.Name + "=" + Base64(status) + message.Sender + ":" +
         DoubleColons(message.Subject) + "\r\n";
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
