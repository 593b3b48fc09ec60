// A Windows program always has a desktop to show its windows on. It has no console of its
// own either (it is a windows-subsystem program), so its answers to the command line go to
// the console of the shell that started it, unless its output is already redirected.
#include "app/command_line.h"

#include <cstdio>
#include <windows.h>

namespace ocuvell {

bool sessionHasDisplay() {
    return true;
}

void printToCallersConsole() {
    const auto missing = [](DWORD which) {
        const HANDLE handle = ::GetStdHandle(which);
        return handle == nullptr || handle == INVALID_HANDLE_VALUE;
    };
    const bool out = missing(STD_OUTPUT_HANDLE), err = missing(STD_ERROR_HANDLE);
    if ((!out && !err) || !::AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    FILE* ignored = nullptr;
    if (out)
        (void)freopen_s(&ignored, "CONOUT$", "w", stdout);
    if (err)
        (void)freopen_s(&ignored, "CONOUT$", "w", stderr);
}

} // namespace ocuvell
