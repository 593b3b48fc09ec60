// The colour half without a window: the levels, eye-protection mode, the restore command
// and OK, on the in-memory display.
#include "core/settings/ini.h"
#include "model_fixture.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace ocuvell::test {
namespace {

std::vector<int> levels(const ColourModel& c) {
    return {c.level(Level::Brightness), c.level(Level::Contrast), c.level(Level::Red),
            c.level(Level::Green), c.level(Level::Blue)};
}

const std::vector<int> kNeutral{0, 100, 0, 0, 0};

// --- Eye-protection mode -------------------------------------------------------------

TEST_F(ColourModelTest, ModeOnEndsWithTheRampOfTheLastLevelThatChanged) {
    writeConfig("[eye]\nliangdu=-10\nduibidu=100\nrgbr=0\nrgbg=0\nrgbb=-20\npdrun=1\n");
    ColourModel& c = start();
    c.eyeModeOn();
    EXPECT_EQ(levels(c), (std::vector<int>{-10, 100, 0, 0, -20}));
    // The brightness is shown but replaced on the display by the blue level's colour build.
    EXPECT_EQ(shown(), colourRamp(GammaRamp::identity(), 0, 0, -20));
    EXPECT_EQ(view.notices,
              (std::vector<Notice>{{Level::Brightness, -10, {}}, {Level::Blue, -20, {}}}));
    EXPECT_EQ(c.eyeModeFlag(), std::optional<std::string>("1"));
    // No monitor.txt: the restore inside warned once.
    ASSERT_EQ(view.warnings.size(), 1u);
    EXPECT_EQ(view.warnings[0].first, "tips");
    EXPECT_FALSE(view.warnings[0].second.empty());
}

TEST_F(ColourModelTest, ModeOnLeavesTextsThatAreNoNumbersAndClampsTheRest) {
    writeConfig("[eye]\nliangdu=abc\nduibidu=9999\nrgbr=1.5\nrgbg=\nrgbb=-200\n");
    ColourModel& c = start();
    c.eyeModeOn();
    EXPECT_EQ(levels(c), (std::vector<int>{0, 100, 0, 0, -50}));
    EXPECT_EQ(shown(), colourRamp(GammaRamp::identity(), 0, 0, -50));
    // A first start reads the key names: nothing moves, the default ramp stays.
    testing::putFile(dir / "config.ini", "");
    c.eyeModeOn();
    EXPECT_EQ(levels(c), kNeutral);
    EXPECT_EQ(shown(), GammaRamp::identity());
}

TEST_F(ColourModelTest, ModeOnWithNeutralValuesKeepsTheDefaultRamp) {
    writeMonitor(halfRamp());
    writeConfig("[eye]\nliangdu=0\nduibidu=100\nrgbr=0\nrgbg=0\nrgbb=0\n");
    ColourModel& c = start();
    c.eyeModeOn();
    EXPECT_EQ(levels(c), kNeutral);
    EXPECT_EQ(shown(), halfRamp());
    EXPECT_TRUE(view.notices.empty());
    EXPECT_TRUE(view.warnings.empty());
    EXPECT_EQ(writes, 1); // the restore's base, nothing after it
}

TEST_F(ColourModelTest, ModeOffIsRecordedBeforeTheRestoreWarns) {
    writeConfig("[eye]\nliangdu=5\nduibidu=80\nrgbr=0\nrgbg=0\nrgbb=0\n");
    const GammaRamp startRamp = halfRamp();
    ColourModel& c = start(startRamp);
    c.eyeModeOn();
    std::optional<std::string> flagWhenWarned;
    view.onWarn = [&] { flagWhenWarned = c.eyeModeFlag(); };
    c.eyeModeOff();
    EXPECT_EQ(flagWhenWarned, std::optional<std::string>("0"));
    EXPECT_EQ(levels(c), kNeutral);
    EXPECT_EQ(shown(), startRamp);
}

// --- Restore -------------------------------------------------------------------------

TEST_F(ColourModelTest, RestoreWithoutFileWarnsAndReturnsToTheStartRamp) {
    const GammaRamp startRamp = halfRamp();
    ColourModel& c = start(startRamp);
    c.setColour(2, -30);
    c.setBrightness(7);
    view.notices.clear();
    c.restore();
    ASSERT_EQ(view.warnings.size(), 1u);
    EXPECT_EQ(levels(c), kNeutral);
    // Each level that moved back was shown, in the sliders' order.
    EXPECT_EQ(view.notices,
              (std::vector<Notice>{{Level::Brightness, 0, {}}, {Level::Blue, 0, {}}}));
    EXPECT_EQ(shown(), startRamp);
}

TEST_F(ColourModelTest, RestoreFromFileBecomesTheBaseOfLaterChanges) {
    writeMonitor(halfRamp());
    ColourModel& c = start();
    c.restore();
    EXPECT_TRUE(view.warnings.empty());
    EXPECT_EQ(shown(), halfRamp());
    c.setBrightness(-50);
    EXPECT_EQ(shown(), brightnessRamp(halfRamp(), -50));
}

TEST_F(ColourModelTest, RestoreWithBrokenFileKeepsTheBaseAndWarns) {
    testing::putFile(dir / "monitor.txt", "1, 2, 3\n");
    ColourModel& c = start();
    c.setContrast(40);
    c.restore();
    ASSERT_EQ(view.warnings.size(), 1u);
    EXPECT_EQ(shown(), GammaRamp::identity());
}

// --- Levels --------------------------------------------------------------------------

TEST_F(ColourModelTest, ARampTheDisplayRefusesLeavesTheLevelWhereTheScreenIs) {
    ColourModel& c = start();
    c.setBrightness(-10);
    refusing = true;
    c.setBrightness(20);
    c.setColour(0, -5);
    // Each slider is sent back to what the screen shows, and the view hears why once.
    EXPECT_EQ(levels(c), (std::vector<int>{-10, 100, 0, 0, 0}));
    EXPECT_EQ(shown(), brightnessRamp(GammaRamp::identity(), -10));
    EXPECT_EQ(view.notices.back(), (Notice{Level::Red, 0, {}}));
    EXPECT_EQ(view.notices[view.notices.size() - 2], (Notice{Level::Brightness, -10, {}}));
    EXPECT_EQ(c.writeTrouble(), DisplayTrouble::RampNotTaken);
    EXPECT_EQ(view.troubleChanges, 1);
    // OK stores only what was applied.
    c.saveLevels();
    EXPECT_EQ(stored("eye", "liangdu"), "-10");
    EXPECT_EQ(stored("eye", "rgbr"), "0");
    // The next ramp taken clears the trouble.
    refusing = false;
    c.setBrightness(20);
    EXPECT_EQ(c.level(Level::Brightness), 20);
    EXPECT_EQ(c.writeTrouble(), DisplayTrouble::NoTrouble);
    EXPECT_EQ(view.troubleChanges, 2);
}

// A slow display: each write waits while the test holds the gate, and may be refused.
class GatedDisplay : public Display {
  public:
    std::mutex gate;
    std::atomic<int> writes{0};
    std::atomic<bool> refusing{false};
    bool readRamp(GammaRamp& out) override {
        const std::lock_guard<std::mutex> lock(ramp_);
        out = ramp;
        return true;
    }
    bool writeRamp(const GammaRamp& r) override {
        const std::lock_guard<std::mutex> wait(gate);
        const std::lock_guard<std::mutex> lock(ramp_);
        if (!refusing)
            ramp = r;
        ++writes;
        return !refusing;
    }
    std::string name() const override { return "gated"; }
    GammaRamp ramp = GammaRamp::identity();

  private:
    std::mutex ramp_;
};

TEST_F(ColourModelTest, InTheBackgroundTheNewestLevelWinsAndARefusalSendsTheLevelsBack) {
    auto owned = std::make_unique<GatedDisplay>();
    GatedDisplay& display = *owned;
    colour = std::make_unique<ColourModel>(std::move(owned), *settings);
    ColourModel& c = *colour;
    c.setView(&view);
    c.captureDisplay();
    std::mutex lock;
    std::vector<std::function<void()>> posted;
    c.writeInBackground([&](std::function<void()> done) {
        const std::lock_guard<std::mutex> guard(lock);
        posted.push_back(std::move(done));
    });
    // Runs what the writer posts until the newest ramp sent has been told.
    const auto told = [&] {
        for (int i = 0; i < 500 && c.engine().writing(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::vector<std::function<void()>> now;
            {
                const std::lock_guard<std::mutex> guard(lock);
                now.swap(posted);
            }
            for (auto& f : now)
                f();
        }
    };

    {
        const std::lock_guard<std::mutex> held(display.gate);
        for (int v = -1; v >= -10; --v)
            c.setBrightness(v);
        // Each step shows at once, while the first write at most is under way.
        EXPECT_EQ(c.level(Level::Brightness), -10);
        EXPECT_EQ(view.notices.size(), 10u);
    }
    told();
    EXPECT_LE(display.writes, 2);
    EXPECT_EQ(display.ramp, brightnessRamp(GammaRamp::identity(), -10));
    EXPECT_EQ(c.engine().shown(), display.ramp);
    EXPECT_EQ(view.notices.size(), 10u); // only the newest is told, and it was taken

    // A refusal told later sends every level back to the ramp the display shows.
    display.refusing = true;
    c.setBrightness(5);
    c.setColour(0, 7);
    told();
    EXPECT_EQ(c.level(Level::Brightness), -10);
    EXPECT_EQ(c.level(Level::Red), 0);
    EXPECT_EQ(c.writeTrouble(), DisplayTrouble::RampNotTaken);
    EXPECT_EQ(display.ramp, brightnessRamp(GammaRamp::identity(), -10));
    c.saveLevels();
    EXPECT_EQ(stored("eye", "liangdu"), "-10");

    // OK waits for the display's word on the last level before storing it.
    display.refusing = false;
    c.setContrast(80);
    c.saveLevels();
    EXPECT_EQ(stored("eye", "duibidu"), "80");
    EXPECT_EQ(c.writeTrouble(), DisplayTrouble::NoTrouble);
    EXPECT_EQ(display.ramp, contrastRamp(GammaRamp::identity(), 80));
    EXPECT_FALSE(c.engine().writing());
    colour.reset(); // its writer's thread goes before what it posts to
}

TEST_F(ColourModelTest, EachLevelBuildsItsOwnRampAndReplacesTheOthers) {
    ColourModel& c = start();
    c.setColour(1, -7);
    EXPECT_EQ(shown(), colourRamp(GammaRamp::identity(), 0, -7, 0));
    c.setBrightness(12);
    EXPECT_EQ(shown(), brightnessRamp(GammaRamp::identity(), 12));
    EXPECT_EQ(c.level(Level::Green), -7);
    c.setContrast(60);
    EXPECT_EQ(shown(), contrastRamp(GammaRamp::identity(), 60));
    // The colour build takes all three colour levels, whichever moved.
    c.setColour(0, 4);
    EXPECT_EQ(shown(), colourRamp(GammaRamp::identity(), 4, -7, 0));
    // Brightness and contrast are shown before their ramp is applied, colours after, as
    // the sliders' handlers always did.
    ASSERT_EQ(view.notices.size(), 4u);
    EXPECT_EQ(view.notices[1].shownThen, colourRamp(GammaRamp::identity(), 0, -7, 0));
    EXPECT_EQ(view.notices[2].shownThen, brightnessRamp(GammaRamp::identity(), 12));
    EXPECT_EQ(view.notices[3].shownThen, colourRamp(GammaRamp::identity(), 4, -7, 0));
}

TEST_F(ColourModelTest, ALevelSetToWhatItHoldsAppliesNothing) {
    ColourModel& c = start();
    c.setBrightness(0);
    c.setContrast(100);
    for (int i = 0; i < 3; ++i)
        c.setColour(i, 0);
    c.setBrightness(50);
    ASSERT_EQ(writes, 1);
    c.setBrightness(80); // clamped to the 50 it holds
    c.setColour(3, -9);  // no such channel
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(view.notices.size(), 1u);
    EXPECT_EQ(levels(c), (std::vector<int>{50, 100, 0, 0, 0}));
}

TEST_F(ColourModelTest, ApplyTakesEveryTypedNumberAndLeavesTheOtherTexts) {
    ColourModel& c = start();
    c.applyColourTexts({"10", " -5 ", "70"});
    EXPECT_EQ(levels(c), (std::vector<int>{0, 100, 10, -5, 50}));
    EXPECT_EQ(shown(), colourRamp(GammaRamp::identity(), 10, -5, 50));
    c.applyColourTexts({"x1", "", "-99999999999999999999"});
    EXPECT_EQ(levels(c), (std::vector<int>{0, 100, 10, -5, -50})); // far out is clamped
}

// --- OK ------------------------------------------------------------------------------

TEST_F(ColourModelTest, SaveWritesAllFiveLevelsEveryTimeAndNotTheFlag) {
    ColourModel& c = start();
    c.saveLevels();
    EXPECT_EQ(stored("eye", "liangdu"), "0");
    EXPECT_EQ(stored("eye", "duibidu"), "100");
    EXPECT_EQ(stored("eye", "rgbr"), "0");
    EXPECT_EQ(stored("eye", "rgbg"), "0");
    EXPECT_EQ(stored("eye", "rgbb"), "0");
    EXPECT_EQ(stored("eye", "pdrun"), "pdrun");
    c.setBrightness(-3);
    c.setColour(2, -12);
    c.saveLevels();
    EXPECT_EQ(stored("eye", "liangdu"), "-3");
    EXPECT_EQ(stored("eye", "rgbb"), "-12");
}

TEST_F(ColourModelTest, WithoutAViewNothingIsShownButTheDisplayFollows) {
    ColourModel& c = start();
    c.setView(nullptr);
    c.restore(); // the warning has nowhere to go
    c.setColour(2, -20);
    EXPECT_EQ(shown(), colourRamp(GammaRamp::identity(), 0, 0, -20));
    EXPECT_TRUE(view.notices.empty());
    EXPECT_TRUE(view.warnings.empty());
}

} // namespace
} // namespace ocuvell::test
