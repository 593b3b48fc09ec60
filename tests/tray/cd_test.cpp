// The tray form on the offscreen platform: start-up order, the icon's clicks and the
// menu's three commands.
#include "support/tray_fixture.h"
#include "ui/forms/form2.h"
#include "ui/forms/form3.h"
#include "ui/forms/form_more.h"
#include "ui/widgets/click_image.h"
#include "ui/widgets/safe_switch.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QSpinBox>
#include <QThread>
#include <QTimeEdit>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ocuvell {
namespace {

class TrayTest : public testing::TrayFixture {
  protected:
    void SetUp() override {
        useProgramFolder("[dsxx]\r\nmei=30\r\nxiuxi=2\r\npdrun=1\r\n[mine]\r\nkeep=me\r\n");
    }
};

TEST_F(TrayTest, LoadShowsTheLoadedMainWindowAndAddsTheIconAfterItsFirstFrame) {
    load(hooks());
    EXPECT_EQ(program_->tray().trayIcon(), nullptr);
    EXPECT_TRUE(program_->form1().isVisible());
    cd& tray = start();
    EXPECT_FALSE(tray.isVisible());
    EXPECT_TRUE(tray.form1()->loaded());
    EXPECT_TRUE(tray.form1()->isVisible());
    EXPECT_TRUE(tray.trayIcon()->isVisible());
    EXPECT_TRUE(tray.trayIcon()->toolTip().isEmpty());
    const QList<QSize> sizes = tray.trayIcon()->icon().availableSizes();
    for (int s : {16, 20, 24, 32, 40, 48, 64}) // every display scale, none resampled
        EXPECT_TRUE(sizes.contains(QSize(s, s))) << s;
    EXPECT_EQ(tray.form1()->Text2()->text(), "30"); // loaded from the settings file
}

TEST_F(TrayTest, LeftClickShowsTheWindowAndOtherGesturesDoNothing) {
    cd& tray = start();
    tray.form1()->Image1_Click();
    ASSERT_FALSE(tray.form1()->isVisible());
    for (auto reason : {QSystemTrayIcon::Context, QSystemTrayIcon::DoubleClick,
                        QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown}) {
        tray.trayActivated(reason);
        EXPECT_FALSE(tray.form1()->isVisible()) << reason;
    }
    tray.trayActivated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(tray.form1()->isVisible());
    // Clicking again while it is shown keeps it shown.
    tray.trayActivated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(tray.form1()->isVisible());
}

TEST_F(TrayTest, MenuDisplayAboutAndExit) {
    const std::string before = testing::fileBytes(dir_ / "config.ini");
    cd& tray = start();
    const auto actions = tray.menu()->actions();
    ASSERT_EQ(actions.size(), 8); // and, after a separator, the four below
    EXPECT_EQ(actions[0]->text(), "Display");
    EXPECT_EQ(actions[1]->text(), "About");
    EXPECT_EQ(actions[2]->text(), "Exit");
    EXPECT_EQ(tray.trayIcon()->contextMenu(), tray.menu());

    tray.form1()->Image1_Click();
    actions[0]->trigger();
    EXPECT_TRUE(tray.form1()->isVisible());

    actions[1]->trigger();
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_TRUE(opened_[0].endsWith("/apps/lumiward/index.html?v=1.0"));

    actions[2]->trigger();
    EXPECT_EQ(quits_, 1);
    EXPECT_FALSE(tray.trayIcon()->isVisible());
    // Exit from the menu stores nothing.
    EXPECT_EQ(testing::fileBytes(dir_ / "config.ini"), before);
}

// After the three commands: the options window, and rest-later while reminders are on.
TEST_F(TrayTest, MoreSettingsAndRestLater) {
    cd& tray = start();
    const auto actions = tray.menu()->actions();
    ASSERT_EQ(actions.size(), 8);
    EXPECT_TRUE(actions[3]->isSeparator());
    EXPECT_EQ(actions[4]->text(), "更多设置…");
    EXPECT_EQ(actions[5]->text(), "稍后休息");
    EXPECT_EQ(actions[6]->text(), "夜间色温：暂停一小时");
    EXPECT_EQ(actions[7]->text(), "夜间色温：暂停到下次变化");

    actions[4]->trigger();
    FormMore* more = tray.moreForm();
    ASSERT_TRUE(more && more->isVisible());
    EXPECT_EQ(more->windowTitle(), "更多设置");
    EXPECT_FALSE(more->awaySwitch()->Value());
    EXPECT_EQ(more->postponeBox()->value(), 10);
    more->awaySwitch()->setValue(true); // as a click raises it
    more->postponeBox()->setValue(25);
    const std::string config = testing::fileBytes(dir_ / "config.ini");
    EXPECT_NE(config.find("[more]\r\naway_counts_as_rest=1\r\npostpone_minutes=25"),
              std::string::npos)
        << config;
    EXPECT_NE(config.find("keep=me"), std::string::npos);

    // Loaded at 10:00 with a 30-minute interval: the next rest 10:30, then 25 minutes on.
    ASSERT_EQ(tray.form1()->Label5()->text(), "10:30");
    emit tray.menu()->aboutToShow();
    ASSERT_TRUE(actions[5]->isEnabled());
    actions[5]->trigger();
    EXPECT_EQ(tray.form1()->Label5()->text(), "10:55");
    tray.form1()->schedule().switchReminders(false);
    emit tray.menu()->aboutToShow();
    EXPECT_FALSE(actions[5]->isEnabled());

    // Night colour's pauses are there while it is on; its switch writes at once.
    EXPECT_FALSE(actions[6]->isEnabled());
    more->nightSwitch()->setValue(true);
    EXPECT_NE(testing::fileBytes(dir_ / "config.ini").find("night_colour=1"), std::string::npos);
    emit tray.menu()->aboutToShow();
    ASSERT_TRUE(actions[6]->isEnabled() && actions[7]->isEnabled());
    actions[6]->trigger();
    EXPECT_TRUE(tray.form1()->model().night().pausedUntil());

    // A place typed past 72 degrees is taken and said to be less exact; with a place the
    // fixed times are off, and back on with "固定时间".
    QLineEdit* typed = more->placeBox()->lineEdit();
    typed->setText("78.22,15.65");
    emit typed->editingFinished();
    EXPECT_NE(testing::fileBytes(dir_ / "config.ini").find("night_place=78.22,15.65"),
              std::string::npos);
    EXPECT_TRUE(more->placeNote()->text().contains("72°"));
    EXPECT_FALSE(more->fromEdit()->isEnabled());
    emit more->placeBox()->activated(0);
    EXPECT_TRUE(more->fromEdit()->isEnabled() && more->placeNote()->text().isEmpty());
}

TEST_F(TrayTest, CloseFromTheMainWindowRemovesTheIconToo) {
    cd& tray = start();
    ASSERT_TRUE(tray.trayIcon()->isVisible());
    tray.form1()->image2_Click();
    EXPECT_FALSE(tray.trayIcon()->isVisible());
    EXPECT_NE(testing::fileBytes(dir_ / "config.ini").find("keep=me"), std::string::npos);
}

TEST_F(TrayTest, WithoutANotificationAreaTheMinusButtonMinimises) {
    ::testing::internal::CaptureStderr();
    cd& tray = start(false);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("no notification area"), std::string::npos);
    EXPECT_FALSE(tray.trayIcon()->isVisible());
    tray.form1()->Image1_Click();
    // The window is not stranded: it is minimised, not hidden.
    EXPECT_TRUE(tray.form1()->isVisible());
    EXPECT_TRUE(tray.form1()->isMinimized());
    // Once a notification area is there, the icon and Display bring it back, normal.
    tray.trayActivated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(tray.form1()->isMinimized());
    tray.form1()->Image1_Click();
    tray.xs_Click();
    EXPECT_TRUE(tray.form1()->isVisible());
    EXPECT_FALSE(tray.form1()->isMinimized());
}

TEST_F(TrayTest, SettingsFailuresAreToldOncePerRunAndTheCloseStillEnds) {
    // A pipe in the settings file's place: refused, never waited on.
    std::filesystem::remove(dir_ / "config.ini");
    ASSERT_EQ(::mkfifo((dir_ / "config.ini").c_str(), 0600), 0);
    ::testing::internal::CaptureStderr();
    cd& tray = start();
    QCoreApplication::processEvents(); // the read failure is told once the window is up
    ASSERT_EQ(warnings_.size(), 1u);
    EXPECT_TRUE(warnings_[0].startsWith("tips: The settings file ")) << warnings_[0].toStdString();
    EXPECT_TRUE(warnings_[0].contains("cannot be read: it is a pipe"))
        << warnings_[0].toStdString();

    tray.form1()->image2_Click(); // nine refused writes, one message
    ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(warnings_.size(), 2u);
    EXPECT_TRUE(warnings_[1].contains("cannot be written: it is a pipe"));
    EXPECT_EQ(formQuits_, 1);
    EXPECT_TRUE(std::filesystem::is_fifo(dir_ / "config.ini"));
}

// Text from a file, the environment or a path is shown as it is, never read as markup
// (which would load the picture named in it: /dev/zero until memory runs out, a FIFO for
// good), with the direction overrides that would turn "\x01" U+202E "LIAF" into "FAIL"
// escaped: the warning boxes (a bad monitor.txt, the settings file's name) and every
// label the windows fill in.
TEST_F(TrayTest, TextFromOutsideIsShownAsItIsEverywhere) {
    const std::string hostile = "<img\u00A0src=/x>\x01\u202ELIAF";
    const QString shown = QString::fromUtf8("<img\u00A0src=/x>\\x01\\xE2\\x80\\xAELIAF");
    testing::putFile(dir_ / "monitor.txt", hostile + "\n");
    cd& tray = start();
    program_->model().colour().restore(); // monitor.txt holds a bad number
    ASSERT_FALSE(warnings_.empty());
    const QString restoreText = warnings_.back().mid(QStringLiteral("tips: ").size());

    // The real boxes: each one that opens is looked at and closed.
    std::vector<std::pair<Qt::TextFormat, QString>> boxes;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&boxes] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                boxes.emplace_back(box->textFormat(), box->text());
                box->accept();
            }
    });
    closer.start(10);
    Notices notices;
    notices.ready();
    notices.tell(QStringLiteral("tips"), restoreText);
    notices.settingsProblem({SettingsProblem::Kind::Write, hostile, "it is a pipe"});
    for (int i = 0; i < 200 && boxes.size() < 2; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    ASSERT_EQ(boxes.size(), 2u);
    for (const auto& [format, text] : boxes) {
        EXPECT_EQ(format, Qt::PlainText);
        EXPECT_TRUE(text.contains(shown)) << text.toStdString();
    }

    QList<QLabel*> labels = tray.form1()->findChildren<QLabel*>();
    labels += program_->restForms().tip()->findChildren<QLabel*>();
    labels += program_->restForms().rest()->findChildren<QLabel*>();
    for (QLabel* l : labels) {
        if (!l->text().isEmpty()) {
            EXPECT_EQ(l->textFormat(), Qt::PlainText) << l->text().toStdString();
        }
    }
}

TEST_F(TrayTest, ANotificationAreaThatComesLaterTakesTheIconAndTheMinusHidesToIt) {
    bool here = false;
    cd::Hooks h = hooks();
    h.trayAvailable = [&here] { return here; };
    ::testing::internal::CaptureStderr();
    cd& tray = start(std::move(h));
    ::testing::internal::GetCapturedStderr();
    Form1& f = *tray.form1();
    ASSERT_NE(tray.trayIcon(), nullptr); // made at once, shown when there is somewhere to show it
    EXPECT_FALSE(tray.trayIcon()->isVisible());
    EXPECT_TRUE(tray.watchingForTray());

    tray.checkTray(); // still none: nothing changes, the look-out goes on
    EXPECT_FALSE(tray.trayIcon()->isVisible());
    EXPECT_TRUE(tray.watchingForTray());

    here = true; // the panel came up and announced itself
    ASSERT_TRUE(trayArrived_);
    trayArrived_();
    EXPECT_TRUE(tray.trayIcon()->isVisible());
    EXPECT_FALSE(tray.watchingForTray());
    f.Image1_Click();
    EXPECT_FALSE(f.isVisible());
    tray.trayActivated(QSystemTrayIcon::Trigger);
    ASSERT_TRUE(f.isVisible());

    // The panel goes away: a press on the minus notices before its click acts.
    here = false;
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(f.Image1(), &press);
    EXPECT_FALSE(tray.trayIcon()->isVisible());
    EXPECT_TRUE(tray.watchingForTray());
    f.Image1_Click();
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(f.isMinimized());

    // After Exit the icon stays gone, whatever panel comes.
    tray.tc_Click();
    here = true;
    tray.checkTray();
    EXPECT_FALSE(tray.trayIcon()->isVisible());
    EXPECT_FALSE(tray.watchingForTray());
}

} // namespace
} // namespace ocuvell
