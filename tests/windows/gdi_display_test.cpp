// The GDI display under Wine, on the private dummy X server: Wine hands the ramp to the
// server, which keeps 8 bits of each entry, so read-backs match within one 8-bit step.
#include "core/display/backends.h"
#include "core/display/gamma_engine.h"
#include "display/display_contract.h"
#include "windows/gdi_fixture.h"

#ifndef NOMINMAX
#define NOMINMAX // keep std::min and std::max usable under MSVC
#endif
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

namespace ocuvell {
namespace {

using testing::kServerStep;

GammaRamp levels(int red, int green, int blue) {
    GammaRamp ramp;
    const int level[3] = {red, green, blue};
    for (int c = 0; c < 3; ++c)
        for (int j = 0; j < GammaRamp::kSize; ++j)
            ramp.at(c, j) = levelTransfer(level[c], static_cast<std::uint16_t>(257 * j));
    return ramp;
}

int largestDifference(const GammaRamp& a, const GammaRamp& b) {
    int most = 0;
    for (std::size_t i = 0; i < a.entries.size(); ++i)
        most = std::max(most, std::abs(int(a.entries[i]) - int(b.entries[i])));
    return most;
}

// Runs the exact contract only where the display keeps every bit of a ramp (Windows with
// a real driver); under Wine on the dummy server the tests below hold its place.
struct GdiFactory {
    static std::unique_ptr<Display> make(std::string* whyNot) {
        DisplayTrouble why = DisplayTrouble::NoTrouble;
        auto display = openGdiDisplay(&why);
        if (!display) {
            *whyNot = troubleWords(why);
            return nullptr;
        }
        GammaRamp before, probe = levels(-30, -20, -10), back;
        if (!display->readRamp(before) || !display->writeRamp(probe) || !display->readRamp(back)) {
            *whyNot = "the display refuses the contract's sample ramps";
            return nullptr;
        }
        display->writeRamp(before);
        if (back != probe) {
            *whyNot = "this display keeps fewer bits than a ramp entry (" +
                      std::to_string(largestDifference(back, probe)) +
                      " off): Wine on an 8-bit X palette; see GdiDisplayUnderWine";
            return nullptr;
        }
        return display;
    }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Gdi, DisplayContract, ::testing::Types<GdiFactory>);

using GdiDisplayUnderWine = testing::GdiFixture;

TEST_F(GdiDisplayUnderWine, WrittenRampReadsBackWithinTheServersRounding) {
    EXPECT_EQ(display->name(), "GDI");
    for (const GammaRamp& ramp : {GammaRamp::identity(), levels(-30, -30, -30), levels(-20, 0, -15),
                                  levels(-10, -40, 0), levels(-50, -20, 0)}) {
        ASSERT_TRUE(display->writeRamp(ramp));
        GammaRamp back;
        ASSERT_TRUE(display->readRamp(back));
        EXPECT_LE(largestDifference(back, ramp), kServerStep);
    }
}

TEST_F(GdiDisplayUnderWine, RefusedRampReportsFailureAndKeepsTheShownRamp) {
    const GammaRamp shown = levels(-20, -20, -20);
    ASSERT_TRUE(display->writeRamp(shown));
    GammaRamp before;
    ASSERT_TRUE(display->readRamp(before));
    GammaRamp inverted;
    for (int c = 0; c < 3; ++c)
        for (int j = 0; j < GammaRamp::kSize; ++j)
            inverted.at(c, j) = static_cast<std::uint16_t>(65535 - 257 * j);
    EXPECT_FALSE(display->writeRamp(inverted));
    GammaRamp after;
    ASSERT_TRUE(display->readRamp(after));
    EXPECT_EQ(after, before);
}

TEST_F(GdiDisplayUnderWine, EngineCapturesAppliesAndRestoresThroughGdi) {
    ASSERT_TRUE(display->writeRamp(GammaRamp::identity()));
    GammaEngine engine(std::make_unique<BorrowedDisplay>(*display));
    ASSERT_TRUE(engine.capture());
    EXPECT_LE(largestDifference(engine.baseramp(), GammaRamp::identity()), kServerStep);

    GammaRamp shown;
    ASSERT_TRUE(engine.rampall(-50));
    ASSERT_TRUE(display->readRamp(shown));
    EXPECT_LE(largestDifference(shown, engine.newramp()), kServerStep);
    EXPECT_NEAR(shown.at(0, 255), 32768, kServerStep);

    ASSERT_TRUE(engine.colour(-10, -25, 0));
    ASSERT_TRUE(display->readRamp(shown));
    EXPECT_LE(largestDifference(shown, engine.newramp()), kServerStep);

    ASSERT_TRUE(engine.applyBase());
    ASSERT_TRUE(display->readRamp(shown));
    EXPECT_LE(largestDifference(shown, engine.baseramp()), kServerStep);
}

// Leaves a known ramp on the display for scripts/test-windows.sh, which reads the X
// server's ramp natively afterwards. Runs only when it names the hand-off file.
TEST(GdiHandOff, LeaveRampForTheNativeReader) {
    const char* file = std::getenv("OCUVELL_GAMMA_HANDOFF");
    if (!file || !*file)
        GTEST_SKIP() << "OCUVELL_GAMMA_HANDOFF is not set";
    DisplayTrouble why = DisplayTrouble::NoTrouble;
    auto display = openGdiDisplay(&why);
    ASSERT_NE(display, nullptr) << troubleWords(why);
    ASSERT_TRUE(display->writeRamp(GammaRamp::identity())); // a known base to capture
    GammaEngine engine(std::move(display));
    ASSERT_TRUE(engine.capture());
    ASSERT_TRUE(engine.colour(-50, -20, 0));
    std::ofstream out(file);
    for (std::uint16_t entry : engine.newramp().entries)
        out << entry << '\n';
    ASSERT_TRUE(out.good());
}

} // namespace
} // namespace ocuvell
