#pragma once
// What clock.cpp asks of the system: one file per platform answers it.
#include <ctime>

namespace ocuvell::detail {

// The broken-down local time of the moment given, as the system's time zone sees it.
std::tm localTimeOf(std::time_t moment);

} // namespace ocuvell::detail
