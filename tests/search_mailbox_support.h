#pragma once
// Hand-made mail folders for the full-text search tests: "Entry.lst" records with a
// date stamp, sender and subject, and message files with a UTF-8 body.

#include <cstdint>
#include <string>
#include <vector>

#include "tests/temp_dir_support.h"
#include "thread/search_query.h"

namespace search_testing {

struct MiniMessage {
  std::string name;
  std::uint32_t stamp;
  std::string sender;   // Shift-JIS (ASCII here)
  std::string subject;  // Shift-JIS
  std::string body;     // the file's body, UTF-8 declared as such
  std::string message_id = {};  // without brackets; none in the file when empty
  std::uint32_t flags = 0;      // the record's flag word
  std::string header = {};      // more header lines, each ended by CR LF
};

// Writes "Entry.lst", "Entry.ini" and the message files of `folder` (relative to `dir`,
// "/" between components). A message file whose bytes are unchanged is not written
// again: a rewritten file counts as changed (its time).
void WriteFolder(const testing_support::TempDir& dir, const std::string& folder,
                 const std::vector<MiniMessage>& messages);

// A query of bare words (`utf8` split at spaces), each in any field, as ParseQuery reads
// words side by side: for tests of the index apart from the parser.
thread::ParsedQuery Words(const std::string& utf8);

}  // namespace search_testing
