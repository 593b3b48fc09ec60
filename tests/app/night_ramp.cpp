// The ramp the model gives the display for a program folder's config.ini at a moment, night
// colour and eye protection as stored, as 768 numbers (red, green, blue), for the check of
// the real program under a faked clock (check_night_x11.sh) to compare with the CRTC's.
//   night_ramp FOLDER UTC_SECONDS UTC_OFFSET_SECONDS
#include "core/display/backends.h"
#include "core/model/model.h"
#include "core/settings/settings_place.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace {

class FixedClock : public ocuvell::Clock {
  public:
    FixedClock(long long utc, int offset) : utc_(utc), offset_(offset) {}
    int secondsOfDay() const override { return static_cast<int>((utc_ + offset_) % 86400); }
    long long localMinutes() const override { return (utc_ + offset_) / 60; }
    long long utcSeconds() const override { return utc_; }
    int utcOffsetAt(long long) const override { return offset_; }

  private:
    long long utc_;
    int offset_;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: night_ramp FOLDER UTC_SECONDS UTC_OFFSET_SECONDS\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    FixedClock clock(std::atoll(argv[2]), std::atoi(argv[3]));
    ocuvell::SettingsPlace place({folder, folder / "user"});
    auto display = ocuvell::makeMemoryDisplay();
    ocuvell::Display* shown = display.get();
    ocuvell::Model model(std::move(display), clock, place);
    model.colour().captureDisplay();
    if (model.storedEyeMode())
        model.colour().eyeModeOn();
    model.loadNightSettings();
    ocuvell::GammaRamp ramp;
    if (!shown->readRamp(ramp))
        return 1;
    for (std::uint16_t v : ramp.entries)
        std::cout << v << '\n';
    std::fprintf(stderr, "night_ramp: %d K\n", model.night().kelvinNow());
    return 0;
}
