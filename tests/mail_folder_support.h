#pragma once
// Test folders in the mail client's layout: "Entry.ini" with Total,
// "Entry.lst" index records and message files NNNNNNNN.qnm, in a fresh
// temporary directory that is removed afterwards.

#include <cstdint>
#include <string>
#include <vector>

namespace folder_fixture {

struct TestMessage {
  std::string Name;  // 8 characters
  std::string MessageId;
  std::string InReplyTo;
  std::string References;
  std::string Sender = "sender";
  std::string Subject = "subject";
  bool Unread = false;
  std::uint32_t Stamp = 0;  // the DateStamp value
};

// A message with a name made from `number` ("00000001" for 1) and the
// Message-ID "m<number>@test".
TestMessage MakeMessage(int number, std::uint32_t stamp = 0);

// The "Entry.lst" line of a message (with "\r\n").
std::string IndexLine(const TestMessage& message);
// The header block of its message file.
std::string MessageFileText(const TestMessage& message);

class TestFolder {
 public:
  TestFolder();
  ~TestFolder();
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string FilePath(const std::string& name) const;

  // "Entry.ini" with the given Total.
  void WriteEntryIni(int total) const;
  // "Entry.lst" with one record per message, and (when `files`) the message
  // files; "Entry.ini" gets Total = the number of messages.
  void WriteMessages(const std::vector<TestMessage>& messages, bool files = true) const;

  void WriteFile(const std::string& name, const std::string& bytes) const;
  // The file's bytes; "<missing>" when it cannot be read.
  std::string ReadFile(const std::string& name) const;
  bool Exists(const std::string& name) const;
  void Remove(const std::string& name) const;

 private:
  std::string path_;
};

}  // namespace folder_fixture
