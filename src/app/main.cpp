// Ocuvell starts from its hidden tray form, which brings up the main window.
#include "app/command_line.h"
#include "app/end_signals.h"
#include "core/display/display.h"
#include "core/display/ramp_state.h"
#include "core/model/model.h"
#include "core/rest/clock.h"
#include "core/settings/paths.h"
#include "core/settings/state_dir.h"
#include "ui/forms/form1.h"
#include "ui/forms/rest_windows.h"
#include "ui/tray/cd.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#ifndef OCUVELL_VERSION
#define OCUVELL_VERSION "0"
#endif
#ifndef OCUVELL_APP_ID
#define OCUVELL_APP_ID "example.tevaro.Ocuvell"
#endif

namespace {

// How long a changed ramp may wait before it is remembered: a drag's steps are written
// once, and a logout (which ends the program by a signal) finds at most this much unsaved.
constexpr int kRecordFlushMs = 250;

// For the run script and the start-up benchmark: report the main window's first
// paint on stderr, and save a picture of it when a path is given.
class FirstPaintProbe : public QObject {
  public:
    FirstPaintProbe(QWidget* window, QString screenshot)
        : window_(window), screenshot_(std::move(screenshot)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Paint && !done_) {
            done_ = true;
            if (qEnvironmentVariableIsSet("OCUVELL_REPORT_SHOWN"))
                std::fprintf(stderr, "shown\n");
            if (!screenshot_.isEmpty())
                QTimer::singleShot(300, window_, [this] { window_->grab().save(screenshot_); });
        }
        return false;
    }

  private:
    QWidget* window_;
    QString screenshot_;
    bool done_ = false;
};

} // namespace

int main(int argc, char** argv) {
    if (int status = 0; ocuvell::answerCommandLine(argc, argv, OCUVELL_VERSION, status))
        return status;

    // In a Wayland session the windows stay on X11 through XWayland where it is there: a
    // native Wayland window cannot place itself (the rest tip in its corner). Without it
    // they go native, placed by the compositor. A platform the user names is kept.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        if (!qEnvironmentVariableIsEmpty("DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "xcb");
        else if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "wayland");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ocuvell"));
    QApplication::setApplicationVersion(QStringLiteral(OCUVELL_VERSION));
    // Lets the desktop match the windows to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(OCUVELL_APP_ID));
    // Hiding the main window leaves the program running in the notification area.
    QApplication::setQuitOnLastWindowClosed(false);

    ocuvell::SystemClock clock;
    // Made once the tray knows this is the only copy, and kept until after the windows
    // that show it are gone.
    std::unique_ptr<ocuvell::Model> model;
    // The remembered ramps are written a moment after a change, not on every slider step;
    // the timer goes before the model and its record, which writes what waits as it goes.
    QTimer recordFlush;
    recordFlush.setSingleShot(true);
    recordFlush.setInterval(kRecordFlushMs);
    ocuvell::RampState* remembered = nullptr;
    ocuvell::cd::Hooks hooks;
    hooks.makeForm1 = [&clock, &model, &recordFlush, &remembered] {
        auto display = ocuvell::openDisplay();
        // Only a display whose colours we change, and that keeps them after we end, has a
        // ramp worth remembering.
        const bool real = display->why().empty() && display->keepsRampAfterExit();
        model = std::make_unique<ocuvell::Model>(std::move(display), clock);
        const std::filesystem::path stateDir = ocuvell::stateDirectory();
        if (real && !stateDir.empty()) {
            auto record =
                std::make_unique<ocuvell::RampState>(stateDir / ocuvell::kRampStateFileName);
            record->batchWrites([&recordFlush] { recordFlush.start(); });
            remembered = record.get();
            QObject::connect(&recordFlush, &QTimer::timeout, [r = record.get()] { r->flush(); });
            model->colour().engine().keepRecord(std::move(record));
        }
        return std::make_unique<ocuvell::Form1>(*model);
    };
    ocuvell::cd tray(std::move(hooks));
    if (!tray.load())
        return 0; // another copy runs: end quietly
    // The popup and the rest screen, reached by the schedule from its first tick on (the
    // timer's first tick comes from the event loop). Declared after the tray, they go
    // before the main window and its schedule.
    ocuvell::RestForms restForms(tray.form1()->schedule());
    tray.form1()->schedule().setWindows(&restForms);

    std::unique_ptr<FirstPaintProbe> probe;
    if (qEnvironmentVariableIsSet("OCUVELL_REPORT_SHOWN") ||
        qEnvironmentVariableIsSet("OCUVELL_SCREENSHOT")) {
        probe = std::make_unique<FirstPaintProbe>(tray.form1(),
                                                  qEnvironmentVariable("OCUVELL_SCREENSHOT"));
        tray.form1()->installEventFilter(probe.get());
        tray.form1()->update();
    }
    ocuvell::EndSignals endSignals;
    const int status = app.exec();
    if (remembered)
        remembered->flush();
    endSignals.endBySignal();
    return status;
}
