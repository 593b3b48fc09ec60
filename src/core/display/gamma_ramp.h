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
    // The first channel that would all but black the screen, or -1: its brightest entry
    // is below a quarter of full scale, or more than half of its entries are below a
    // sixteenth. No display's normal ramp looks like that: an identity has 16 entries
    // below a sixteenth, a gamma 2.6 curve 88, a raised black point fewer, and the order of
    // the entries does not matter, so an inverted ramp passes too.
    int darkChannel() const;
    bool nearBlack() const { return darkChannel() >= 0; }
    static constexpr std::uint16_t kDarkTop = 16384;  // a quarter of full scale
    static constexpr std::uint16_t kDarkEntry = 4096; // a sixteenth
    static GammaRamp identity();                      // entry j = 257 * j in every channel
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
