// Building each kind of ramp, and one slider change end to end through the engine and
// the X11 backend next to the bare RandR call it wraps.
#include "core/display/backends.h"
#include "core/display/gamma_engine.h"
#include "core/display/ramp_state.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

#ifdef OCUVELL_HAVE_X11
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#endif

namespace {

using namespace ocuvell;

// An engine over the in-memory display isolates the arithmetic from any server.
std::unique_ptr<GammaEngine> capturedMemoryEngine() {
    auto engine = std::make_unique<GammaEngine>(makeMemoryDisplay());
    engine->capture();
    return engine;
}

void BM_BuildBrightness(benchmark::State& state) {
    const std::unique_ptr<GammaEngine> held = capturedMemoryEngine();
    GammaEngine& engine = *held;
    int level = -50;
    for (auto _ : state) {
        engine.rampall(level);
        level = level == 50 ? -50 : level + 1;
        benchmark::DoNotOptimize(engine.newramp());
    }
}
BENCHMARK(BM_BuildBrightness);

void BM_BuildContrast(benchmark::State& state) {
    const std::unique_ptr<GammaEngine> held = capturedMemoryEngine();
    GammaEngine& engine = *held;
    int percent = 1;
    for (auto _ : state) {
        engine.contrast(percent);
        percent = percent == 100 ? 1 : percent + 1;
        benchmark::DoNotOptimize(engine.newramp());
    }
}
BENCHMARK(BM_BuildContrast);

void BM_BuildColour(benchmark::State& state) {
    const std::unique_ptr<GammaEngine> held = capturedMemoryEngine();
    GammaEngine& engine = *held;
    int level = -50;
    for (auto _ : state) {
        engine.colour(level, -level, level / 2);
        level = level == 50 ? -50 : level + 1;
        benchmark::DoNotOptimize(engine.newramp());
    }
}
BENCHMARK(BM_BuildColour);

#ifdef OCUVELL_HAVE_X11
const char* benchDisplay() {
    for (const char* var : {"OCUVELL_TEST_XDISPLAY", "DISPLAY"})
        if (const char* name = std::getenv(var); name && *name)
            return name;
    return nullptr;
}

// One brightness slider step: rebuild, resample to each CRTC, set, wait for the server;
// with an argument of 1 also the record of the applied ramp, batched as the program keeps
// it (written once a quarter second after the steps; BM_RecordAppliedRamp times a write).
void BM_SliderChangeThroughEngineX11(benchmark::State& state) {
    DisplayTrouble why = DisplayTrouble::NoTrouble;
    auto display = benchDisplay() ? openX11Display(benchDisplay(), &why) : nullptr;
    if (!display) {
        state.SkipWithError(
            (std::string("no X display with RandR gamma: ") + troubleWords(why)).c_str());
        return;
    }
    GammaEngine engine(std::move(display));
    const auto recordDir = std::filesystem::temp_directory_path() / "ocuvell-display-bench";
    if (state.range(0) == 1) {
        engine.keepRecord(std::make_unique<RampState>(recordDir / kRampStateFileName));
        engine.record()->batchWrites([] {});
    }
    if (!engine.capture()) {
        state.SkipWithError("capture failed");
        return;
    }
    int level = -50;
    for (auto _ : state) {
        engine.rampall(level);
        level = level == 50 ? -50 : level + 1;
    }
    engine.applyBase(); // leave the server's ramp as it was found
    std::error_code ec;
    std::filesystem::remove_all(recordDir, ec);
}
BENCHMARK(BM_SliderChangeThroughEngineX11)->Arg(0)->Arg(1)->UseRealTime();

// The record alone: format and write it whole, as one changed slider step does.
void BM_RecordAppliedRamp(benchmark::State& state) {
    const auto dir = std::filesystem::temp_directory_path() / "ocuvell-record-bench";
    RampState record(dir / kRampStateFileName);
    GammaRamp ramp = GammaRamp::identity();
    for (auto _ : state) {
        ramp.at(2, 255) ^= 1;
        record.applied(GammaRamp::identity(), ramp);
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}
BENCHMARK(BM_RecordAppliedRamp)->UseRealTime();

// The floor: XRRSetCrtcGamma on each CRTC with a ramp, then XSync.
void BM_BareSetCrtcGammaX11(benchmark::State& state) {
    ::Display* dpy = benchDisplay() ? XOpenDisplay(benchDisplay()) : nullptr;
    if (!dpy) {
        state.SkipWithError("no X display (set OCUVELL_TEST_XDISPLAY or DISPLAY)");
        return;
    }
    XRRScreenResources* res = XRRGetScreenResourcesCurrent(dpy, DefaultRootWindow(dpy));
    std::vector<std::pair<RRCrtc, XRRCrtcGamma*>> crtcs;
    for (int i = 0; res && i < res->ncrtc; ++i)
        if (const int size = XRRGetCrtcGammaSize(dpy, res->crtcs[i]); size > 0)
            crtcs.emplace_back(res->crtcs[i], XRRGetCrtcGamma(dpy, res->crtcs[i]));
    std::vector<std::uint16_t> saved;
    for (auto& [crtc, gamma] : crtcs)
        saved.push_back(gamma->red[1]);
    std::uint16_t bump = 0;
    for (auto _ : state) {
        for (auto& [crtc, gamma] : crtcs) {
            gamma->red[1] = bump; // a different ramp each time, as a slider gives
            XRRSetCrtcGamma(dpy, crtc, gamma);
        }
        XSync(dpy, False);
        bump = static_cast<std::uint16_t>(bump ^ 1);
    }
    for (std::size_t i = 0; i < crtcs.size(); ++i) {
        crtcs[i].second->red[1] = saved[i];
        XRRSetCrtcGamma(dpy, crtcs[i].first, crtcs[i].second);
        XRRFreeGamma(crtcs[i].second);
    }
    XSync(dpy, False);
    if (res)
        XRRFreeScreenResources(res);
    XCloseDisplay(dpy);
}
BENCHMARK(BM_BareSetCrtcGammaX11)->UseRealTime();
#endif

} // namespace
