// A notification area's arrival heard on the tests' dummy Xorg, with the windows on X11:
// a panel that takes the tray selection later is heard by its MANAGER message, one that
// holds it already when the watch starts (it came between the tray form's look and the
// watch) is told at once, and while none comes nothing is told.
#include "ui/tray/tray_watch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <gtest/gtest.h>
#include <memory>

// Last: its macros (None, Bool) clash with the test framework's names.
#include <X11/Xlib.h>

namespace ocuvell {
namespace {

// Runs the event loop until told reaches count, or for ms at most.
void runUntil(const int& told, int count, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (told < count && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
}

// Takes the tray selection from a connection of its own and announces it, as a panel does.
void comeAsAPanel(::Display* panel) {
    const ::Window root = DefaultRootWindow(panel);
    const Atom selection = XInternAtom(panel, "_NET_SYSTEM_TRAY_S0", False);
    const ::Window owner = XCreateSimpleWindow(panel, root, 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(panel, selection, owner, CurrentTime);
    XEvent manager{};
    manager.xclient.type = ClientMessage;
    manager.xclient.window = root;
    manager.xclient.message_type = XInternAtom(panel, "MANAGER", False);
    manager.xclient.format = 32;
    manager.xclient.data.l[0] = CurrentTime;
    manager.xclient.data.l[1] = static_cast<long>(selection);
    manager.xclient.data.l[2] = static_cast<long>(owner);
    XSendEvent(panel, root, False, StructureNotifyMask, &manager);
    XFlush(panel);
}

TEST(TrayWatchX11, HearsAPanelThatComesAndOneThatCameFirst) {
    if (!qApp)
        GTEST_SKIP() << "OCUVELL_TEST_XDISPLAY is not set (scripts/test.sh starts a dummy Xorg)";
    int told = 0;
    auto watch = watchForTray([&told] { ++told; });
    runUntil(told, 1, 300);
    EXPECT_EQ(told, 0); // no panel: nothing to hear

    ::Display* panel = XOpenDisplay(nullptr);
    ASSERT_NE(panel, nullptr);
    comeAsAPanel(panel);
    runUntil(told, 1, 3000);
    EXPECT_EQ(told, 1);

    watch.reset();
    told = 0;
    watch = watchForTray([&told] { ++told; });
    runUntil(told, 1, 3000);
    EXPECT_EQ(told, 1);
    XCloseDisplay(panel); // the selection goes with its owner's connection
}

} // namespace
} // namespace ocuvell

// The windows on the tests' X server; without one the case skips itself.
int main(int argc, char** argv) {
    std::unique_ptr<QGuiApplication> app;
    if (const QByteArray display = qgetenv("OCUVELL_TEST_XDISPLAY"); !display.isEmpty()) {
        qputenv("DISPLAY", display);
        qputenv("QT_QPA_PLATFORM", "xcb");
        // No session bus of the user's, and none started for the test.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent");
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
