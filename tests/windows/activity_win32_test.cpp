// The Windows sources of what the desktop says of the user, as far as Wine answers.
#include "core/rest/activity.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace ocuvell {
namespace {

TEST(ActivityWin32, IdleTimeComesFromTheLastInputAndFullScreenIsAskedEverySecond) {
    const std::unique_ptr<IdleSource> idle = openIdleSource();
    ASSERT_TRUE(idle);
    const std::optional<long long> ms = idle->idleMilliseconds();
    ASSERT_TRUE(ms.has_value());
    EXPECT_GE(*ms, 0);
    EXPECT_LT(*ms, 49LL * 24 * 3600 * 1000); // the counter's difference, not a wrapped one

    const std::unique_ptr<FullscreenSource> fullscreen = openFullscreenSource();
    ASSERT_TRUE(fullscreen);
    EXPECT_TRUE(fullscreen->needsPolling());
    EXPECT_EQ(fullscreen->fd(), -1);
    EXPECT_FALSE(fullscreen->fullscreenActive()); // no window of this test has the screen
}

// A window of the given class, without a frame, over the given rectangle, in front.
HWND frontWindow(const wchar_t* className, const RECT& r) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    RegisterClassW(&wc);
    HWND w =
        CreateWindowExW(0, className, L"", WS_POPUP | WS_VISIBLE, r.left, r.top, r.right - r.left,
                        r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
    SetForegroundWindow(w);
    return w;
}

TEST(ActivityWin32, FullScreenIsAWindowCoveringItsMonitorExactlyButNotTheDesktop) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &info));
    const RECT m = info.rcMonitor;
    const std::unique_ptr<FullscreenSource> fullscreen = openFullscreenSource();

    HWND game = frontWindow(L"OcuvellTestGame", m);
    if (!game)
        GTEST_SKIP() << "no windows here (Wine without an X display)";
    ASSERT_EQ(GetForegroundWindow(), game);
    EXPECT_TRUE(fullscreen->fullscreenActive());
    // A maximised window's frame reaches past the monitor on every side.
    SetWindowPos(game, nullptr, m.left - 8, m.top - 8, m.right - m.left + 16, m.bottom - m.top + 16,
                 SWP_NOZORDER);
    EXPECT_FALSE(fullscreen->fullscreenActive());
    DestroyWindow(game);

    for (const wchar_t* desktop : {L"WorkerW", L"Progman"}) {
        HWND w = frontWindow(desktop, m);
        ASSERT_EQ(GetForegroundWindow(), w);
        EXPECT_FALSE(fullscreen->fullscreenActive()) << "a window of class WorkerW/Progman";
        DestroyWindow(w);
    }
}

} // namespace
} // namespace ocuvell
