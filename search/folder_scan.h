#pragma once
// What one folder holds against what the index holds of it. The messages are those the
// thread list lists: the records of the folder's "Entry.lst" as the thread engine reads
// them. A message is indexed again when anything the index took from it changed: its
// sender or subject as shown, the flag bits that decide how its text is shown, its date
// stamp, or its file's size or time of last write. Its other flag bits (read, unread)
// are kept in the index too, but a change of them alone is written in place: the file
// is not read again.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "mailbox/client_files.h"
#include "platform/files.h"

namespace search {

struct ListedMessage {
  std::string name;          // the record's message name
  std::uint32_t stamp = 0;   // the record's date stamp
  std::uint32_t flags = 0;   // the record's flag word
  std::string sender;        // Shift-JIS, as the thread list shows it
  std::string subject;       // Shift-JIS, as the folder shows it
  platform::FileStamp file;  // of name + ".qnm"; all zero when it is missing
  std::int64_t sig = 0;      // a hash of all the above but the flags that leave the text as it is
};

// The folder's messages from the text of its "Entry.lst", in file order; a name listed
// twice counts once (the thread list shows one file under both). `files`: the folder's
// message files with their stamps (platform::ListFileStamps).
std::vector<ListedMessage> ListMessages(std::string_view entry_list, int ml_string_delete,
                                        std::vector<platform::StampedFile> files);
// The same read from the folder at `folder_dir`: its "Entry.lst" and its message files.
// std::nullopt when "Entry.lst" cannot be read.
std::optional<std::vector<ListedMessage>> ListFolder(const std::string& folder_dir,
                                                     int ml_string_delete);

struct IndexedMessage {
  std::int64_t id = 0;
  std::string name;
  std::int64_t sig = 0;
  std::uint32_t flags = 0;
};

struct FolderPlan {
  std::vector<std::int64_t> leave;  // ids of indexed messages that left or changed
  std::vector<std::size_t> add;     // listed messages to index, newest stamp first
  std::size_t current = 0;          // listed messages the index holds as they are
  // Ids of indexed messages held as they are but for their flag word, with the new one.
  std::vector<std::pair<std::int64_t, std::uint32_t>> reflag;
};

FolderPlan PlanFolder(const std::vector<ListedMessage>& listed,
                      std::vector<IndexedMessage> indexed);

}  // namespace search
