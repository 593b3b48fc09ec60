#pragma once
// The program's model: the colour half (levels, eye-protection mode, the engine) and the
// rest schedule, with the settings they are loaded from and saved to. The main window is
// its view: it shows what the model holds and calls one operation per handler.
#include "core/display/display.h"
#include "core/model/colour_model.h"
#include "core/model/shortcuts.h"
#include "core/night/night_schedule.h"
#include "core/rest/clock.h"
#include "core/rest/rest_schedule.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ocuvell {

class Model {
  public:
    // The settings are read from and saved to place.
    Model(std::unique_ptr<Display> display, Clock& clock, SettingsPlace& place);
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

    // The main window, which shows the colour levels and plays its roles for the
    // schedule; it detaches before it goes. The rest windows attach to the schedule.
    void attach(ColourView& colour, const RestViews& rest);
    void detach(const RestViews& rest);

    ColourModel& colour() { return colour_; }
    const ColourModel& colour() const { return colour_; }
    RestSchedule& schedule() { return schedule_; }
    const RestSchedule& schedule() const { return schedule_; }

    // The load step's reads, in the order it makes them: the rest values and the
    // reminders flag into the schedule, then whether eye protection was stored as on.
    void loadRestSettings();
    bool storedEyeMode() const;
    // The close from the main window: all nine keys, rest first, the eye flag last (it
    // is removed while the eye-protection switch was never used).
    void save();

    // The options window's [more] section: read at start-up into the schedule; each
    // change is applied and written at once (the close does not write them).
    void loadMoreSettings();
    void setDeferFullscreen(bool on);
    void setAwayCountsAsRest(bool on);
    void setPostponeMinutes(int minutes);

    // Night colour, also of the [more] section: read at start-up; each change is applied
    // and written at once. Every look at the schedule gives the display the night's factors
    // over the ramp the colour half built, and tells the wake hook when to look again
    // (nothing: not before something changes).
    NightSchedule& night() { return night_; }
    const NightSchedule& night() const { return night_; }
    void setNightWake(std::function<void(std::optional<long long> ms)> wake) {
        nightWake_ = std::move(wake);
    }
    void loadNightSettings();
    void setNightOn(bool on);
    void setNightKelvin(int kelvin);
    // A zone name, "lat,lon" or "fixed"; a text that is none of them is refused (false).
    bool setNightPlace(const std::string& text);
    void setNightTimes(int fromMinute, int toMinute);
    const std::string& nightPlace() const { return nightPlace_; }
    void lookAtNight();
    void pauseNightHour();
    void pauseNightUntilNextChange();
    // While night colour shows: the local minute of the day it ends, if it ends.
    std::optional<int> nightShownUntilMinute() const;
    // While night colour is paused: the local minute of the day the pause ends.
    std::optional<int> nightPausedUntilMinute() const;

    // The machine or the session is back (a resume, an unlock): the display gets the last
    // ramp again, since drivers and compositors often reset it, and the schedule looks at
    // the clock and at how long the user was away.
    void sessionAway(RestSchedule::Away how);
    void sessionBack();
    // A display event (a monitor switched on, a new mode, a wake from modern standby): the
    // display may have reset its ramp, so the one shown goes back (ColourModel::refreshDisplay).
    void displayChanged();

    // What the shortcuts and the session bus run, through the operations the windows and
    // the tray run: a level moved by a step (clamped as its slider is), eye protection as
    // its switch sets it, a rest now as the tip's rest-now line starts one, a rest later
    // as the tray's entry (by the postpone's minutes unless given).
    void stepLevel(Level level, int delta);
    void setEyeMode(bool on);
    void restNow();
    void restLater(std::optional<int> minutes = std::nullopt);
    void runShortcut(Shortcut action);

    // The shortcuts' keys, of the [more] section: read with the other options, taken as
    // soon as the platform's keys are given (nullptr: none are taken), and each change
    // written at once. A key set for one action is taken from any other that had it.
    void setShortcutKeys(ShortcutKeys* keys);
    const std::string& shortcutKey(Shortcut action) const;
    KeyTake shortcutTake(Shortcut action) const;
    // False where the desktop lets no program take keys.
    bool shortcutsCanBeTaken() const { return !keys_ || keys_->canTake(); }
    void setShortcutKey(Shortcut action, const std::string& keyText);

  private:
    SettingsPlace& place_;
    ColourModel colour_;
    RestSchedule schedule_;
    const Clock& clock_;
    NightSchedule night_;
    std::string nightPlace_;
    std::function<void(std::optional<long long>)> nightWake_;
    ShortcutKeys* keys_ = nullptr;
    std::array<std::string, kShortcuts.size()> keyTexts_;
    std::array<KeyTake, kShortcuts.size()> keyTakes_{};

    void chooseNight(NightChoice choice, bool force = false);
    std::optional<int> localMinuteOf(std::optional<long long> utc) const;
};

} // namespace ocuvell
