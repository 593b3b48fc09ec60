#include "display/backends.h"

namespace ocuvell {

namespace {

// Stands in for a display that cannot be controlled: remembers the last ramp written.
class MemoryDisplay final : public Display {
  public:
    bool readRamp(GammaRamp& out) override {
        out = ramp_;
        return true;
    }
    bool writeRamp(const GammaRamp& ramp) override {
        ramp_ = ramp;
        return true;
    }
    std::string name() const override { return "memory"; }

  private:
    GammaRamp ramp_ = GammaRamp::identity();
};

} // namespace

std::unique_ptr<Display> makeMemoryDisplay() {
    return std::make_unique<MemoryDisplay>();
}

} // namespace ocuvell
