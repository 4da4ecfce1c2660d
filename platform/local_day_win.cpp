#include <windows.h>

#include "platform/local_day.h"

namespace platform {

LocalDate LocalToday() {
  SYSTEMTIME local{};
  GetLocalTime(&local);
  return {local.wYear, local.wMonth, local.wDay};
}

std::int64_t LocalDayStart(const LocalDate& date) {
  SYSTEMTIME local{};
  local.wYear = static_cast<WORD>(date.year);
  local.wMonth = static_cast<WORD>(date.month);
  local.wDay = static_cast<WORD>(date.day);
  // The zone's rules for that date (not today's offset), so that a day in summer time
  // starts an hour earlier in UTC than one in winter.
  SYSTEMTIME utc{};
  if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc)) utc = local;
  FILETIME file_time{};
  SystemTimeToFileTime(&utc, &file_time);
  const std::int64_t ticks = static_cast<std::int64_t>(
      ULARGE_INTEGER{{file_time.dwLowDateTime, file_time.dwHighDateTime}}.QuadPart);
  // 100-nanosecond ticks since 1601 to seconds since 1970.
  return ticks / 10000000 - 11644473600LL;
}

}  // namespace platform
