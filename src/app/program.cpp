#include "app/program.h"

#include "app/bus_service.h"
#include "app/clock_watch.h"
#include "app/end_signals.h"
#include "app/event_watch.h"
#include "app/global_keys.h"
#include "app/session_events.h"
#include "core/display/ramp_state.h"
#include "core/instance/single_instance.h"
#include "core/model/model.h"
#include "core/remote/remote_control.h"
#include "core/remote/remote_socket.h"
#include "core/settings/paths.h"
#include "core/settings/state_dir.h"
#include "ui/assets/artwork.h"
#include "ui/forms/rest_windows.h"
#include "ui/forms/schedule_timer.h"
#include "ui/widgets/after_first_frame.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

#ifndef OCUVELL_VERSION
#define OCUVELL_VERSION "0"
#endif
#ifndef OCUVELL_APP_ID
#define OCUVELL_APP_ID "example.tevaro.Ocuvell"
#endif

namespace ocuvell {
namespace {

// How long a changed ramp may wait before it is remembered: a drag's steps are written
// once, and a logout (which ends the program by a signal) finds at most this much unsaved.
constexpr int kRecordFlushMs = 250;
constexpr const char* kInstanceName = "ocuvell";

// For the run script and the start-up benchmark: report the main window's first paint on
// stderr, and save a picture of it when a path is given.
class FirstPaintProbe : public QObject {
  public:
    FirstPaintProbe(QWidget* window, FirstPaintReport report)
        : window_(window), report_(std::move(report)) {
        window->installEventFilter(this);
        window->update();
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Paint && !done_) {
            done_ = true;
            if (report_.shown)
                std::fprintf(stderr, "shown\n");
            if (!report_.picture.empty())
                QTimer::singleShot(300, window_, [this] {
                    window_->grab().save(QString::fromStdString(report_.picture));
                });
        }
        return false;
    }

  private:
    QWidget* window_;
    FirstPaintReport report_;
    bool done_ = false;
};

// What a command from outside asks of the windows: the tray's Display and Exit.
class TrayFront : public RemoteFront {
  public:
    explicit TrayFront(cd& tray) : tray_(tray) {}
    void showWindow() override { tray_.xs_Click(); }
    void quit() override { tray_.tc_Click(); }

  private:
    cd& tray_;
};

std::unique_ptr<RemoteServer> openRemoteLine(RemoteControl& control) {
    std::string problem;
    std::unique_ptr<RemoteServer> server = openRemoteServer(
        [&control](std::string_view line) -> std::optional<std::string> {
            const std::optional<RemoteReply> reply = control.answerLine(line);
            if (!reply)
                return std::nullopt;
            return RemoteControl::wireReply(*reply);
        },
        problem);
    if (!server)
        std::fprintf(stderr, "Ocuvell: commands from the command line cannot reach this copy: %s\n",
                     printableText(problem).c_str());
    return server;
}

} // namespace

// The members go in the order they are made, each after what it needs; they go in reverse
// order, so each goes before what it uses.
struct Program::Wired {
    Wired(ProgramParts& parts, const SingleInstance* instance);
    ~Wired() { events.stopWatching(); }
    bool tellInstanceProblem(const SingleInstance* instance);
    bool prepareModel(ProgramParts& parts);
    void keepRampRecord(const std::filesystem::path& stateFolder, bool realDisplay);
    void wireNightColour();
    void openOutsideServices();
    void saveForSession();

    QObject context; // what the connections to the application go with
    Notices notices;
    bool instanceTold;
    SettingsPlace settings;
    std::unique_ptr<SystemClock> systemClock;
    std::unique_ptr<IdleSource> idle;
    std::unique_ptr<FullscreenSource> fullscreen;
    Model model;
    // The descriptors, watched from here on; a watch goes before the file it watches.
    EventWatch events;
    QTimer recordFlush; // goes before the record it flushes, which writes what waits then
    RampState* remembered = nullptr;
    bool modelPrepared;
    Form1 form1;
    RestForms restForms;
    ScheduleTimer scheduleTimer;
    ClockWatch clockWatch;
    std::unique_ptr<EndSignals> endSignals;
    bool sessionSaved = false;
    cd tray;
    QTimer nightTimer;
    TrayFront trayFront;
    RemoteControl remoteControl;
    std::unique_ptr<SessionEvents> sessionEvents;
    std::unique_ptr<RemoteServer> remoteLine;
    std::unique_ptr<BusService> bus;
    std::unique_ptr<GlobalKeys> keys;
    std::unique_ptr<FirstPaintProbe> probe;
};

namespace {

Form1Hooks windowHooks(Form1Hooks hooks, Notices& notices, ScheduleTimer& timer) {
    hooks.warn = [&notices](const QString& title, const QString& text) {
        notices.tell(title, text);
    };
    hooks.stopClock = [&timer] { timer.stop(); };
    return hooks;
}

std::unique_ptr<Display> openDisplayOf(const ProgramParts& parts) {
    return parts.display ? parts.display() : openDisplay();
}

} // namespace

Program::Wired::Wired(ProgramParts& parts, const SingleInstance* instance)
    : notices(std::move(parts.showBox)), instanceTold(tellInstanceProblem(instance)),
      // Where this run keeps its settings; the user hears of the settings file's failures.
      settings(parts.settingsFolders.value_or(SettingsFolders::ofThisProgram()),
               [this](const SettingsProblem& problem) { notices.settingsProblem(problem); }),
      systemClock(parts.clock ? nullptr : std::make_unique<SystemClock>()),
      idle(parts.idle ? parts.idle() : openIdleSource()),
      fullscreen(parts.fullscreen ? parts.fullscreen() : openFullscreenSource()),
      model(openDisplayOf(parts), parts.clock ? *parts.clock : *systemClock, settings),
      modelPrepared(prepareModel(parts)),
      // The main window, then the tip popup and the rest screen, then the schedule's clock,
      // which ticks from its first plan on.
      form1(model, windowHooks(std::move(parts.windowHooks), notices, scheduleTimer)),
      restForms(model.schedule()), scheduleTimer(model.schedule()),
      // A clock set by hand, by a time service or on waking is looked at at once, not at
      // the schedule's next minute tick.
      clockWatch([this] {
          model.schedule().clockSet();
          model.lookAtNight();
      }),
      // The tray form: the icon, and the main window brought up.
      tray(model, form1, std::move(parts.trayHooks)), trayFront(tray),
      remoteControl(model, trayFront) {
    notices.setWindow(&form1);
    events.watch(clockWatch.fd(), [this] { clockWatch.dispatch(); });

    // The session's end: a logout's signal or the session manager's request to save keeps
    // what the red cross keeps (without the web page); Exit in the tray menu keeps nothing.
    if (parts.outsideServices)
        endSignals = std::make_unique<EndSignals>();
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, &context,
                     [this] { saveForSession(); });

    // The main window's load step runs here.
    tray.load();
    // Night colour, once the display is captured: the schedule says when to look again.
    wireNightColour();
    if (parts.outsideServices)
        openOutsideServices();
    if (parts.firstPaint.shown || !parts.firstPaint.picture.empty())
        probe = std::make_unique<FirstPaintProbe>(&form1, std::move(parts.firstPaint));
    notices.ready();
}

// Warnings wait until the program is wired (notices.ready() at the end).
bool Program::Wired::tellInstanceProblem(const SingleInstance* instance) {
    if (!instance || instance->problem().empty())
        return false;
    std::fprintf(stderr, "Ocuvell: %s\n", printableText(instance->problem()).c_str());
    notices.tell(QStringLiteral("tips"),
                 QString::fromStdString(printableText(instance->problem())));
    return true;
}

// The model's sources and options, before any window shows it.
bool Program::Wired::prepareModel(ProgramParts& parts) {
    Display& display = model.colour().engine().display();
    // Only a display whose colours we change, and that keeps them after we end, has a ramp
    // worth remembering.
    const bool realDisplay =
        display.trouble() == DisplayTrouble::NoTrouble && display.keepsRampAfterExit();
    // A display with news of its own (a Wayland compositor): the colour page's notice
    // follows what it says.
    if (DisplayEvents* news = display.events())
        events.watchDisplay(*news, [this] { model.colour().displayChanged(); });
    // The full-screen source's news (the focus or a window's state changed), watched from
    // the moment it watches the desktop.
    if (fullscreen)
        fullscreen->onWatchable([this] {
            events.watch(fullscreen->fd(), [this] {
                if (fullscreen->dispatch())
                    model.schedule().fullscreenChanged();
            });
        });
    if (parts.writeRampsInBackground)
        model.colour().writeInBackground([this](std::function<void()> done) {
            QMetaObject::invokeMethod(&context, std::move(done), Qt::QueuedConnection);
        });
    model.schedule().setIdleSource(idle.get());
    model.schedule().setFullscreenSource(fullscreen.get());
    model.loadMoreSettings();
    keepRampRecord(parts.stateFolder.value_or(stateDirectory()), realDisplay);
    return true;
}

// The remembered ramps, kept by the colour engine: written a moment after a change, not
// on every slider step; a flush writes what waits. Nothing when the display's colours
// cannot be changed (its ramp is not worth remembering) or there is no state folder.
void Program::Wired::keepRampRecord(const std::filesystem::path& stateFolder, bool realDisplay) {
    if (!realDisplay || stateFolder.empty())
        return;
    auto record = std::make_unique<RampState>(stateFolder / kRampStateFileName);
    remembered = record.get();
    recordFlush.setSingleShot(true);
    recordFlush.setInterval(kRecordFlushMs);
    record->batchWrites([this] { recordFlush.start(); });
    QObject::connect(&recordFlush, &QTimer::timeout, &context, [this] { remembered->flush(); });
    model.colour().engine().keepRecord(std::move(record));
}

// Night colour looks at the clock when its schedule asks (the next transition's start, or
// each minute during one) and whenever it changes; the colour page's notice follows.
void Program::Wired::wireNightColour() {
    nightTimer.setSingleShot(true);
    nightTimer.setTimerType(Qt::CoarseTimer);
    QObject::connect(&nightTimer, &QTimer::timeout, &context, [this] { model.lookAtNight(); });
    model.setNightWake([this](std::optional<long long> ms) {
        form1.nightChanged();
        if (!ms)
            return nightTimer.stop();
        // A little after the moment asked for, so that the look finds it come.
        nightTimer.start(static_cast<int>(std::min<long long>(*ms + 250, 24LL * 3600 * 1000)));
    });
    model.loadNightSettings();
}

// Sleep and resume, lock and unlock: the ramp goes back on the display, and the schedule
// looks at the clock and at how long the user was away. Heard from the main window's first
// frame on: the system bus is a connection and a few exchanges it does not need. The
// command line's socket, the program's own object on the session bus and the shortcuts'
// keys come then too.
void Program::Wired::openOutsideServices() {
    new AfterFirstFrame(&form1, &form1, [this] {
        sessionEvents = std::make_unique<SessionEvents>(
            [this](SessionEvents::Away how) { model.sessionAway(how); },
            [this] { model.sessionBack(); });
        sessionEvents->onDisplayChanged([this] { model.displayChanged(); });
        remoteLine = openRemoteLine(remoteControl);
        if (remoteLine) {
            events.watch(remoteLine->fd(), [this] { remoteLine->dispatch(); });
            events.watchHandle(remoteLine->event(), [this] { remoteLine->dispatch(); });
        }
        bus = std::make_unique<BusService>(remoteControl, model, OCUVELL_APP_ID);
        keys = std::make_unique<GlobalKeys>([this](Shortcut action) { model.runShortcut(action); });
        model.setShortcutKeys(keys.get());
    });
}

void Program::Wired::saveForSession() {
    // At a Windows logout the code after the event loop never runs: the last ramp on its
    // way to the display is written and remembered now.
    model.colour().engine().settle();
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
}

void Program::prepareApplication() {
    // Reading pictures looks up image plugins, which needs the application object made.
    startReadingArt(Form1::firstFramePictures());
    QApplication::setApplicationName(QStringLiteral("Ocuvell"));
    QApplication::setApplicationVersion(QStringLiteral(OCUVELL_VERSION));
    // Lets the desktop match the windows to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(OCUVELL_APP_ID));
    // Hiding the main window leaves the program running in the notification area.
    QApplication::setQuitOnLastWindowClosed(false);
}

Program::Program(ProgramParts parts) {
    // One copy runs at a time: a second start ends quietly before it shows anything.
    if (parts.claimInstance) {
        instance_ = claimSingleInstance(kInstanceName);
        if (!instance_)
            return;
    }
    wired_ = std::make_unique<Wired>(parts, instance_.get());
}

Program::~Program() = default;

int Program::run() {
    if (!wired_)
        return 0;
    const int status = QApplication::exec();
    if (wired_->endSignals && wired_->endSignals->endsSession())
        wired_->saveForSession();
    // The ramp still on its way is written and remembered while the flush timer lives.
    wired_->model.colour().engine().settle();
    if (wired_->remembered)
        wired_->remembered->flush();
    if (wired_->endSignals)
        wired_->endSignals->endBySignal();
    return status;
}

Model& Program::model() {
    return wired_->model;
}
Form1& Program::form1() {
    return wired_->form1;
}
cd& Program::tray() {
    return wired_->tray;
}
RestForms& Program::restForms() {
    return wired_->restForms;
}
ScheduleTimer& Program::scheduleTimer() {
    return wired_->scheduleTimer;
}
Notices& Program::notices() {
    return wired_->notices;
}
SettingsPlace& Program::settings() {
    return wired_->settings;
}

} // namespace ocuvell
