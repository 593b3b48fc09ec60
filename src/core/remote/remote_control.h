#pragma once
// The operations other programs may ask of the running copy, each through the same model
// operation the windows use, and what they answer. The command line's socket calls
// answerLine; another front end (a bus object, shortcuts) calls the operations themselves.
#include "core/model/model.h"
#include "core/remote/remote_request.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace ocuvell {

// What only the windows can do: bring the main window up, and end as the tray's Exit.
class RemoteFront {
  public:
    virtual ~RemoteFront() = default;
    virtual void showWindow() = 0;
    virtual void quit() = 0;
};

struct RemoteReply {
    static constexpr int kDone = 0;
    static constexpr int kBadUsage = 2;
    static constexpr int kNoRunningCopy = 3;
    static constexpr int kRefused = 4;
    int status = kDone;
    std::string text; // a line or a few; for a refusal, the reason
};

// Everything status reports, as values.
struct RemoteStatus {
    std::array<int, 5> levels{}; // by Level
    bool eyeMode = false;
    bool reminders = false;
    int intervalMinutes = 0;
    int restLengthMinutes = 0;
    std::string nextRest; // "hh:mm", empty before the first
    std::string stage;    // "off", "waiting", "tip up" or "resting"
    bool nightOn = false;
    int nightKelvinNow = 6500;
    std::string nightUntil;       // "hh:mm" while the night's colour shows and ends
    std::string nightPausedUntil; // "hh:mm" while paused
    std::string displayTrouble;   // empty when the colours can be changed
};

class RemoteControl {
  public:
    RemoteControl(Model& model, RemoteFront& front) : model_(model), front_(front) {}

    // One received line: nothing for a malformed one, which is dropped unanswered.
    std::optional<RemoteReply> answerLine(std::string_view line);
    RemoteReply answer(const RemoteRequest& request);

    // --- The operations ------------------------------------------------------------
    // A level to a value within its slider's range (refused outside it), or a step from
    // where it is, stopping at the range's ends as the slider does.
    RemoteReply setLevel(Level level, int value);
    RemoteReply stepLevel(Level level, int step);
    RemoteReply setEyeMode(RemoteSwitch to);
    RemoteReply restore();
    RemoteReply restNow();
    RemoteReply restLater(std::optional<int> minutes);
    RemoteReply setReminders(bool on);
    RemoteReply show();
    RemoteReply quit();
    RemoteStatus status() const;

    static std::string statusText(const RemoteStatus& s);
    static std::string statusJson(const RemoteStatus& s);
    // On the wire: the status on the first line, then the text.
    static std::string wireReply(const RemoteReply& reply);
    static std::optional<RemoteReply> readWireReply(std::string_view bytes);

  private:
    RemoteReply colourDone(std::string text) const;

    Model& model_;
    RemoteFront& front_;
};

} // namespace ocuvell
