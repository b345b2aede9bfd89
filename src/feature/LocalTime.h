#pragma once
#include <cstdint>

namespace tavelapp {

// Wall-clock time of the system's time zone, with the zone's own daylight
// saving rules for each date.
struct LocalTime {
    int year = 1970;
    int month = 1;  // 1-12
    int day = 1;    // 1-31
    int hour = 0;
    int minute = 0;
    int second = 0;

    // Seconds since 1970 (UTC) to local time.
    static LocalTime fromUtc(std::int64_t utcSeconds);
    // Local time to seconds since 1970 (UTC). Fields may lie outside their
    // ranges (hour 25, day 32): they are carried into the next unit first.
    static std::int64_t toUtc(const LocalTime& local);

    // The same fields carried into range (minute 60 becomes the next hour, ...).
    LocalTime normalized() const;
};

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
std::int64_t daysFromCivil(std::int64_t year, int month, int day);
void civilFromDays(std::int64_t days, int& year, int& month, int& day);

}  // namespace tavelapp
