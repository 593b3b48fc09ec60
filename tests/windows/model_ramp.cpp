// The ramp the model gives for a program folder's config.ini and monitor.txt with eye
// protection on, as 768 numbers (red, green, blue), for the check of the real program
// under Wine (tests/windows/check_program.sh) to compare with the X server's ramp.
//   model_ramp.exe FOLDER OUT_FILE
#include "core/display/backends.h"
#include "core/model/colour_model.h"
#include "core/settings/settings_place.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: model_ramp FOLDER OUT_FILE\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    ocuvell::SettingsPlace place({folder, folder / "user"});
    auto display = ocuvell::makeMemoryDisplay();
    ocuvell::Display* shown = display.get();
    ocuvell::ColourModel model(std::move(display), place);
    model.captureDisplay();
    model.eyeModeOn();
    ocuvell::GammaRamp ramp;
    if (!shown->readRamp(ramp))
        return 1;
    std::ofstream out(argv[2]);
    for (std::uint16_t v : ramp.entries)
        out << v << '\n';
    return out.good() ? 0 : 1;
}
