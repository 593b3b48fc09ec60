#pragma once
// SwitchCore: the toggle switch's state machine without any toolkit. The widget feeds it
// property assignments, poll results and mouse buttons, and acts on the returned Step:
// draw the current frame when asked, then raise the named event.
#include <cstdint>

namespace ocuvell {

struct SwitchSkin {
    int index;       // 0, 1 or 2: which strip and masks
    int frameWidth;  // pixels
    int frameHeight; // pixels
    int widthTwips;  // control size imposed on the host
    int heightTwips;
    int maskOn;  // mask number 0..5 used while Value is true
    int maskOff; // ... and while it is false
};

// 0 and 1 select their own skin; every other value selects skin 2.
SwitchSkin switchSkin(int skin);

// The strip of a skin holds eight frames: look + 0 for on, look + 4 for off.
enum class SwitchLook : int { Normal = 0, Hover = 1, Pressed = 2, Disabled = 3 };
constexpr int switchFrame(SwitchLook look, bool value) {
    return static_cast<int>(look) + (value ? 0 : 4);
}

// The hover test uses the whole client rectangle with both far edges included, so the
// column just right of the control and the row just below it count as inside.
constexpr bool switchContains(int x, int y, int width, int height) {
    return x >= 0 && x <= width && y >= 0 && y <= height;
}

struct SwitchStep {
    enum class Event { None, Click, MouseIn, MouseOut };
    bool draw = false;
    Event event = Event::None;
};

class SwitchCore {
  public:
    // A new instance: on, enabled, skin 0, normal look.
    SwitchCore() = default;

    bool enable() const { return enable_; }
    bool value() const { return value_; }
    int skin() const { return skin_; }
    SwitchSkin currentSkin() const { return switchSkin(skin_); }
    int frameIndex() const { return frameIndex_; }
    bool hover() const { return hover_; }
    bool pendingValue() const { return pendingValue_; }
    int mask() const;

    SwitchStep setEnable(bool enable);              // draw, no event
    SwitchStep setValue(bool value);                // draw, Click, always
    SwitchStep setSkin(int skin);                   // resize and draw, no event
    void setSkinQuietly(int skin) { skin_ = skin; } // stored-layout load: applied later

    // One poll with the cursor already known to be inside or outside. Ignored while disabled.
    SwitchStep poll(bool inside);
    SwitchStep pressLeft();
    SwitchStep releaseLeft();

  private:
    std::int32_t skin_ = 0;
    bool enable_ = true;
    bool value_ = true;
    bool pendingValue_ = false;
    bool hover_ = false;
    int frameIndex_ = 0;

    SwitchLook restingLook() const;
};

} // namespace ocuvell
