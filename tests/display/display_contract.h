#pragma once
// One contract for every Display backend. A backend's test file instantiates it with
// a factory type that has
//   static std::unique_ptr<ocuvell::Display> make(std::string* whyNot);
// returning nullptr (and why) when that backend cannot run here; the cases then skip.
//   INSTANTIATE_TYPED_TEST_SUITE_P(Gdi, DisplayContract, ::testing::Types<GdiFactory>);
#include "core/display/display.h"
#include "core/display/gamma_engine.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace ocuvell {

// Lends the fixture's display to an engine without giving it away.
class BorrowedDisplay final : public Display {
  public:
    explicit BorrowedDisplay(Display& inner) : inner_(inner) {}
    bool readRamp(GammaRamp& out) override { return inner_.readRamp(out); }
    bool writeRamp(const GammaRamp& ramp) override { return inner_.writeRamp(ramp); }
    std::string name() const override { return inner_.name(); }

  private:
    Display& inner_;
};

template <class Factory> class DisplayContract : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string whyNot;
        display = Factory::make(&whyNot);
        if (!display)
            GTEST_SKIP() << "backend not available: " << whyNot;
        ASSERT_TRUE(display->readRamp(original));
    }
    // A real display is left as it was found.
    void TearDown() override {
        if (display)
            display->writeRamp(original);
    }

    // Ramps a real display accepts: mild adjustments of the identity, channels differing.
    static std::vector<GammaRamp> sampleRamps() {
        std::vector<GammaRamp> ramps{GammaRamp::identity()};
        const int levels[][3] = {{-30, -30, -30}, {-20, 0, 15}, {10, -40, 0}};
        for (const auto& level : levels) {
            GammaRamp r;
            for (int c = 0; c < 3; ++c)
                for (int j = 0; j < GammaRamp::kSize; ++j)
                    r.at(c, j) = levelTransfer(level[c], static_cast<std::uint16_t>(257 * j));
            ramps.push_back(r);
        }
        return ramps;
    }

    std::unique_ptr<Display> display;
    GammaRamp original;
};

TYPED_TEST_SUITE_P(DisplayContract);

TYPED_TEST_P(DisplayContract, WrittenRampReadsBackExactly) {
    EXPECT_FALSE(this->display->name().empty());
    for (const GammaRamp& ramp : this->sampleRamps()) {
        ASSERT_TRUE(this->display->writeRamp(ramp));
        GammaRamp back;
        ASSERT_TRUE(this->display->readRamp(back));
        EXPECT_EQ(back, ramp);
    }
}

TYPED_TEST_P(DisplayContract, EngineCapturesBuildsAndRestores) {
    const GammaRamp start = this->sampleRamps()[2];
    ASSERT_TRUE(this->display->writeRamp(start));
    GammaEngine engine(std::make_unique<BorrowedDisplay>(*this->display));
    ASSERT_TRUE(engine.capture());
    EXPECT_EQ(engine.baseramp(), start);

    GammaRamp shown;
    ASSERT_TRUE(engine.rampall(-50));
    ASSERT_TRUE(this->display->readRamp(shown));
    EXPECT_EQ(shown, engine.newramp());
    EXPECT_EQ(shown.at(2, 255), levelTransfer(-50, start.at(0, 255)));

    ASSERT_TRUE(engine.colour(-10, 0, 10));
    ASSERT_TRUE(this->display->readRamp(shown));
    EXPECT_EQ(shown, engine.newramp());

    ASSERT_TRUE(engine.applyBase());
    ASSERT_TRUE(this->display->readRamp(shown));
    EXPECT_EQ(shown, start);
}

REGISTER_TYPED_TEST_SUITE_P(DisplayContract, WrittenRampReadsBackExactly,
                            EngineCapturesBuildsAndRestores);

} // namespace ocuvell
