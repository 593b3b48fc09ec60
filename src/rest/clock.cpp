#include "rest/clock.h"

#include <ctime>

namespace ocuvell {

int SystemClock::secondsOfDay() const {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    // A leap second (tm_sec 60) still belongs to its minute.
    const int sec = local.tm_sec > 59 ? 59 : local.tm_sec;
    return local.tm_hour * 3600 + local.tm_min * 60 + sec;
}

} // namespace ocuvell
