#include "core/display/gamma_engine.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace ocuvell {
namespace {

// Records every ramp written; reads give `shown`, or fail when told to.
struct FakeDisplay : Display {
    GammaRamp shown = GammaRamp::identity();
    bool failReads = false;
    int writes = 0;
    bool readRamp(GammaRamp& out) override {
        if (failReads)
            return false;
        out = shown;
        return true;
    }
    bool writeRamp(const GammaRamp& ramp) override {
        shown = ramp;
        ++writes;
        return true;
    }
    std::string name() const override { return "fake"; }
};

// Channels that differ, so a mix-up of channels cannot go unnoticed.
GammaRamp distinctChannels() {
    GammaRamp ramp;
    for (int j = 0; j < GammaRamp::kSize; ++j) {
        ramp.at(0, j) = static_cast<std::uint16_t>(257 * j);
        ramp.at(1, j) = static_cast<std::uint16_t>(200 * j + 7);
        ramp.at(2, j) = static_cast<std::uint16_t>(65535 - 100 * j);
    }
    return ramp;
}

struct EngineTest : ::testing::Test {
    FakeDisplay* fake = nullptr;
    GammaEngine engine{[this] {
        auto d = std::make_unique<FakeDisplay>();
        fake = d.get();
        fake->shown = distinctChannels();
        return d;
    }()};
};

TEST_F(EngineTest, RampallTakesTheBaseRedChannelForAllThree) {
    ASSERT_TRUE(engine.capture());
    EXPECT_TRUE(engine.rampall(0));
    const GammaRamp base = distinctChannels();
    for (int c = 0; c < 3; ++c)
        for (int j = 0; j < GammaRamp::kSize; ++j)
            ASSERT_EQ(engine.newramp().at(c, j), base.at(0, j)) << c << "," << j;
    EXPECT_EQ(fake->shown, engine.newramp());
    EXPECT_EQ(fake->writes, 1);
}

TEST_F(EngineTest, RampchannelLeavesOtherChannelsAndDoesNotApply) {
    ASSERT_TRUE(engine.capture());
    engine.contrast(40); // something in newramp to keep
    const GammaRamp before = engine.newramp();
    const int writes = fake->writes;
    engine.rampchannel(-50, 1);
    EXPECT_EQ(fake->writes, writes);
    for (int j = 0; j < GammaRamp::kSize; ++j) {
        EXPECT_EQ(engine.newramp().at(0, j), before.at(0, j));
        EXPECT_EQ(engine.newramp().at(2, j), before.at(2, j));
        EXPECT_EQ(engine.newramp().at(1, j), levelTransfer(-50, distinctChannels().at(1, j)));
    }
    engine.rampchannel(10, 3); // no such channel: nothing moves
    engine.rampchannel(10, -1);
    EXPECT_EQ(engine.newramp().at(0, 5), before.at(0, 5));
}

TEST_F(EngineTest, EachAdjustmentStartsFromTheBaseAndAppliesOnce) {
    ASSERT_TRUE(engine.capture());
    engine.colour(-30, 10, 20);
    engine.rampall(-50);
    const GammaRamp base = distinctChannels();
    EXPECT_EQ(fake->shown.at(1, 200), levelTransfer(-50, base.at(0, 200))); // colour gone
    engine.contrast(60);
    EXPECT_EQ(fake->shown.at(2, 10), contrastTransfer(60, base.at(2, 10)));
    engine.applyBase();
    EXPECT_EQ(fake->shown, base);
    EXPECT_EQ(fake->writes, 4);
    EXPECT_NE(engine.newramp(), base); // applyBase leaves newramp alone
}

TEST_F(EngineTest, FailedCaptureRefusesToApplyUntilACaptureSucceeds) {
    fake->failReads = true;
    EXPECT_FALSE(engine.capture());
    EXPECT_FALSE(engine.rampall(20));
    EXPECT_FALSE(engine.contrast(50));
    EXPECT_FALSE(engine.colour(1, 2, 3));
    EXPECT_FALSE(engine.applyBase());
    EXPECT_EQ(fake->writes, 0);

    fake->failReads = false;
    ASSERT_TRUE(engine.capture());
    EXPECT_TRUE(engine.rampall(20));
    fake->failReads = true; // a later failure takes the permission back
    EXPECT_FALSE(engine.capture());
    EXPECT_FALSE(engine.applyBase());
    EXPECT_EQ(engine.baseramp(), distinctChannels()); // and keeps the base it had
}

TEST_F(EngineTest, AllZeroBaseNeverReachesTheDisplay) {
    fake->shown = GammaRamp{};
    EXPECT_FALSE(engine.capture());
    EXPECT_FALSE(engine.rampall(50));
    EXPECT_EQ(fake->shown, GammaRamp{});
}

TEST_F(EngineTest, LoadBaseIsAllOrNothingAndEnablesApplying) {
    const std::filesystem::path dir = testing::testArea();
    const auto good = dir / "engine_good.txt";
    const auto bad = dir / "engine_short.txt";
    std::ofstream(good) << [] {
        std::string s;
        for (int j = 0; j < 256; ++j)
            for (int c = 0; c < 3; ++c)
                s += std::to_string(static_cast<std::int16_t>(100 * j)) + "\n";
        return s;
    }();
    std::ofstream(bad) << "1, 2, 3\n";

    fake->failReads = true;
    EXPECT_FALSE(engine.capture());
    EXPECT_EQ(engine.loadBase(bad).status, RampFileStatus::TooShort);
    EXPECT_FALSE(engine.applyBase());
    EXPECT_EQ(engine.loadBase(good).status, RampFileStatus::Loaded);
    EXPECT_TRUE(engine.applyBase());
    EXPECT_EQ(fake->shown.at(2, 255), 25500);
    engine.rampall(-50); // halves the file's ramp, not the display's
    EXPECT_EQ(fake->shown.at(1, 255), 12750);
    EXPECT_EQ(engine.loadBase(dir / "no-such-file.txt").status, RampFileStatus::Missing);
    EXPECT_EQ(engine.baseramp().at(0, 255), 25500);
}

} // namespace
} // namespace ocuvell
