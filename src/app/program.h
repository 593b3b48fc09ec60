#pragma once
// Program: everything the running program is made of (the single-instance lock, the
// warning boxes, the settings place, the model over the display, the remembered ramps,
// the windows, the tray, the schedule's clock, the watched descriptors, the session's end
// and the services that face outside), built once, in the order each needs the others,
// and wired together. main makes one; the tests make the same with fakes in its parts.
#include "app/command_line.h"
#include "core/display/display.h"
#include "core/rest/activity.h"
#include "core/rest/clock.h"
#include "core/settings/settings_place.h"
#include "ui/forms/form1.h"
#include "ui/forms/notices.h"
#include "ui/tray/cd.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

namespace ocuvell {

class Model;
class RestForms;
class ScheduleTimer;
class SingleInstance;

// What a run may replace; every part left empty is the program's own.
struct ProgramParts {
    // The display's backend (default: the platform's, chosen at run time).
    std::function<std::unique_ptr<Display>()> display;
    // The clock (default: the system's); it outlives the program.
    Clock* clock = nullptr;
    // What the desktop says of the user, for the [more] options (default: the platform's;
    // a function that gives nothing leaves the option without a source).
    std::function<std::unique_ptr<IdleSource>()> idle;
    std::function<std::unique_ptr<FullscreenSource>()> fullscreen;
    // Where the settings are kept (default: this program's folders) and the remembered ramps
    // (default: the user's state folder; an empty path keeps none).
    std::optional<SettingsFolders> settingsFolders;
    std::optional<std::filesystem::path> stateFolder;
    // How a warning box shows (default: a plain box over the main window).
    Notices::Show showBox;
    // What leaves the windows: openUrl and quit of the main window and of the tray, and
    // whether there is a notification area (warn and the rest are the program's own).
    Form1Hooks windowHooks;
    cd::Hooks trayHooks;
    // A second copy ends quietly at once; a test runs beside others and claims nothing.
    bool claimInstance = true;
    // The end signals and what faces outside (the command line's socket, the object on the
    // session bus, the shortcuts' keys, sleep and lock from the system bus).
    bool outsideServices = true;
    // Ramps go to the display from a thread of their own, so a slow write (some Windows
    // drivers take 200 ms) never holds a slider's drag; a test may keep them in step.
    bool writeRampsInBackground = true;
    // The run script's and the benchmarks' report of the first frame.
    FirstPaintReport firstPaint;
};

class Program {
  public:
    // Names the application and starts reading the first frame's pictures: once, after
    // the application object is made and before a Program.
    static void prepareApplication();

    explicit Program(ProgramParts parts = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // False when another copy holds the lock: nothing was built, and run() ends at once.
    bool running() const { return wired_ != nullptr; }
    // The event loop, then what the end keeps; the status to end the process with.
    int run();

    // The parts, for tests; valid while running().
    Model& model();
    Form1& form1();
    cd& tray();
    RestForms& restForms();
    ScheduleTimer& scheduleTimer();
    Notices& notices();
    SettingsPlace& settings();

  private:
    struct Wired;
    std::unique_ptr<SingleInstance> instance_;
    std::unique_ptr<Wired> wired_;
};

} // namespace ocuvell
