#pragma once
// The messages "フォルダを既読にする" marks read: chosen once, when the
// command is chosen, from the folder's list as shown then, so that mail
// arriving while the marks are sent (a reload, a new list) is never among
// them.
//
// Age is the index record's date stamp, taken as seconds since 1970 (UTC),
// against a clock the caller gives: a message is older than N days when its
// stamp lies more than N * 86,400 seconds before now (one exactly N days old
// is not).

#include <cstdint>
#include <string>
#include <vector>

#include "thread/thread_node.h"

namespace thread {

inline constexpr std::uint32_t kSecondsPerDay = 86400;

// The date stamp as a number.
std::uint32_t StampSeconds(const ThreadNode& node);

// A stamp as "yyyy/mm/dd hh:mm", read as StampSeconds is read; "" for 0.
std::string StampText(std::uint32_t seconds);

// The unread messages of the list from `head`, in list order; with
// `older_than_days` >= 0 only those older than that many days at `now`
// (seconds since 1970), muted threads included.
std::vector<ThreadNode*> ChooseCatchUp(ThreadNode* head, int older_than_days, std::uint64_t now);

// The unread messages of `node`'s thread, in list order.
std::vector<ThreadNode*> UnreadOfThread(ThreadNode* node);

}  // namespace thread
