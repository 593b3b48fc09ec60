#pragma once
// Only one copy of the program runs at a time.
#include <memory>
#include <string>

namespace ocuvell {

class SingleInstance {
  public:
    virtual ~SingleInstance() = default;
};

// Claims the program-wide instance lock named name. nullptr when another instance
// holds it. A lock left by a crashed instance does not count: the system releases it
// with the process.
std::unique_ptr<SingleInstance> claimSingleInstance(const std::string& name);

} // namespace ocuvell
