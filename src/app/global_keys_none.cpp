// A build with no way to take keys from the desktop: every key set is reported as such.
#include "app/global_keys.h"

namespace ocuvell {

struct GlobalKeys::Native {};

GlobalKeys::GlobalKeys(std::function<void(Shortcut)> pressed) : pressed_(std::move(pressed)) {}

GlobalKeys::~GlobalKeys() = default;

bool GlobalKeys::canTake() const {
    return false;
}

KeyTake GlobalKeys::take(Shortcut, const std::string& keyText) {
    return keyText.empty() ? KeyTake::None : KeyTake::NoGrabs;
}

} // namespace ocuvell
