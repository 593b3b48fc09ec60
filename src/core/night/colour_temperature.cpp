#include "core/night/colour_temperature.h"

#include <algorithm>
#include <cmath>

namespace ocuvell {
namespace {

// Planck's law integrated against the CIE 1931 2-degree colour-matching functions, the
// latter in the multi-lobe Gaussian fit of Wyman, Sloan and Shirley (JCGT 2013). Used
// below the range of the cubic fit.
double lobe(double l, double mu, double below, double above) {
    const double t = (l - mu) / (l < mu ? below : above);
    return std::exp(-0.5 * t * t);
}

Chromaticity planckIntegrated(double kelvin) {
    constexpr double c2 = 1.4388e-2; // second radiation constant, m K
    double x = 0, y = 0, z = 0;
    for (int nm = 360; nm <= 830; ++nm) {
        const double l = nm;
        const double metres = l * 1e-9;
        const double radiance = 1 / (std::pow(metres, 5) * std::expm1(c2 / (metres * kelvin)));
        x += radiance * (1.056 * lobe(l, 599.8, 37.9, 31.0) + 0.362 * lobe(l, 442.0, 16.0, 26.7) -
                         0.065 * lobe(l, 501.1, 20.4, 26.2));
        y += radiance * (0.821 * lobe(l, 568.8, 46.9, 40.5) + 0.286 * lobe(l, 530.9, 16.3, 31.1));
        z += radiance * (1.217 * lobe(l, 437.0, 11.8, 36.0) + 0.681 * lobe(l, 459.0, 26.0, 13.8));
    }
    const double sum = x + y + z;
    return {x / sum, y / sum};
}

// The Planckian locus as the cubic fit of Kim et al. (US patent 7,024,034, 2006), valid
// from 1667 K to 25000 K.
Chromaticity planckFit(double kelvin) {
    const double t = 1e3 / kelvin;
    const double x = kelvin <= 4000
                         ? -0.2661239 * t * t * t - 0.2343589 * t * t + 0.8776956 * t + 0.179910
                         : -3.0258469 * t * t * t + 2.1070379 * t * t + 0.2226347 * t + 0.240390;
    double y;
    if (kelvin <= 2222)
        y = -1.1063814 * x * x * x - 1.34811020 * x * x + 2.18555832 * x - 0.20219683;
    else if (kelvin <= 4000)
        y = -0.9549476 * x * x * x - 1.37418593 * x * x + 2.09137015 * x - 0.16748867;
    else
        y = 3.0817580 * x * x * x - 5.87338670 * x * x + 3.75112997 * x - 0.37001483;
    return {x, y};
}

// The CIE daylight locus (CIE 15), defined from 4000 K to 25000 K.
Chromaticity daylight(double kelvin) {
    const double t = 1e3 / kelvin;
    const double x = kelvin <= 7000 ? 0.244063 + 0.09911 * t + 2.9678 * t * t - 4.6070 * t * t * t
                                    : 0.237040 + 0.24748 * t + 1.9018 * t * t - 2.0064 * t * t * t;
    return {x, -3 * x * x + 2.870 * x - 0.275};
}

Chromaticity mix(Chromaticity a, Chromaticity b, double w) {
    return {a.x + (b.x - a.x) * w, a.y + (b.y - a.y) * w};
}

std::array<double, 3> linearSrgb(Chromaticity c) {
    const double X = c.x / c.y, Y = 1, Z = (1 - c.x - c.y) / c.y;
    return {3.2406 * X - 1.5372 * Y - 0.4986 * Z, -0.9689 * X + 1.8758 * Y + 0.0415 * Z,
            0.0557 * X - 0.2040 * Y + 1.0570 * Z};
}

double srgbEncode(double v) {
    return v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
}

} // namespace

Chromaticity kelvinChromaticity(double kelvin) {
    kelvin = std::clamp(kelvin, double(kLowestKelvin), 25000.0);
    constexpr double kFitFrom = 1667, kFitFull = 2222, kDaylightFrom = 4000, kDaylightFull = 5000;
    if (kelvin < kFitFrom)
        return planckIntegrated(kelvin);
    if (kelvin < kFitFull)
        return mix(planckIntegrated(kelvin), planckFit(kelvin),
                   (kelvin - kFitFrom) / (kFitFull - kFitFrom));
    if (kelvin < kDaylightFrom)
        return planckFit(kelvin);
    if (kelvin < kDaylightFull)
        return mix(planckFit(kelvin), daylight(kelvin),
                   (kelvin - kDaylightFrom) / (kDaylightFull - kDaylightFrom));
    return daylight(kelvin);
}

std::array<double, 3> kelvinFactors(double kelvin) {
    if (kelvin >= kNeutralKelvin)
        return {1, 1, 1};
    // Balanced against the locus at 6500 K itself (a hair off D65), so that the factors
    // meet (1, 1, 1) there without a step.
    const std::array<double, 3> white = linearSrgb(kelvinChromaticity(kNeutralKelvin));
    std::array<double, 3> rgb = linearSrgb(kelvinChromaticity(kelvin));
    for (int c = 0; c < 3; ++c)
        rgb[c] = std::max(0.0, rgb[c] / white[c]);
    const double top = std::max({rgb[0], rgb[1], rgb[2]});
    for (double& v : rgb) // the largest exactly 1: the encoding's constants round off
        v = v == top ? 1.0 : std::clamp(srgbEncode(v / top), 0.0, 1.0);
    return rgb;
}

} // namespace ocuvell
