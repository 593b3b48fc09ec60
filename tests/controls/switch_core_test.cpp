// The toggle switch's state machine: frames, Click and hover events, press and release.
#include "core/controls/switch_core.h"

#include <gtest/gtest.h>

using namespace ocuvell;
using Event = SwitchStep::Event;

namespace {

SwitchCore hovered() {
    SwitchCore s;
    s.poll(true);
    return s;
}

} // namespace

TEST(SwitchCore, SkinsSelectStripSizeAndMasks) {
    EXPECT_EQ(switchSkin(0).frameWidth, 78);
    EXPECT_EQ(switchSkin(0).heightTwips, 345);
    EXPECT_EQ(switchSkin(1).widthTwips, 1110);
    EXPECT_EQ(switchSkin(1).frameHeight, 24);
    EXPECT_EQ(switchSkin(1).maskOff, 3);
    for (int other : {2, 7, -1, 1000}) {
        const SwitchSkin s = switchSkin(other);
        EXPECT_EQ(s.index, 2);
        EXPECT_EQ(s.frameWidth * 15, s.widthTwips);
        EXPECT_EQ(s.frameHeight * 15, s.heightTwips);
        EXPECT_EQ(s.maskOn, 4);
        EXPECT_EQ(s.maskOff, 5);
    }
}

TEST(SwitchCore, AssigningValueAlwaysDrawsAndClicks) {
    SwitchCore s;
    SwitchStep step = s.setValue(true); // unchanged
    EXPECT_TRUE(step.draw);
    EXPECT_EQ(step.event, Event::Click);
    EXPECT_EQ(s.frameIndex(), 0);
    step = s.setValue(false);
    EXPECT_EQ(step.event, Event::Click);
    EXPECT_EQ(s.frameIndex(), 4);
    EXPECT_EQ(s.mask(), 1);
}

TEST(SwitchCore, DisabledAssignmentShowsDisabledFrameAndStillClicks) {
    SwitchCore s;
    EXPECT_EQ(s.setEnable(false).event, Event::None);
    EXPECT_EQ(s.frameIndex(), 3);
    EXPECT_EQ(s.setValue(false).event, Event::Click);
    EXPECT_EQ(s.frameIndex(), 7);
    EXPECT_EQ(s.setValue(true).event, Event::Click);
    EXPECT_EQ(s.frameIndex(), 3);
    // Mouse and poll are ignored while disabled.
    EXPECT_FALSE(s.poll(true).draw);
    EXPECT_FALSE(s.pressLeft().draw);
    EXPECT_FALSE(s.hover());
}

TEST(SwitchCore, PollRaisesEventsOnlyOnChange) {
    SwitchCore s;
    SwitchStep step = s.poll(true);
    EXPECT_EQ(step.event, Event::MouseIn);
    EXPECT_EQ(s.frameIndex(), 1);
    step = s.poll(true);
    EXPECT_FALSE(step.draw);
    EXPECT_EQ(step.event, Event::None);
    step = s.poll(false);
    EXPECT_EQ(step.event, Event::MouseOut);
    EXPECT_EQ(s.frameIndex(), 0);
    EXPECT_FALSE(s.poll(false).draw);
}

TEST(SwitchCore, ContainsIncludesTheFarColumnAndRow) {
    EXPECT_TRUE(switchContains(0, 0, 78, 23));
    EXPECT_TRUE(switchContains(78, 23, 78, 23));
    EXPECT_FALSE(switchContains(79, 10, 78, 23));
    EXPECT_FALSE(switchContains(10, 24, 78, 23));
    EXPECT_FALSE(switchContains(-1, 10, 78, 23));
}

TEST(SwitchCore, CompletedClickToggles) {
    SwitchCore s = hovered();
    EXPECT_EQ(s.pressLeft().event, Event::None);
    EXPECT_EQ(s.frameIndex(), 2);
    EXPECT_FALSE(s.pendingValue());
    const SwitchStep step = s.releaseLeft();
    EXPECT_EQ(step.event, Event::Click);
    EXPECT_FALSE(s.value());
    EXPECT_EQ(s.frameIndex(), 5); // hover look of off
}

TEST(SwitchCore, DragOutCancelsAndDragBackInCompletes) {
    SwitchCore s = hovered();
    s.pressLeft();
    EXPECT_EQ(s.poll(false).event, Event::MouseOut);
    EXPECT_EQ(s.frameIndex(), 0);
    EXPECT_FALSE(s.releaseLeft().draw);
    EXPECT_TRUE(s.value());

    s.poll(true);
    s.pressLeft();
    s.poll(false);
    EXPECT_EQ(s.poll(true).event, Event::MouseIn);
    EXPECT_EQ(s.frameIndex(), 1);
    EXPECT_EQ(s.releaseLeft().event, Event::Click);
    EXPECT_FALSE(s.value());
}

TEST(SwitchCore, PressAndReleaseBeforeFirstPollAreIgnored) {
    SwitchCore s;
    s.pressLeft();
    EXPECT_EQ(s.frameIndex(), 2);
    EXPECT_FALSE(s.releaseLeft().draw);
    EXPECT_TRUE(s.value());
    EXPECT_EQ(s.frameIndex(), 2); // stays pressed until the next poll change
    s.poll(true);
    EXPECT_EQ(s.frameIndex(), 1);
}

TEST(SwitchCore, ReenablingKeepsTheLastHoverUntilThePollSees) {
    SwitchCore s = hovered();
    s.setEnable(false);
    EXPECT_FALSE(s.poll(false).draw); // disabled: hover kept
    s.setEnable(true);
    EXPECT_EQ(s.frameIndex(), 1);
    EXPECT_EQ(s.poll(false).event, Event::MouseOut);
    EXPECT_EQ(s.frameIndex(), 0);
}

TEST(SwitchCore, ValueFollowsHoverLook) {
    SwitchCore s = hovered();
    s.setValue(false);
    EXPECT_EQ(s.frameIndex(), 5);
}
