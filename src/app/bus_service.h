#pragma once
// The program on the session bus (Linux): a name of its own, the application id, and one
// object at the id's path whose methods run the operations the command line runs, through
// the same remote control, and whose properties are the values its status gives, with
// PropertiesChanged on every change wherever it came from. Without a session bus, or with
// the name owned already, nothing is taken and nothing else changes.
#include <memory>
#include <string>

namespace ocuvell {

class Model;
class RemoteControl;

class BusService {
  public:
    // The control and the model it works on (watched for changes) outlive the service.
    BusService(RemoteControl& control, Model& model, const std::string& appId);
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
