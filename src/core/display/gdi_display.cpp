// Windows GDI: one device context per monitor (gdi_monitors.cpp holds the logic). The
// desktop window's single context fails on an extended desktop on recent Windows, and
// elsewhere reaches only the primary monitor.
#include "core/display/backends.h"
#include "core/display/gdi_monitors.h"

#include <windows.h>

namespace ocuvell {
namespace {

class WindowsGdiCalls final : public GdiCalls {
  public:
    ~WindowsGdiCalls() override = default;

    std::vector<GdiMonitor> monitors() override {
        std::vector<GdiMonitor> list;
        ::EnumDisplayMonitors(nullptr, nullptr, &WindowsGdiCalls::addMonitor,
                              reinterpret_cast<LPARAM>(&list));
        return list;
    }
    Dc open(const std::wstring& device) override {
        // An empty name is the whole desktop: only when Windows lists no monitor at all.
        if (device.empty())
            return desktop_ = ::GetDC(nullptr);
        return ::CreateDCW(L"DISPLAY", device.c_str(), nullptr, nullptr);
    }
    void close(Dc dc) override {
        if (dc == desktop_) {
            ::ReleaseDC(nullptr, static_cast<HDC>(dc));
            desktop_ = nullptr;
        } else {
            ::DeleteDC(static_cast<HDC>(dc));
        }
    }
    // The ramp block is exactly the 768 WORDs, red then green then blue, that GDI takes.
    bool getRamp(Dc dc, GammaRamp& out) override {
        return ::GetDeviceGammaRamp(static_cast<HDC>(dc), out.entries.data()) != FALSE;
    }
    bool setRamp(Dc dc, const GammaRamp& ramp) override {
        // SetDeviceGammaRamp takes a non-const pointer but only reads the block.
        return ::SetDeviceGammaRamp(static_cast<HDC>(dc),
                                    const_cast<std::uint16_t*>(ramp.entries.data())) != FALSE;
    }
    void pause(int milliseconds) override { ::Sleep(static_cast<DWORD>(milliseconds)); }

  private:
    static BOOL CALLBACK addMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
        MONITORINFOEXW info{};
        info.cbSize = sizeof info;
        if (::GetMonitorInfoW(monitor, &info)) {
            const RECT& r = info.rcMonitor;
            reinterpret_cast<std::vector<GdiMonitor>*>(list)->push_back(
                {info.szDevice, r.left, r.top, r.right, r.bottom,
                 (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
        }
        return TRUE;
    }

    Dc desktop_ = nullptr;
};

static_assert(sizeof(WORD) == sizeof(std::uint16_t));

} // namespace

std::unique_ptr<Display> openGdiDisplay(DisplayTrouble* why) {
    return makeGdiDisplay(std::make_unique<WindowsGdiCalls>(), why);
}

} // namespace ocuvell
