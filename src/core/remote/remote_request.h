#pragma once
// A request from outside (the command line now, other front ends later), read from the
// words a user typed or from the one line the running copy receives. Both ends read it
// the same way: the command line refuses bad usage before it looks for a running copy, and
// the running copy trusts nothing it receives.
#include "core/model/colour_model.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ocuvell {

enum class RemoteVerb { Status, Level, Eye, Restore, RestNow, RestLater, Reminders, Show, Quit };
enum class RemoteSwitch { On, Off, Toggle };

struct RemoteRequest {
    RemoteVerb verb = RemoteVerb::Status;
    bool json = false;                      // status: one JSON object
    Level level = Level::Brightness;        // Level
    int amount = 0;                         // Level: the value, or the step when relative
    bool relative = false;                  // Level: +N or -N
    RemoteSwitch toggle = RemoteSwitch::On; // Eye, Reminders
    std::optional<int> minutes;             // RestLater: instead of the stored postpone
};

struct ParsedRequest {
    std::optional<RemoteRequest> request;
    std::string problem;    // why not, in a few words, when there is no request
    bool malformed = false; // not even words of the protocol: dropped unanswered
};

// The longest line the running copy reads; a longer one is dropped.
inline constexpr std::size_t kMaxRequestBytes = 4096;

// Whether a first argument names a command for the running copy.
bool isRemoteCommand(std::string_view word);
ParsedRequest parseRemoteRequest(const std::vector<std::string>& words);
// One line as sent: words of printable ASCII, one space apart, no line end. Anything
// else is malformed (nothing comes back, and problem says why).
ParsedRequest parseRemoteLine(std::string_view line);
// The line a parsed command line sends: its words one space apart.
std::string remoteLine(const std::vector<std::string>& words);
// The commands, one a line, for --help.
const char* remoteCommandsHelp();

} // namespace ocuvell
