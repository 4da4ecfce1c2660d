#pragma once
// Writes the folders of an account as the mail client keeps them: a folder
// directory holds "Entry.ini" ([Property] Title, Type, Order, Total, UnOpen),
// the index "Entry.lst" and one NAME.qnm file per message.

#include <cstdint>
#include <string>
#include <string_view>

#include "tools/mkmailbox/message_text.h"
#include "tools/mkmailbox/thread_plan.h"

namespace mkmailbox {

struct MailFolder {
  const char* title = "";  // Shift-JIS
  std::uint32_t message_count = 0;
  std::uint32_t start_time = 0;  // seconds since 1970; the first message arrives after it
  PlanStyle style;
  FolderContext context;
};

// Writes `bytes` to a new file (or over an existing one) in binary mode.
// False with a message in `error` when the file cannot be written.
bool WriteFileBytes(const std::string& path, std::string_view bytes, std::string& error);

// Creates `dir` unless it exists. False with a message in `error` otherwise.
bool EnsureDirectory(const std::string& dir, std::string& error);

// Creates the folder directory `dir` and writes its messages, "Entry.lst" and
// "Entry.ini". Message names are taken from `next_name` on, which is advanced
// past them. The plan is drawn from `seed` and the folder number alone.
// False with a message in `error` when something cannot be written.
bool WriteMailFolder(const std::string& dir, const MailFolder& folder, std::uint64_t seed,
                     std::uint32_t& next_name, std::string& error);

// Creates the container folder `dir` (Type "Subfolder") with its "Entry.ini";
// `order` is its Order string, left out when empty.
bool WriteContainerFolder(const std::string& dir, const char* title, const std::string& order,
                          std::string& error);

}  // namespace mkmailbox
