// A build without Qt's D-Bus module hears of no sleep and no lock.
#include "app/session_events.h"

namespace ocuvell {

struct SessionEvents::Native {};

SessionEvents::SessionEvents(std::function<void(Away)> away, std::function<void()> back)
    : away_(std::move(away)), back_(std::move(back)) {}

SessionEvents::~SessionEvents() = default;

} // namespace ocuvell
