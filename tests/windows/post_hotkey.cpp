// Not a test: posts WM_HOTKEY for a shortcut to the running program's GUI thread, as the
// system does for a registered hot key, for the program check under Wine (where a key
// pressed on the X server may never reach a hot key).
// Usage: post_hotkey INDEX   (the shortcut's place in kShortcuts; the program's ids start
// at 0x4f00, as src/app/global_keys_win32.cpp numbers them)
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    HWND window = ::FindWindowW(nullptr, L"Ocuvell");
    const DWORD thread = window ? ::GetWindowThreadProcessId(window, nullptr) : 0;
    if (!thread) {
        std::fprintf(stderr, "post_hotkey: no window titled Ocuvell\n");
        return 1;
    }
    const WPARAM id = 0x4f00 + static_cast<WPARAM>(std::atoi(argv[1]));
    if (!::PostThreadMessageW(thread, WM_HOTKEY, id, 0)) {
        std::fprintf(stderr, "post_hotkey: PostThreadMessage failed (%lu)\n", ::GetLastError());
        return 1;
    }
    return 0;
}
