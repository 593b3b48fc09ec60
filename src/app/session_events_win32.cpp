// Sleep and resume (WM_POWERBROADCAST), lock and unlock (WM_WTSSESSION_CHANGE), and the
// display events after which Windows may have reset the ramp (WM_DISPLAYCHANGE, the
// console display switched on, a resume from modern standby, which may never send the
// classic resume), sent to top-level windows: a hidden one of our own receives them, apart
// from Qt's windows.
#include "app/session_events.h"

#include <windows.h>
#include <wtsapi32.h>

namespace ocuvell {

struct SessionEvents::Native {
    HWND window = nullptr;
    HPOWERNOTIFY displayState = nullptr;
    HPOWERNOTIFY suspendResume = nullptr;
};

namespace {

const wchar_t kClass[] = L"OcuvellSessionEvents";
// GUID_CONSOLE_DISPLAY_STATE, spelled here: the SDK's is only declared without INITGUID.
const GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

LRESULT CALLBACK sessionWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* events = reinterpret_cast<SessionEvents*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (events && message == WM_POWERBROADCAST) {
        if (wParam == PBT_APMSUSPEND) {
            QMetaObject::invokeMethod(events, "prepareForSleep", Qt::QueuedConnection,
                                      Q_ARG(bool, true));
        } else if (wParam == PBT_APMRESUMEAUTOMATIC) {
            QMetaObject::invokeMethod(events, "prepareForSleep", Qt::QueuedConnection,
                                      Q_ARG(bool, false));
            QMetaObject::invokeMethod(events, "displayChanged", Qt::QueuedConnection);
        } else if (wParam == PBT_APMRESUMESUSPEND) {
            // The user's own wake: the display is on now.
            QMetaObject::invokeMethod(events, "displayChanged", Qt::QueuedConnection);
        } else if (wParam == PBT_POWERSETTINGCHANGE) {
            const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
            // 0 off, 1 on, 2 dimmed: only switching on can find the ramp reset.
            if (setting && IsEqualGUID(setting->PowerSetting, kConsoleDisplayState) &&
                setting->DataLength >= sizeof(DWORD) &&
                *reinterpret_cast<const DWORD*>(setting->Data) == 1)
                QMetaObject::invokeMethod(events, "displayChanged", Qt::QueuedConnection);
        }
        return TRUE;
    }
    if (events && message == WM_DISPLAYCHANGE) {
        QMetaObject::invokeMethod(events, "displayChanged", Qt::QueuedConnection);
        return 0;
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
    native_->displayState = RegisterPowerSettingNotification(native_->window, &kConsoleDisplayState,
                                                             DEVICE_NOTIFY_WINDOW_HANDLE);
    native_->suspendResume =
        RegisterSuspendResumeNotification(native_->window, DEVICE_NOTIFY_WINDOW_HANDLE);
    listening_ = true;
}

SessionEvents::~SessionEvents() {
    if (native_->window) {
        if (native_->displayState)
            UnregisterPowerSettingNotification(native_->displayState);
        if (native_->suspendResume)
            UnregisterSuspendResumeNotification(native_->suspendResume);
        WTSUnRegisterSessionNotification(native_->window);
        SetWindowLongPtrW(native_->window, GWLP_USERDATA, 0);
        DestroyWindow(native_->window);
    }
}

} // namespace ocuvell
