// The idle time from GetLastInputInfo, whose tick count wraps after 49.7 days; the
// full-screen state from the foreground window covering its monitor, or the shell saying
// the user must not be disturbed (a presentation, a full-screen game). Windows sends no
// notice of either, so the schedule asks every second while it holds a tip back.
#include "core/rest/activity.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

namespace ocuvell {

namespace {

class Win32Idle : public IdleSource {
  public:
    std::optional<long long> idleMilliseconds() override {
        LASTINPUTINFO info{};
        info.cbSize = sizeof info;
        if (!GetLastInputInfo(&info))
            return std::nullopt;
        return millisecondsBetween(GetTickCount(), info.dwTime);
    }
};

class Win32Fullscreen : public FullscreenSource {
  public:
    bool needsPolling() const override { return true; }
    bool fullscreenActive() override {
        QUERY_USER_NOTIFICATION_STATE state{};
        if (SHQueryUserNotificationState(&state) == S_OK &&
            (state == QUNS_BUSY || state == QUNS_RUNNING_D3D_FULL_SCREEN ||
             state == QUNS_PRESENTATION_MODE))
            return true;
        HWND window = GetForegroundWindow();
        if (!window || window == GetDesktopWindow() || window == GetShellWindow())
            return false;
        RECT rect{};
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        if (!GetWindowRect(window, &rect) ||
            !GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
            return false;
        const RECT& m = monitor.rcMonitor;
        return rect.left <= m.left && rect.top <= m.top && rect.right >= m.right &&
               rect.bottom >= m.bottom;
    }
};

} // namespace

std::unique_ptr<IdleSource> openIdleSource() {
    return std::make_unique<Win32Idle>();
}

std::unique_ptr<FullscreenSource> openFullscreenSource() {
    return std::make_unique<Win32Fullscreen>();
}

} // namespace ocuvell
