#include "core/rest/time_of_day.h"

namespace ocuvell {

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool allDigits(std::string_view s) {
    if (s.empty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

} // namespace

std::optional<int> parseTimeOfDay(std::string_view text) {
    text = trimmed(text);
    const auto colon = text.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const std::string_view h = text.substr(0, colon), m = text.substr(colon + 1);
    if (h.size() > 2 || m.size() != 2 || !allDigits(h) || !allDigits(m))
        return std::nullopt;
    const int hour = std::stoi(std::string(h)), minute = std::stoi(std::string(m));
    if (hour > 23 || minute > 59)
        return std::nullopt;
    return hour * 60 + minute;
}

std::string formatTimeOfDay(int minutes) {
    // Within the day, so the hour and the minute are two digits each.
    const int t = addMinutes(0, minutes);
    const auto digit = [](int d) { return static_cast<char>('0' + d); };
    return {digit(t / 600), digit(t / 60 % 10), ':', digit(t % 60 / 10), digit(t % 10)};
}

int addMinutes(int minuteOfDay, int minutes) {
    // Both operands are reduced first so that no sum can overflow.
    const int sum = minuteOfDay % kMinutesPerDay + minutes % kMinutesPerDay;
    return ((sum % kMinutesPerDay) + kMinutesPerDay) % kMinutesPerDay;
}

} // namespace ocuvell
