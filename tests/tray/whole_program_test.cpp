// The whole program as the tray starts it, with a clock the test moves: reminders come
// on time, a rest runs through the real popup and rest screen, and the schedule moves on.
#include "core/display/backends.h"
#include "core/rest/clock.h"
#include "core/settings/paths.h"
#include "settings/settings_test_dir.h"
#include "ui/forms/form1.h"
#include "ui/forms/form2.h"
#include "ui/forms/form3.h"
#include "ui/forms/rest_windows.h"
#include "ui/tray/cd.h"
#include "ui/widgets/click_label.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QUrl>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

namespace ocuvell {
namespace {

class MovableClock : public Clock {
  public:
    int secondsOfDay() const override { return seconds % 86400; }
    int seconds = 23 * 3600 + 59 * 60 + 30; // 23:59:30, so the first rest wraps past midnight
};

class WholeProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = testing::freshTestDir("tray");
        ::setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
        setProgramDirectoryForTesting(dir_);
        testing::putFile(dir_ / "config.ini", "[dsxx]\r\nmei=1\r\nxiuxi=1\r\npdrun=1\r\n");
        cd::Hooks h;
        h.makeForm1 = [this] {
            Form1Hooks f;
            f.warn = [](const QString&, const QString&) {};
            f.openUrl = [](const QUrl&) {};
            f.quit = [] {};
            models_.push_back(std::make_unique<Model>(makeMemoryDisplay(), clock_));
            return std::make_unique<Form1>(*models_.back(), f);
        };
        h.openUrl = [](const QUrl&) {};
        h.quit = [] {};
        h.trayAvailable = [] { return true; };
        tray_ = std::make_unique<cd>(std::move(h));
        ASSERT_TRUE(tray_->load());
        // The test is the clock: a real tick during a slow (sanitizer, loaded machine)
        // run would count the rest down twice.
        tray_->form1()->Timer1().stop();
    }
    void TearDown() override {
        tray_.reset();
        setProgramDirectoryForTesting({});
        std::filesystem::remove_all(dir_);
    }

    // One second of the program's life: the clock moves, then Timer1 fires.
    void tick() {
        clock_.seconds += 1;
        tray_->form1()->schedule().Timer1_Timer();
        QCoreApplication::processEvents();
    }
    RestForms& forms() { return *tray_->restForms(); }

    std::filesystem::path dir_;
    MovableClock clock_;
    // Every model made, kept past the windows (and trays) that show them.
    std::vector<std::unique_ptr<Model>> models_;
    std::unique_ptr<cd> tray_;
};

TEST_F(WholeProgramTest, ReminderRestAndNextReminderThroughTheRealWindows) {
    Form1& f = *tray_->form1();
    EXPECT_EQ(f.Label5()->text(), "00:00"); // 23:59 plus one minute, past midnight

    // Nothing in the minute before the rest time.
    for (int i = 0; i < 29; ++i)
        tick();
    EXPECT_EQ(forms().loadedTip(), nullptr);
    tick(); // 00:00:00
    ASSERT_NE(forms().loadedTip(), nullptr);
    EXPECT_TRUE(forms().loadedTip()->isVisible());
    EXPECT_EQ(forms().loadedTip()->Label1->text(), "立即休息 1 分钟");
    EXPECT_EQ(f.schedule().Pdtipshow, 1);

    forms().loadedTip()->Label1_Click();
    ASSERT_NE(forms().loadedRest(), nullptr);
    EXPECT_TRUE(forms().loadedRest()->isVisible());
    EXPECT_EQ(forms().loadedRest()->Label1->text(), "开始");

    tick();
    EXPECT_EQ(forms().loadedRest()->Label1->text(), "0:0:59");
    for (int i = 2; i < 60; ++i)
        tick();
    EXPECT_EQ(forms().loadedRest()->Label1->text(), "0:0:1");
    tick(); // the sixtieth second ends the rest at 00:01:00
    EXPECT_EQ(forms().loadedRest(), nullptr);
    EXPECT_EQ(forms().loadedTip(), nullptr);
    EXPECT_EQ(f.schedule().Pdtipshow, 0);
    EXPECT_EQ(f.schedule().Pdcountdown, 0);
    EXPECT_EQ(f.Label5()->text(), "00:02");

    // The main window can be hidden meanwhile; the next reminder still comes.
    f.Image1_Click();
    for (int i = 0; i < 60; ++i)
        tick();
    ASSERT_NE(forms().loadedTip(), nullptr);
    forms().loadedTip()->Label2_Click(); // not now
    EXPECT_EQ(forms().loadedTip(), nullptr);
    EXPECT_EQ(f.Label5()->text(), "00:03");
}

} // namespace
} // namespace ocuvell
