#include "core/remote/remote_request.h"

#include "core/settings/settings_table.h"

#include <array>
#include <charconv>

namespace ocuvell {
namespace {

struct LevelWord {
    std::string_view word;
    Level level;
};

constexpr std::array<LevelWord, 5> kLevelWords{{{"brightness", Level::Brightness},
                                                {"contrast", Level::Contrast},
                                                {"red", Level::Red},
                                                {"green", Level::Green},
                                                {"blue", Level::Blue}}};

// The commands besides the levels, in RemoteVerb's order from Status: one list, so that a
// command word that is also a settings section is spelled with the settings alone.
constexpr std::string_view kCommandWords = "status  eye restore rest rest reminders show quit";

std::optional<RemoteVerb> verbOf(std::string_view word) {
    if (word.empty() || word.find(' ') != std::string_view::npos)
        return std::nullopt;
    std::size_t at = 0;
    for (int verb = 0; at < kCommandWords.size(); ++verb) {
        const std::size_t end = std::min(kCommandWords.find(' ', at), kCommandWords.size());
        if (kCommandWords.substr(at, end - at) == word)
            return static_cast<RemoteVerb>(verb);
        at = end + 1;
    }
    return std::nullopt;
}

ParsedRequest refuse(std::string problem) {
    return {std::nullopt, std::move(problem)};
}

ParsedRequest malformed(std::string problem) {
    return {std::nullopt, std::move(problem), true};
}

ParsedRequest accept(const RemoteRequest& request) {
    return {request, {}};
}

// Whole minutes or a level's value: a few digits, no blanks.
std::optional<int> smallNumber(std::string_view text) {
    if (text.empty() || text.size() > 6)
        return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// N, +N or -N as the sliders take them; =N (=-10 too) sets a value below zero.
ParsedRequest levelRequest(Level level, const std::vector<std::string>& words) {
    const std::string name(words[0]);
    if (words.size() != 2)
        return refuse(name + " takes one value: N, +N or -N");
    std::string_view text = words[1];
    RemoteRequest request;
    request.verb = RemoteVerb::Level;
    request.level = level;
    bool negative = false;
    if (text.starts_with('=')) {
        text.remove_prefix(1);
        if (text.starts_with('-')) {
            negative = true;
            text.remove_prefix(1);
        }
    } else if (text.starts_with('+') || text.starts_with('-')) {
        request.relative = true;
        negative = text.starts_with('-');
        text.remove_prefix(1);
    }
    const std::optional<int> number = smallNumber(text);
    if (!number)
        return refuse(name + " takes a whole number (N, +N or -N), not \"" + words[1] + "\"");
    request.amount = negative ? -*number : *number;
    return accept(request);
}

ParsedRequest switchRequest(RemoteVerb verb, const std::vector<std::string>& words, bool toggles) {
    RemoteRequest request;
    request.verb = verb;
    if (words.size() == 2 && words[1] == "on")
        request.toggle = RemoteSwitch::On;
    else if (words.size() == 2 && words[1] == "off")
        request.toggle = RemoteSwitch::Off;
    else if (toggles && words.size() == 2 && words[1] == "toggle")
        request.toggle = RemoteSwitch::Toggle;
    else
        return refuse(words[0] + (toggles ? " takes on, off or toggle" : " takes on or off"));
    return accept(request);
}

ParsedRequest restRequest(const std::vector<std::string>& words) {
    RemoteRequest request;
    if (words.size() == 2 && words[1] == "now") {
        request.verb = RemoteVerb::RestNow;
        return accept(request);
    }
    if ((words.size() == 2 || words.size() == 3) && words[1] == "later") {
        request.verb = RemoteVerb::RestLater;
        if (words.size() == 3) {
            const SettingRow& bounds = row(Setting::PostponeMinutes);
            request.minutes = smallNumber(words[2]);
            if (!request.minutes || *request.minutes < bounds.min || *request.minutes > bounds.max)
                return refuse("rest later takes whole minutes from " + std::to_string(bounds.min) +
                              " to " + std::to_string(bounds.max));
        }
        return accept(request);
    }
    return refuse("rest takes now, or later with whole minutes if you like");
}

ParsedRequest alone(RemoteVerb verb, const std::vector<std::string>& words) {
    if (words.size() != 1)
        return refuse(words[0] + " takes nothing more");
    RemoteRequest request;
    request.verb = verb;
    return accept(request);
}

} // namespace

bool isRemoteCommand(std::string_view word) {
    for (const LevelWord& l : kLevelWords)
        if (l.word == word)
            return true;
    return verbOf(word).has_value();
}

ParsedRequest parseRemoteRequest(const std::vector<std::string>& words) {
    if (words.empty())
        return refuse("no command");
    const std::string& verb = words[0];
    for (const LevelWord& l : kLevelWords)
        if (l.word == verb)
            return levelRequest(l.level, words);
    const std::optional<RemoteVerb> known = verbOf(verb);
    if (known == RemoteVerb::Status) {
        RemoteRequest request;
        request.verb = RemoteVerb::Status;
        if (words.size() == 2 && words[1] == "--json")
            request.json = true;
        else if (words.size() != 1)
            return refuse("status takes only --json");
        return accept(request);
    }
    switch (known.value_or(RemoteVerb::Level)) {
    case RemoteVerb::Eye:
        return switchRequest(RemoteVerb::Eye, words, true);
    case RemoteVerb::Reminders:
        return switchRequest(RemoteVerb::Reminders, words, false);
    case RemoteVerb::RestNow:
    case RemoteVerb::RestLater:
        return restRequest(words);
    case RemoteVerb::Restore:
    case RemoteVerb::Show:
    case RemoteVerb::Quit:
        return alone(*known, words);
    default:
        return refuse("unknown command");
    }
}

ParsedRequest parseRemoteLine(std::string_view line) {
    if (line.empty() || line.size() > kMaxRequestBytes)
        return malformed("an empty or overlong line");
    std::vector<std::string> words(1);
    for (char c : line) {
        if (c == ' ') {
            if (words.back().empty())
                return malformed("words are one space apart");
            words.emplace_back();
        } else if (c > ' ' && c < 0x7f) {
            words.back() += c;
        } else {
            return malformed("bytes that are not printable ASCII");
        }
    }
    if (words.back().empty())
        return malformed("words are one space apart");
    return parseRemoteRequest(words);
}

std::string remoteLine(const std::vector<std::string>& words) {
    std::string line;
    for (const std::string& word : words) {
        if (!line.empty())
            line += ' ';
        line += word;
    }
    return line;
}

const char* remoteCommandsHelp() {
    return "Commands for the running copy:\n"
           "  status [--json]                 the values, one a line (or one JSON object)\n"
           "  brightness|contrast|red|green|blue N|+N|-N|=N\n"
           "                                  set or step a level as its slider does\n"
           "                                  (=N also takes a value below zero)\n"
           "  eye on|off|toggle               eye-protection mode\n"
           "  restore                         the default ramp back on the display\n"
           "  rest now                        start a rest\n"
           "  rest later [MINUTES]            the next rest later (1 to 120 minutes)\n"
           "  reminders on|off                rest reminders\n"
           "  show                            bring up the main window\n"
           "  quit                            end the running copy, as the tray's Exit does\n"
           "Exit status: 0 done, 2 bad usage, 3 no running copy, 4 refused by the running "
           "copy.\n";
}

} // namespace ocuvell
