// A build without X11 or Windows: the desktop tells nothing about the user.
#include "core/rest/activity.h"

namespace ocuvell {

std::unique_ptr<IdleSource> openIdleSource() {
    return nullptr;
}

std::unique_ptr<FullscreenSource> openFullscreenSource() {
    return nullptr;
}

} // namespace ocuvell
