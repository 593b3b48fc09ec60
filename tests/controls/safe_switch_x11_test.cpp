// The switch on the dummy X server with the real pointer, moved and clicked by xdotool:
// a click at the moment the pointer arrives completes, and the poll runs only while the
// pointer is over the switch.
#include "ui/widgets/safe_switch.h"
#include "ui/widgets/switch_poll.h"

#include <QApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <gtest/gtest.h>

using namespace ocuvell;

namespace {

bool xdotool(const QStringList& args) {
    return QProcess::execute(QStringLiteral("xdotool"), args) == 0;
}

bool movePointer(QPoint global) {
    return xdotool(
        {"mousemove", "--sync", QString::number(global.x()), QString::number(global.y())});
}

} // namespace

TEST(SafeSwitchX11, ClickRightAfterThePointerArrivesCompletes) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "OCUVELL_TEST_XDISPLAY is not set (scripts/test.sh starts a dummy Xorg)";
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        GTEST_SKIP() << "xdotool is not installed";

    QWidget window;
    window.setGeometry(100, 100, 300, 200);
    auto* sw = new SafeSwitch(&window);
    sw->move(40, 30);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QSignalSpy clicks(sw, &SafeSwitch::Click);
    QSignalSpy ins(sw, &SafeSwitch::MouseIn);

    const auto pollStops = [&] {
        return QTest::qWaitFor([&] { return !SwitchPoll::of(&window)->running(); }, 2000);
    };
    ASSERT_TRUE(movePointer(window.mapToGlobal(QPoint(250, 150))));
    EXPECT_TRUE(pollStops());
    EXPECT_FALSE(sw->hover());

    for (bool expected : {false, true}) {
        // Move and click in one go: no poll has run in between.
        const QPoint at = sw->mapToGlobal(QPoint(20, 10));
        ASSERT_TRUE(xdotool({"mousemove", "--sync", QString::number(at.x()),
                             QString::number(at.y()), "click", "1"}));
        ASSERT_TRUE(clicks.wait(2000));
        EXPECT_EQ(clicks.takeFirst().at(0).toBool(), expected);
        EXPECT_EQ(sw->Value(), expected);
        EXPECT_EQ(sw->frameIndex(), expected ? 1 : 5); // hover look of the new value
        EXPECT_TRUE(SwitchPoll::of(&window)->running());

        ASSERT_TRUE(movePointer(window.mapToGlobal(QPoint(250, 150))));
        EXPECT_TRUE(pollStops());
        EXPECT_FALSE(sw->hover());
    }
    EXPECT_EQ(ins.count(), 2);
}

int main(int argc, char** argv) {
    // The real X server when the test run has one, else offscreen, where the case skips.
    const QByteArray display = qgetenv("OCUVELL_TEST_XDISPLAY");
    if (!display.isEmpty()) {
        qputenv("DISPLAY", display);
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
