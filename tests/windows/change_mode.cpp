// Changes the screen's mode through Windows, as a game or the display settings would, for
// the check of the real program under Wine (tests/windows/check_program.sh): Windows then
// sends every top-level window WM_DISPLAYCHANGE. (A mode changed from outside, by xrandr,
// reaches Wine's metrics but no window hears of it.)
//   change_mode.exe WIDTH HEIGHT
#include <cstdio>
#include <cstdlib>
#include <windows.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: change_mode WIDTH HEIGHT\n");
        return 2;
    }
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = static_cast<DWORD>(std::atoi(argv[1]));
    mode.dmPelsHeight = static_cast<DWORD>(std::atoi(argv[2]));
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    const LONG result = ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr);
    if (result != DISP_CHANGE_SUCCESSFUL) {
        std::fprintf(stderr, "change_mode: ChangeDisplaySettingsExW gave %ld\n", result);
        return 1;
    }
    return 0;
}
