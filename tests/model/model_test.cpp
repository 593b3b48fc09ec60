// The table of settings, and the model's load and save of them around the rest schedule.
#include "core/rest/clock.h"
#include "core/settings/ini.h"
#include "model_fixture.h"

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

class FakePanel : public RestPanel {
  public:
    std::string t1, t2, t3, label5;
    std::string text1() const override { return t1; }
    void setText1(const std::string& s) override { t1 = s; }
    std::string text2() const override { return t2; }
    void setText2(const std::string& s) override { t2 = s; }
    std::string text3() const override { return t3; }
    void setText3(const std::string& s) override { t3 = s; }
    void setLabel5(const std::string& s) override { label5 = s; }
    void setDhhour(int, const std::string&) override {}
    void hidePpset() override {}
    void setRestHeadingGreen(bool) override {}
    void setEdit1Visible(bool) override {}
};

class StillClock : public Clock {
  public:
    int secondsOfDay() const override { return 9 * 3600 + 10 * 60; }
};

class ModelTest : public ColourModelTest {
  protected:
    StillClock clock;
    FakePanel panel;
    Model& make() {
        model = std::make_unique<Model>(makeMemoryDisplay(), clock, *settings);
        model->attach(panel, view);
        return *model;
    }
    std::unique_ptr<Model> model;
};

TEST_F(ModelTest, FirstStartReadsKeyNamesAndTheScheduleStandsIn) {
    Model& m = make();
    EXPECT_EQ(m.loadRestSettings(), "pdrun");
    EXPECT_EQ(panel.t2, "45");
    EXPECT_EQ(panel.t3, "5");
    EXPECT_EQ(m.readEyeFlag(), "pdrun");
}

TEST_F(ModelTest, StoredRestValuesReachTheBoxesAndTheFlagsComeBackAsText) {
    writeConfig("[dsxx]\nmei=30\nxiuxi=3\npdrun=0\n[eye]\npdrun=1\n");
    Model& m = make();
    EXPECT_EQ(m.loadRestSettings(), "0");
    EXPECT_EQ(panel.t2, "30");
    EXPECT_EQ(panel.t3, "3");
    EXPECT_EQ(m.readEyeFlag(), "1");
}

TEST_F(ModelTest, SaveWritesNineKeysInOrderAndRemovesAnUnsetEyeFlag) {
    Model& m = make();
    m.loadRestSettings();
    m.schedule().loadStoredReminders("1");
    m.colour().colorload();
    m.colour().setColour(0, 7);
    m.save();
    EXPECT_EQ(testing::fileBytes(dir / "config.ini"),
              "[dsxx]\r\nmei=45\r\nxiuxi=5\r\npdrun=1\r\n"
              "[eye]\r\nliangdu=0\r\nduibidu=100\r\nrgbr=7\r\nrgbg=0\r\nrgbb=0\r\n");
    // A stored eye flag goes while the switch is unused in this run...
    iniwrite(*settings, "eye", "pdrun", "1");
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
    EXPECT_EQ(panel.label5, "09:55");
    m.detach();
    panel.label5.clear();
    m.schedule().rescheduleFromNow(); // no window: nothing is shown, nothing breaks
    EXPECT_EQ(panel.label5, "");
    m.colour().colorload();
    m.colour().setBrightness(5);
    EXPECT_TRUE(view.notices.empty());
}

} // namespace
} // namespace ocuvell::test
