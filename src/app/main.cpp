// Ocuvell: main builds the program once (the single-instance lock, the settings place,
// the model over the display, the windows, the tray, the session's end) and runs it.
#include "app/bus_service.h"
#include "app/clock_watch.h"
#include "app/command_line.h"
#include "app/end_signals.h"
#include "app/global_keys.h"
#include "app/remote_watch.h"
#include "app/session_events.h"
#include "app/window_system.h"
#include "core/display/display.h"
#include "core/display/ramp_state.h"
#include "core/instance/single_instance.h"
#include "core/model/model.h"
#include "core/remote/remote_control.h"
#include "core/remote/remote_socket.h"
#include "core/rest/activity.h"
#include "core/rest/clock.h"
#include "core/settings/paths.h"
#include "core/settings/settings_place.h"
#include "core/settings/state_dir.h"
#include "ui/assets/artwork.h"
#include "ui/forms/form1.h"
#include "ui/forms/notices.h"
#include "ui/forms/rest_windows.h"
#include "ui/tray/cd.h"
#include "ui/widgets/after_first_frame.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

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
constexpr const char* kInstanceName = "ocuvell";

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

// The remembered ramps, kept by the colour engine: written a moment after a change, not
// on every slider step; flush writes what waits. Nothing when the display's colours
// cannot be changed (its ramp is not worth remembering) or there is no state folder.
ocuvell::RampState* keepRampRecord(ocuvell::Model& model, bool realDisplay, QTimer& flush) {
    const std::filesystem::path stateDir = ocuvell::stateDirectory();
    if (!realDisplay || stateDir.empty())
        return nullptr;
    auto record = std::make_unique<ocuvell::RampState>(stateDir / ocuvell::kRampStateFileName);
    ocuvell::RampState* kept = record.get();
    flush.setSingleShot(true);
    flush.setInterval(kRecordFlushMs);
    record->batchWrites([&flush] { flush.start(); });
    QObject::connect(&flush, &QTimer::timeout, [kept] { kept->flush(); });
    model.colour().engine().keepRecord(std::move(record));
    return kept;
}

// Night colour looks at the clock when its schedule asks (the next transition's start, or
// each minute during one) and whenever it changes; the colour page's notice follows.
void wireNightColour(ocuvell::Model& model, ocuvell::Form1& form1, QTimer& timer) {
    timer.setSingleShot(true);
    timer.setTimerType(Qt::CoarseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&model] { model.lookAtNight(); });
    model.setNightWake([&timer, &form1](std::optional<long long> ms) {
        form1.nightChanged();
        if (!ms)
            return timer.stop();
        // A little after the moment asked for, so that the look finds it come.
        timer.start(static_cast<int>(std::min<long long>(*ms + 250, 24LL * 3600 * 1000)));
    });
    model.loadNightSettings();
}

// What a command from outside asks of the windows: the tray's Display and Exit.
class TrayFront : public ocuvell::RemoteFront {
  public:
    explicit TrayFront(ocuvell::cd& tray) : tray_(tray) {}
    void showWindow() override { tray_.xs_Click(); }
    void quit() override { tray_.tc_Click(); }

  private:
    ocuvell::cd& tray_;
};

// Commands from the command line, through the running copy's socket: opened once the
// first frame is up, so a start pays nothing for it.
struct RemoteLine {
    std::unique_ptr<ocuvell::RemoteServer> server;
    std::unique_ptr<QObject> news;

    void open(ocuvell::RemoteControl& control) {
        std::string problem;
        server = ocuvell::openRemoteServer(
            [&control](std::string_view line) -> std::optional<std::string> {
                const std::optional<ocuvell::RemoteReply> reply = control.answerLine(line);
                if (!reply)
                    return std::nullopt;
                return ocuvell::RemoteControl::wireReply(*reply);
            },
            problem);
        if (!server) {
            std::fprintf(stderr,
                         "Ocuvell: commands from the command line cannot reach this copy: %s\n",
                         ocuvell::printableText(problem).c_str());
            return;
        }
        news = ocuvell::watchRemoteServer(*server);
    }
};

} // namespace

// Everything the program is made of, built once, in the order each needs the others; the
// locals go in reverse order, so each goes before what it uses.
int main(int argc, char** argv) {
    if (int status = 0; ocuvell::answerCommandLine(argc, argv, OCUVELL_VERSION, status))
        return status;

    if (std::string trouble; !ocuvell::chooseWindowSystem(trouble)) {
        std::fprintf(stderr, "%s\n", trouble.c_str());
        return 1;
    }
    QApplication app(argc, argv);
    // Reading pictures looks up image plugins, which needs the application object made.
    ocuvell::startReadingArt(ocuvell::Form1::firstFramePictures());
    QApplication::setApplicationName(QStringLiteral("Ocuvell"));
    QApplication::setApplicationVersion(QStringLiteral(OCUVELL_VERSION));
    // Lets the desktop match the windows to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(OCUVELL_APP_ID));
    // Hiding the main window leaves the program running in the notification area.
    QApplication::setQuitOnLastWindowClosed(false);

    // One copy runs at a time: a second start ends quietly before it shows anything.
    const std::unique_ptr<ocuvell::SingleInstance> instance =
        ocuvell::claimSingleInstance(kInstanceName);
    if (!instance)
        return 0;

    // Warnings wait until the program is wired (below).
    ocuvell::Notices notices;
    if (!instance->problem().empty()) {
        std::fprintf(stderr, "Ocuvell: %s\n", ocuvell::printableText(instance->problem()).c_str());
        notices.tell(QStringLiteral("tips"),
                     QString::fromStdString(ocuvell::printableText(instance->problem())));
    }
    // Where this run keeps its settings; the user hears of the settings file's failures.
    ocuvell::SettingsPlace settings(
        ocuvell::SettingsFolders::ofThisProgram(),
        [&notices](const ocuvell::SettingsProblem& problem) { notices.settingsProblem(problem); });

    // The model over the display's backend, the clock and the settings.
    ocuvell::SystemClock clock;
    std::unique_ptr<ocuvell::Display> display = ocuvell::openDisplay();
    // Only a display whose colours we change, and that keeps them after we end, has a ramp
    // worth remembering.
    const bool realDisplay =
        display->trouble() == ocuvell::DisplayTrouble::NoTrouble && display->keepsRampAfterExit();
    // What the desktop says of the user, for the [more] options: reached only once they are on.
    const std::unique_ptr<ocuvell::IdleSource> idle = ocuvell::openIdleSource();
    const std::unique_ptr<ocuvell::FullscreenSource> fullscreen = ocuvell::openFullscreenSource();
    // The full-screen source's news (the focus or a window's state changed), watched from
    // the moment it watches the desktop.
    std::unique_ptr<QSocketNotifier> fullscreenNews;
    ocuvell::Model model(std::move(display), clock, settings);
    if (fullscreen) {
        fullscreen->onWatchable([&fullscreen, &fullscreenNews, &model] {
            fullscreenNews =
                std::make_unique<QSocketNotifier>(fullscreen->fd(), QSocketNotifier::Read);
            QObject::connect(fullscreenNews.get(), &QSocketNotifier::activated,
                             [&fullscreen, &model] {
                                 if (fullscreen->dispatch())
                                     model.schedule().fullscreenChanged();
                             });
        });
    }
    model.schedule().setIdleSource(idle.get());
    model.schedule().setFullscreenSource(fullscreen.get());
    model.loadMoreSettings();
    QTimer recordFlush; // goes before the record it flushes, which writes what waits as it goes
    ocuvell::RampState* remembered = keepRampRecord(model, realDisplay, recordFlush);

    // The windows: the main window, the tip popup and the rest screen the schedule shows
    // from its first tick on.
    ocuvell::Form1Hooks formHooks;
    formHooks.warn = [&notices](const QString& title, const QString& text) {
        notices.tell(title, text);
    };
    ocuvell::Form1 form1(model, formHooks);
    notices.setWindow(&form1);
    ocuvell::RestForms restForms(model.schedule());
    // A clock set by hand, by a time service or on waking is looked at at once, not at
    // the schedule's next minute tick.
    ocuvell::ClockWatch clockWatch([&model] {
        model.schedule().clockSet();
        model.lookAtNight();
    });

    // The session's end: a logout's signal or the session manager's request to save keeps
    // what the red cross keeps (without the web page); Exit in the tray menu keeps nothing.
    ocuvell::EndSignals endSignals;
    bool sessionSaved = false;
    const auto saveForSession = [&model, &sessionSaved, &notices, &settings, remembered] {
        // At a Windows logout the code after the event loop never runs.
        if (remembered)
            remembered->flush();
        if (std::exchange(sessionSaved, true))
            return;
        // Told on stderr only, and told there even when said before in the run.
        notices.setSessionEnding(true);
        settings.tellFailuresAgain();
        model.save();
        // A session manager's request to save may come while the session goes on.
        notices.setSessionEnding(false);
    };
    QObject::connect(&app, &QGuiApplication::commitDataRequest, saveForSession);

    // The tray form: the icon, and the main window brought up (its load step runs here).
    ocuvell::cd tray(form1);
    tray.load();
    // Night colour, once the display is captured: the schedule says when to look again.
    QTimer nightTimer;
    wireNightColour(model, form1, nightTimer);

    // Sleep and resume, lock and unlock: the ramp goes back on the display, and the schedule
    // looks at the clock and at how long the user was away. Heard from the main window's
    // first frame on: the system bus is a connection and a few exchanges it does not need.
    // The command line's socket comes then too.
    std::unique_ptr<ocuvell::SessionEvents> sessionEvents;
    TrayFront trayFront(tray);
    ocuvell::RemoteControl remoteControl(model, trayFront);
    RemoteLine remoteLine;
    // The program's own object on the session bus and the shortcuts' keys, likewise.
    std::unique_ptr<ocuvell::BusService> bus;
    std::unique_ptr<ocuvell::GlobalKeys> keys;
    new ocuvell::AfterFirstFrame(
        &form1, &form1, [&sessionEvents, &model, &remoteLine, &remoteControl, &bus, &tray, &keys] {
            sessionEvents = std::make_unique<ocuvell::SessionEvents>(
                [&model](ocuvell::SessionEvents::Away how) { model.sessionAway(how); },
                [&model] { model.sessionBack(); });
            remoteLine.open(remoteControl);
            bus = std::make_unique<ocuvell::BusService>(
                model, OCUVELL_APP_ID,
                ocuvell::BusHooks{.show = [&tray] { tray.xs_Click(); },
                                  .quit = [&tray] { tray.tc_Click(); }});
            keys = std::make_unique<ocuvell::GlobalKeys>(
                [&model](ocuvell::Shortcut action) { model.runShortcut(action); });
            model.setShortcutKeys(keys.get());
        });

    std::unique_ptr<FirstPaintProbe> probe;
    if (qEnvironmentVariableIsSet("OCUVELL_REPORT_SHOWN") ||
        qEnvironmentVariableIsSet("OCUVELL_SCREENSHOT")) {
        probe =
            std::make_unique<FirstPaintProbe>(&form1, qEnvironmentVariable("OCUVELL_SCREENSHOT"));
        form1.installEventFilter(probe.get());
        form1.update();
    }
    notices.ready();
    const int status = app.exec();
    if (endSignals.endsSession())
        saveForSession();
    if (remembered)
        remembered->flush();
    endSignals.endBySignal();
    return status;
}
