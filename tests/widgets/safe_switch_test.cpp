// The toggle switch widget: events, frames, shape, size, the shared poll and the
// stored properties, with a fake cursor and poll ticks fired by hand.
#include "support/widget_helpers.h"
#include "ui/widgets/safe_switch.h"
#include "ui/widgets/switch_poll.h"

#include <QApplication>
#include <QEventLoop>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWindow>
#include <cstdlib>
#include <gtest/gtest.h>
#include <new>
#include <vector>

// Counts C++ allocations while a test asks for it: the resting poll must make none.
static bool g_countAllocations = false;
static long g_allocations = 0;

void* operator new(std::size_t n) {
    if (g_countAllocations)
        ++g_allocations;
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

using namespace ocuvell;
using namespace ocuvell::testing;

namespace {

class FakeCursor : public CursorSource {
  public:
    QPoint pos{-1000, -1000};
    QPoint globalPos() const override { return pos; }
};

class SafeSwitchTest : public ::testing::Test {
  protected:
    QWidget window;
    SafeSwitch* sw = nullptr;
    FakeCursor cursor;
    std::vector<bool> clicks;
    int ins = 0, outs = 0;

    void SetUp() override {
        window.resize(300, 200);
        sw = new SafeSwitch(&window);
        sw->move(40, 30);
        SwitchPoll::ensure(&window).setCursorSource(&cursor);
        QObject::connect(sw, &SafeSwitch::Click, [this](bool v) { clicks.push_back(v); });
        QObject::connect(sw, &SafeSwitch::MouseIn, [this] { ++ins; });
        QObject::connect(sw, &SafeSwitch::MouseOut, [this] { ++outs; });
        window.show();
    }
    // One tick of the window's shared poll, as its timer runs it.
    void poll() { SwitchPoll::of(&window)->tick(); }
    bool pollRunning() { return SwitchPoll::of(&window)->running(); }

    // Cursor at a point of the switch's client area.
    void cursorAt(int x, int y) { cursor.pos = sw->mapToGlobal(QPoint(x, y)); }
    void enter() {
        cursorAt(10, 10);
        poll();
    }
    void leave() {
        cursorAt(-20, 10);
        poll();
    }
    void press() { sendMouse(sw, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton); }
    void release() { sendMouse(sw, QEvent::MouseButtonRelease, {10, 10}, Qt::LeftButton); }
};

QImage frameOfStrip(int skin, int frame, int w, int h) {
    const QImage strip(QStringLiteral(":/ocuvell/switch_skin%1.png").arg(skin));
    return strip.copy(0, frame * h, w, h).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

TEST_F(SafeSwitchTest, EveryValueAssignmentClicksOnce) {
    sw->setValue(true);
    sw->setValue(true);
    sw->setValue(false);
    EXPECT_EQ(clicks, (std::vector<bool>{true, true, false}));
    EXPECT_EQ(sw->frameIndex(), 4);
    sw->setEnable(false);
    EXPECT_EQ(sw->frameIndex(), 7);
    sw->setValue(true);
    EXPECT_EQ(sw->frameIndex(), 3);
    EXPECT_EQ(clicks.size(), 4u);
    sw->setEnable(true);
    EXPECT_EQ(clicks.size(), 4u); // Enable raises nothing
}

TEST_F(SafeSwitchTest, HoverPollWithInclusiveBounds) {
    cursorAt(78, 23); // the column right of the switch and the row below count
    poll();
    EXPECT_EQ(ins, 1);
    EXPECT_EQ(sw->frameIndex(), 1);
    poll();
    EXPECT_EQ(ins, 1);
    cursorAt(79, 10);
    poll();
    EXPECT_EQ(outs, 1);
    EXPECT_EQ(sw->frameIndex(), 0);
    cursorAt(0, 0); // a removed corner pixel still counts as hover
    poll();
    EXPECT_EQ(ins, 2);
    EXPECT_TRUE(clicks.empty());
}

TEST_F(SafeSwitchTest, RestingPollDoesNotRepaintOrAllocate) {
    enter();
    QApplication::processEvents();
    PaintCounter counter(sw);
    g_allocations = 0;
    g_countAllocations = true;
    for (int i = 0; i < 5; ++i)
        poll();
    g_countAllocations = false;
    EXPECT_EQ(g_allocations, 0);
    QApplication::processEvents();
    EXPECT_EQ(counter.paints, 0);
    leave();
    QApplication::processEvents();
    EXPECT_EQ(counter.paints, 1);
}

TEST_F(SafeSwitchTest, CompletedClickTogglesAndShowsHoverOfNewValue) {
    enter();
    press();
    EXPECT_EQ(sw->frameIndex(), 2);
    EXPECT_TRUE(clicks.empty());
    release();
    EXPECT_EQ(clicks, std::vector<bool>{false});
    EXPECT_FALSE(sw->Value());
    EXPECT_EQ(sw->frameIndex(), 5);
    // Right button does nothing.
    sendMouse(sw, QEvent::MouseButtonPress, {10, 10}, Qt::RightButton);
    sendMouse(sw, QEvent::MouseButtonRelease, {10, 10}, Qt::RightButton);
    EXPECT_EQ(clicks.size(), 1u);
    EXPECT_EQ(sw->frameIndex(), 5);
}

TEST_F(SafeSwitchTest, DragOutCancelsDragBackCompletes) {
    enter();
    press();
    leave();
    EXPECT_EQ(outs, 1);
    EXPECT_EQ(sw->frameIndex(), 0);
    release();
    EXPECT_TRUE(clicks.empty());
    EXPECT_TRUE(sw->Value());

    enter();
    press();
    leave();
    enter();
    EXPECT_EQ(ins, 3);
    EXPECT_EQ(sw->frameIndex(), 1);
    release();
    EXPECT_EQ(clicks, std::vector<bool>{false});
}

// The poll has not seen the pointer yet (0 ms after it arrived): the press's own
// position stands in for it, and the click completes.
TEST_F(SafeSwitchTest, PressBeforeThePollSawThePointerCounts) {
    press();
    EXPECT_EQ(ins, 1);
    EXPECT_EQ(sw->frameIndex(), 2);
    release();
    EXPECT_EQ(clicks, std::vector<bool>{false});
    EXPECT_EQ(sw->frameIndex(), 5);
}

TEST_F(SafeSwitchTest, DisabledIgnoresInputAndReenabledShowsOldHover) {
    enter();
    sw->setEnable(false);
    EXPECT_EQ(sw->frameIndex(), 3);
    leave();
    EXPECT_EQ(outs, 0);
    press();
    release();
    EXPECT_TRUE(clicks.empty());
    sw->setEnable(true);
    EXPECT_EQ(sw->frameIndex(), 1);
    poll();
    EXPECT_EQ(outs, 1);
    EXPECT_EQ(sw->frameIndex(), 0);
}

TEST_F(SafeSwitchTest, SizeFollowsTheSkin) {
    EXPECT_EQ(sw->size(), QSize(78, 23));
    sw->resize(200, 100);
    EXPECT_EQ(sw->size(), QSize(78, 23));
    sw->setSkin(1);
    EXPECT_EQ(sw->size(), QSize(74, 24));
    for (int other : {7, -1, 2}) {
        sw->setSkin(other);
        EXPECT_EQ(sw->skin(), other);
        EXPECT_EQ(sw->size(), QSize(36, 16));
        sw->setValue(false);
        EXPECT_EQ(
            sw->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied).pixel(18, 8),
            frameOfStrip(2, 4, 36, 16).pixel(18, 8));
    }
}

TEST_F(SafeSwitchTest, PaintsTheCurrentFrameOfTheStrip) {
    for (int skin : {0, 1}) {
        sw->setSkin(skin);
        const int w = sw->width(), h = sw->height();
        enter();
        QImage shot = sw->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QImage want = frameOfStrip(skin, 1, w, h);
        for (QPoint p : {QPoint(w / 2, h / 2), QPoint(5, h / 2), QPoint(w - 6, h / 2)})
            EXPECT_EQ(shot.pixel(p), want.pixel(p)) << skin << " at " << p.x();
        leave();
    }
}

TEST_F(SafeSwitchTest, MaskedPixelsLetClicksThrough) {
    const QPoint at = sw->pos();
    EXPECT_NE(window.childAt(at), sw); // removed corner
    EXPECT_EQ(window.childAt(at + QPoint(1, 0)), sw);
    EXPECT_EQ(window.childAt(at + QPoint(77, 1)), sw);
    EXPECT_NE(window.childAt(at + QPoint(77, 22)), sw);
    sw->setSkin(2);
    sw->setValue(true);
    const QRegion on = sw->mask();
    sw->setValue(false);
    const QRegion off = sw->mask();
    int removed = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 36; ++x) {
            removed += on.contains(QPoint(x, y)) ? 0 : 1;
            EXPECT_EQ(on.contains(QPoint(x, y)), off.contains(QPoint(35 - x, y)));
        }
    EXPECT_EQ(removed, 69);
}

// The shared poll runs while the pointer is over a switch of the window, else not at all
// (a switch just shown gets one poll, for a pointer resting where it appeared).
TEST_F(SafeSwitchTest, ThePollRunsOnlyWhileThePointerIsOverASwitch) {
    auto ticksPass = [](int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    };
    ticksPass(120);
    EXPECT_FALSE(pollRunning());

    cursorAt(20, 10);
    QMouseEvent move(QEvent::MouseMove, window.mapFromGlobal(QPointF(cursor.pos)),
                     QPointF(cursor.pos), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window.windowHandle(), &move);
    EXPECT_TRUE(pollRunning());
    ticksPass(120);
    EXPECT_EQ(ins, 1);
    EXPECT_TRUE(pollRunning());

    cursorAt(78, 23); // still over it for the poll: the far edges count
    ticksPass(120);
    EXPECT_TRUE(pollRunning());
    cursorAt(150, 100);
    ticksPass(120);
    EXPECT_EQ(outs, 1);
    EXPECT_FALSE(pollRunning());
    EXPECT_EQ(sw->frameIndex(), 0);

    window.hide();
    window.show();
    EXPECT_TRUE(pollRunning());
    delete sw;
    sw = nullptr;
    EXPECT_FALSE(pollRunning());
}

TEST_F(SafeSwitchTest, TheTimerPollsEveryShownSwitch) {
    auto* second = new SafeSwitch(&window);
    second->move(150, 30);
    second->show();
    int secondIns = 0;
    QObject::connect(second, &SafeSwitch::MouseIn, [&] { ++secondIns; });
    cursor.pos = second->mapToGlobal(QPoint(5, 5));
    QEventLoop loop;
    QTimer::singleShot(180, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(secondIns, 1);
    EXPECT_EQ(ins, 0);
    EXPECT_TRUE(second->hover());
}

// The shared timer belongs to the window: a handler that deletes the window in the middle
// of a poll ends that poll, and the switches after it are not touched.
TEST_F(SafeSwitchTest, AHandlerMayDeleteItsWindowDuringThePoll) {
    QPointer<QWidget> other = new QWidget;
    other->resize(300, 200);
    SwitchPoll::ensure(other).setCursorSource(&cursor);
    auto* first = new SafeSwitch(other);
    auto* second = new SafeSwitch(other);
    second->move(150, 30);
    other->show();
    cursor.pos = first->mapToGlobal(QPoint(5, 5));
    QObject::connect(first, &SafeSwitch::MouseIn, [&] { delete other.data(); });
    QEventLoop loop;
    QTimer::singleShot(180, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_TRUE(other.isNull());
}

TEST_F(SafeSwitchTest, StoredPropertiesRoundTrip) {
    PropertyBag bag;
    sw->saveProperties(bag);
    EXPECT_TRUE(bag.entries().empty());

    PropertyBag stored;
    stored.write("skin", 1);
    stored.write("enable", false);
    stored.write("value", false);
    SafeSwitch loaded(&window);
    std::vector<bool> seen;
    QObject::connect(&loaded, &SafeSwitch::Click, [&](bool v) { seen.push_back(v); });
    loaded.loadProperties(stored);
    EXPECT_EQ(seen, std::vector<bool>{false}); // loading goes through Value
    EXPECT_EQ(loaded.frameIndex(), 7);
    EXPECT_EQ(loaded.size(), QSize(74, 24));

    PropertyBag saved;
    loaded.saveProperties(saved);
    ASSERT_EQ(saved.entries().size(), 3u);
    EXPECT_EQ(saved.entries()[0].first, "value");
    EXPECT_EQ(saved.entries()[1].first, "enable");
    EXPECT_EQ(saved.entries()[2].first, "skin");
    EXPECT_EQ(saved.readInt("skin", 0), 1);
}
