#pragma once
// The machine's calendar: today's local date and the moment a local day starts, in
// seconds since 1970 UTC (the unit of the mail index's date stamps).

#include <cstdint>

namespace platform {

struct LocalDate {
  int year = 0;
  int month = 0;  // 1-12
  int day = 0;    // 1-31
};

LocalDate LocalToday();

// The first second of the local day `date` by the machine's time-zone rules (summer time
// included): midnight, or the first moment after it when a clock change skips midnight.
std::int64_t LocalDayStart(const LocalDate& date);

}  // namespace platform
