// The main window's flows: start-up from the settings file, eye-protection mode, the
// colour page, the restore command, the overlay and the close from the title strip.
#include "form1_fixture.h"
#include "support/rest_fakes.h"
#include "ui/forms/move.h"
#include "ui/widgets/click_image.h"
#include "ui/widgets/safe_switch.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>

namespace ocuvell::test {
namespace {

const QColor kGreen(34, 139, 34);
QColor colourOf(const QLabel* l) {
    return l->palette().color(QPalette::WindowText);
}

GammaRamp colourRamp(const GammaRamp& base, int r, int g, int b) {
    auto display = makeMemoryDisplay();
    display->writeRamp(base);
    GammaEngine e(std::move(display));
    e.capture();
    e.colour(r, g, b);
    return e.newramp();
}

GammaRamp brightnessRamp(const GammaRamp& base, int level) {
    auto display = makeMemoryDisplay();
    display->writeRamp(base);
    GammaEngine e(std::move(display));
    e.capture();
    e.rampall(level);
    return e.newramp();
}

GammaRamp contrastRamp(const GammaRamp& base, int percent) {
    auto display = makeMemoryDisplay();
    display->writeRamp(base);
    GammaEngine e(std::move(display));
    e.capture();
    e.contrast(percent);
    return e.newramp();
}

std::vector<int> sliders(Form1& f) {
    return {f.Slider1()->value(), f.Slider2()->value(), f.Slider3(0)->value(),
            f.Slider3(1)->value(), f.Slider3(2)->value()};
}

const std::vector<int> kNeutral{0, 100, 0, 0, 0};

// --- Start-up ------------------------------------------------------------------------

TEST_F(Form1Test, FirstStartWithoutSettingsFile) {
    clock.set(9, 10, 40);
    Form1& f = start();
    // The key names an absent file yields are no numbers: 45 and 5 stand in for them.
    EXPECT_EQ(f.Text2()->text(), "45");
    EXPECT_EQ(f.Text3()->text(), "5");
    EXPECT_EQ(f.dhhour(0)->text(), "45");
    EXPECT_EQ(f.dhhour(1)->text(), "5");
    EXPECT_EQ(f.Label5()->text(), "09:56"); // from 09:11, the minute after now
    // Reminders on, as the missing flag counts as on.
    EXPECT_TRUE(f.SafeSwitch2()->Value());
    EXPECT_FALSE(f.edit(1)->isHidden());
    EXPECT_EQ(colourOf(f.Label2(1)), kGreen);
    EXPECT_TRUE(f.schedule().remindersOn());
    // Eye protection stays off and untouched.
    EXPECT_FALSE(f.SafeSwitch1()->Value());
    EXPECT_TRUE(f.edit(0)->isHidden());
    EXPECT_EQ(colourOf(f.Label2(0)), QColor(Qt::black));
    EXPECT_FALSE(f.Pdeyerun().has_value());
    EXPECT_TRUE(warnings.empty());
    // The overlay is closed, the sliders neutral, their displays filled in.
    EXPECT_TRUE(f.ppset()->isHidden());
    EXPECT_EQ(sliders(f), kNeutral);
    EXPECT_EQ(f.colo(1)->text(), "0");
    EXPECT_EQ(f.colo(3)->text(), "100");
    EXPECT_EQ(shown(), GammaRamp::identity());
    // The schedule waits: one tick just after the next minute starts.
    EXPECT_TRUE(ticks->timer().isActive());
    EXPECT_TRUE(ticks->timer().isSingleShot());
    EXPECT_EQ(ticks->timer().interval(), 20000 + RestSchedule::kMinuteMarginMs);
    // The copied pictures.
    EXPECT_EQ(f.Image7()->pixmap().cacheKey(), f.setok(1)->pixmap().cacheKey());
    EXPECT_EQ(f.edit(1)->pixmap().cacheKey(), f.edit(0)->pixmap().cacheKey());
}

TEST_F(Form1Test, RemindersStoredOffStillScheduleOnce) {
    clock.set(8, 0);
    writeConfig("[dsxx]\nmei=30\nxiuxi=3\npdrun=0\n");
    Form1& f = start();
    EXPECT_FALSE(f.SafeSwitch2()->Value());
    EXPECT_TRUE(f.edit(1)->isHidden());
    EXPECT_EQ(colourOf(f.Label2(1)), QColor(Qt::black));
    EXPECT_FALSE(f.schedule().remindersOn());
    EXPECT_FALSE(ticks->timer().isActive()); // nothing to tick for
    EXPECT_EQ(f.Text2()->text(), "30");
    EXPECT_EQ(f.Label5()->text(), "08:30");
    EXPECT_EQ(f.dhhour(1)->text(), "3");
}

TEST_F(Form1Test, ReminderFlagOtherThanZeroTurnsOnAndNormalises) {
    writeConfig("[dsxx]\nmei=20\nxiuxi=2\npdrun=00\n");
    Form1& f = start();
    EXPECT_TRUE(f.SafeSwitch2()->Value());
    EXPECT_TRUE(f.schedule().remindersOn());
}

TEST_F(Form1Test, NextRestWrapsPastMidnight) {
    clock.set(23, 50, 30);
    writeConfig("[dsxx]\nmei=15\nxiuxi=5\npdrun=1\n");
    Form1& f = start();
    EXPECT_EQ(f.Label5()->text(), "00:06");
}

TEST_F(Form1Test, SwitchLayoutLoadDoesNotReachTheHandlers) {
    Form1& f = make();
    // Before the load step only the stored design values are in place.
    EXPECT_FALSE(f.SafeSwitch1()->Value());
    EXPECT_TRUE(f.SafeSwitch2()->Value());
    EXPECT_FALSE(f.Pdeyerun().has_value());
    EXPECT_FALSE(f.schedule().remindersOn());
    EXPECT_FALSE(f.ppset()->isHidden());
    EXPECT_FALSE(ticks->timer().isActive());
}

// --- Eye-protection mode -------------------------------------------------------------

TEST_F(Form1Test, EyeModeStoredOnAppliesLastChangedSliderOnly) {
    writeConfig("[eye]\nliangdu=-10\nduibidu=100\nrgbr=0\nrgbg=0\nrgbb=-20\npdrun=1\n");
    Form1& f = start();
    EXPECT_EQ(sliders(f), (std::vector<int>{-10, 100, 0, 0, -20}));
    EXPECT_EQ(f.colo(1)->text(), "-10");
    EXPECT_EQ(f.Text4(2)->text(), "-20");
    EXPECT_EQ(f.Pdeyerun(), std::optional<std::string>("1"));
    EXPECT_FALSE(f.edit(0)->isHidden());
    EXPECT_EQ(colourOf(f.Label2(0)), kGreen);
    EXPECT_TRUE(f.ppset()->isHidden());
    // No monitor.txt: the restore inside the switch warned once, during start-up.
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].first, "tips");
}

TEST_F(Form1Test, EyeModeOffRestoresAndClosesOverlay) {
    writeMonitor(halfRamp());
    writeConfig("[eye]\nliangdu=-10\nduibidu=80\nrgbr=5\nrgbg=0\nrgbb=-20\npdrun=1\n");
    Form1& f = start();
    f.edit_Click(0);
    ASSERT_FALSE(f.ppset()->isHidden());
    f.SafeSwitch1()->setValue(false);
    EXPECT_TRUE(f.ppset()->isHidden());
    EXPECT_EQ(sliders(f), kNeutral);
    EXPECT_EQ(f.Pdeyerun(), std::optional<std::string>("0"));
    EXPECT_TRUE(f.edit(0)->isHidden());
    EXPECT_EQ(colourOf(f.Label2(0)), QColor(Qt::black));
    EXPECT_EQ(shown(), halfRamp());
    EXPECT_TRUE(warnings.empty());
}

// --- Restore (what a restore does to the ramps is the colour model's) ------------------

TEST_F(Form1Test, RestoreWithoutFileShowsTheBoxAndNeutralSliders) {
    const GammaRamp startRamp = halfRamp();
    Form1& f = start(&startRamp);
    f.Slider3(2)->setValue(-30);
    f.Command3_Click();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].first, "tips");
    EXPECT_FALSE(warnings[0].second.isEmpty());
    EXPECT_EQ(sliders(f), kNeutral);
    EXPECT_EQ(f.Text4(2)->text(), "0");
}

// --- Colour page ---------------------------------------------------------------------

TEST_F(Form1Test, SlidersShowTheirValuesAndReachTheDisplay) {
    Form1& f = start();
    f.Slider3(1)->setValue(-7);
    EXPECT_EQ(f.Text4(0)->text(), "0");
    EXPECT_EQ(f.Text4(1)->text(), "-7");
    EXPECT_EQ(f.Text4(2)->text(), "0");
    // The slider reaches the display; how the ramps replace each other is the model's.
    EXPECT_EQ(shown(), colourRamp(GammaRamp::identity(), 0, -7, 0));
    f.Slider1()->setValue(12);
    EXPECT_EQ(f.colo(1)->text(), "12");
    EXPECT_EQ(f.Slider3(1)->value(), -7);
    f.Slider2()->setValue(60);
    EXPECT_EQ(f.colo(3)->text(), "60");
}

TEST_F(Form1Test, Command4AppliesAllTypedValues) {
    Form1& f = start();
    f.Text4(0)->setText("10");
    f.Text4(1)->setText(" -5 ");
    f.Text4(2)->setText("70");
    f.Command4_Click();
    EXPECT_EQ(f.Slider3(0)->value(), 10);
    EXPECT_EQ(f.Slider3(1)->value(), -5);
    EXPECT_EQ(f.Slider3(2)->value(), 50);
    EXPECT_EQ(shown(), colourRamp(GammaRamp::identity(), 10, -5, 50));
    // The boxes show the values taken, the one clamped included.
    EXPECT_EQ(f.Text4(1)->text(), "-5");
    EXPECT_EQ(f.Text4(2)->text(), "50");
}

TEST_F(Form1Test, SlidersFollowTheModelWithoutRunningTheirHandlersAgain) {
    Form1& f = start();
    int applied = 0;
    f.model().colour().setColour(2, -20);
    EXPECT_EQ(f.Slider3(2)->value(), -20);
    EXPECT_EQ(f.Text4(2)->text(), "-20");
    EXPECT_EQ(shown(), colourRamp(GammaRamp::identity(), 0, 0, -20));
    f.model().colour().setBrightness(-10);
    EXPECT_EQ(f.Slider1()->value(), -10);
    EXPECT_EQ(f.colo(1)->text(), "-10");
    f.model().colour().setContrast(70);
    EXPECT_EQ(f.Slider2()->value(), 70);
    EXPECT_EQ(f.colo(3)->text(), "70");
    // A slider the model moved reports no change of its own: the user's next move of it
    // is the one that counts.
    QObject::connect(f.Slider2(), &QSlider::valueChanged, [&applied] { ++applied; });
    f.model().colour().setContrast(71);
    EXPECT_EQ(applied, 0);
    f.Slider2()->setValue(72);
    EXPECT_EQ(applied, 1);
    EXPECT_EQ(f.model().colour().level(Level::Contrast), 72);
    EXPECT_EQ(shown(), contrastRamp(GammaRamp::identity(), 72));
}

TEST_F(Form1Test, OkStoresFiveKeysBackStoresNothing) {
    Form1& f = start();
    f.edit_Click(0);
    f.Slider1()->setValue(-3);
    f.Image8_Click();
    EXPECT_TRUE(f.ppset()->isHidden());
    EXPECT_EQ(stored("eye", "liangdu"), "liangdu");
    EXPECT_EQ(shown(), brightnessRamp(GammaRamp::identity(), -3));
    f.edit_Click(0);
    f.Image7()->click();
    EXPECT_TRUE(f.ppset()->isHidden());
    EXPECT_EQ(stored("eye", "liangdu"), "-3");
    EXPECT_EQ(stored("eye", "duibidu"), "100");
    EXPECT_EQ(stored("eye", "rgbr"), "0");
    EXPECT_EQ(stored("eye", "rgbb"), "0");
    EXPECT_EQ(stored("eye", "pdrun"), "pdrun");
}

// --- Frame and overlay ---------------------------------------------------------------

TEST_F(Form1Test, EditIconsSwitchPagesAtTheSamePlace) {
    Form1& f = start();
    f.xxset()->move(40, 50);
    f.edit_Click(1);
    EXPECT_FALSE(f.ppset()->isHidden());
    EXPECT_FALSE(f.xxset()->isHidden());
    f.edit_Click(0);
    EXPECT_TRUE(f.xxset()->isHidden());
    EXPECT_FALSE(f.eyeset()->isHidden());
    EXPECT_EQ(f.eyeset()->pos(), QPoint(8, 8));
    EXPECT_EQ(f.xxset()->pos(), QPoint(8, 8));
    f.edit_Click(2); // hides the pages, opens nothing
    EXPECT_TRUE(f.eyeset()->isHidden());
}

TEST_F(Form1Test, RestPageOkKeepsLastValidValuesBackKeepsTyping) {
    writeConfig("[dsxx]\nmei=30\nxiuxi=3\npdrun=1\n");
    clock.set(10, 0);
    Form1& f = start();
    f.edit_Click(1);
    f.Text2()->setText("50");
    f.Text3()->setText("0");
    f.setok(1)->click();
    EXPECT_TRUE(f.ppset()->isHidden());
    EXPECT_EQ(f.Text3()->text(), "3");
    EXPECT_EQ(f.dhhour(0)->text(), "50");
    EXPECT_EQ(f.Label5()->text(), "10:50");
    f.edit_Click(1);
    f.Text2()->setText("20");
    emit f.Text2()->returnPressed();
    EXPECT_TRUE(f.ppset()->isHidden());
    EXPECT_EQ(f.Label5()->text(), "10:20");
    f.edit_Click(1);
    f.Text2()->setText("25");
    f.setno(1)->click();
    EXPECT_TRUE(f.ppset()->isHidden());
    EXPECT_EQ(f.Text2()->text(), "25");
    EXPECT_EQ(f.Label5()->text(), "10:20");
    // Less than a minute is refused as any other unusable entry: the box shows the
    // interval in use again.
    f.edit_Click(1);
    f.Text2()->setText("0");
    f.setok(1)->click();
    EXPECT_EQ(f.Text2()->text(), "20");
    EXPECT_EQ(f.dhhour(0)->text(), "20");
}

// The two commands beyond the window's width: out of sight, reached with Tab after the
// controls in view, run with Space or Enter as a keyboard user does.
void press(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent down(QEvent::KeyPress, key, mods), up(QEvent::KeyRelease, key, mods);
    QCoreApplication::sendEvent(w, &down);
    QCoreApplication::sendEvent(w, &up);
}

TEST_F(Form1Test, CommandsOutOfSightAreReachedWithTheKeyboard) {
    writeConfig("[dsxx]\nmei=20\nxiuxi=5\npdrun=1\n");
    clock.set(9, 0, 30);
    Form1& f = start();
    f.Show();
    auto* command1 = f.findChild<QPushButton*>(QStringLiteral("Command1"));
    auto* command2 = f.findChild<QPushButton*>(QStringLiteral("Command2"));
    ASSERT_TRUE(command1 && command2);
    for (QPushButton* b : {command1, command2}) {
        EXPECT_TRUE(b->isVisible());
        EXPECT_FALSE(f.rect().intersects(b->geometry()));
    }
    const auto tab = [&f](Qt::KeyboardModifiers mods = Qt::NoModifier) {
        press(f.focusWidget() ? f.focusWidget() : &f, mods ? Qt::Key_Backtab : Qt::Key_Tab, mods);
        return f.focusWidget();
    };
    // Main page: nothing else in view takes the focus.
    EXPECT_EQ(tab(), command1);
    EXPECT_EQ(tab(), command2);
    EXPECT_EQ(tab(), command1);
    EXPECT_EQ(tab(Qt::ShiftModifier), command2);

    EXPECT_EQ(f.schedule().nextRestTime(), "09:21");
    press(command1, Qt::Key_Space); // one interval later, the label keeps the old time
    EXPECT_EQ(f.schedule().nextRestTime(), "09:41");
    press(command1, Qt::Key_Return);
    EXPECT_EQ(f.schedule().nextRestTime(), "10:01");
    clock.set(11, 0, 0);
    press(command2, Qt::Key_Enter); // now + interval + rest length
    EXPECT_EQ(f.schedule().nextRestTime(), "11:25");
    EXPECT_EQ(f.Label5()->text(), "09:21");

    // Rest page open: its two boxes first, then the commands; the hidden stores never.
    f.edit_Click(1);
    f.Text2()->setFocus();
    EXPECT_EQ(tab(), f.Text3());
    EXPECT_EQ(tab(), command1);
    EXPECT_EQ(tab(), command2);
    EXPECT_EQ(tab(), f.Text2());
}

TEST_F(Form1Test, HidingKeepsTheTimerRunning) {
    Form1& f = start();
    f.Show();
    EXPECT_TRUE(f.isVisible());
    f.Image1()->click();
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(ticks->timer().isActive());
    f.Show();
    EXPECT_TRUE(f.isVisible());
    // With no tray to come back from, the glyph minimises and the window stays.
    f.setHideMinimises(true);
    f.Image1()->click();
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(f.isMinimized());
}

// The pages are built on first use and hold nothing of their own before: what the model
// came to hold meanwhile (shortcuts, an entry typed elsewhere) is what they show.
TEST_F(Form1Test, PagesBuiltLateShowTheModelAsItIsNow) {
    writeConfig("[dsxx]\nmei=20\nxiuxi=7\npdrun=1\n"
                "[eye]\nliangdu=-10\nduibidu=90\nrgbr=0\nrgbg=0\nrgbb=-20\npdrun=1\n");
    Form1& f = start();
    ASSERT_FALSE(f.overlayBuilt());
    model->stepLevel(Level::Brightness, 5);
    model->stepLevel(Level::Green, 7);
    f.schedule().enterRestLength("08");
    EXPECT_EQ(f.Slider1()->value(), -5);
    EXPECT_EQ(f.colo(1)->text(), "-5");
    EXPECT_EQ(f.colo(3)->text(), "90");
    EXPECT_EQ(f.Slider3(1)->value(), 7);
    EXPECT_EQ(f.Text4(1)->text(), "7");
    EXPECT_EQ(f.Text4(2)->text(), "-20");
    EXPECT_EQ(f.Text2()->text(), "20");
    EXPECT_EQ(f.Text3()->text(), "08");
    EXPECT_TRUE(f.ppset()->isHidden());
    EXPECT_FALSE(f.colourNotice()->isVisible());
    // Built, they follow: the model is told nothing back by the page's own showing.
    model->stepLevel(Level::Contrast, -5);
    EXPECT_EQ(f.colo(3)->text(), "85");
    EXPECT_EQ(f.schedule().restLengthMinutes(), 8);
}

TEST_F(Form1Test, ShowLoadsOnceAndFitsTheTitleStrip) {
    Form1& f = make();
    f.Show();
    EXPECT_TRUE(f.loaded());
    EXPECT_EQ(f.size(), QSize(641, 315));
    EXPECT_EQ(f.pmenu()->geometry(), QRect(0, 0, 641, 25));
    EXPECT_TRUE(f.windowFlags() & Qt::FramelessWindowHint);
    f.Text2()->setText("33");
    f.load(); // a second load must not read the file again
    EXPECT_EQ(f.Text2()->text(), "33");
}

TEST_F(Form1Test, DragNeedsTheLeftButtonAndANormalWindow) {
    Form1& f = start();
    f.Show();
    f.move(100, 100);
    const auto press = QEvent::MouseButtonPress, move = QEvent::MouseMove;
    FormDrag drag(f);
    // Passing over the strip, a press of another button, or a held button that was not
    // pressed on the strip moves nothing.
    EXPECT_FALSE(drag.follow(move, Qt::NoButton, QPoint(150, 110)));
    drag.follow(press, Qt::RightButton, QPoint(150, 110));
    EXPECT_FALSE(drag.follow(move, Qt::RightButton, QPoint(170, 120)));
    EXPECT_FALSE(drag.follow(move, Qt::LeftButton, QPoint(170, 120)));
    EXPECT_EQ(f.pos(), QPoint(100, 100));
    // This platform has no system move: the window follows the cursor by hand.
    drag.follow(press, Qt::LeftButton, QPoint(150, 110));
    EXPECT_TRUE(drag.follow(move, Qt::LeftButton, QPoint(150, 110)));
    EXPECT_TRUE(drag.follow(move, Qt::LeftButton, QPoint(180, 140)));
    EXPECT_EQ(f.pos(), QPoint(130, 130));
    // The release ends the drag: a later movement, even with the button, leaves it there.
    EXPECT_FALSE(drag.follow(QEvent::MouseButtonRelease, Qt::NoButton, QPoint(180, 140)));
    EXPECT_FALSE(drag.follow(move, Qt::LeftButton, QPoint(300, 300)));
    EXPECT_EQ(f.pos(), QPoint(130, 130));
    // The same through the title label, as the mouse delivers it.
    const auto send = [&f](QEvent::Type type, QPoint global, Qt::MouseButtons buttons) {
        QMouseEvent e(type, QPointF(20, 5), QPointF(global), Qt::LeftButton, buttons,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(f.title(), &e);
    };
    send(press, QPoint(190, 140), Qt::LeftButton);
    send(move, QPoint(200, 150), Qt::LeftButton);
    send(move, QPoint(210, 170), Qt::LeftButton);
    EXPECT_EQ(f.pos(), QPoint(140, 150));
    send(QEvent::MouseButtonRelease, QPoint(210, 170), Qt::NoButton);
    send(move, QPoint(250, 250), Qt::LeftButton);
    EXPECT_EQ(f.pos(), QPoint(140, 150));
    f.showMaximized();
    drag.follow(press, Qt::LeftButton, QPoint(10, 10));
    EXPECT_FALSE(drag.follow(move, Qt::LeftButton, QPoint(10, 10)));
}

// --- Rest schedule through the window -----------------------------------------------

void tick(ScheduleTimer& ticks) {
    QMetaObject::invokeMethod(&ticks.timer(), "timeout");
}

TEST_F(Form1Test, TimerDrivesTipAndSwitchFreezesCountdown) {
    writeConfig("[dsxx]\nmei=1\nxiuxi=3\npdrun=1\n");
    clock.set(14, 0, 5);
    Form1& f = start();
    testing::RecordingWindows windows;
    f.schedule().attach({.tip = &windows, .restScreen = &windows});
    clock.set(14, 2, 0);
    tick(*ticks);
    EXPECT_EQ(windows.tipsShown, 1);
    EXPECT_EQ(windows.tipLength, "3");
    f.form2tip_Click();
    tick(*ticks);
    EXPECT_EQ(windows.restCaption, "0:2:59");
    // Reminders off: the heading and icon follow, the countdown stands still.
    f.SafeSwitch2()->setValue(false);
    EXPECT_TRUE(f.edit(1)->isHidden());
    EXPECT_EQ(colourOf(f.Label2(1)), QColor(Qt::black));
    tick(*ticks);
    tick(*ticks);
    EXPECT_EQ(windows.restCaption, "0:2:59");
    // On again: a new next rest time on the main page, the countdown carries on.
    clock.set(14, 7, 0);
    f.SafeSwitch2()->setValue(true);
    EXPECT_EQ(f.Label5()->text(), "14:08");
    EXPECT_FALSE(f.edit(1)->isHidden());
    tick(*ticks);
    EXPECT_EQ(windows.restCaption, "0:2:58");
    f.schedule().detach({.tip = &windows, .restScreen = &windows});
}

// --- Close ---------------------------------------------------------------------------

TEST_F(Form1Test, CloseSavesWhatTheControlsHoldAndEnds) {
    writeConfig("[dsxx]\nmei=30\nxiuxi=3\npdrun=1\nmine=kept\n[eye]\npdrun=0\n[other]\nx=1\n");
    Form1& f = start();
    f.SafeSwitch2()->setValue(false);
    f.Slider3(0)->setValue(7);
    f.image2()->click();
    // What the window's controls hold reaches the save (the nine keys are the model's).
    EXPECT_EQ(stored("dsxx", "pdrun"), "0");
    EXPECT_EQ(stored("eye", "rgbr"), "7");
    EXPECT_EQ(stored("dsxx", "mine"), "kept");
    EXPECT_EQ(stored("other", "x"), "1");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl(Form1::kHomePage));
    EXPECT_EQ(trayRemoved, 1);
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(ticks->timer().isActive());
}

TEST_F(Form1Test, CloseAfterFirstStartStoresUsableRestValues) {
    Form1& f = start();
    f.SafeSwitch1()->setValue(true);
    f.image2_Click();
    EXPECT_EQ(stored("dsxx", "mei"), "45");
    EXPECT_EQ(stored("dsxx", "xiuxi"), "5");
    EXPECT_EQ(stored("dsxx", "pdrun"), "1");
    EXPECT_EQ(stored("eye", "pdrun"), "1");
    // The next start finds everything it wrote.
    warnings.clear();
    clock.set(7, 0);
    Form1& again = start();
    EXPECT_TRUE(again.SafeSwitch1()->Value());
    EXPECT_EQ(again.Label5()->text(), "07:45");
}

} // namespace
} // namespace ocuvell::test
