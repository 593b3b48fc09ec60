#include "core/night/sun.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ocuvell {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kSecondsPerDay = 86400;
constexpr double kUnixEpochJd = 2440587.5;

double rad(double deg) {
    return deg * kPi / 180;
}
double deg(double r) {
    return r * 180 / kPi;
}

// What the sun's place comes to at one moment: its declination and the equation of time.
struct SunAt {
    double declination;    // degrees
    double equationOfTime; // minutes
};

SunAt sunAt(double utc) {
    const double jd = utc / kSecondsPerDay + kUnixEpochJd;
    const double t = (jd - 2451545.0) / 36525.0; // Julian centuries from J2000.0
    const double l0 = std::fmod(280.46646 + t * (36000.76983 + t * 0.0003032), 360.0);
    const double m = 357.52911 + t * (35999.05029 - 0.0001537 * t);
    const double e = 0.016708634 - t * (0.000042037 + 0.0000001267 * t);
    const double centre = std::sin(rad(m)) * (1.914602 - t * (0.004817 + 0.000014 * t)) +
                          std::sin(rad(2 * m)) * (0.019993 - 0.000101 * t) +
                          std::sin(rad(3 * m)) * 0.000289;
    const double omega = 125.04 - 1934.136 * t;
    const double apparent = l0 + centre - 0.00569 - 0.00478 * std::sin(rad(omega));
    const double meanObliquity =
        23.0 + (26.0 + (21.448 - t * (46.815 + t * (0.00059 - t * 0.001813))) / 60.0) / 60.0;
    const double obliquity = meanObliquity + 0.00256 * std::cos(rad(omega));
    const double declination = deg(std::asin(std::sin(rad(obliquity)) * std::sin(rad(apparent))));
    const double y = std::pow(std::tan(rad(obliquity / 2)), 2);
    const double eot = y * std::sin(2 * rad(l0)) - 2 * e * std::sin(rad(m)) +
                       4 * e * y * std::sin(rad(m)) * std::cos(2 * rad(l0)) -
                       0.5 * y * y * std::sin(4 * rad(l0)) - 1.25 * e * e * std::sin(2 * rad(m));
    return {declination, 4 * deg(eot)};
}

// The solar noon, in UTC seconds, of the UTC day that starts at dayStart.
double solarNoon(double dayStart, double longitude, double equationOfTime) {
    return dayStart + (720 - 4 * longitude - equationOfTime) * 60;
}

} // namespace

double sunElevation(long long utc, GeoPoint place) {
    const SunAt sun = sunAt(static_cast<double>(utc));
    const double minutes = std::fmod(static_cast<double>(utc), kSecondsPerDay) / 60;
    const double trueSolar = minutes + sun.equationOfTime + 4 * place.longitude;
    const double hourAngle = trueSolar / 4 - 180;
    const double cosZenith =
        std::sin(rad(place.latitude)) * std::sin(rad(sun.declination)) +
        std::cos(rad(place.latitude)) * std::cos(rad(sun.declination)) * std::cos(rad(hourAngle));
    return 90 - deg(std::acos(std::clamp(cosZenith, -1.0, 1.0)));
}

std::optional<long long> sunCrossing(long long near, GeoPoint place, double zenith, bool rising) {
    // The solar noon nearest to `near`: found on near's UTC day, then moved a day either way.
    const double at = static_cast<double>(near);
    const double noonEot = sunAt(at).equationOfTime;
    double noon =
        solarNoon(std::floor(at / kSecondsPerDay) * kSecondsPerDay, place.longitude, noonEot);
    noon += std::round((at - noon) / kSecondsPerDay) * kSecondsPerDay;
    // The hour angle at the crossing, with the sun's place taken at noon first and then,
    // twice more, at the crossing found: the declination moves by up to 0.4 degrees a day,
    // and the equation of time moves that day's noon by up to half a minute.
    const double lat = rad(place.latitude);
    double event = noon;
    for (int pass = 0; pass < 3; ++pass) {
        const SunAt sun = sunAt(event);
        const double dec = rad(sun.declination);
        const double cosH =
            std::cos(rad(zenith)) / (std::cos(lat) * std::cos(dec)) - std::tan(lat) * std::tan(dec);
        if (!(cosH >= -1 && cosH <= 1))
            return std::nullopt;
        const double hourAngle = deg(std::acos(cosH));
        event = noon + (noonEot - sun.equationOfTime) * 60 + (rising ? -1 : 1) * hourAngle * 240;
    }
    return static_cast<long long>(std::llround(event));
}

} // namespace ocuvell
