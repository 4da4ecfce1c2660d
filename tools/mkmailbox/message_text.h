#pragma once
// The text of one stored message (a ".qnm" file) and the sender and subject
// its index record shows, made from a folder plan. Header lines and body lines
// end with CR LF, as the mail client stores them.

#include <cstdint>
#include <string>

#include "tools/mkmailbox/sample_text.h"
#include "tools/mkmailbox/thread_plan.h"

namespace mkmailbox {

struct FolderContext {
  std::uint32_t folder_number = 0;  // keeps Message-IDs unique across folders
  const Person* owner = nullptr;    // the account's owner: recipient, or sender of sent mail
  bool sent_folder = false;         // the owner wrote every message
  const char* list_name = nullptr;  // mailing list the folder collects, or nullptr
};

// The Message-ID of message `index` without angle brackets; empty when the
// plan gives it none.
std::string MessageIdOf(const FolderContext& folder, const FolderPlan& plan, std::uint32_t index);

// The sender column of the index record (Shift-JIS, never holding ":").
std::string IndexSender(const FolderContext& folder, const PlannedMessage& message);

// The subject of the index record: a leading space, the list tag
// "[name:0012] " on list folders (the number is the message's list sequence
// number), the reply marks and the subject (Shift-JIS).
std::string IndexSubject(const FolderContext& folder, const PlannedMessage& message);

// The whole message file.
std::string ComposeMessage(const FolderContext& folder, const FolderPlan& plan,
                           std::uint32_t index);

// "Mon, 01 Apr 2024 18:15:00 +0900": the time (seconds since 1970, UTC) as a
// Date header value in Japan time.
std::string FormatMailDate(std::uint32_t unix_time);

}  // namespace mkmailbox
