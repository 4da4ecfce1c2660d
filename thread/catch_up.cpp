#include "thread/catch_up.h"

#include <cstdio>

#include "thread/mute_list.h"
#include "thread/search_query.h"

namespace thread {

std::uint32_t StampSeconds(const ThreadNode& node) {
  const Stamp stamp = DateStamp(node);
  return static_cast<std::uint32_t>(stamp[0]) << 24 | static_cast<std::uint32_t>(stamp[1]) << 16 |
         static_cast<std::uint32_t>(stamp[2]) << 8 | stamp[3];
}

// The civil date and time of the stamp, read with no time zone of the system.
std::string StampText(std::uint32_t seconds) {
  if (seconds == 0) return {};
  const CivilDay day = CivilFromDays(seconds / kSecondsPerDay);
  const std::uint32_t in_day = seconds % kSecondsPerDay;
  char text[32];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d %02u:%02u", day.year, day.month, day.day,
                in_day / 3600, in_day % 3600 / 60);
  return text;
}

std::vector<ThreadNode*> ChooseCatchUp(ThreadNode* head, int older_than_days, std::uint64_t now) {
  std::vector<ThreadNode*> chosen;
  const std::uint64_t age =
      older_than_days < 0 ? 0 : std::uint64_t{kSecondsPerDay} * older_than_days;
  for (ThreadNode* node = head; node != nullptr; node = node->Next) {
    if (!IsUnread(*node)) continue;
    if (older_than_days >= 0 && StampSeconds(*node) + age >= now) continue;
    chosen.push_back(node);
  }
  return chosen;
}

std::vector<ThreadNode*> UnreadOfThread(ThreadNode* node) {
  std::vector<ThreadNode*> unread;
  if (node == nullptr) return unread;
  ThreadNode* const root = ThreadRoot(node);
  ThreadNode* const end = ThreadEnd(root);
  for (ThreadNode* at = root; at != end; at = at->Next) {
    if (IsUnread(*at)) unread.push_back(at);
  }
  return unread;
}

}  // namespace thread
