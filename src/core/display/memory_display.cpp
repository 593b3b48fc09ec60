#include "core/display/backends.h"

#include <utility>

namespace ocuvell {

namespace {

// Stands in for a display that cannot be controlled: remembers the last ramp written.
class MemoryDisplay final : public Display {
  public:
    explicit MemoryDisplay(DisplayTrouble why) : why_(why) {}
    bool readRamp(GammaRamp& out) override {
        out = ramp_;
        return true;
    }
    bool writeRamp(const GammaRamp& ramp) override {
        ramp_ = ramp;
        return true;
    }
    std::string name() const override { return "memory"; }
    DisplayTrouble trouble() const override { return why_; }

  private:
    GammaRamp ramp_ = GammaRamp::identity();
    DisplayTrouble why_;
};

} // namespace

std::unique_ptr<Display> makeMemoryDisplay(DisplayTrouble why) {
    return std::make_unique<MemoryDisplay>(why);
}

} // namespace ocuvell
