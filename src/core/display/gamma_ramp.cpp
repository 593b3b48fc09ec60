#include "core/display/gamma_ramp.h"

#include <algorithm>

namespace ocuvell {

namespace {

// numerator / 100 rounded to the nearest integer, halves to the even neighbour.
// Floor division keeps the rule right for negative numerators too.
std::int64_t divideBy100HalfEven(std::int64_t numerator) {
    std::int64_t quotient = numerator / 100;
    std::int64_t remainder = numerator % 100;
    if (remainder < 0) {
        remainder += 100;
        quotient -= 1;
    }
    if (remainder > 50 || (remainder == 50 && (quotient & 1) != 0))
        ++quotient;
    return quotient;
}

} // namespace

bool GammaRamp::allZero() const {
    return std::all_of(entries.begin(), entries.end(), [](std::uint16_t e) { return e == 0; });
}

int GammaRamp::darkChannel() const {
    for (int c = 0; c < 3; ++c) {
        const std::uint16_t* first = channel(c);
        const std::uint16_t* last = first + kSize;
        const auto dark =
            std::count_if(first, last, [](std::uint16_t e) { return e < kDarkEntry; });
        if (*std::max_element(first, last) < kDarkTop || dark > kSize / 2)
            return c;
    }
    return -1;
}

GammaRamp GammaRamp::identity() {
    GammaRamp ramp;
    for (int c = 0; c < 3; ++c)
        for (int j = 0; j < kSize; ++j)
            ramp.at(c, j) = static_cast<std::uint16_t>(257 * j);
    return ramp;
}

std::uint16_t levelTransfer(int level, std::uint16_t u) {
    // Callers keep to -100..100; beyond it the scale factor would turn negative.
    level = std::clamp(level, -100, 100);
    if (level == 0)
        return u;
    if (level < 0) {
        const std::int64_t k = 100 + level;
        return static_cast<std::uint16_t>(divideBy100HalfEven(k * u));
    }
    const std::int64_t k = 100 - level;
    return static_cast<std::uint16_t>(divideBy100HalfEven(6553500 - k * (65535 - u)));
}

std::uint16_t contrastTransfer(int percent, std::uint16_t u) {
    percent = std::clamp(percent, 0, 100);
    // The entry is scaled as a signed 16-bit value: the dark half moves toward 0,
    // the bright half toward 65536.
    const std::int64_t s = u <= 32767 ? u : std::int64_t{u} - 65536;
    const std::int64_t t = divideBy100HalfEven(percent * s);
    if (s >= 0)
        return static_cast<std::uint16_t>(t);
    // A bright entry that scales to 0 would wrap to black; it stays at full intensity.
    return static_cast<std::uint16_t>(std::min<std::int64_t>(65536 + t, 65535));
}

namespace {

// Linear interpolation of a channel of srcSize entries onto dstSize entries; both
// ends map onto each other, so equal sizes copy exactly.
void resample(const std::uint16_t* src, std::size_t srcSize, std::uint16_t* dst,
              std::size_t dstSize) {
    if (srcSize == 0 || dstSize == 0)
        return;
    if (srcSize == dstSize) { // the common case, on every slider step: a plain copy
        std::copy(src, src + srcSize, dst);
        return;
    }
    if (srcSize == 1 || dstSize == 1) {
        std::fill(dst, dst + dstSize, src[0]); // degenerate: no slope to follow
        return;
    }
    const std::uint64_t span = dstSize - 1;
    for (std::size_t i = 0; i < dstSize; ++i) {
        const std::uint64_t position = i * (srcSize - 1); // in units of 1/span
        const std::size_t lo = position / span;
        const std::uint64_t frac = position % span;
        if (frac == 0) {
            dst[i] = src[lo];
            continue;
        }
        const std::uint64_t weighted = src[lo] * (span - frac) + src[lo + 1] * frac;
        dst[i] = static_cast<std::uint16_t>((2 * weighted + span) / (2 * span)); // half up
    }
}

} // namespace

void resampleTo(const std::uint16_t* src256, std::uint16_t* dst, std::size_t size) {
    resample(src256, GammaRamp::kSize, dst, size);
}

void resampleFrom(const std::uint16_t* src, std::size_t size, std::uint16_t* dst256) {
    resample(src, size, dst256, GammaRamp::kSize);
}

} // namespace ocuvell
