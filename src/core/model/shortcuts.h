#pragma once
// The keyboard shortcuts: the actions a key can run from anywhere on the desktop, and what
// the desktop let the program take. Taking a key is the platform's (a grab on the X
// server's root window, a hot key on Windows); a Wayland compositor lets no program take
// one, and its own settings bind the command line instead.
#include <array>
#include <string>

namespace ocuvell {

enum class Shortcut { Brighter, Darker, Eye, RestNow, RestLater };
inline constexpr std::array<Shortcut, 5> kShortcuts{
    Shortcut::Brighter, Shortcut::Darker, Shortcut::Eye, Shortcut::RestNow, Shortcut::RestLater};
// What a press of the brightness keys adds or takes away.
inline constexpr int kBrightnessKeyStep = 5;

// What became of a shortcut's key.
enum class KeyTake {
    None,     // no key set
    Taken,    // the key runs the action
    Held,     // another program holds the key
    Unusable, // no key of this keyboard, or one the desktop cannot take
    NoGrabs,  // this desktop lets no program take keys (Wayland)
};

class ShortcutKeys {
  public:
    virtual ~ShortcutKeys() = default;
    // Lets go of the action's key, then takes keyText (Qt's portable key text; empty:
    // none) for it.
    virtual KeyTake take(Shortcut action, const std::string& keyText) = 0;
    // False where the desktop lets no program take keys (a Wayland session).
    virtual bool canTake() const { return true; }
};

} // namespace ocuvell
