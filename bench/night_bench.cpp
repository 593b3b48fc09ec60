// One minute of night colour during a transition: the schedule's look (the sun's elevation,
// the next look) and the tinted ramp written through the engine, beside a bare ramp write
// through the same engine; on the X11 backend when a display is given, else in memory.
#include "core/display/backends.h"
#include "core/display/gamma_engine.h"
#include "core/night/night_schedule.h"
#include "core/rest/clock.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

using namespace ocuvell;

// Beijing, 2025-03-20, a few minutes after sunset: the evening's change is under way.
constexpr long long kDuringChange = 1742465400;

class MinuteClock : public Clock {
  public:
    long long utc = kDuringChange;
    int secondsOfDay() const override { return static_cast<int>((utc + 8 * 3600) % 86400); }
    long long utcSeconds() const override { return utc; }
    int utcOffsetAt(long long) const override { return 8 * 3600; }
};

std::unique_ptr<Display> benchDisplay(bool x11) {
#ifdef OCUVELL_HAVE_X11
    if (x11) {
        for (const char* var : {"OCUVELL_TEST_XDISPLAY", "DISPLAY"})
            if (const char* name = std::getenv(var); name && *name)
                return openX11Display(name, nullptr);
        return nullptr;
    }
#endif
    return x11 ? nullptr : makeMemoryDisplay();
}

// Arg 1: the X11 backend; 0: in memory.
void BM_NightMinuteLookAndWrite(benchmark::State& state) {
    GammaEngine engine(benchDisplay(state.range(0) != 0));
    if (!engine.capture()) {
        state.SkipWithError("no display to capture (set OCUVELL_TEST_XDISPLAY or DISPLAY)");
        return;
    }
    engine.colour(0, -5, -15);
    MinuteClock clock;
    NightSchedule night(clock);
    NightChoice choice;
    choice.on = true;
    choice.place = GeoPoint{39.9042, 116.4074};
    choice.kelvin = 3400;
    night.choose(choice);
    for (auto _ : state) {
        clock.utc = clock.utc == kDuringChange + 20 * 60 ? kDuringChange : clock.utc + 60;
        night.look();
        engine.setTint(night.factors());
        benchmark::DoNotOptimize(night.msUntilNextLook());
    }
    engine.setTint(GammaEngine::kNoTint);
}
BENCHMARK(BM_NightMinuteLookAndWrite)->Arg(0)->Arg(1)->UseRealTime();

// The same engine writing a ramp it already built, without night colour.
void BM_BareRampWrite(benchmark::State& state) {
    GammaEngine engine(benchDisplay(state.range(0) != 0));
    if (!engine.capture()) {
        state.SkipWithError("no display to capture (set OCUVELL_TEST_XDISPLAY or DISPLAY)");
        return;
    }
    engine.colour(0, -5, -15);
    for (auto _ : state)
        benchmark::DoNotOptimize(engine.reapply());
}
BENCHMARK(BM_BareRampWrite)->Arg(0)->Arg(1)->UseRealTime();

} // namespace
