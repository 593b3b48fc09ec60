#include "core/night/cities.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace ocuvell {

// TZ when it names a zone, else the zone /etc/localtime links to.
std::string systemZoneName() {
    if (const char* tz = std::getenv("TZ"); tz && *tz) {
        std::string name(tz[0] == ':' ? tz + 1 : tz);
        const std::size_t at = name.find("zoneinfo/");
        return at == std::string::npos ? name : name.substr(at + 9);
    }
    std::error_code error;
    const std::filesystem::path target = std::filesystem::read_symlink("/etc/localtime", error);
    if (error)
        return {};
    const std::string text = target.generic_string();
    const std::size_t at = text.find("zoneinfo/");
    return at == std::string::npos ? std::string() : text.substr(at + 9);
}

} // namespace ocuvell
