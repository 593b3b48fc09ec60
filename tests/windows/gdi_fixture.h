#pragma once
// A test on the GDI display: skipped where there is none (under Wine it needs DISPLAY on
// the dummy X server), and the display gets back the ramp it had before the test.
#include "core/display/backends.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace ocuvell::testing {

// What an 8-bit palette (Wine's GDI gamma) loses of a 16-bit entry.
inline constexpr int kServerStep = 255;

class GdiFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        DisplayTrouble why = DisplayTrouble::NoTrouble;
        display = openGdiDisplay(&why);
        if (!display)
            GTEST_SKIP() << "no GDI gamma here (" << troubleWords(why)
                         << "); under Wine it needs DISPLAY on the dummy X server";
        ASSERT_TRUE(display->readRamp(original));
    }
    void TearDown() override {
        if (display)
            display->writeRamp(original);
    }

    std::unique_ptr<Display> display;
    GammaRamp original{};
};

} // namespace ocuvell::testing
