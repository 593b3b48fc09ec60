// The record of our own ramp: its file layout, what counts as unusable, and restarts of
// the engine over a display that keeps the last ramp, as a real one does.
#include "core/display/gamma_engine.h"
#include "core/display/ramp_state.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace ocuvell {
namespace {

namespace fs = std::filesystem;

// Keeps its ramp across engines, as the screen does across runs of the program.
struct LastingDisplay : Display {
    GammaRamp* shown;
    explicit LastingDisplay(GammaRamp* s) : shown(s) {}
    bool readRamp(GammaRamp& out) override {
        out = *shown;
        return true;
    }
    bool writeRamp(const GammaRamp& ramp) override {
        *shown = ramp;
        return true;
    }
    std::string name() const override { return "lasting"; }
};

GammaRamp distinct() {
    GammaRamp ramp;
    for (int j = 0; j < GammaRamp::kSize; ++j) {
        ramp.at(0, j) = static_cast<std::uint16_t>(250 * j + 100);
        ramp.at(1, j) = static_cast<std::uint16_t>(257 * j);
        ramp.at(2, j) = static_cast<std::uint16_t>(65535 - 100 * (255 - j));
    }
    return ramp;
}

// The ramp a start with eye protection on and blue -20 leaves, built from base.
GammaRamp blueMinus20(const GammaRamp& base) {
    GammaRamp out = base;
    for (int j = 0; j < GammaRamp::kSize; ++j)
        out.at(2, j) = levelTransfer(-20, base.at(2, j));
    return out;
}

class RampStateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = testing::freshTestDir("display");
        file = dir / "state" / kRampStateFileName;
    }

    // One run of the program: capture, then the stored colours, then the end.
    bool run(int blue = -20) {
        GammaEngine engine(std::make_unique<LastingDisplay>(&screen));
        engine.keepRecord(std::make_unique<RampState>(file));
        if (!engine.capture())
            return false;
        engine.applyBase();
        return engine.colour(0, 0, blue);
    }

    fs::path dir;
    fs::path file;
    GammaRamp screen = GammaRamp::identity();
};

TEST_F(RampStateTest, RecordRoundTripsInAReadableLayout) {
    const RampRecord record{distinct(), blueMinus20(distinct())};
    const std::string text = formatRampRecord(record);
    EXPECT_EQ(text.substr(0, text.find('\n')), "Ocuvell ramps 1");
    EXPECT_NE(text.find("\nbase\n100,0,40035\n350,257,40135\n"), std::string::npos);
    EXPECT_NE(text.find("\napplied\n100,0,32028\n"), std::string::npos);
    EXPECT_EQ(parseRampRecord(text), record);
    // Line ends a text editor may have changed are still ours.
    std::string crlf;
    for (char ch : text)
        crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    EXPECT_EQ(parseRampRecord(crlf), record);
}

TEST_F(RampStateTest, UnusableRecordsAreRefused) {
    const std::string good = formatRampRecord({distinct(), blueMinus20(distinct())});
    GammaRamp dark = distinct();
    for (int j = 0; j < GammaRamp::kSize; ++j)
        dark.at(1, j) = 1; // 768 ones would pass an all-zero test
    GammaRamp zero{};
    const std::string bad[] = {
        "",
        good.substr(0, good.size() / 2),                       // cut short
        good.substr(0, good.rfind('\n', good.size() - 2) + 1), // last entry missing
        "Ocuvell ramps 2" + good.substr(15),                   // a layout we do not know
        good + "0,0,0\n",                                      // more than one record
        std::string(4000, '\0'),                               // garbage
        [&] {
            auto t = good;
            t[t.find("\n350,") + 1] = 'x';
            return t;
        }(),
        [&] {
            auto t = good;
            t.replace(t.find("\n350,") + 1, 3, "65536");
            return t;
        }(),
        [&] {
            auto t = good;
            t.replace(t.find("\n350,") + 4, 1, ";");
            return t;
        }(),
        formatRampRecord({zero, zero}),
        formatRampRecord({dark, distinct()}),
        formatRampRecord({distinct(), zero}),
    };
    for (const std::string& text : bad)
        EXPECT_FALSE(parseRampRecord(text)) << text.substr(0, 80);
}

TEST_F(RampStateTest, RestartsComputeFromTheRememberedBaseNotFromTheirOwnTint) {
    ASSERT_TRUE(run());
    const GammaRamp first = screen;
    EXPECT_EQ(first, blueMinus20(GammaRamp::identity()));
    ASSERT_TRUE(run());
    ASSERT_TRUE(run());
    EXPECT_EQ(screen, first); // without the record: 52224, then 41779 at the top

    // Back to neutral returns the display's own ramp, not a tinted one.
    ASSERT_TRUE(run(0));
    EXPECT_EQ(screen, GammaRamp::identity());
}

TEST_F(RampStateTest, DisplayRoundingWithinToleranceStillMatches) {
    ASSERT_TRUE(run());
    const GammaRamp first = screen;
    // A display that keeps 8 bits per entry gives back the high byte twice over.
    for (auto& e : screen.entries)
        e = static_cast<std::uint16_t>((e >> 8) * 257);
    ASSERT_TRUE(run());
    EXPECT_EQ(screen, first);

    // One entry off by more than the tolerance: not our ramp any more.
    screen.at(0, 128) = static_cast<std::uint16_t>(screen.at(0, 128) + kRampTolerance + 1);
    const GammaRamp foreign = screen;
    ASSERT_TRUE(run());
    EXPECT_EQ(screen, blueMinus20(foreign));
}

TEST_F(RampStateTest, ARampSetByAnotherProgramBecomesTheBase) {
    ASSERT_TRUE(run());
    screen = distinct(); // a calibration tool ran between two starts
    ASSERT_TRUE(run());
    EXPECT_EQ(screen, blueMinus20(distinct()));
    ASSERT_TRUE(run());
    EXPECT_EQ(screen, blueMinus20(distinct()));
    EXPECT_EQ(parseRampRecord(testing::fileBytes(file))->base, distinct());
}

TEST_F(RampStateTest, ABrokenRecordIsIgnoredAndThenRewritten) {
    ASSERT_TRUE(run());
    const GammaRamp tinted = screen;
    const std::string whole = testing::fileBytes(file);
    for (const std::string& broken :
         {whole.substr(0, 5000), std::string("garbage\n"), std::string()}) {
        screen = tinted;
        testing::putFile(file, broken);
        // Nothing to go by: the display's ramp is the base, as without a record.
        ASSERT_TRUE(run());
        EXPECT_EQ(screen, blueMinus20(tinted));
        EXPECT_TRUE(parseRampRecord(testing::fileBytes(file)));
    }
    // A folder where the record should be: no crash, capture as before.
    fs::remove(file);
    fs::create_directories(file);
    screen = tinted;
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(run());
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("cannot remember"), std::string::npos);
    EXPECT_EQ(screen, blueMinus20(tinted));
}

TEST_F(RampStateTest, TheRecordIsWrittenOnlyWhenTheAppliedRampChanges) {
    GammaEngine engine(std::make_unique<LastingDisplay>(&screen));
    engine.keepRecord(std::make_unique<RampState>(file));
    ASSERT_TRUE(engine.capture());
    ASSERT_TRUE(engine.colour(0, 0, -20));
    ASSERT_TRUE(fs::exists(file));
    fs::remove(file);
    ASSERT_TRUE(engine.colour(0, 0, -20)); // the same ramp again
    EXPECT_FALSE(fs::exists(file));
    ASSERT_TRUE(engine.colour(0, 0, -21));
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(parseRampRecord(testing::fileBytes(file))->applied, screen);
    // Every write replaces the file whole: nothing else is left in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), {}), 1);
}

// Batched, a drag's steps leave the disk alone until the owner flushes (or the record
// goes), then the newest ramp is written once.
TEST_F(RampStateTest, BatchedWritesKeepTheNewestRecordUntilFlushed) {
    int pendingCalls = 0;
    {
        GammaEngine engine(std::make_unique<LastingDisplay>(&screen));
        engine.keepRecord(std::make_unique<RampState>(file));
        engine.record()->batchWrites([&pendingCalls] { ++pendingCalls; });
        ASSERT_TRUE(engine.capture());
        for (int blue = -1; blue >= -20; --blue)
            ASSERT_TRUE(engine.colour(0, 0, blue));
        EXPECT_EQ(pendingCalls, 1);
        EXPECT_FALSE(fs::exists(file));
        engine.record()->flush();
        ASSERT_TRUE(fs::exists(file));
        EXPECT_EQ(parseRampRecord(testing::fileBytes(file))->applied, screen);

        ASSERT_TRUE(engine.colour(0, 0, -25));
        EXPECT_EQ(pendingCalls, 2);
    } // the engine and its record go: what waited is written
    EXPECT_EQ(parseRampRecord(testing::fileBytes(file))->applied, screen);
    // The next start computes from the first run's base, not from the tinted screen.
    GammaEngine again(std::make_unique<LastingDisplay>(&screen));
    again.keepRecord(std::make_unique<RampState>(file));
    ASSERT_TRUE(again.capture());
    EXPECT_EQ(again.baseramp(), GammaRamp::identity());
}

} // namespace
} // namespace ocuvell
