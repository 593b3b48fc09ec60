// Elsewhere everything watched is a descriptor: there are no event handles.
#include "app/event_watch.h"

namespace ocuvell {

void EventWatch::watchHandle(void*, std::function<void()>) {}

} // namespace ocuvell
