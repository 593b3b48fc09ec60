#pragma once
// The Windows display made of one device context per monitor, over the few GDI calls it
// needs. The calls sit behind GdiCalls so that tests can play the ways Windows behaves:
// the real ones are in gdi_display.cpp.
#include "core/display/display.h"

#include <memory>
#include <string>
#include <vector>

namespace ocuvell {

// A monitor as Windows lists it: the device name CreateDCW takes, and its rectangle on
// the desktop (a new mode or arrangement changes it).
struct GdiMonitor {
    std::wstring device;
    int left = 0, top = 0, right = 0, bottom = 0;
    bool primary = false;
    friend bool operator==(const GdiMonitor&, const GdiMonitor&) = default;
};

class GdiCalls {
  public:
    using Dc = void*;
    virtual ~GdiCalls() = default;
    // EnumDisplayMonitors with GetMonitorInfoW.
    virtual std::vector<GdiMonitor> monitors() = 0;
    // CreateDCW(L"DISPLAY", device) and DeleteDC; nullptr when Windows gives none.
    virtual Dc open(const std::wstring& device) = 0;
    virtual void close(Dc dc) = 0;
    virtual bool getRamp(Dc dc, GammaRamp& out) = 0;
    virtual bool setRamp(Dc dc, const GammaRamp& ramp) = 0;
    // Between two attempts at a refused ramp.
    virtual void pause(int milliseconds) = 0;
};

// One device context per monitor. Each monitor's ramp at first sight is its base; reads
// give the primary monitor's ramp, and a ramp written is carried over to every other
// monitor's own base. A write counts only when every monitor took it (a refusal is tried
// again a few times, and each ramp is read back). The monitors are listed again before
// each read and write, and reopened when they changed. nullptr when no monitor gives a
// device context or a ramp (why says which).
std::unique_ptr<Display> makeGdiDisplay(std::unique_ptr<GdiCalls> calls, DisplayTrouble* why);

// Whether Windows' default limit refuses ramp: an entry more than half scale (128 of
// 256 levels) from identity.
bool beyondGammaRange(const GammaRamp& ramp);

} // namespace ocuvell
