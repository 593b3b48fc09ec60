#pragma once
// Only one copy of the program runs at a time.
#include <memory>
#include <string>

namespace ocuvell {

class SingleInstance {
  public:
    SingleInstance() = default;
    // Running without the lock: why it could not be taken.
    explicit SingleInstance(std::string problem) : problem_(std::move(problem)) {}
    virtual ~SingleInstance() = default;

    // Empty while the lock is held; otherwise why the program runs without it, in a few
    // words for the user.
    const std::string& problem() const { return problem_; }

  private:
    std::string problem_;
};

// Claims the program-wide instance lock named name (on Windows the mutex
// Local\Tevaro.Ocuvell.<name>, which the installer looks for). nullptr when another instance
// holds it. A lock left by a crashed instance does not count: the system releases it
// with the process. When the lock cannot be taken for another reason the program runs
// all the same, and problem() says why.
std::unique_ptr<SingleInstance> claimSingleInstance(const std::string& name);

} // namespace ocuvell
