#include "core/rest/clock.h"

#include "core/rest/clock_platform.h"

#include <chrono>
#include <ctime>

namespace ocuvell {

namespace {

// a / b rounded down, for b > 0: moments before 1970 are negative.
long long floorDiv(long long a, long long b) {
    return a / b - (a % b < 0);
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
long long daysFromCivil(long long y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

} // namespace

// UTC, not the local calendar: summer time beginning or ending is no jump of this count,
// while the clock set by hand still is one.
int SystemClock::secondsOfDay() const {
    const long long t = now();
    return static_cast<int>(t - floorDiv(t, 86400) * 86400);
}

long long SystemClock::localMinutes() const {
    return floorDiv(now(), 60);
}

// Time zones differ from UTC by whole minutes, so the minute's progress is the same on
// the local clock.
int SystemClock::millisecondsIntoMinute() const {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    return static_cast<int>(((ms % 60000) + 60000) % 60000);
}

long long SystemClock::utcSeconds() const {
    return static_cast<long long>(now());
}

// The local calendar time of the moment, counted as if it were UTC, less the moment.
int SystemClock::utcOffsetAt(long long utc) const {
    const std::tm local = detail::localTimeOf(static_cast<std::time_t>(utc));
    const long long days = daysFromCivil(local.tm_year + 1900LL, local.tm_mon + 1, local.tm_mday);
    const long long asUtc = days * 86400 + local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    return static_cast<int>(asUtc - utc);
}

// localMinutes counts from 1970-01-01 00:00 UTC, as time_t does.
int SystemClock::wallMinuteOfDay(long long minute) const {
    const std::tm local = detail::localTimeOf(static_cast<std::time_t>(minute * 60));
    return local.tm_hour * 60 + local.tm_min;
}

} // namespace ocuvell
