// The table of settings, and the model's load and save of them around the rest schedule.
#include "core/rest/clock.h"
#include "core/settings/ini.h"
#include "model_fixture.h"
#include "support/rest_fakes.h"

#include <set>

namespace ocuvell::test {
namespace {

// --- The table -----------------------------------------------------------------------

TEST(SettingsTable, NineKeysInTwoSectionsEachOnce) {
    std::set<std::pair<std::string, std::string>> keys;
    for (const SettingRow& s : kSettings) {
        EXPECT_TRUE(keys.emplace(s.section, s.key).second) << s.section << "/" << s.key;
        EXPECT_LE(s.min, s.neutral) << s.key;
        EXPECT_LE(s.neutral, s.max) << s.key;
    }
    EXPECT_EQ(keys.size(), 9u);
}

TEST(SettingsTable, FlagsReadAsTheirRulesSay) {
    // Reminders are on unless exactly "0"; eye protection only when exactly "1".
    for (const char* on : {"1", "00", " ", "", "pdrun", "true"})
        EXPECT_TRUE(flagOn(Setting::Reminders, on)) << on;
    EXPECT_FALSE(flagOn(Setting::Reminders, "0"));
    EXPECT_TRUE(flagOn(Setting::EyeMode, "1"));
    for (const char* off : {"0", "01", " 1", "", "pdrun", "true"})
        EXPECT_FALSE(flagOn(Setting::EyeMode, off)) << off;
    EXPECT_FALSE(flagOn(Setting::Blue, "1"));
}

TEST(SettingsTable, StoredLevelsAreClampedIntoTheControlsRange) {
    EXPECT_EQ(storedLevel("-10", Setting::Brightness), -10);
    EXPECT_EQ(storedLevel("9999", Setting::Contrast), 100);
    EXPECT_EQ(storedLevel("0", Setting::Contrast), 1);
    EXPECT_EQ(storedLevel("-99999999999999999999", Setting::Red), -50);
    EXPECT_EQ(storedLevel("rgbr", Setting::Red), std::nullopt);
    EXPECT_EQ(storedLevel("1.5", Setting::Green), std::nullopt);
}

// --- Load and save -------------------------------------------------------------------

class StillClock : public Clock {
  public:
    int secondsOfDay() const override { return 9 * 3600 + 10 * 60; }
};

class ModelTest : public ColourModelTest {
  protected:
    StillClock clock;
    testing::FakePanel panel;
    Model& make() {
        model = std::make_unique<Model>(makeMemoryDisplay(), clock, *settings);
        model->attach(view, {.panel = &panel});
        return *model;
    }
    std::unique_ptr<Model> model;
};

// A first start reads the key names: the schedule stands in its defaults, the missing
// reminders flag counts as on and the missing eye flag as off.
TEST_F(ModelTest, FirstStartReadsKeyNamesAndTheScheduleStandsIn) {
    Model& m = make();
    m.loadRestSettings();
    EXPECT_EQ(panel.intervalEntry, "45");
    EXPECT_EQ(panel.restLengthEntry, "5");
    EXPECT_TRUE(m.schedule().remindersOn());
    EXPECT_FALSE(m.storedEyeMode());
}

TEST_F(ModelTest, StoredRestValuesAndFlagsReachTheSchedule) {
    writeConfig("[dsxx]\nmei=30\nxiuxi=3\npdrun=0\n[eye]\npdrun=1\n");
    Model& m = make();
    m.loadRestSettings();
    EXPECT_EQ(panel.intervalEntry, "30");
    EXPECT_EQ(panel.restLengthEntry, "3");
    EXPECT_FALSE(m.schedule().remindersOn());
    EXPECT_TRUE(m.storedEyeMode());
    writeConfig("[dsxx]\npdrun=00\n[eye]\npdrun=01\n");
    m.loadRestSettings();
    EXPECT_TRUE(m.schedule().remindersOn());
    EXPECT_FALSE(m.storedEyeMode());
}

TEST_F(ModelTest, SaveWritesNineKeysInOrderAndRemovesAnUnsetEyeFlag) {
    Model& m = make();
    m.loadRestSettings();
    m.schedule().loadStoredReminders(true);
    m.colour().captureDisplay();
    m.colour().setColour(0, 7);
    m.save();
    EXPECT_EQ(testing::fileBytes(dir / "config.ini"),
              "[dsxx]\r\nmei=45\r\nxiuxi=5\r\npdrun=1\r\n"
              "[eye]\r\nliangdu=0\r\nduibidu=100\r\nrgbr=7\r\nrgbg=0\r\nrgbb=0\r\n");
    // A stored eye flag goes while the switch is unused in this run...
    writeIniValue(*settings, "eye", "pdrun", "1");
    m.save();
    EXPECT_EQ(stored("eye", "pdrun"), "pdrun");
    // ...and once it was used, its state is stored with the rest.
    m.colour().eyeModeOff();
    m.save();
    EXPECT_EQ(stored("eye", "pdrun"), "0");
}

TEST_F(ModelTest, TheScheduleReachesTheWindowOnlyWhileOneIsAttached) {
    Model& m = make();
    m.schedule().rescheduleFromNow();
    EXPECT_EQ(panel.nextRest, "09:55");
    m.detach({.panel = &panel});
    panel.nextRest.clear();
    m.schedule().rescheduleFromNow(); // no window: nothing is shown, nothing breaks
    EXPECT_EQ(panel.nextRest, "");
    m.colour().captureDisplay();
    m.colour().setBrightness(5);
    EXPECT_TRUE(view.notices.empty());
}

// The [more] section: absent keys are the defaults, a postpone out of range is too, and
// each change is applied and written at once.
TEST_F(ModelTest, MoreOptionsAreReadFromTheirSectionAndWrittenAtOnce) {
    writeConfig("[more]\ndefer_fullscreen=1\npostpone_minutes=121\n");
    Model& m = make();
    m.loadMoreSettings();
    EXPECT_TRUE(m.schedule().deferFullscreen());
    EXPECT_FALSE(m.schedule().awayCountsAsRest());
    EXPECT_EQ(m.schedule().postponeMinutes(), 10);
    writeConfig("[more]\npostpone_minutes= 120 \n");
    m.loadMoreSettings();
    EXPECT_FALSE(m.schedule().deferFullscreen());
    EXPECT_EQ(m.schedule().postponeMinutes(), 120);

    m.setAwayCountsAsRest(true);
    m.setPostponeMinutes(3);
    m.setDeferFullscreen(false);
    EXPECT_TRUE(m.schedule().awayCountsAsRest());
    EXPECT_EQ(stored("more", "away_counts_as_rest"), "1");
    EXPECT_EQ(stored("more", "postpone_minutes"), "3");
    EXPECT_EQ(stored("more", "defer_fullscreen"), "0");
}

// A resume puts the last ramp back on the display, and nothing before there is one.
TEST_F(ModelTest, SessionBackReappliesTheLastRamp) {
    int writes = 0;
    auto display = std::make_unique<CountingDisplay>(&writes);
    Display* shown = display.get();
    model = std::make_unique<Model>(std::move(display), clock, *settings);
    model->sessionBack();
    EXPECT_EQ(writes, 0);
    model->colour().captureDisplay();
    model->colour().setBrightness(-20);
    GammaRamp applied{};
    ASSERT_TRUE(shown->readRamp(applied));
    ASSERT_TRUE(shown->writeRamp(GammaRamp::identity())); // a driver's reset
    const int before = writes;
    model->sessionBack();
    EXPECT_EQ(writes, before + 1);
    GammaRamp now{};
    ASSERT_TRUE(shown->readRamp(now));
    EXPECT_EQ(now, applied);
}

// The platform's keys as the model sees them: what was asked, and a key another program holds.
class RecordingKeys : public ShortcutKeys {
  public:
    std::vector<std::pair<Shortcut, std::string>> asked;
    std::string heldElsewhere;
    KeyTake take(Shortcut action, const std::string& keyText) override {
        asked.emplace_back(action, keyText);
        if (keyText.empty())
            return KeyTake::None;
        return keyText == heldElsewhere ? KeyTake::Held : KeyTake::Taken;
    }
};

// Shortcuts: none by default, the stored ones taken once the platform's keys come, each
// change written at once, and a key set for a second action taken from the first.
TEST_F(ModelTest, ShortcutKeysAreStoredTakenAndNeverSharedByTwoActions) {
    writeConfig("[more]\nkey_eye=Ctrl+Alt+E\n");
    Model& m = make();
    m.loadMoreSettings();
    EXPECT_EQ(m.shortcutKey(Shortcut::Brighter), "");
    EXPECT_EQ(m.shortcutKey(Shortcut::Eye), "Ctrl+Alt+E");
    EXPECT_EQ(m.shortcutTake(Shortcut::Eye), KeyTake::None); // no platform keys yet

    RecordingKeys keys;
    keys.heldElsewhere = "Ctrl+F1";
    m.setShortcutKeys(&keys);
    EXPECT_EQ(m.shortcutTake(Shortcut::Eye), KeyTake::Taken);
    EXPECT_EQ(m.shortcutTake(Shortcut::Brighter), KeyTake::None);

    m.setShortcutKey(Shortcut::Brighter, "Ctrl+F1");
    EXPECT_EQ(m.shortcutTake(Shortcut::Brighter), KeyTake::Held);
    EXPECT_EQ(stored("more", "key_brighter"), "Ctrl+F1"); // kept: it may be free later

    keys.asked.clear();
    m.setShortcutKey(Shortcut::RestNow, "Ctrl+Alt+E");
    EXPECT_EQ(m.shortcutKey(Shortcut::Eye), "");
    EXPECT_EQ(stored("more", "key_eye"), "key_eye"); // removed
    EXPECT_EQ(stored("more", "key_rest_now"), "Ctrl+Alt+E");
    ASSERT_EQ(keys.asked.size(), 2u); // the eye's key let go before the rest takes it
    EXPECT_EQ(keys.asked[0], std::make_pair(Shortcut::Eye, std::string()));
    EXPECT_EQ(keys.asked[1], std::make_pair(Shortcut::RestNow, std::string("Ctrl+Alt+E")));
}

// What the keys run: brightness by 5 within the slider's range, eye protection switched
// over, a rest now and a rest later as the tip and the tray start them.
TEST_F(ModelTest, ShortcutActionsRunTheWindowsOperations) {
    Model& m = make();
    m.colour().captureDisplay();
    m.runShortcut(Shortcut::Brighter);
    EXPECT_EQ(m.colour().level(Level::Brightness), 5);
    m.colour().setBrightness(48);
    m.runShortcut(Shortcut::Brighter);
    EXPECT_EQ(m.colour().level(Level::Brightness), 50);
    m.runShortcut(Shortcut::Darker);
    EXPECT_EQ(m.colour().level(Level::Brightness), 45);

    m.runShortcut(Shortcut::Eye);
    EXPECT_TRUE(m.colour().eyeModeIsOn());
    m.runShortcut(Shortcut::Eye);
    EXPECT_FALSE(m.colour().eyeModeIsOn());

    m.schedule().switchReminders(true);
    const std::string next = m.schedule().nextRestTime();
    m.runShortcut(Shortcut::RestLater);
    EXPECT_NE(m.schedule().nextRestTime(), next);
    m.runShortcut(Shortcut::RestNow);
    EXPECT_EQ(m.schedule().stage(), RestSchedule::Stage::Resting);
}

} // namespace
} // namespace ocuvell::test
