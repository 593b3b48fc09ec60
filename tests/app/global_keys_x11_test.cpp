// The shortcuts' grabs on the tests' dummy Xorg: a key pressed with xdotool runs its action
// once, with NumLock on too; a key another client grabbed first is not taken, stays that
// client's, and the options window says so.
#include "app/global_keys.h"
#include "forms/form1_fixture.h"
#include "ui/forms/form_more.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace ocuvell::test {
namespace {

class GlobalKeysX11Test : public Form1Test {
  protected:
    QString display;
    int presses = 0;
    std::unique_ptr<GlobalKeys> keys;

    void SetUp() override {
        Form1Test::SetUp();
        display = qEnvironmentVariable("OCUVELL_TEST_XDISPLAY");
        if (display.isEmpty())
            GTEST_SKIP()
                << "OCUVELL_TEST_XDISPLAY is not set (scripts/test.sh starts a dummy Xorg)";
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            GTEST_SKIP() << "xdotool is not installed";
        qputenv("DISPLAY", display.toUtf8());
        qunsetenv("WAYLAND_DISPLAY");
        start();
        keys = std::make_unique<GlobalKeys>([this](Shortcut s) {
            ++presses;
            model->runShortcut(s);
        });
        model->setShortcutKeys(keys.get());
    }
    void TearDown() override {
        keys.reset();
        Form1Test::TearDown();
    }
    // xdotool's keys, the program's loop running meanwhile, and a moment after for any
    // press that would come twice.
    void press(const QString& key) {
        QProcess xdotool;
        xdotool.start(QStringLiteral("xdotool"), {QStringLiteral("key"), key});
        QElapsedTimer t;
        t.start();
        while (xdotool.state() != QProcess::NotRunning && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        const qint64 done = t.elapsed();
        while (t.elapsed() < done + 500)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
};

TEST_F(GlobalKeysX11Test, APressRunsItsActionOnceWhateverTheLocks) {
    model->setShortcutKey(Shortcut::Brighter, "Ctrl+Alt+Up");
    ASSERT_EQ(model->shortcutTake(Shortcut::Brighter), KeyTake::Taken);
    press(QStringLiteral("ctrl+alt+Up"));
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(model->colour().level(Level::Brightness), kBrightnessKeyStep);

    press(QStringLiteral("Num_Lock"));
    press(QStringLiteral("ctrl+alt+Up"));
    press(QStringLiteral("Num_Lock"));
    EXPECT_EQ(presses, 2);

    // Other modifiers are another key; a key let go runs nothing.
    press(QStringLiteral("ctrl+Up"));
    model->setShortcutKey(Shortcut::Brighter, "");
    press(QStringLiteral("ctrl+alt+Up"));
    EXPECT_EQ(presses, 2);
}

TEST_F(GlobalKeysX11Test, AKeyAnotherClientHoldsIsReportedAndLeftToIt) {
    ::Display* other = XOpenDisplay(display.toUtf8().constData());
    ASSERT_NE(other, nullptr);
    const Window root = DefaultRootWindow(other);
    const KeyCode down = XKeysymToKeycode(other, XK_Down);
    XGrabKey(other, down, ControlMask | Mod1Mask, root, False, GrabModeAsync, GrabModeAsync);
    XSync(other, False);

    model->setShortcutKey(Shortcut::Eye, "Ctrl+Alt+Down");
    EXPECT_EQ(model->shortcutTake(Shortcut::Eye), KeyTake::Held);
    FormMore more(*model);
    more.Show();
    EXPECT_EQ(more.keyEdit(Shortcut::Eye)->keySequence().toString(),
              QStringLiteral("Ctrl+Alt+Down"));
    EXPECT_EQ(more.keyNote(Shortcut::Eye)->text(), QStringLiteral("已被其他程序占用"));
    EXPECT_EQ(more.keyNote(Shortcut::Brighter)->text(), QString());

    press(QStringLiteral("ctrl+alt+Down"));
    EXPECT_EQ(presses, 0);
    bool otherGotIt = false;
    while (XPending(other)) {
        XEvent e;
        XNextEvent(other, &e);
        otherGotIt = otherGotIt || e.type == KeyPress;
    }
    EXPECT_TRUE(otherGotIt);

    // Once the other program lets go, setting the key again takes it.
    XCloseDisplay(other);
    model->setShortcutKey(Shortcut::Eye, "");
    model->setShortcutKey(Shortcut::Eye, "Ctrl+Alt+Down");
    EXPECT_EQ(model->shortcutTake(Shortcut::Eye), KeyTake::Taken);
    press(QStringLiteral("ctrl+alt+Down"));
    EXPECT_EQ(presses, 1);
    EXPECT_TRUE(model->colour().eyeModeIsOn());
}

} // namespace
} // namespace ocuvell::test
