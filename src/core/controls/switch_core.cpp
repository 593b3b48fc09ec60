#include "core/controls/switch_core.h"

namespace ocuvell {

SwitchSkin switchSkin(int skin) {
    switch (skin) {
    case 0:
        return {0, 78, 23, 1170, 345, 0, 1};
    case 1:
        return {1, 74, 24, 1110, 360, 2, 3};
    default:
        return {2, 36, 16, 540, 240, 4, 5};
    }
}

int SwitchCore::mask() const {
    const SwitchSkin s = currentSkin();
    return value_ ? s.maskOn : s.maskOff;
}

SwitchLook SwitchCore::restingLook() const {
    if (!enable_)
        return SwitchLook::Disabled;
    return hover_ ? SwitchLook::Hover : SwitchLook::Normal;
}

SwitchStep SwitchCore::setEnable(bool enable) {
    enable_ = enable;
    frameIndex_ = switchFrame(restingLook(), value_);
    return {true, SwitchStep::Event::None};
}

SwitchStep SwitchCore::setValue(bool value) {
    value_ = value;
    frameIndex_ = switchFrame(restingLook(), value_);
    return {true, SwitchStep::Event::Click};
}

SwitchStep SwitchCore::setSkin(int skin) {
    skin_ = skin;
    return {true, SwitchStep::Event::None};
}

SwitchStep SwitchCore::poll(bool inside) {
    if (!enable_ || inside == hover_)
        return {};
    hover_ = inside;
    frameIndex_ = switchFrame(inside ? SwitchLook::Hover : SwitchLook::Normal, value_);
    return {true, inside ? SwitchStep::Event::MouseIn : SwitchStep::Event::MouseOut};
}

SwitchStep SwitchCore::pressLeft() {
    if (!enable_)
        return {};
    pendingValue_ = !value_;
    frameIndex_ = switchFrame(SwitchLook::Pressed, value_);
    return {true, SwitchStep::Event::None};
}

// A release counts only while the last poll saw the cursor inside: releasing after a
// drag out cancels the click, as users expect from a push control.
SwitchStep SwitchCore::releaseLeft() {
    if (!enable_ || !hover_)
        return {};
    value_ = pendingValue_;
    frameIndex_ = switchFrame(SwitchLook::Hover, value_);
    return {true, SwitchStep::Event::Click};
}

} // namespace ocuvell
