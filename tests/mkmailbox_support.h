#pragma once
// Reading a generated demo mailbox back the way the mail client's readers do:
// index records decoded as the folder reader decodes them, message header
// fields, the folder tree. Used by the mkmailbox tests.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "thread/index_record.h"

namespace mkmailbox_testing {

// One index line decoded as the folder reader does: name, status block with
// bytes 4-7 and 8-11 reversed, sender up to the first ":", subject with each
// ":" quoting the next character.
struct DecodedRecord {
  std::string name;
  thread::StatusBytes block{};
  std::string sender;
  std::string subject;

  std::uint32_t flags() const { return thread::FlagWord(block); }
  std::uint32_t BigEndianWord(int first) const {
    return (std::uint32_t{block[first]} << 24) | (block[first + 1] << 16) |
           (block[first + 2] << 8) | block[first + 3];
  }
};

// False when the line is not a record (no "=" at 8, too short, or a status
// field outside the Base64 alphabet).
bool DecodeRecord(const std::string& line, DecodedRecord& record);

// The lines of a file; a test failure is recorded for a line not ended by
// CR LF or holding a bare LF.
std::vector<std::string> CrLfLines(const std::string& bytes);

// Header fields of a message, names lower-cased, continuation lines joined
// with a space; the first occurrence of a name wins.
std::map<std::string, std::string> HeaderFields(const std::string& message);

// The identifiers written between angle brackets in a header value.
std::vector<std::string> Bracketed(const std::string& value);

// True when the References header goes on over a continuation line.
bool HasWrappedReferences(const std::string& message);

// Every folder directory below `dir` (an account or a container), depth first.
void CollectFolders(const std::string& dir, std::vector<std::string>& folders);

// Relative path ("/" separated) -> bytes, for every file below `dir`.
void CollectFiles(const std::string& dir, const std::string& prefix,
                  std::map<std::string, std::string>& files);

struct FolderContents {
  std::string path;
  std::vector<DecodedRecord> records;
  std::vector<std::string> messages;  // message file bytes, in record order
};

// The records of a folder's Entry.lst and their message files; empty for a
// folder without an index.
FolderContents ReadFolder(const std::string& path);

}  // namespace mkmailbox_testing
