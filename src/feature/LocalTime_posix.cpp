#include <ctime>

#include "feature/LocalTime.h"

namespace tavelapp {

LocalTime LocalTime::fromUtc(std::int64_t utcSeconds) {
    const std::time_t t = static_cast<std::time_t>(utcSeconds);
    std::tm fields{};
    localtime_r(&t, &fields);
    LocalTime out;
    out.year = fields.tm_year + 1900;
    out.month = fields.tm_mon + 1;
    out.day = fields.tm_mday;
    out.hour = fields.tm_hour;
    out.minute = fields.tm_min;
    out.second = fields.tm_sec;
    return out;
}

std::int64_t LocalTime::toUtc(const LocalTime& local) {
    const LocalTime n = local.normalized();
    std::tm fields{};
    fields.tm_year = n.year - 1900;
    fields.tm_mon = n.month - 1;
    fields.tm_mday = n.day;
    fields.tm_hour = n.hour;
    fields.tm_min = n.minute;
    fields.tm_sec = n.second;
    fields.tm_isdst = -1;  // the zone's rules for that date decide
    return static_cast<std::int64_t>(std::mktime(&fields));
}

}  // namespace tavelapp
