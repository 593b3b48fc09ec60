#pragma once
// The display's colour response and the pure arithmetic that rebuilds it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace ocuvell {

// 256 red entries, then 256 green, then 256 blue, in one block: the layout the
// Windows gamma calls take and give. Entry j is the output for input level j.
struct GammaRamp {
    static constexpr int kSize = 256;
    std::array<std::uint16_t, 3 * kSize> entries{};

    std::uint16_t& at(int channel, int j) { return entries[channel * kSize + j]; }
    std::uint16_t at(int channel, int j) const { return entries[channel * kSize + j]; }
    std::uint16_t* channel(int c) { return entries.data() + c * kSize; }
    const std::uint16_t* channel(int c) const { return entries.data() + c * kSize; }
    bool allZero() const;
    // Some channel's brightest entry is below a quarter of full scale: no display's
    // normal ramp looks like that, and applying it would all but black the screen.
    bool nearBlack() const;
    static GammaRamp identity(); // entry j = 257 * j in every channel
    friend bool operator==(const GammaRamp&, const GammaRamp&) = default;
};
static_assert(sizeof(GammaRamp) == 1536);

// Brightness and colour: a level in -100..100 applied to a base entry.
std::uint16_t levelTransfer(int level, std::uint16_t u);
// Contrast: a percent in 0..100 applied to a base entry.
std::uint16_t contrastTransfer(int percent, std::uint16_t u);

// A display channel of any gamma size, to and from the 256-entry ramp, by linear
// interpolation; both are exact copies when size is 256.
void resampleTo(const std::uint16_t* src256, std::uint16_t* dst, std::size_t size);
void resampleFrom(const std::uint16_t* src, std::size_t size, std::uint16_t* dst256);

} // namespace ocuvell
