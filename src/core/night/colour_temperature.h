#pragma once
// A colour temperature as the factors that tint the display's ramp: from published
// colorimetry, not from any program's table. The chromaticity follows the Planckian locus
// below 4000 K, the CIE daylight locus from 5000 K, and a blend of the two between.
#include <array>

namespace ocuvell {

inline constexpr int kNeutralKelvin = 6500;
inline constexpr int kLowestKelvin = 1000;

struct Chromaticity {
    double x = 0;
    double y = 0;
};

// CIE 1931 (x, y) of a colour temperature in 1000..25000 K.
Chromaticity kelvinChromaticity(double kelvin);

// The sRGB-encoded factors for red, green and blue, the largest 1. 6500 K and above give
// exactly (1, 1, 1); below 1000 K counts as 1000 K.
std::array<double, 3> kelvinFactors(double kelvin);

} // namespace ocuvell
