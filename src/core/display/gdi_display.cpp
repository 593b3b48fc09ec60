// Windows GDI: the gamma ramp of the desktop window's device context.
#include "core/display/backends.h"

#include <windows.h>

namespace ocuvell {
namespace {

class GdiDisplay : public Display {
  public:
    explicit GdiDisplay(HDC dc) : dc_(dc) {}
    ~GdiDisplay() override { ::ReleaseDC(::GetDesktopWindow(), dc_); }
    GdiDisplay(const GdiDisplay&) = delete;
    GdiDisplay& operator=(const GdiDisplay&) = delete;

    // The ramp block is exactly the 768 WORDs, red then green then blue, that GDI takes.
    bool readRamp(GammaRamp& out) override {
        return ::GetDeviceGammaRamp(dc_, out.entries.data()) != FALSE;
    }
    bool writeRamp(const GammaRamp& ramp) override {
        // SetDeviceGammaRamp takes a non-const pointer but only reads the block.
        return ::SetDeviceGammaRamp(dc_, const_cast<std::uint16_t*>(ramp.entries.data())) != FALSE;
    }
    std::string name() const override { return "GDI"; }

  private:
    HDC dc_; // obtained once and kept for the whole run
};

static_assert(sizeof(WORD) == sizeof(std::uint16_t));

} // namespace

std::unique_ptr<Display> openGdiDisplay(DisplayTrouble* why) {
    HDC dc = ::GetDC(::GetDesktopWindow());
    if (!dc) {
        if (why)
            *why = DisplayTrouble::NoDeviceContext;
        return nullptr;
    }
    auto display = std::make_unique<GdiDisplay>(dc);
    // A driver without gamma support (some remote sessions and virtual adapters) fails
    // every read: better the in-memory display and a message than a silent engine.
    GammaRamp probe;
    if (!display->readRamp(probe)) {
        if (why)
            *why = DisplayTrouble::DriverWithoutGamma;
        return nullptr;
    }
    return display;
}

} // namespace ocuvell
