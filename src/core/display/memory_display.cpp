#include "core/display/backends.h"

#include <utility>

namespace ocuvell {

namespace {

// Stands in for a display that cannot be controlled: remembers the last ramp written.
class MemoryDisplay final : public Display {
  public:
    explicit MemoryDisplay(std::string why) : why_(std::move(why)) {}
    bool readRamp(GammaRamp& out) override {
        out = ramp_;
        return true;
    }
    bool writeRamp(const GammaRamp& ramp) override {
        ramp_ = ramp;
        return true;
    }
    std::string name() const override { return "memory"; }
    std::string why() const override { return why_; }

  private:
    GammaRamp ramp_ = GammaRamp::identity();
    std::string why_;
};

} // namespace

std::unique_ptr<Display> makeMemoryDisplay(std::string why) {
    return std::make_unique<MemoryDisplay>(std::move(why));
}

} // namespace ocuvell
