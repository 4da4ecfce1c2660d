#include <ctime>

#include "platform/local_day.h"

namespace platform {

LocalDate LocalToday() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

std::int64_t LocalDayStart(const LocalDate& date) {
  std::tm local{};
  local.tm_year = date.year - 1900;
  local.tm_mon = date.month - 1;
  local.tm_mday = date.day;
  local.tm_isdst = -1;  // the zone's rules say whether summer time holds that day
  return static_cast<std::int64_t>(std::mktime(&local));
}

}  // namespace platform
