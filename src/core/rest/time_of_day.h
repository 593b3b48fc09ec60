#pragma once
// Times of day with one-minute resolution, and their "hh:mm" text.
#include "core/io/number_text.h"

#include <optional>
#include <string>
#include <string_view>

namespace ocuvell {

constexpr int kMinutesPerDay = 1440;

// "hh:mm" (or "h:mm") to minutes since midnight; nothing for anything else.
std::optional<int> parseTimeOfDay(std::string_view text);

// Minutes since midnight (any integer, wrapped into the day) to "hh:mm".
std::string formatTimeOfDay(int minutes);

// Adds minutes, negative ones too, wrapping modulo 24 hours.
int addMinutes(int minuteOfDay, int minutes);

// The minute a local time of day in seconds falls in; seconds are dropped.
inline int minuteOfDay(int secondsOfDay) {
    return secondsOfDay / 60;
}

} // namespace ocuvell
