#pragma once
// UTC moments written as calendar dates, for the night tests.
namespace ocuvell::test {

// Seconds since 1970-01-01 UTC of a proleptic Gregorian date and time.
constexpr long long utcOf(int y, int m, int d, int h = 0, int min = 0, int s = 0) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long days = era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
    return days * 86400 + h * 3600 + min * 60 + s;
}

} // namespace ocuvell::test
