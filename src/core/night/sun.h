#pragma once
// Where the sun is, from the published NOAA solar equations (after Meeus): its elevation at
// a moment, and when it crosses a given elevation near a day's solar noon. Times are seconds
// since 1970-01-01 UTC; longitudes are positive east.
#include <optional>

namespace ocuvell {

struct GeoPoint {
    double latitude = 0;  // degrees, north positive
    double longitude = 0; // degrees, east positive
    friend bool operator==(const GeoPoint&, const GeoPoint&) = default;
};

// The elevation of the sun's centre above the horizon, in degrees, without refraction.
double sunElevation(long long utc, GeoPoint place);

// The zenith distance of the sun's centre at rise and set: 50 arc minutes of refraction
// and semi-diameter below the horizon.
inline constexpr double kSunriseZenith = 90.833;

// The sun's crossing of the given zenith distance (degrees) on the solar day whose noon is
// nearest to `near`: the morning crossing when rising, else the evening one. Nothing when
// the sun stays above or below that elevation all day (polar day and night).
std::optional<long long> sunCrossing(long long near, GeoPoint place, double zenith, bool rising);

// The sunrise and sunset of the solar day nearest to `near`.
inline std::optional<long long> sunrise(long long near, GeoPoint place) {
    return sunCrossing(near, place, kSunriseZenith, true);
}
inline std::optional<long long> sunset(long long near, GeoPoint place) {
    return sunCrossing(near, place, kSunriseZenith, false);
}

} // namespace ocuvell
