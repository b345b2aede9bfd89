#include <windows.h>

#include "feature/LocalTime.h"

namespace tavelapp {
namespace {

// FILETIME counts 100 ns since 1601; the Unix epoch lies 11644473600 s later.
const std::int64_t kEpochDifference = 11644473600LL;

SYSTEMTIME toSystemTime(std::int64_t utcSeconds) {
    const std::uint64_t ticks = static_cast<std::uint64_t>(utcSeconds + kEpochDifference) * 10000000ULL;
    FILETIME file;
    file.dwLowDateTime = static_cast<DWORD>(ticks);
    file.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    SYSTEMTIME out{};
    ::FileTimeToSystemTime(&file, &out);
    return out;
}

std::int64_t fromSystemTime(const SYSTEMTIME& time) {
    FILETIME file;
    if (!::SystemTimeToFileTime(&time, &file)) return 0;
    const std::uint64_t ticks = (static_cast<std::uint64_t>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
    return static_cast<std::int64_t>(ticks / 10000000ULL) - kEpochDifference;
}

}  // namespace

// The Windows zone and its rules for the date in question; the C runtime's
// reading of the TZ variable is not the system's zone.
LocalTime LocalTime::fromUtc(std::int64_t utcSeconds) {
    const SYSTEMTIME utc = toSystemTime(utcSeconds);
    SYSTEMTIME local = utc;
    ::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    LocalTime out;
    out.year = local.wYear;
    out.month = local.wMonth;
    out.day = local.wDay;
    out.hour = local.wHour;
    out.minute = local.wMinute;
    out.second = local.wSecond;
    return out;
}

std::int64_t LocalTime::toUtc(const LocalTime& local) {
    const LocalTime n = local.normalized();
    SYSTEMTIME wall{};
    wall.wYear = static_cast<WORD>(n.year);
    wall.wMonth = static_cast<WORD>(n.month);
    wall.wDay = static_cast<WORD>(n.day);
    wall.wHour = static_cast<WORD>(n.hour);
    wall.wMinute = static_cast<WORD>(n.minute);
    wall.wSecond = static_cast<WORD>(n.second);
    SYSTEMTIME utc = wall;
    if (!::TzSpecificLocalTimeToSystemTime(nullptr, &wall, &utc)) utc = wall;
    return fromSystemTime(utc);
}

}  // namespace tavelapp
