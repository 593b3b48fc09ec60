#include "core/rest/clock_platform.h"

namespace ocuvell::detail {

std::tm localTimeOf(std::time_t moment) {
    std::tm local{};
    localtime_r(&moment, &local); // reentrant: std::localtime shares one buffer
    return local;
}

} // namespace ocuvell::detail
