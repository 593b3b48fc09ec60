#pragma once
// The places night colour can follow: the cities of the time-zone database (its
// zone1970.tab, and the zones only zone.tab lists, read at build time), with Chinese names
// for the main ones, and places typed as "latitude,longitude".
#include "core/night/sun.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ocuvell {

struct City {
    std::string zone;    // "Asia/Shanghai"
    std::string english; // "Shanghai"
    std::string chinese; // "上海", or empty
    GeoPoint point;
};

// Every city, those with a Chinese name first, each group in the order of its name.
const std::vector<City>& cities();
// The city of a zone, or of the zone another name of it stands for ("PRC": Shanghai).
const City* cityOfZone(std::string_view zone);

// "+DDMM+DDDMM" or "+DDMMSS+DDDMMSS" to degrees.
std::optional<GeoPoint> parseIso6709(std::string_view text);
// "31.23,121.47" (a comma or spaces between; latitude within ±90, longitude within ±180).
std::optional<GeoPoint> parseLatLon(std::string_view text);
std::string formatLatLon(GeoPoint point);

// Beyond this latitude the sunrise equations lose their minute's accuracy: the window says
// so.
inline constexpr double kAccurateLatitude = 72;

// The stored place: a zone name, "lat,lon", or the fixed times.
inline constexpr std::string_view kFixedTimesPlace = "fixed";
// What a stored place text stands for: nothing for the fixed times or a text that is no
// place.
std::optional<GeoPoint> placeOfText(std::string_view text);

// The system's time zone as a database name ("Asia/Shanghai"), or empty when unknown.
std::string systemZoneName();

} // namespace ocuvell
