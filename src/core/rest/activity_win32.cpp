// The idle time from GetLastInputInfo, whose tick count wraps after 49.7 days; the
// full-screen state from the foreground window covering its monitor exactly (as browsers
// tell it: a maximised window's frame reaches past the monitor), or the shell saying the
// user must not be disturbed (a presentation, a full-screen game). Windows sends no
// notice of either, so the schedule asks every second while it holds a tip back.
#include "core/rest/activity.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include <string_view>

namespace ocuvell {

namespace {

// The desktop's own windows cover the monitor too, and have the focus after a click on the
// wallpaper: the wallpaper's WorkerW and the shell's Progman.
bool desktopsOwn(HWND window) {
    if (window == GetDesktopWindow() || window == GetShellWindow())
        return true;
    wchar_t name[16] = {};
    const int n = GetClassNameW(window, name, 16);
    const std::wstring_view className(name, n > 0 ? static_cast<std::size_t>(n) : 0);
    return className == L"WorkerW" || className == L"Progman";
}

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
        if (!window || desktopsOwn(window))
            return false;
        RECT rect{};
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        if (!GetWindowRect(window, &rect) ||
            !GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
            return false;
        return EqualRect(&rect, &monitor.rcMonitor) != FALSE;
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
