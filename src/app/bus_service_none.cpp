// A build without Qt's D-Bus module, or a system without a session bus of its own: the
// program is reached through its windows, its tray and its command line only.
#include "app/bus_service.h"

namespace ocuvell {

struct BusService::Native {};

BusService::BusService(RemoteControl&, Model&, const std::string&) {}

BusService::~BusService() = default;

} // namespace ocuvell
