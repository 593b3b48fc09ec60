// The popup and the rest screen driven by the schedule, on the offscreen platform.
#include "core/rest/placement.h"
#include "support/rest_fakes.h"
#include "support/scratch_dir.h"
#include "support/sim_clock.h"
#include "support/widget_helpers.h"
#include "ui/forms/form2.h"
#include "ui/forms/form3.h"
#include "ui/forms/rest_windows.h"
#include "ui/widgets/click_label.h"
#include "ui/widgets/prog_button.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ocuvell {
namespace {

using testing::click;
using testing::FakePanel;
using testing::settle;
using testing::SimClock;

class Forms : public ::testing::Test {
  protected:
    SimClock clock;
    FakePanel panel;
    RestSchedule schedule{clock};
    RestForms forms{schedule};         // attaches itself as the tip and the rest screen
    std::vector<std::string> captions; // the rest screen's caption after each change

    void SetUp() override {
        schedule.attach({.panel = &panel});
        clock.set(9, 0, 30);
    }
    void start(const std::string& interval, const std::string& restLength) {
        schedule.loadStored(interval, restLength);
        schedule.switchReminders(true);
    }
    std::string restCaption() const {
        return forms.loadedRest() ? forms.loadedRest()->Label1->text().toStdString() : "";
    }
    void tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            const std::string before = restCaption();
            clock.advance();
            schedule.tick();
            settle();
            if (restCaption() != before && !restCaption().empty())
                captions.push_back(restCaption());
        }
    }
    Form2* waitForTip() {
        for (int i = 0; i < 86400 && !(forms.loadedTip() && forms.loadedTip()->isVisible()); ++i)
            tick();
        return forms.loadedTip();
    }
    int ticksUntilRestEnds() {
        int n = 0;
        for (; schedule.counting() && n < 40000; ++n)
            tick();
        return n;
    }
};

TEST_F(Forms, WholeRestCycleFromTipToEnd) {
    start("10", "3");
    Form2* tip = waitForTip();
    ASSERT_TRUE(tip);
    EXPECT_EQ(clock.seconds, (9 * 60 + 11) * 60);
    EXPECT_EQ(tip->Label1->text(), QStringLiteral("立即休息 3 分钟"));
    EXPECT_TRUE(tip->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(tip->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(tip->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_NEAR(tip->windowOpacity(), 220 / 255.0, 0.01);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect s = screen->geometry(), w = screen->availableGeometry();
    const PixelPoint at = tipPopupPosition({s.x(), s.y(), s.width(), s.height()},
                                           {w.x(), w.y(), w.width(), w.height()}, 332, 90);
    EXPECT_EQ(tip->geometry(), QRect(at.x, at.y, 332, 90));
    EXPECT_GE(tip->tippro->y(), tip->height()); // below the visible area

    QPointer<Form2> oldTip = tip;
    click(tip->Label1);
    EXPECT_TRUE(oldTip.isNull());
    EXPECT_FALSE(forms.loadedTip());
    Form3* rest = forms.loadedRest();
    ASSERT_TRUE(rest);
    EXPECT_TRUE(rest->isVisible());
    EXPECT_EQ(rest->geometry(), s);
    EXPECT_FALSE(rest->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(rest->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_NEAR(rest->windowOpacity(), 200 / 255.0, 0.01);
    EXPECT_EQ(rest->Label1->text(), QStringLiteral("开始"));
    EXPECT_EQ(rest->Label1->width(), rest->Picture1->width()); // centred across the band

    tick();
    EXPECT_EQ(rest->Label1->pos(), QPoint(0, 0));
    EXPECT_LT(rest->Label1->width(), rest->Picture1->width()); // now fits "0:2:59"
    ASSERT_TRUE(forms.loadedTip());
    EXPECT_FALSE(forms.loadedTip()->isVisible());     // loaded by the countdown, not shown
    EXPECT_EQ(forms.loadedTip()->tippro->Value(), 1); // a fresh popup, design Max

    // Picture2 receives the band as it was before the caption changed.
    const QImage band = rest->Picture1->grab().toImage().copy(QRect(QPoint(), QSize(185, 41)));
    tick();
    EXPECT_EQ(rest->Picture2->pixmap().toImage().convertToFormat(band.format()), band);

    QPointer<Form3> oldRest = rest;
    EXPECT_EQ(ticksUntilRestEnds(), 178);
    EXPECT_EQ(captions.size(), 179u); // every second but the last shows its time
    EXPECT_EQ(captions.back(), "0:0:1");
    EXPECT_TRUE(oldRest.isNull());
    EXPECT_FALSE(forms.loadedRest());
    EXPECT_FALSE(forms.loadedTip());
}

TEST_F(Forms, NotNowTakesThePopupAwayAndClicksElsewhereDoNothing) {
    start("5", "3");
    Form2* tip = waitForTip();
    ASSERT_TRUE(tip);
    click(tip->Label3);
    click(tip);
    ASSERT_EQ(forms.loadedTip(), tip);
    EXPECT_TRUE(tip->isVisible());

    tick(20);
    click(tip->Label2);
    EXPECT_FALSE(forms.loadedTip());
    EXPECT_FALSE(forms.loadedRest());
    EXPECT_EQ(schedule.stage(), RestSchedule::Stage::Waiting);
}

TEST_F(Forms, ClosingTheRestScreenEarlyLetsTheCountdownRunUnseen) {
    start("10", "3");
    ASSERT_TRUE(waitForTip());
    click(forms.loadedTip()->Label1); // 09:11:00
    tick(30);
    Form3* rest = forms.loadedRest();
    ASSERT_TRUE(rest && rest->isVisible());
    EXPECT_TRUE(rest->imgclose->pixmap().size() == QSize(60, 60));
    click(rest->imgclose);
    EXPECT_FALSE(forms.loadedRest());

    tick();
    ASSERT_TRUE(forms.loadedRest()); // written to, so loaded again, but not shown
    EXPECT_FALSE(forms.loadedRest()->isVisible());
    EXPECT_EQ(restCaption(), "0:2:29");
    EXPECT_EQ(ticksUntilRestEnds(), 149);
    EXPECT_FALSE(forms.loadedRest());
    EXPECT_FALSE(forms.loadedTip());
}

TEST_F(Forms, NewTipWhileTheCountdownRunsUnseen) {
    start("1", "3");
    ASSERT_TRUE(waitForTip());
    click(forms.loadedTip()->Label1);    // 09:02:00
    click(forms.loadedRest()->imgclose); // next tip 09:03
    Form2* tip = waitForTip();
    ASSERT_TRUE(tip);
    EXPECT_EQ(clock.seconds, (9 * 60 + 3) * 60);
    EXPECT_EQ(tip->tippro->Value(), 60); // the shown popup follows the unseen countdown
    Form3* unseen = forms.loadedRest();
    ASSERT_TRUE(unseen);
    const QString last = unseen->Label1->text();

    click(tip->Label1);                    // accepting restarts the counters
    EXPECT_EQ(forms.loadedRest(), unseen); // shown, not loaded afresh
    EXPECT_TRUE(unseen->isVisible());
    EXPECT_EQ(unseen->Label1->text(), last);
    tick();
    EXPECT_EQ(restCaption(), "0:2:59");
    EXPECT_EQ(ticksUntilRestEnds(), 179);
    EXPECT_FALSE(forms.loadedRest());
}

TEST_F(Forms, UnseenCountdownEndingUnderANewTipLeavesThePopup) {
    start("1", "1");
    ASSERT_TRUE(waitForTip());
    click(forms.loadedTip()->Label1);    // 09:02:00
    click(forms.loadedRest()->imgclose); // next tip 09:03
    Form2* tip = waitForTip();           // 09:03:00, the old rest's last tick too
    ASSERT_TRUE(tip);
    QPointer<Form2> shown = tip;
    tick(90);
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(forms.loadedTip(), tip);
    EXPECT_TRUE(tip->isVisible());
    EXPECT_EQ(tip->Label1->text(), QStringLiteral("立即休息 1 分钟"));
    EXPECT_FALSE(forms.loadedRest());
    click(tip->Label2);
    EXPECT_FALSE(forms.loadedTip());
}

TEST_F(Forms, EscapeOnTheRestScreenIsTheCloseImage) {
    start("10", "3");
    ASSERT_TRUE(waitForTip());
    click(forms.loadedTip()->Label1);
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(forms.loadedRest(), &esc);
    settle();
    EXPECT_FALSE(forms.loadedRest());
    EXPECT_EQ(schedule.stage(), RestSchedule::Stage::CountingUnseen);
}

// The forms go before the schedule's next tick: it must not reach them once they are gone.
TEST_F(Forms, FormsThatGoDetachThemselves) {
    RestSchedule other{clock};
    {
        RestForms gone{other};
        other.loadStored("1", "1");
        other.switchReminders(true);
        other.startCountdown(); // the popup follows the rest, so it is loaded
        ASSERT_TRUE(gone.loadedTip());
    }
    EXPECT_EQ(other.views().tip, nullptr);
    EXPECT_EQ(other.views().restScreen, nullptr);
    other.tick();
    EXPECT_EQ(other.countdown().ticks, 1);
    // Forms of another schedule leave this one alone.
    EXPECT_EQ(schedule.views().tip, static_cast<TipView*>(&forms));
}

// Lays both forms out as a user sees them and keeps pictures of them for the README.
TEST_F(Forms, LayoutOnAFullHdScreen) {
    start("10", "3");
    Form2* tip = forms.tip();
    tip->Label1->setText(QStringLiteral("立即休息 3 分钟"));
    Form3* rest = forms.rest();
    rest->placeOn(QRect(0, 0, 1920, 1080));
    EXPECT_EQ(rest->imgclose->geometry(), QRect(930, 352, 60, 60));
    EXPECT_EQ(rest->Text1->geometry(), QRect(596, 104, 729, 57));
    EXPECT_EQ(rest->Picture1->geometry(), QRect(520, 192, 881, 137));
    EXPECT_EQ(rest->Picture2->geometry(), QRect(392, 512, 185, 41));
    rest->setCaption(QStringLiteral("0:2:59"));
    rest->snapshot();
    rest->setCaption(QStringLiteral("0:2:58"));

    const QString dir = QString::fromStdString(testing::testArea().string());
    const QImage form2 = tip->grab().toImage(), form3 = rest->grab().toImage();
    EXPECT_EQ(form2.size(), QSize(332, 90));
    EXPECT_EQ(form3.size(), QSize(1920, 1080));
    EXPECT_TRUE(form2.save(dir + "/form2.png"));
    EXPECT_TRUE(form3.save(dir + "/form3.png"));
}

} // namespace
} // namespace ocuvell
