#pragma once
// The settings of config.ini, declared once: where each lives, what it may hold and what
// stands in for it. Every reader and writer of the file, and every control's range, is
// taken from here. The nine historical keys come first; the options of the [more] section
// follow in a table of their own, which the main window's close never writes.
#include "core/settings/settings_place.h"

#include <array>
#include <climits>
#include <optional>
#include <string>

namespace ocuvell {

enum class Setting {
    Interval,   // minutes between rests
    RestLength, // minutes of a rest
    Reminders,  // rest reminders on or off
    Brightness,
    Contrast,
    Red,
    Green,
    Blue,
    EyeMode, // eye-protection mode on or off
    // The options window's [more] section.
    DeferFullscreen,  // a due rest waits while a full-screen window has the focus
    AwayCountsAsRest, // time away from the keyboard counts as a rest taken
    PostponeMinutes,  // how much later the tray's postpone moves the next rest
    NightColour,      // night colour on or off
    NightKelvin,      // the night's colour temperature
    NightPlace,       // a time-zone name, "lat,lon", or "fixed" for the fixed times
    NightFrom,        // "hh:mm": the fixed time the night is complete
    NightTo,          // "hh:mm": the fixed time the day's colours are back
    // The keyboard shortcuts, as Qt's portable key text ("Ctrl+Alt+Up"); empty: none.
    KeyBrighter,
    KeyDarker,
    KeyEye,
    KeyRestNow,
    KeyRestLater,
};

// How a stored flag reads as on: reminders are on unless switched off explicitly, eye
// protection only when switched on explicitly (an absent key reads as its own name).
enum class FlagRule { NotAFlag, OnUnlessZero, OnOnlyWhenOne };

struct SettingRow {
    Setting setting;
    const char* section;
    const char* key;
    int min = 0;
    int max = 0;
    int neutral = 0; // the default of a number, the position that changes nothing of a level
    FlagRule flag = FlagRule::NotAFlag;
};

inline constexpr std::array<SettingRow, 9> kSettings{{
    // A minute or more: the rest arithmetic reduces it modulo a day.
    {Setting::Interval, "dsxx", "mei", 1, INT_MAX, 45},
    // Up to 555 minutes keeps the countdown's tick count within 16 bits.
    {Setting::RestLength, "dsxx", "xiuxi", 1, 555, 5},
    {Setting::Reminders, "dsxx", "pdrun", 0, 1, 1, FlagRule::OnUnlessZero},
    {Setting::Brightness, "eye", "liangdu", -50, 50, 0},
    {Setting::Contrast, "eye", "duibidu", 1, 100, 100},
    {Setting::Red, "eye", "rgbr", -50, 50, 0},
    {Setting::Green, "eye", "rgbg", -50, 50, 0},
    {Setting::Blue, "eye", "rgbb", -50, 50, 0},
    {Setting::EyeMode, "eye", "pdrun", 0, 1, 0, FlagRule::OnOnlyWhenOne},
}};

// Off unless stored as "1"; the postpone takes whole minutes from 1 to 120, and anything
// else stored stands for the default. Night colour's temperature is 1000 to 6500 K; its
// times are minutes of the day, stored as "hh:mm"; its place is text (absent: the city of
// the system's time zone). The shortcuts are text, absent for none.
inline constexpr std::array<SettingRow, 13> kMoreSettings{{
    {Setting::DeferFullscreen, "more", "defer_fullscreen", 0, 1, 0, FlagRule::OnOnlyWhenOne},
    {Setting::AwayCountsAsRest, "more", "away_counts_as_rest", 0, 1, 0, FlagRule::OnOnlyWhenOne},
    {Setting::PostponeMinutes, "more", "postpone_minutes", 1, 120, 10},
    {Setting::NightColour, "more", "night_colour", 0, 1, 0, FlagRule::OnOnlyWhenOne},
    {Setting::NightKelvin, "more", "night_kelvin", 1000, 6500, 4500},
    {Setting::NightPlace, "more", "night_place"},
    {Setting::NightFrom, "more", "night_from", 0, 1439, 20 * 60},
    {Setting::NightTo, "more", "night_to", 0, 1439, 6 * 60},
    {Setting::KeyBrighter, "more", "key_brighter"},
    {Setting::KeyDarker, "more", "key_darker"},
    {Setting::KeyEye, "more", "key_eye"},
    {Setting::KeyRestNow, "more", "key_rest_now"},
    {Setting::KeyRestLater, "more", "key_rest_later"},
}};

constexpr const SettingRow& row(Setting s) {
    const auto i = static_cast<std::size_t>(s);
    return i < kSettings.size() ? kSettings[i] : kMoreSettings[i - kSettings.size()];
}

// The stored text, or the key's own name when it is absent (readIniValue's contract).
std::string readSetting(SettingsPlace& place, Setting s);
// Writes text; std::nullopt removes the key.
void writeSetting(SettingsPlace& place, Setting s, const std::optional<std::string>& text);
// A number as every number is stored: decimal, a minus sign when negative.
void writeSetting(SettingsPlace& place, Setting s, int value);
// A stored number for a control with the setting's bounds: clamped into them as a slider
// takes it; nothing when the text is no whole number (an absent key reads as its name).
std::optional<int> storedLevel(const std::string& text, Setting s);
// A stored number within the setting's bounds as it is; anything else (absent, no whole
// number, out of bounds) gives the setting's default.
int storedNumberOrDefault(const std::string& text, Setting s);
// Whether a flag's text counts as on, by the setting's rule.
bool flagOn(Setting s, const std::string& text);

} // namespace ocuvell
