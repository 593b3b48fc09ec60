// Night colour in the model: its [more] settings, and its tint over the ramp the levels,
// eye mode and the restore build, on the in-memory display.
#include "core/display/ramp_state.h"
#include "core/night/cities.h"
#include "core/night/colour_temperature.h"
#include "model_fixture.h"
#include "support/env_var.h"
#include "support/sim_clock.h"

namespace ocuvell::test {
namespace {

class NightModelTest : public ColourModelTest {
  protected:
    testing::SimClock clock{23, 0}; // fixed times 20:00 to 06:00: full night
    std::unique_ptr<Model> model;
    Display* display = nullptr;
    std::vector<std::optional<long long>> wakes;

    Model& make(const GammaRamp& onDisplay = GammaRamp::identity()) {
        auto d = std::make_unique<CountingDisplay>(&writes, &refusing);
        d->writeRamp(onDisplay);
        display = d.get();
        model = std::make_unique<Model>(std::move(d), clock, *settings);
        model->colour().setView(&view);
        model->setNightWake([this](std::optional<long long> ms) { wakes.push_back(ms); });
        return *model;
    }
    GammaRamp onDisplay() {
        GammaRamp r{};
        display->readRamp(r);
        return r;
    }
};

TEST_F(NightModelTest, AbsentKeysAreDefaultsAndEachChangeIsWrittenAtOnce) {
    const testing::EnvVar tz("TZ", "Asia/Shanghai");
    Model& m = make();
    m.loadNightSettings();
    EXPECT_EQ(m.night().choice(),
              (NightChoice{false, 4500, cityOfZone("Asia/Shanghai")->point, 20 * 60, 6 * 60}));
    EXPECT_EQ(m.nightPlace(), "Asia/Shanghai");
    EXPECT_EQ(wakes.back(), std::nullopt); // off: nothing to look at

    writeConfig("[more]\nnight_colour=1\nnight_kelvin=99999\nnight_place=Mars\n"
                "night_from=25:00\nnight_to=7:15\n");
    m.loadNightSettings();
    EXPECT_EQ(m.night().choice(),
              (NightChoice{true, 4500, cityOfZone("Asia/Shanghai")->point, 20 * 60, 7 * 60 + 15}));
    {
        const testing::EnvVar utc("TZ", "Etc/UTC"); // a zone with no city: the fixed times
        m.loadNightSettings();
        EXPECT_EQ(m.nightPlace(), "fixed");
        EXPECT_EQ(m.night().choice().place, std::nullopt);
    }
    {
        const testing::EnvVar other("TZ", "Asia/Chongqing"); // another name of Beijing time
        m.loadNightSettings();
        EXPECT_EQ(m.nightPlace(), "Asia/Shanghai");
    }

    m.setNightKelvin(3000);
    EXPECT_TRUE(m.setNightPlace("22.3,114.2"));
    EXPECT_FALSE(m.setNightPlace("somewhere"));
    m.setNightTimes(21 * 60 + 30, 6 * 60);
    m.setNightOn(false);
    EXPECT_EQ(stored("more", "night_kelvin"), "3000");
    EXPECT_EQ(stored("more", "night_place"), "22.3,114.2");
    EXPECT_EQ(stored("more", "night_from"), "21:30");
    EXPECT_EQ(stored("more", "night_to"), "06:00");
    EXPECT_EQ(stored("more", "night_colour"), "0");
}

TEST_F(NightModelTest, TintsTheUsersRampWithoutTouchingLevelsOrTheRememberedBase) {
    writeConfig("[eye]\nliangdu=-10\nduibidu=100\nrgbr=5\nrgbg=0\nrgbb=-20\n"
                "[more]\nnight_colour=1\nnight_place=fixed\n");
    Model& m = make();
    m.colour().engine().keepRecord(std::make_unique<RampState>(dir / "ramps.txt"));
    m.colour().captureDisplay();
    m.colour().eyeModeOn();
    const GammaRamp users = m.colour().engine().newramp();
    const std::size_t notices = view.notices.size();
    m.loadNightSettings();
    const GammaEngine::Tint warm = kelvinFactors(4500);
    EXPECT_EQ(onDisplay(), GammaEngine::tinted(users, warm));
    // A slider moved at night is tinted too; the levels are the user's alone.
    m.colour().setColour(2, -30);
    EXPECT_EQ(onDisplay(), GammaEngine::tinted(m.colour().engine().newramp(), warm));
    EXPECT_EQ(m.colour().level(Level::Blue), -30);
    EXPECT_EQ(view.notices.size(), notices + 1);
    // The record keeps the display's own ramp as the base.
    m.colour().engine().record()->flush();
    RampState again(dir / "ramps.txt");
    EXPECT_EQ(again.baseFor(onDisplay()), GammaRamp::identity());
    // Off gives back exactly the ramp without it; the stored levels never saw it.
    m.setNightOn(false);
    EXPECT_EQ(onDisplay(), m.colour().engine().newramp());
    m.colour().saveLevels();
    EXPECT_EQ(stored("eye", "rgbb"), "-30");
    EXPECT_EQ(stored("eye", "liangdu"), "-10");
}

TEST_F(NightModelTest, AStartInTheDayTakesOffTheTintARunEndedAtNightLeft) {
    writeConfig("[more]\nnight_colour=1\nnight_place=fixed\n");
    const GammaRamp left = GammaEngine::tinted(GammaRamp::identity(), kelvinFactors(4500));
    RampState(dir / "ramps.txt").applied(GammaRamp::identity(), left);
    clock.set(12, 0);
    Model& m = make(left);
    m.colour().engine().keepRecord(std::make_unique<RampState>(dir / "ramps.txt"));
    m.colour().captureDisplay();
    m.loadNightSettings();
    EXPECT_EQ(onDisplay(), GammaRamp::identity());
    // It sleeps until the evening's change begins at 19:30.
    EXPECT_EQ(wakes.back(), (19 * 3600 + 30 * 60 - 12 * 3600) * 1000LL);
    // Paused for an hour at night, the day's colours come back until it ends.
    clock.set(22, 0);
    m.lookAtNight();
    EXPECT_EQ(onDisplay(), left);
    m.pauseNightHour();
    EXPECT_EQ(onDisplay(), GammaRamp::identity());
    EXPECT_EQ(wakes.back(), 3600 * 1000LL);
    // Back from a sleep at 03:00, long after the pause's end: the night shows at once.
    clock.advance(5 * 3600);
    m.sessionBack();
    EXPECT_EQ(onDisplay(), left);
}

TEST_F(NightModelTest, ATintTheDisplayRefusesIsReportedUntilATintIsTaken) {
    writeConfig("[more]\nnight_colour=1\nnight_place=fixed\n");
    Model& m = make();
    m.colour().captureDisplay();
    refusing = true;
    m.loadNightSettings();
    EXPECT_EQ(m.colour().writeTrouble(), DisplayTrouble::RampNotTaken);
    EXPECT_EQ(view.troubleChanges, 1);
    EXPECT_EQ(m.colour().engine().tint(), GammaEngine::kNoTint);
    // A level the display takes meanwhile carries no tint and leaves the report standing.
    refusing = false;
    m.colour().setBrightness(-10);
    EXPECT_EQ(onDisplay(), m.colour().engine().newramp());
    EXPECT_EQ(m.colour().writeTrouble(), DisplayTrouble::RampNotTaken);
    // The next look puts the tint on, and the report goes.
    m.lookAtNight();
    EXPECT_EQ(onDisplay(), GammaEngine::tinted(m.colour().engine().newramp(), kelvinFactors(4500)));
    EXPECT_EQ(m.colour().writeTrouble(), DisplayTrouble::NoTrouble);
    EXPECT_EQ(view.troubleChanges, 2);
}

} // namespace
} // namespace ocuvell::test
