// The whole program as main starts it, with a clock the test moves: reminders come on
// time, a rest runs through the real popup and rest screen, and the schedule moves on.
#include "support/tray_fixture.h"
#include "ui/forms/form2.h"
#include "ui/forms/form3.h"
#include "ui/widgets/click_label.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <gtest/gtest.h>
#include <vector>

namespace ocuvell {
namespace {

class WholeProgramTest : public testing::TrayFixture {
  protected:
    void SetUp() override {
        useProgramFolder("[dsxx]\r\nmei=1\r\nxiuxi=1\r\npdrun=1\r\n");
        clock_.set(23, 59, 30); // the first rest wraps past midnight
        tray_ = &start();
        // The test is the clock: a real tick during a slow (sanitizer, loaded machine)
        // run would count the rest down twice.
        program_->scheduleTimer().stop();
    }

    // One second of the program's life: the clock moves, then the schedule's timer fires.
    // The schedule asks for its next tick each time; the test gives it instead.
    void tick() {
        clock_.advance();
        QMetaObject::invokeMethod(&program_->scheduleTimer().timer(), "timeout");
        program_->scheduleTimer().stop();
        QCoreApplication::processEvents();
    }
    RestForms& forms() { return program_->restForms(); }

    cd* tray_ = nullptr;
};

TEST_F(WholeProgramTest, ReminderRestAndNextReminderThroughTheRealWindows) {
    Form1& f = *tray_->form1();
    // A whole minute from 23:59:30 at the least: 00:01, past midnight.
    EXPECT_EQ(f.Label5()->text(), "00:01");

    // Nothing before the rest time.
    for (int i = 0; i < 89; ++i)
        tick();
    EXPECT_EQ(forms().loadedTip(), nullptr);
    tick(); // 00:01:00
    ASSERT_NE(forms().loadedTip(), nullptr);
    EXPECT_TRUE(forms().loadedTip()->isVisible());
    EXPECT_EQ(forms().loadedTip()->Label1->text(), "立即休息 1 分钟");
    EXPECT_TRUE(f.schedule().tipsHeld());

    forms().loadedTip()->Label1_Click();
    ASSERT_NE(forms().loadedRest(), nullptr);
    EXPECT_TRUE(forms().loadedRest()->isVisible());
    EXPECT_EQ(forms().loadedRest()->Label1->text(), "开始");

    tick();
    EXPECT_EQ(forms().loadedRest()->Label1->text(), "0:0:59");
    for (int i = 2; i < 60; ++i)
        tick();
    EXPECT_EQ(forms().loadedRest()->Label1->text(), "0:0:1");
    tick(); // the sixtieth second ends the rest at 00:02:00
    EXPECT_EQ(forms().loadedRest(), nullptr);
    EXPECT_EQ(forms().loadedTip(), nullptr);
    EXPECT_FALSE(f.schedule().tipsHeld());
    EXPECT_FALSE(f.schedule().counting());
    EXPECT_EQ(f.Label5()->text(), "00:03");

    // The main window can be hidden meanwhile; the next reminder still comes.
    f.Image1_Click();
    for (int i = 0; i < 60; ++i)
        tick();
    ASSERT_NE(forms().loadedTip(), nullptr);
    forms().loadedTip()->Label2_Click(); // not now
    EXPECT_EQ(forms().loadedTip(), nullptr);
    EXPECT_EQ(f.Label5()->text(), "00:04");
}

// A box due during the load step (here the restore's warning: eye protection on, no
// default ramp anywhere) waits until the program is wired, and a rest that comes while
// it is open still shows its tip.
class StartUpBoxTest : public testing::TrayFixture {};

TEST_F(StartUpBoxTest, WaitsForTheWiringAndATipStillComesWhileItIsOpen) {
    useProgramFolder("[dsxx]\r\nmei=1\r\nxiuxi=1\r\npdrun=1\r\n[eye]\r\npdrun=1\r\n");
    clock_.set(23, 59, 30);
    bool tipWhileOpen = false;
    whileBoxOpen_ = [&] {
        for (int i = 0; i < 90; ++i) {
            clock_.advance();
            QMetaObject::invokeMethod(&program_->scheduleTimer().timer(), "timeout");
        }
        const Form2* tip = program_->restForms().loadedTip();
        tipWhileOpen = tip && tip->isVisible();
    };
    load(hooks());
    program_->scheduleTimer().stop(); // the test is the clock
    EXPECT_TRUE(warnings_.empty());
    QCoreApplication::processEvents();
    ASSERT_EQ(warnings_.size(), 1u);
    EXPECT_TRUE(warnings_[0].contains("default data file")) << warnings_[0].toStdString();
    EXPECT_TRUE(tipWhileOpen);
}

} // namespace
} // namespace ocuvell
