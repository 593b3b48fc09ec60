// The Windows sources of what the desktop says of the user, as far as Wine answers.
#include "core/rest/activity.h"

#include <gtest/gtest.h>

namespace ocuvell {
namespace {

TEST(ActivityWin32, IdleTimeComesFromTheLastInputAndFullScreenIsAskedEverySecond) {
    const std::unique_ptr<IdleSource> idle = openIdleSource();
    ASSERT_TRUE(idle);
    const std::optional<long long> ms = idle->idleMilliseconds();
    ASSERT_TRUE(ms.has_value());
    EXPECT_GE(*ms, 0);
    EXPECT_LT(*ms, 49LL * 24 * 3600 * 1000); // the counter's difference, not a wrapped one

    const std::unique_ptr<FullscreenSource> fullscreen = openFullscreenSource();
    ASSERT_TRUE(fullscreen);
    EXPECT_TRUE(fullscreen->needsPolling());
    EXPECT_EQ(fullscreen->fd(), -1);
    EXPECT_FALSE(fullscreen->fullscreenActive()); // no window of this test has the screen
}

} // namespace
} // namespace ocuvell
