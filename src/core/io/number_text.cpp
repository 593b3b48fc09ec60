#include "core/io/number_text.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace ocuvell {

std::optional<int> parseWholeNumber(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '+' || negative))
        text.remove_prefix(1);
    if (text.empty() || text.front() < '0' || text.front() > '9')
        return std::nullopt;
    long long magnitude = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (end != text.data() + text.size())
        return std::nullopt;
    // Too many digits for any int: still a number, just beyond every range we accept.
    if (ec == std::errc::result_out_of_range)
        magnitude = std::numeric_limits<long long>::max();
    else if (ec != std::errc())
        return std::nullopt;
    const long long value = negative ? -magnitude : magnitude;
    return static_cast<int>(std::clamp<long long>(value, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max()));
}

std::string switchText(bool on) {
    return on ? "1" : "0";
}

} // namespace ocuvell
