#include "core/display/gamma_ramp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace ocuvell {
namespace {

struct TableRow {
    const char* kind; // "level" or "contrast"
    int value;
    std::uint16_t expected[6]; // at j = 0, 1, 127, 128, 254, 255
};

// The edge-case table over an identity base. Contrast 1 and 50 read 65535 at j = 255:
// full white must not turn black.
const TableRow kTable[] = {
    {"level", -50, {0, 128, 16320, 16448, 32639, 32768}},
    {"level", -20, {0, 206, 26111, 26317, 52222, 52428}},
    {"level", 0, {0, 257, 32639, 32896, 65278, 65535}},
    {"level", 20, {13107, 13313, 39218, 39424, 65329, 65535}},
    {"level", 50, {32768, 32896, 49087, 49216, 65406, 65535}},
    {"contrast", 1, {0, 3, 326, 65210, 65533, 65535}},
    {"contrast", 50, {0, 128, 16320, 49216, 65407, 65535}},
    {"contrast", 51, {0, 131, 16646, 48890, 65404, 65535}},
    {"contrast", 100, {0, 257, 32639, 32896, 65278, 65535}},
};

TEST(GammaTransfer, EdgeCaseTableOverIdentity) {
    const int columns[6] = {0, 1, 127, 128, 254, 255};
    for (const TableRow& row : kTable) {
        for (int i = 0; i < 6; ++i) {
            const auto u = static_cast<std::uint16_t>(257 * columns[i]);
            const bool level = std::string(row.kind) == "level";
            const std::uint16_t got =
                level ? levelTransfer(row.value, u) : contrastTransfer(row.value, u);
            EXPECT_EQ(got, row.expected[i]) << row.kind << " " << row.value << " j=" << columns[i];
        }
    }
}

TEST(GammaTransfer, HalvesRoundToEven) {
    EXPECT_EQ(levelTransfer(-50, 257), 128);           // 128.5
    EXPECT_EQ(levelTransfer(-50, 65535), 32768);       // 32767.5
    EXPECT_EQ(levelTransfer(-50, 3), 2);               // 1.5
    EXPECT_EQ(levelTransfer(-50, 5), 2);               // 2.5
    EXPECT_EQ(contrastTransfer(50, 3), 2);             // 1.5
    EXPECT_EQ(contrastTransfer(50, 65535 - 2), 65534); // s = -3: -1.5 -> -2
    EXPECT_EQ(contrastTransfer(50, 65535 - 4), 65534); // s = -5: -2.5 -> -2
    EXPECT_EQ(contrastTransfer(25, 65534), 65535);     // s = -2: -0.5 -> 0, kept white
}

// The integer arithmetic must agree with "product, divide in double, round half to
// even" over every entry and every level; a wrong remainder rule shows up here.
TEST(GammaTransfer, IntegerArithmeticMatchesDoubleRoundingEverywhere) {
    for (int level = -100; level <= 100; ++level) {
        for (int u = 0; u <= 65535; ++u) {
            const double k = 100 - std::abs(level);
            const double exact = level < 0    ? k * u / 100.0
                                 : level == 0 ? u
                                              : 65535 - k * (65535 - u) / 100.0;
            const auto want = static_cast<std::uint16_t>(std::nearbyint(exact));
            ASSERT_EQ(levelTransfer(level, static_cast<std::uint16_t>(u)), want)
                << "level " << level << " u " << u;
        }
    }
    for (int p = 0; p <= 100; ++p) {
        for (int u = 0; u <= 65535; ++u) {
            const int s = u <= 32767 ? u : u - 65536;
            const auto t = static_cast<long>(std::nearbyint(p * s / 100.0));
            const long want = s >= 0 ? t : std::min(65536 + t, 65535L);
            ASSERT_EQ(contrastTransfer(p, static_cast<std::uint16_t>(u)), want)
                << "percent " << p << " u " << u;
        }
    }
}

std::vector<std::uint16_t> identity256() {
    std::vector<std::uint16_t> v(256);
    for (int j = 0; j < 256; ++j)
        v[j] = static_cast<std::uint16_t>(257 * j);
    return v;
}

TEST(GammaResample, Size256CopiesExactly) {
    std::vector<std::uint16_t> src(256), there(256), back(256);
    for (int j = 0; j < 256; ++j)
        src[j] = static_cast<std::uint16_t>((j * 7919) % 65536); // not monotone on purpose
    resampleTo(src.data(), there.data(), 256);
    resampleFrom(there.data(), 256, back.data());
    EXPECT_EQ(there, src);
    EXPECT_EQ(back, src);
}

TEST(GammaResample, OtherSizesKeepEndsShapeAndRoundTrip) {
    const std::vector<std::uint16_t> src = identity256();
    for (std::size_t size : {16u, 1024u, 4096u}) {
        std::vector<std::uint16_t> there(size), back(256);
        resampleTo(src.data(), there.data(), size);
        EXPECT_EQ(there.front(), 0) << size;
        EXPECT_EQ(there.back(), 65535) << size;
        for (std::size_t i = 0; i < size; ++i) // a straight line stays one
            EXPECT_NEAR(there[i], 65535.0 * i / (size - 1), 0.5) << size << " at " << i;
        resampleFrom(there.data(), size, back.data());
        for (int j = 0; j < 256; ++j)
            EXPECT_NEAR(back[j], src[j], 1) << size << " at " << j;
    }
    // 16 entries cannot carry a step; coming back it must still interpolate between them.
    std::vector<std::uint16_t> sixteen(16);
    for (int i = 0; i < 16; ++i)
        sixteen[i] = static_cast<std::uint16_t>(i < 8 ? 0 : 60000);
    std::vector<std::uint16_t> back(256);
    resampleFrom(sixteen.data(), 16, back.data());
    EXPECT_EQ(back[0], 0);
    EXPECT_EQ(back[255], 60000);
    EXPECT_EQ(back[119], 0);     // 119 * 15 / 255 = 7
    EXPECT_EQ(back[136], 60000); // = 8
    EXPECT_EQ(back[128], 31765); // 7.53 of the way: 60000 * 135 / 255
}

// The one rule the default ramp file and the remembered base both go by.
TEST(GammaRampDark, MostlyDarkShapesAreRefusedAndEveryNormalRampPasses) {
    const auto fill = [](const auto& entry) {
        GammaRamp ramp;
        for (int c = 0; c < 3; ++c)
            for (int j = 0; j < GammaRamp::kSize; ++j)
                ramp.at(c, j) = static_cast<std::uint16_t>(entry(j, c));
        return ramp;
    };
    const auto curve = [](double exponent, int floor = 0) {
        return [=](int j, int) { return floor + (65535 - floor) * std::pow(j / 255.0, exponent); };
    };
    std::vector<GammaRamp> normal = {
        GammaRamp::identity(),
        fill([](int j, int) { return 256 * j; }),         // an 8-bit ramp as Wine keeps it
        fill([](int j, int) { return 257 * (255 - j); }), // inverted colours
        fill([](int j, int c) { return c == 2 ? 64 * j + 64 : 257 * j; }), // blue tops at a quarter
        fill(curve(2.2, 3000)), // a calibrated raised black
    };
    for (double gamma : {1.8, 2.2, 2.6}) {
        normal.push_back(fill(curve(gamma)));
        normal.push_back(fill(curve(1 / gamma)));
        normal.push_back(
            fill([=](int j, int) { return 256 * std::round(255 * std::pow(j / 255.0, gamma)); }));
    }
    for (std::size_t i = 0; i < normal.size(); ++i)
        EXPECT_EQ(normal[i].darkChannel(), -1) << "normal ramp " << i;

    struct Dark {
        GammaRamp ramp;
        int channel;
    };
    const Dark dark[] = {
        {fill([](int j, int) { return j == 255 ? 65535 : 0; }), 0}, // 765 zeros, then full
        {fill([](int j, int) { return j == 255 ? 16384 : 0; }), 0},
        {fill([](int j, int c) { return c == 1 && j < 129 ? 0 : 257 * j; }),
         1}, // green's lower half black
        {fill([](int j, int c) { return c == 2 ? 63 * j : 257 * j; }),
         2}, // blue never reaches a quarter
        {fill([](int, int) { return 1; }), 0},
    };
    for (const Dark& d : dark)
        EXPECT_EQ(d.ramp.darkChannel(), d.channel);
}

} // namespace
} // namespace ocuvell
