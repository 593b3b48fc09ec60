// The colour page says when the display's colours cannot be changed, without getting in
// the way of the sliders, which still set and store their values.
#include "app/event_watch.h"
#include "core/display/display.h"
#include "form1_fixture.h"
#include "support/env_var.h"

#ifdef OCUVELL_HAVE_WAYLAND
#include "support/fake_compositor.h"
#endif

#include <QCoreApplication>

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <algorithm>

namespace ocuvell::test {
namespace {

// A display that is there but will not give its ramp.
struct UnreadableDisplay : Display {
    bool readRamp(GammaRamp&) override { return false; }
    bool writeRamp(const GammaRamp&) override { return true; }
    std::string name() const override { return "unreadable"; }
};

// The in-memory display that refuses ramps while refusing is set, for the given reason.
struct RefusingDisplay : Display {
    explicit RefusingDisplay(DisplayTrouble why) : why(why) {}
    bool readRamp(GammaRamp& out) override { return inner->readRamp(out); }
    bool writeRamp(const GammaRamp& ramp) override { return !refusing && inner->writeRamp(ramp); }
    DisplayTrouble refusal() const override { return why; }
    std::string name() const override { return "refusing"; }
    std::unique_ptr<Display> inner = makeMemoryDisplay();
    DisplayTrouble why;
    bool refusing = false;
};

class ColourNotice : public Form1Test {
  protected:
    // The display's own news is read as the program reads it.
    std::unique_ptr<EventWatch> events;
    void TearDown() override {
        events.reset();
        Form1Test::TearDown();
    }
    Form1& startOn(std::unique_ptr<Display> display) {
        writeConfig("[eye]\nliangdu=0\nduibidu=100\nrgbr=0\nrgbg=0\nrgbb=-20\npdrun=1\n");
        events.reset();
        makeOn(std::move(display));
        events = std::make_unique<EventWatch>();
        if (DisplayEvents* news = model->colour().engine().display().events())
            events->watchDisplay(*news, [this] { model->colour().displayChanged(); });
        form->load();
        form->Show();
        form->edit_Click(0);
        return *form;
    }
};

TEST_F(ColourNotice, ShownWithTheReasonWhenTheDisplayOnlyStandsIn) {
    const std::pair<DisplayTrouble, const char*> reasons[] = {
        {DisplayTrouble::WaylandSession, "Wayland 会话"},
        {DisplayTrouble::NoXDisplay, "没有 X 显示"},
        {DisplayTrouble::NoRandrGamma, "X 服务器不支持 RandR 伽马"},
        {DisplayTrouble::XWayland, "XWayland 不把伽马传给屏幕"},
        {DisplayTrouble::DriverWithoutGamma, "显卡驱动不支持伽马"},
        {DisplayTrouble::KdeDesktop, "桌面不许程序调色，请用其夜间模式"},
        {DisplayTrouble::NoWaylandOutput, "输出不可调伽马或被其他程序占用"},
        {DisplayTrouble::CompositorGone, "Wayland 合成器已断开连接"},
    };
    for (const auto& [why, words] : reasons) {
        Form1& f = startOn(makeMemoryDisplay(why));
        EXPECT_TRUE(f.colourNotice()->isVisible()) << troubleWords(why);
        EXPECT_EQ(f.colourNotice()->text(),
                  QString::fromUtf8("无法调节此显示器的颜色：\n") + QString::fromUtf8(words));
        EXPECT_EQ(f.colourNotice()->toolTip(), QString::fromLatin1(troubleWords(why)));
        // The whole text fits in the notice's two lines: the reason fits its own line, so no
        // word of it is split across two.
        QLabel* notice = f.colourNotice();
        const QRect area = notice->geometry();
        const QRect needed =
            notice->fontMetrics().boundingRect(area, Qt::TextWordWrap, notice->text());
        EXPECT_LE(needed.height(), area.height()) << troubleWords(why);
    }
    // The values still move and are stored for a display that can take them.
    Form1& f = *form;
    EXPECT_EQ(f.Slider3(2)->value(), -20);
    f.Slider1()->setValue(-7);
    f.Image7_Click();
    EXPECT_NE(readConfig().find("liangdu=-7"), std::string::npos);
}

TEST_F(ColourNotice, ShownWhenTheCaptureFails) {
    Form1& f = startOn(std::make_unique<UnreadableDisplay>());
    EXPECT_TRUE(f.colourNotice()->isVisible());
    EXPECT_EQ(f.colourNotice()->text(),
              QString::fromUtf8("无法调节此显示器的颜色：\n读取伽马失败"));
}

TEST_F(ColourNotice, SaysWhyARampWasNotTakenUntilOneIs) {
    const std::pair<DisplayTrouble, const char*> reasons[] = {
        {DisplayTrouble::RampNotTaken, "这次调节没有生效：\n显示器没有接受这个伽马"},
        {DisplayTrouble::GammaRangeLimit, "Windows 限制了调色幅度：\nGdiIcmGammaRange=256 可解除"},
    };
    for (const auto& [why, words] : reasons) {
        auto owned = std::make_unique<RefusingDisplay>(why);
        RefusingDisplay& display = *owned;
        Form1& f = startOn(std::move(owned));
        display.refusing = true;
        f.Slider1()->setValue(30);
        EXPECT_EQ(f.Slider1()->value(), 0);
        QLabel* notice = f.colourNotice();
        EXPECT_TRUE(notice->isVisible());
        EXPECT_EQ(notice->text(), QString::fromUtf8(words));
        EXPECT_EQ(notice->toolTip(), QString::fromLatin1(troubleWords(why)));
        const QRect needed = notice->fontMetrics().boundingRect(notice->geometry(),
                                                                Qt::TextWordWrap, notice->text());
        EXPECT_LE(needed.height(), notice->height()) << troubleWords(why);
        display.refusing = false;
        f.Slider1()->setValue(30);
        EXPECT_FALSE(notice->isVisible());
    }
}

TEST_F(ColourNotice, SaysInOneLineWhileNightColourTintsAndUntilWhen) {
    clock.set(23, 0); // fixed times, 20:00 to 06:00: full night
    Form1& f = startOn(makeMemoryDisplay());
    writeConfig("[more]\nnight_colour=1\nnight_place=fixed\n");
    model->setNightWake([&f](std::optional<long long>) { f.nightChanged(); });
    model->loadNightSettings();
    QLabel* notice = f.colourNotice();
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->text(), QString::fromUtf8("夜间色温 4500 K，至 06:00"));
    EXPECT_LE(notice->fontMetrics().horizontalAdvance(notice->text()), notice->width());
    model->pauseNightHour();
    EXPECT_FALSE(notice->isVisible());
}

TEST_F(ColourNotice, HiddenWhenColoursCanBeChanged) {
    Form1& f = startOn(makeMemoryDisplay());
    EXPECT_FALSE(f.colourNotice()->isVisible());
}

#ifdef OCUVELL_HAVE_WAYLAND
bool noticeBecomes(QLabel* notice, const QString& text) {
    for (int i = 0; i < 200 && notice->text() != text; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return notice->isVisible() && notice->text() == text;
}

// The compositor's news is read from the event loop, and the notice follows it.
TEST_F(ColourNotice, FollowsAWaylandCompositorThatGoesAway) {
    testing::FakeCompositor compositor;
    compositor.addOutput(256);
    testing::EnvVar wayland("WAYLAND_DISPLAY", compositor.socket().c_str());
    Form1& f = startOn(openWaylandDisplay(nullptr));
    EXPECT_FALSE(f.colourNotice()->isVisible());
    ::testing::internal::CaptureStderr();
    compositor.disconnectClients();
    EXPECT_TRUE(noticeBecomes(
        f.colourNotice(), QString::fromUtf8("无法调节此显示器的颜色：\nWayland 合成器已断开连接")));
    ::testing::internal::GetCapturedStderr();
    f.Slider1()->setValue(-7); // the values still move
    EXPECT_EQ(f.Slider1()->value(), -7);
}

// Slider steps faster than the compositor reads reach it through the event loop: the last
// step is what the output ends with.
TEST_F(ColourNotice, SliderStepsAheadOfAStalledCompositorEndOnTheLastStep) {
    testing::FakeCompositor compositor;
    const int output = compositor.addOutput(256);
    testing::EnvVar wayland("WAYLAND_DISPLAY", compositor.socket().c_str());
    Form1& f = startOn(openWaylandDisplay(nullptr));
    compositor.setReading(false);
    for (int value = -1; value >= -60; --value)
        f.Slider1()->setValue(value);
    compositor.setReading(true);
    const GammaRamp& last = model->colour().engine().newramp();
    const auto showsLast = [&] {
        const auto tables = compositor.tables(output);
        // At 256 entries an output's tables are the ramp itself.
        return !tables.empty() &&
               std::equal(last.entries.begin(), last.entries.end(), tables.back().entries.begin(),
                          tables.back().entries.end());
    };
    for (int i = 0; i < 200 && !showsLast(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(showsLast());
    EXPECT_FALSE(f.colourNotice()->isVisible());
}

// Run by sway_check.sh on a headless sway, whose outputs have no gamma.
TEST_F(ColourNotice, ShownOnTheSessionsCompositorWhenNoOutputTakesGamma) {
    if (!std::getenv("OCUVELL_TEST_SWAY"))
        GTEST_SKIP() << "run by sway_check.sh";
    ::testing::internal::CaptureStderr();
    Form1& f = startOn(openDisplay());
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(model->colour().engine().display().name(), "Wayland gamma control");
    EXPECT_TRUE(noticeBecomes(
        f.colourNotice(),
        QString::fromUtf8("无法调节此显示器的颜色：\n输出不可调伽马或被其他程序占用")));
}
#endif

TEST_F(ColourNotice, ClearOfEveryControlAndInsideThePage) {
    Form1& f = startOn(makeMemoryDisplay(DisplayTrouble::WaylandSession));
    const QImage img = f.grab().toImage();
    const auto screens = dir.parent_path() / "screens";
    std::filesystem::create_directories(screens);
    img.save(QString::fromStdString((screens / "form1-colour-nodisplay.png").string()));

    QLabel* notice = f.colourNotice();
    const QRect area = notice->geometry();
    EXPECT_TRUE(f.eyeset()->rect().contains(area));
    // The whole text fits in its two lines.
    const QRect needed = notice->fontMetrics().boundingRect(area, Qt::TextWordWrap, notice->text());
    EXPECT_LE(needed.height(), area.height());
    EXPECT_LE(needed.width(), area.width());
    for (QWidget* w : f.eyeset()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (w == notice || !w->isVisible())
            continue;
        EXPECT_FALSE(area.intersects(w->geometry()))
            << w->metaObject()->className() << " at " << w->x() << "," << w->y();
    }
    // Its text is drawn: some pixel inside is neither the page nor white.
    const QPoint origin = notice->mapTo(&f, QPoint());
    int inked = 0;
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x)
            inked += img.pixelColor(origin + QPoint(x, y)).red() > 120 &&
                     img.pixelColor(origin + QPoint(x, y)).blue() < 100;
    EXPECT_GT(inked, 20);
}

} // namespace
} // namespace ocuvell::test
