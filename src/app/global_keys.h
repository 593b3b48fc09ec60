#pragma once
// The shortcuts' keys taken from the whole desktop, so that they work whichever window has
// the focus: grabbed on the X server's root window, or registered as Windows hot keys. A
// press runs the action through the callback; a key another program holds is not taken
// and is said so, never dropped in silence.
#include "core/model/shortcuts.h"

#include <functional>
#include <memory>

namespace ocuvell {

class GlobalKeys : public ShortcutKeys {
  public:
    explicit GlobalKeys(std::function<void(Shortcut)> pressed);
    ~GlobalKeys() override;
    GlobalKeys(const GlobalKeys&) = delete;
    GlobalKeys& operator=(const GlobalKeys&) = delete;

    KeyTake take(Shortcut action, const std::string& keyText) override;
    bool canTake() const override;

  private:
    struct Native;
    std::unique_ptr<Native> native_;
    std::function<void(Shortcut)> pressed_;
};

} // namespace ocuvell
