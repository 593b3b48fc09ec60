#include "core/remote/remote_control.h"

#include "core/rest/time_of_day.h"
#include "core/settings/settings_table.h"

#include <algorithm>

namespace ocuvell {
namespace {

constexpr std::array<const char*, 5> kLevelNames{"brightness", "contrast", "red", "green", "blue"};

const char* levelName(Level level) {
    return kLevelNames[static_cast<std::size_t>(level)];
}

const char* onOff(bool on) {
    return on ? "on" : "off";
}

RemoteReply done(std::string text = {}) {
    return {RemoteReply::kDone, std::move(text)};
}

RemoteReply refused(std::string text) {
    return {RemoteReply::kRefused, std::move(text) + "\n"};
}

std::string stageName(RestSchedule::Stage stage) {
    switch (stage) {
    case RestSchedule::Stage::Off:
        return "off";
    case RestSchedule::Stage::Waiting:
        return "waiting";
    case RestSchedule::Stage::TipShown:
    case RestSchedule::Stage::TipOverUnseenRest:
        return "tip up";
    case RestSchedule::Stage::Resting:
    case RestSchedule::Stage::CountingUnseen:
        return "resting";
    }
    return "waiting";
}

std::string timeOrEmpty(std::optional<int> minute) {
    return minute ? formatTimeOfDay(*minute) : std::string();
}

// Only ASCII goes into a status (the trouble's English words, times): escaping the JSON
// specials is enough.
std::string jsonText(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string jsonTextOrNull(const std::string& text) {
    return text.empty() ? "null" : jsonText(text);
}

} // namespace

std::optional<RemoteReply> RemoteControl::answerLine(std::string_view line) {
    const ParsedRequest parsed = parseRemoteLine(line);
    if (parsed.request)
        return answer(*parsed.request);
    if (parsed.malformed)
        return std::nullopt;
    return RemoteReply{RemoteReply::kBadUsage, parsed.problem + "\n"};
}

RemoteReply RemoteControl::answer(const RemoteRequest& request) {
    switch (request.verb) {
    case RemoteVerb::Status:
        return done(request.json ? statusJson(status()) : statusText(status()));
    case RemoteVerb::Level:
        return request.relative ? stepLevel(request.level, request.amount)
                                : setLevel(request.level, request.amount);
    case RemoteVerb::Eye:
        return setEyeMode(request.toggle);
    case RemoteVerb::Restore:
        return restore();
    case RemoteVerb::RestNow:
        return restNow();
    case RemoteVerb::RestLater:
        return restLater(request.minutes);
    case RemoteVerb::Reminders:
        return setReminders(request.toggle == RemoteSwitch::On);
    case RemoteVerb::Show:
        return show();
    case RemoteVerb::Quit:
        return quit();
    }
    return {RemoteReply::kBadUsage, "unknown command\n"};
}

// The value is kept as the window keeps a slider's move (stored with OK or the close),
// but a display that did not take the ramp is the caller's to hear of.
RemoteReply RemoteControl::colourDone(std::string text) const {
    const GammaEngine& engine = model_.colour().engine();
    const DisplayTrouble trouble = engine.display().trouble();
    if (trouble != DisplayTrouble::NoTrouble)
        return refused(std::string("the display's colours cannot be changed here (") +
                       troubleWords(trouble) + "); the value is kept");
    if (engine.lastApplyFailed())
        return refused("the display refused the new ramp; the value is kept");
    return done(std::move(text));
}

RemoteReply RemoteControl::setLevel(Level level, int value) {
    const SettingRow& range = row(ColourModel::settingOf(level));
    if (value < range.min || value > range.max)
        return {RemoteReply::kBadUsage, std::string(levelName(level)) + " goes from " +
                                            std::to_string(range.min) + " to " +
                                            std::to_string(range.max) + "\n"};
    model_.colour().setLevel(level, value);
    return colourDone(std::string(levelName(level)) + " " +
                      std::to_string(model_.colour().level(level)) + "\n");
}

RemoteReply RemoteControl::stepLevel(Level level, int step) {
    const SettingRow& range = row(ColourModel::settingOf(level));
    const int value = std::clamp(model_.colour().level(level) + step, range.min, range.max);
    return setLevel(level, value);
}

RemoteReply RemoteControl::setEyeMode(RemoteSwitch to) {
    const bool now = model_.colour().eyeModeIsOn();
    const bool on = to == RemoteSwitch::Toggle ? !now : to == RemoteSwitch::On;
    // Switching on again would restore and drop levels moved since.
    if (on != now) {
        if (on)
            model_.colour().eyeModeOn();
        else
            model_.colour().eyeModeOff();
    }
    return colourDone(std::string("eye protection ") + onOff(on) + "\n");
}

RemoteReply RemoteControl::restore() {
    model_.colour().restore();
    return colourDone({});
}

RemoteReply RemoteControl::restNow() {
    RestSchedule& schedule = model_.schedule();
    if (!schedule.remindersOn())
        return refused("reminders are off");
    if (!schedule.counting())
        schedule.acceptTip(); // the tip's rest-now line, whether a tip is up or not
    return done();
}

RemoteReply RemoteControl::restLater(std::optional<int> minutes) {
    RestSchedule& schedule = model_.schedule();
    if (!schedule.remindersOn())
        return refused("reminders are off");
    if (minutes)
        schedule.restLater(*minutes);
    else
        schedule.restLater();
    return done("next rest " + schedule.nextRestTime() + "\n");
}

RemoteReply RemoteControl::setReminders(bool on) {
    // Switching on again would move the next rest.
    if (model_.schedule().remindersOn() != on)
        model_.schedule().switchReminders(on);
    return done(std::string("reminders ") + onOff(on) + "\n");
}

RemoteReply RemoteControl::show() {
    front_.showWindow();
    return done();
}

RemoteReply RemoteControl::quit() {
    front_.quit();
    return done();
}

RemoteStatus RemoteControl::status() const {
    RemoteStatus s;
    const ColourModel& colour = model_.colour();
    for (std::size_t i = 0; i < s.levels.size(); ++i)
        s.levels[i] = colour.level(static_cast<Level>(i));
    s.eyeMode = colour.eyeModeIsOn();
    const RestSchedule& schedule = model_.schedule();
    s.reminders = schedule.remindersOn();
    s.intervalMinutes = schedule.intervalMinutes();
    s.restLengthMinutes = schedule.restLengthMinutes();
    s.nextRest = schedule.nextRestTime();
    s.stage = stageName(schedule.stage());
    s.nightOn = model_.night().choice().on;
    s.nightKelvinNow = model_.night().kelvinNow();
    s.nightUntil = timeOrEmpty(model_.nightShownUntilMinute());
    s.nightPausedUntil = timeOrEmpty(model_.nightPausedUntilMinute());
    const DisplayTrouble trouble = colour.engine().display().trouble();
    if (trouble != DisplayTrouble::NoTrouble)
        s.displayTrouble = troubleWords(trouble);
    return s;
}

std::string RemoteControl::statusText(const RemoteStatus& s) {
    std::string out;
    const auto line = [&out](const char* name, const std::string& value) {
        out += std::string(name) + ": " + value + "\n";
    };
    for (std::size_t i = 0; i < s.levels.size(); ++i)
        line(kLevelNames[i], std::to_string(s.levels[i]));
    line("eye protection", onOff(s.eyeMode));
    line("reminders", onOff(s.reminders));
    line("interval", std::to_string(s.intervalMinutes) + " min");
    line("rest length", std::to_string(s.restLengthMinutes) + " min");
    line("next rest", s.nextRest.empty() ? "-" : s.nextRest);
    line("stage", s.stage);
    std::string night = onOff(s.nightOn);
    if (!s.nightPausedUntil.empty())
        night += ", paused until " + s.nightPausedUntil;
    else if (s.nightKelvinNow < 6500)
        night += ", " + std::to_string(s.nightKelvinNow) + " K now" +
                 (s.nightUntil.empty() ? "" : " until " + s.nightUntil);
    line("night colour", night);
    if (!s.displayTrouble.empty())
        line("display trouble", s.displayTrouble);
    return out;
}

std::string RemoteControl::statusJson(const RemoteStatus& s) {
    std::string out = "{";
    for (std::size_t i = 0; i < s.levels.size(); ++i)
        out += jsonText(kLevelNames[i]) + ": " + std::to_string(s.levels[i]) + ", ";
    out += "\"eye_protection\": " + std::string(s.eyeMode ? "true" : "false");
    out += ", \"reminders\": " + std::string(s.reminders ? "true" : "false");
    out += ", \"interval_minutes\": " + std::to_string(s.intervalMinutes);
    out += ", \"rest_minutes\": " + std::to_string(s.restLengthMinutes);
    out += ", \"next_rest\": " + jsonTextOrNull(s.nextRest);
    out += ", \"stage\": " + jsonText(s.stage);
    out += ", \"night_colour\": " + std::string(s.nightOn ? "true" : "false");
    out += ", \"night_kelvin_now\": " + std::to_string(s.nightKelvinNow);
    out += ", \"night_until\": " + jsonTextOrNull(s.nightUntil);
    out += ", \"night_paused_until\": " + jsonTextOrNull(s.nightPausedUntil);
    out += ", \"display_trouble\": " + jsonTextOrNull(s.displayTrouble);
    return out + "}\n";
}

std::string RemoteControl::wireReply(const RemoteReply& reply) {
    return std::to_string(reply.status) + "\n" + reply.text;
}

std::optional<RemoteReply> RemoteControl::readWireReply(std::string_view bytes) {
    const std::size_t end = bytes.find('\n');
    if (end != 1 || bytes[0] < '0' || bytes[0] > '9')
        return std::nullopt;
    return RemoteReply{bytes[0] - '0', std::string(bytes.substr(2))};
}

} // namespace ocuvell
