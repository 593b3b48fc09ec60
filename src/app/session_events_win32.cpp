// Sleep and resume (WM_POWERBROADCAST), lock and unlock (WM_WTSSESSION_CHANGE), sent to
// top-level windows: a hidden one of our own receives them, apart from Qt's windows.
#include "app/session_events.h"

#include <windows.h>
#include <wtsapi32.h>

namespace ocuvell {

struct SessionEvents::Native {
    HWND window = nullptr;
};

namespace {

const wchar_t kClass[] = L"OcuvellSessionEvents";

LRESULT CALLBACK sessionWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* events = reinterpret_cast<SessionEvents*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (events && message == WM_POWERBROADCAST) {
        if (wParam == PBT_APMSUSPEND)
            QMetaObject::invokeMethod(events, "prepareForSleep", Qt::QueuedConnection,
                                      Q_ARG(bool, true));
        else if (wParam == PBT_APMRESUMEAUTOMATIC)
            QMetaObject::invokeMethod(events, "prepareForSleep", Qt::QueuedConnection,
                                      Q_ARG(bool, false));
        return TRUE;
    }
    if (events && message == WM_WTSSESSION_CHANGE) {
        if (wParam == WTS_SESSION_LOCK)
            QMetaObject::invokeMethod(events, "locked", Qt::QueuedConnection);
        else if (wParam == WTS_SESSION_UNLOCK)
            QMetaObject::invokeMethod(events, "unlocked", Qt::QueuedConnection);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace

SessionEvents::SessionEvents(std::function<void(Away)> away, std::function<void()> back)
    : away_(std::move(away)), back_(std::move(back)), native_(std::make_unique<Native>()) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = sessionWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc); // a second registration fails harmlessly
    // A top-level window that is never shown: message-only windows get no broadcasts.
    native_->window = CreateWindowExW(0, kClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                      wc.hInstance, nullptr);
    if (!native_->window)
        return;
    SetWindowLongPtrW(native_->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    WTSRegisterSessionNotification(native_->window, NOTIFY_FOR_THIS_SESSION);
    listening_ = true;
}

SessionEvents::~SessionEvents() {
    if (native_->window) {
        WTSUnRegisterSessionNotification(native_->window);
        SetWindowLongPtrW(native_->window, GWLP_USERDATA, 0);
        DestroyWindow(native_->window);
    }
}

} // namespace ocuvell
