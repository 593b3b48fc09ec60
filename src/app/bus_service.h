#pragma once
// The program on the session bus (Linux): a name of its own, the application id, and one
// object at the id's path whose methods run the operations the windows and the tray run
// and whose properties are the values they show, with PropertiesChanged on every change
// wherever it came from. Without a session bus, or with the name owned already, nothing
// is taken and nothing else changes.
#include <functional>
#include <memory>
#include <string>

namespace ocuvell {

class Model;

struct BusHooks {
    std::function<void()> show; // the main window, as the tray's Display brings it up
    std::function<void()> quit; // as the tray's Exit
};

class BusService {
  public:
    // The model outlives the service.
    BusService(Model& model, const std::string& appId, BusHooks hooks);
    ~BusService();
    BusService(const BusService&) = delete;
    BusService& operator=(const BusService&) = delete;

    // Whether the name and the object are on the bus.
    bool published() const { return published_; }

  private:
    struct Native;
    std::unique_ptr<Native> native_;
    bool published_ = false;
};

} // namespace ocuvell
