#pragma once
// The colour half of the program: the five colour levels, eye-protection mode and the
// engine that turns them into the display's ramp. It speaks in the program's terms
// (capture the display, restore, eye mode on and off, OK); the window shows the levels and is told
// of every change through ColourView.
#include "core/display/display.h"
#include "core/display/gamma_engine.h"
#include "core/settings/settings_table.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ocuvell {

enum class Level { Brightness, Contrast, Red, Green, Blue };

// What the colour model needs of the window that shows it.
class ColourView {
  public:
    virtual ~ColourView() = default;
    // The level's value changed. The view shows it without reporting it back as a change.
    virtual void levelChanged(Level level, int value) = 0;
    // A message box the user has to close (the restore's missing-file warning).
    virtual void warn(const std::string& title, const std::string& text) = 0;
    // The display stopped or started taking ramps, or its own state changed (a compositor
    // gone): trouble() says why colours cannot be changed now.
    virtual void troubleChanged() {}
    // Eye protection was switched, by the view's own switch or from outside.
    virtual void eyeModeShown(bool /*on*/) {}
};

class ColourModel {
  public:
    // The levels are read from and stored in place's settings file.
    ColourModel(std::unique_ptr<Display> display, SettingsPlace& place);

    void setView(ColourView* view) { view_ = view; }
    // Told after every change of a level or of eye protection, besides the view (the
    // session bus's change signals); an empty function stops it.
    void watch(std::function<void()> changed) { watch_ = std::move(changed); }

    // A display whose writes may be slow: from now on a moved level's ramp is written on a
    // thread of its own (GammaEngine::writeInBackground), newer levels replacing older ones
    // that still wait, and the level shows at once. post carries the result back to this
    // thread; a ramp refused then sends the levels back to those the display shows, as a
    // refusal at once does. Nothing for a display with events of its own (a Wayland
    // compositor's connection, read on this thread; its writes never wait).
    void writeInBackground(RampWriter::Post post);

    // Start-up: capture the display's ramp, then every level to its neutral position.
    void captureDisplay();
    // One level moved (by the user or by the program). Nothing happens when it holds that
    // value already; otherwise the level's own ramp is built from the base and applied:
    // brightness → rampall, contrast → the contrast build, a colour → the colour build of
    // the three colour levels. Values beyond the level's bounds are clamped into them.
    // A ramp the display does not take leaves the level where it was (the view is told).
    void setBrightness(int value);
    void setContrast(int value);
    void setColour(int channel, int value); // 0 red, 1 green, 2 blue
    void setLevel(Level level, int value);
    // The apply command: the typed colour values, all read before any level moves (moving
    // red makes the view rewrite all three boxes). A text that is no whole number leaves
    // its level.
    void applyColourTexts(const std::array<std::string, 3>& typed);
    // The restore command: levels to neutral, the default ramp file into the base (or a
    // warning when it cannot be had), then the base onto the display.
    void restore();
    // Eye-protection mode: on restores, then applies the stored levels; off restores.
    void eyeModeOn();
    void eyeModeOff();
    // A display event: the ramp shown goes back on the display (GammaEngine::refresh); one
    // that does not read back is reported as a refused write is.
    void refreshDisplay();
    // OK on the colour page: the five levels into the settings file, once the display has
    // taken or refused the last of them.
    void saveLevels();

    int level(Level level) const { return levels_[static_cast<std::size_t>(level)]; }
    // Night colour's factors onto the display (GammaEngine::setTint). Refused factors are
    // reported as a refused level is, until factors are taken again.
    void setTint(const GammaEngine::Tint& tint, bool force = false);
    // Why the display did not take the last ramp, or the night's tint; NoTrouble once it
    // takes them.
    DisplayTrouble writeTrouble() const {
        return writeTrouble_ != DisplayTrouble::NoTrouble ? writeTrouble_ : tintTrouble_;
    }
    // Why the colours cannot be changed here: the display only stands in, its ramp could
    // not be read, or it did not take the last ramp. NoTrouble when they can.
    DisplayTrouble trouble() const;
    // The display's connection had news of its own (a compositor gone, say): the view
    // looks at trouble() again.
    void displayChanged();
    // "1" or "0" once the eye-protection switch has been used, unset before.
    const std::optional<std::string>& eyeModeFlag() const { return eyeModeFlag_; }
    // The load step puts a stored "on" through eyeModeOn, so an unset flag means off.
    bool eyeModeIsOn() const;

    GammaEngine& engine() { return engine_; }
    const GammaEngine& engine() const { return engine_; }

    static Setting settingOf(Level level);

  private:
    void notify(Level level, int value);
    bool written(bool taken, std::optional<DisplayTrouble> refusal = std::nullopt);
    void writtenLater(bool taken, DisplayTrouble refusal);
    bool build(Level level);
    DisplayTrouble troubleOf(bool taken, std::optional<DisplayTrouble> refusal = {}) const;
    void setTrouble(DisplayTrouble& slot, DisplayTrouble now);

    GammaEngine engine_;
    SettingsPlace& place_;
    ColourView* view_ = nullptr;
    std::array<int, 5> levels_;
    // The levels of the ramp the display took last, and of the ramp on its way to it.
    std::array<int, 5> levelsShown_;
    std::array<int, 5> levelsSent_;
    std::optional<std::string> eyeModeFlag_;
    DisplayTrouble writeTrouble_ = DisplayTrouble::NoTrouble;
    DisplayTrouble tintTrouble_ = DisplayTrouble::NoTrouble;
    std::function<void()> watch_;

    void eyeModeSwitched(bool on);
};

} // namespace ocuvell
