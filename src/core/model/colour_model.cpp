#include "core/model/colour_model.h"

#include "core/display/ramp_file.h"
#include "core/io/number_text.h"

#include <algorithm>

namespace ocuvell {
namespace {

constexpr std::array<Level, 5> kLevels{Level::Brightness, Level::Contrast, Level::Red, Level::Green,
                                       Level::Blue};

int neutral(Level level) {
    return row(ColourModel::settingOf(level)).neutral;
}

} // namespace

Setting ColourModel::settingOf(Level level) {
    switch (level) {
    case Level::Brightness:
        return Setting::Brightness;
    case Level::Contrast:
        return Setting::Contrast;
    case Level::Red:
        return Setting::Red;
    case Level::Green:
        return Setting::Green;
    case Level::Blue:
        break;
    }
    return Setting::Blue;
}

ColourModel::ColourModel(std::unique_ptr<Display> display, SettingsPlace& place)
    : engine_(std::move(display)), place_(place) {
    // The sliders' design positions.
    for (Level l : kLevels)
        levels_[static_cast<std::size_t>(l)] = neutral(l);
    levelsShown_ = levelsSent_ = levels_;
}

void ColourModel::writeInBackground(RampWriter::Post post) {
    if (engine_.display().events())
        return;
    engine_.writeInBackground(std::move(post), [this](bool taken, DisplayTrouble refusal) {
        writtenLater(taken, refusal);
    });
}

void ColourModel::notify(Level level, int value) {
    if (view_)
        view_->levelChanged(level, value);
    if (watch_)
        watch_();
}

void ColourModel::eyeModeSwitched(bool on) {
    if (view_)
        view_->eyeModeShown(on);
    if (watch_)
        watch_();
}

void ColourModel::captureDisplay() {
    engine_.capture();
    for (Level l : kLevels)
        setLevel(l, neutral(l));
}

void ColourModel::setLevel(Level level, int value) {
    const SettingRow& s = row(settingOf(level));
    value = std::clamp(value, s.min, s.max);
    int& held = levels_[static_cast<std::size_t>(level)];
    if (held == value)
        return;
    const int before = held;
    held = value;
    // Brightness and contrast show their value before the ramp goes; the colour build takes
    // all three, whichever moved, and the view then shows them.
    const bool colour = level != Level::Brightness && level != Level::Contrast;
    if (!colour)
        notify(level, value);
    bool taken = false;
    {
        const GammaEngine::Background later(engine_);
        taken = build(level);
    }
    if (engine_.lastApplyQueued()) {
        // The writer tells how it went (writtenLater).
        levelsSent_ = levels_;
        if (colour)
            notify(level, value);
        return;
    }
    taken = written(taken);
    if (taken && colour)
        notify(level, value);
    // The slider goes back to what the screen shows, and OK cannot store a level that was
    // never applied (it would be applied again at every start).
    if (!taken) {
        held = before;
        notify(level, before);
    }
}

bool ColourModel::build(Level level) {
    switch (level) {
    case Level::Brightness:
        return engine_.rampall(this->level(level));
    case Level::Contrast:
        return engine_.contrast(this->level(level));
    case Level::Red:
    case Level::Green:
    case Level::Blue:
        break;
    }
    return engine_.colour(this->level(Level::Red), this->level(Level::Green),
                          this->level(Level::Blue));
}

void ColourModel::writtenLater(bool taken, DisplayTrouble refusal) {
    if (written(taken, refusal))
        return;
    // Back to the levels the display shows, as a refusal at once does.
    for (Level l : kLevels) {
        const std::size_t i = static_cast<std::size_t>(l);
        if (levels_[i] != levelsShown_[i]) {
            levels_[i] = levelsShown_[i];
            notify(l, levels_[i]);
        }
    }
}

// False only when a display that can be controlled refused a ramp. With nothing
// captured, or a display that only stands in (a compositor gone, say), the levels still
// move and are stored for a display that can take them; the notice already says why.
// A ramp the display took marks the levels as shown: those of the ramp that went to the
// writer when it was written there, the levels as they are when it was written here.
bool ColourModel::written(bool taken, std::optional<DisplayTrouble> refusal) {
    const DisplayTrouble now = troubleOf(taken, refusal);
    setTrouble(writeTrouble_, now);
    if (now == DisplayTrouble::NoTrouble)
        levelsShown_ = refusal ? levelsSent_ : levels_;
    return now == DisplayTrouble::NoTrouble;
}

// refusal: the display's own word, taken when the write was made (on the writer's thread).
DisplayTrouble ColourModel::troubleOf(bool taken, std::optional<DisplayTrouble> refusal) const {
    if (taken || !engine_.captured() || engine_.display().trouble() != DisplayTrouble::NoTrouble)
        return DisplayTrouble::NoTrouble;
    const DisplayTrouble why = refusal ? *refusal : engine_.display().refusal();
    return why == DisplayTrouble::NoTrouble ? DisplayTrouble::RampNotTaken : why;
}

void ColourModel::setTrouble(DisplayTrouble& slot, DisplayTrouble now) {
    const DisplayTrouble shownBefore = writeTrouble();
    slot = now;
    if (writeTrouble() != shownBefore && view_)
        view_->troubleChanged();
}

void ColourModel::setTint(const GammaEngine::Tint& tint, bool force) {
    const bool hadWrite = engine_.writing();
    const bool taken = engine_.setTint(tint, force);
    setTrouble(tintTrouble_, troubleOf(taken));
    // A ramp still on its way went with the tint, in its place.
    if (taken && hadWrite && !engine_.writing())
        levelsShown_ = levels_;
}

DisplayTrouble ColourModel::trouble() const {
    DisplayTrouble why = engine_.display().trouble();
    if (why == DisplayTrouble::NoTrouble && !engine_.captured())
        why = DisplayTrouble::CaptureFailed;
    if (why == DisplayTrouble::NoTrouble)
        why = writeTrouble();
    return why;
}

void ColourModel::displayChanged() {
    if (view_)
        view_->troubleChanged();
}

void ColourModel::setBrightness(int value) {
    setLevel(Level::Brightness, value);
}

void ColourModel::setContrast(int value) {
    setLevel(Level::Contrast, value);
}

void ColourModel::setColour(int channel, int value) {
    if (channel >= 0 && channel <= 2)
        setLevel(static_cast<Level>(static_cast<int>(Level::Red) + channel), value);
}

void ColourModel::applyColourTexts(const std::array<std::string, 3>& typed) {
    std::array<std::optional<int>, 3> values;
    for (int i = 0; i < 3; ++i)
        values[i] = storedLevel(typed[i], settingOf(static_cast<Level>(int(Level::Red) + i)));
    for (int i = 0; i < 3; ++i)
        if (values[i])
            setColour(i, *values[i]);
}

void ColourModel::restore() {
    for (Level l : kLevels)
        setLevel(l, neutral(l));
    const RampFileResult result = engine_.loadBase(rampFilePath(place_.folders()));
    if (result.status != RampFileStatus::Loaded && view_)
        view_->warn(kRampFileTitle, rampFileMessage(result));
    written(engine_.applyBase());
}

void ColourModel::refreshDisplay() {
    written(engine_.refresh());
}

void ColourModel::eyeModeOn() {
    restore();
    // A stored text that is no whole number (a first start reads the key's own name)
    // leaves its level where the restore put it.
    for (Level l : kLevels)
        if (const std::optional<int> v =
                storedLevel(readSetting(place_, settingOf(l)), settingOf(l)))
            setLevel(l, *v);
    eyeModeFlag_ = switchText(true);
    eyeModeSwitched(true);
}

void ColourModel::eyeModeOff() {
    eyeModeFlag_ = switchText(false);
    restore();
    eyeModeSwitched(false);
}

bool ColourModel::eyeModeIsOn() const {
    return eyeModeFlag_ == switchText(true);
}

void ColourModel::saveLevels() {
    engine_.settle();
    for (Level l : kLevels)
        writeSetting(place_, settingOf(l), level(l));
}

} // namespace ocuvell
