#include "tests/mkmailbox_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "platform/files.h"
#include "thread/index_record.h"

namespace mkmailbox_testing {
namespace {

using platform::JoinPath;

std::string ReadFile(const std::string& path) {
  std::string bytes;
  EXPECT_TRUE(platform::ReadWholeFile(path, bytes)) << path;
  return bytes;
}

}  // namespace

bool DecodeRecord(const std::string& line, DecodedRecord& record) {
  // Read the record exactly as the program reads "Entry.lst" (with its line end).
  const std::string with_end = line + "\n";
  if (!thread::IsIndexRecord(with_end)) return false;
  const thread::IndexRecord parsed = thread::ParseIndexRecord(with_end);
  record.name = parsed.Name.data();
  record.block = parsed.StatusBlock;
  record.sender = parsed.Sender;
  record.subject = parsed.Subject;
  return true;
}

// Splits a file into lines, requiring CR LF at the end of every line.
std::vector<std::string> CrLfLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "line without CR LF";
    if (end == std::string::npos) break;
    lines.push_back(bytes.substr(start, end - start));
    EXPECT_EQ(lines.back().find('\n'), std::string::npos) << "bare LF in a line";
    start = end + 2;
  }
  return lines;
}

// Header fields of a message, names lower-cased, continuation lines joined
// with a space; the first occurrence of a name wins.
std::map<std::string, std::string> HeaderFields(const std::string& message) {
  std::map<std::string, std::string> fields;
  std::string name;
  for (const std::string& line : CrLfLines(message)) {
    if (line.empty()) break;
    if (line[0] == ' ' || line[0] == '\t') {
      if (!name.empty()) fields[name] += " " + line.substr(1);
      continue;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    name.clear();
    for (char c : line.substr(0, colon)) name.push_back(static_cast<char>(std::tolower(c)));
    if (fields.count(name) != 0) {
      name.clear();
      continue;
    }
    fields[name] = line.substr(colon + 1);
  }
  return fields;
}

// The identifiers written between angle brackets in a header value.
std::vector<std::string> Bracketed(const std::string& value) {
  std::vector<std::string> ids;
  std::size_t open = value.find('<');
  while (open != std::string::npos) {
    const std::size_t close = value.find('>', open);
    if (close == std::string::npos) break;
    ids.push_back(value.substr(open + 1, close - open - 1));
    open = value.find('<', close);
  }
  return ids;
}

// True when the References header goes on over a continuation line.
bool HasWrappedReferences(const std::string& message) {
  const std::size_t start = message.find("\r\nReferences:");
  if (start == std::string::npos) return false;
  const std::size_t next = message.find("\r\n", start + 2) + 2;
  return next < message.size() && (message[next] == ' ' || message[next] == '\t');
}

// Every folder directory below an account, depth first.
void CollectFolders(const std::string& dir, std::vector<std::string>& folders) {
  for (const platform::DirEntry& entry : platform::ListDirectory(dir, "*.box")) {
    if (!entry.is_directory) continue;
    const std::string folder = JoinPath(dir, entry.name);
    folders.push_back(folder);
    CollectFolders(folder, folders);
  }
}

// Relative path -> bytes of every file below `dir`.
void CollectFiles(const std::string& dir, const std::string& prefix,
                  std::map<std::string, std::string>& files) {
  for (const platform::DirEntry& entry : platform::ListDirectory(dir, "*")) {
    const std::string path = JoinPath(dir, entry.name);
    if (entry.is_directory) {
      CollectFiles(path, prefix + entry.name + "/", files);
    } else {
      files[prefix + entry.name] = ReadFile(path);
    }
  }
}

FolderContents ReadFolder(const std::string& path) {
  FolderContents folder;
  folder.path = path;
  std::string index;
  if (!platform::ReadWholeFile(JoinPath(path, "Entry.lst"), index)) return folder;
  for (const std::string& line : CrLfLines(index)) {
    DecodedRecord record;
    EXPECT_TRUE(DecodeRecord(line, record)) << line;
    folder.records.push_back(record);
    folder.messages.push_back(ReadFile(JoinPath(path, record.name + ".qnm")));
  }
  return folder;
}

}  // namespace mkmailbox_testing
