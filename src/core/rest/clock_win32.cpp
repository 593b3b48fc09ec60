#include "core/rest/clock_platform.h"

namespace ocuvell::detail {

std::tm localTimeOf(std::time_t moment) {
    std::tm local{};
    localtime_s(&local, &moment); // the CRT's reentrant form, arguments the other way round
    return local;
}

} // namespace ocuvell::detail
