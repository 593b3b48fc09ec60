#include "core/night/cities.h"

#include <windows.h>

namespace ocuvell {

// Windows names its zones its own way ("China Standard Time"); the few most users here have
// are mapped, and anything else is taken as Beijing time's city, which the user can change.
std::string systemZoneName() {
    DYNAMIC_TIME_ZONE_INFORMATION info{};
    if (GetDynamicTimeZoneInformation(&info) == TIME_ZONE_ID_INVALID)
        return "Asia/Shanghai";
    const std::wstring key(info.TimeZoneKeyName);
    static const std::pair<const wchar_t*, const char*> known[] = {
        {L"China Standard Time", "Asia/Shanghai"},
        {L"Taipei Standard Time", "Asia/Taipei"},
        {L"Singapore Standard Time", "Asia/Singapore"},
        {L"Tokyo Standard Time", "Asia/Tokyo"},
        {L"Korea Standard Time", "Asia/Seoul"},
        {L"GMT Standard Time", "Europe/London"},
        {L"W. Europe Standard Time", "Europe/Berlin"},
        {L"Romance Standard Time", "Europe/Paris"},
        {L"Eastern Standard Time", "America/New_York"},
        {L"Central Standard Time", "America/Chicago"},
        {L"Pacific Standard Time", "America/Los_Angeles"},
        {L"AUS Eastern Standard Time", "Australia/Sydney"},
        {L"India Standard Time", "Asia/Kolkata"},
    };
    for (const auto& [windows, zone] : known)
        if (key == windows)
            return zone;
    return "Asia/Shanghai";
}

} // namespace ocuvell
