#include "thread/catch_up.h"

#include <cstdio>

#include "thread/mute_list.h"

namespace thread {

std::uint32_t StampSeconds(const ThreadNode& node) {
  const Stamp stamp = DateStamp(node);
  return static_cast<std::uint32_t>(stamp[0]) << 24 | static_cast<std::uint32_t>(stamp[1]) << 16 |
         static_cast<std::uint32_t>(stamp[2]) << 8 | stamp[3];
}

// The civil date of a day count since 1970-01-01 (H. Hinnant's days_from_civil
// turned round), so that the text needs no time zone of the system.
std::string StampText(std::uint32_t seconds) {
  if (seconds == 0) return {};
  const std::int64_t days = seconds / kSecondsPerDay + 719468;
  const std::uint32_t in_day = seconds % kSecondsPerDay;
  const std::int64_t era = days / 146097;
  const auto day_of_era = static_cast<std::uint32_t>(days - era * 146097);
  const std::uint32_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const std::uint32_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const std::uint32_t shifted_month = (5 * day_of_year + 2) / 153;
  const std::uint32_t day = day_of_year - (153 * shifted_month + 2) / 5 + 1;
  const std::uint32_t month = shifted_month < 10 ? shifted_month + 3 : shifted_month - 9;
  const auto year = static_cast<long long>(year_of_era + era * 400 + (month <= 2 ? 1 : 0));
  char text[32];
  std::snprintf(text, sizeof text, "%04lld/%02u/%02u %02u:%02u", year, month, day, in_day / 3600,
                in_day % 3600 / 60);
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
