// Cost of one full redraw of each custom control and of a resting hover poll, on the
// offscreen platform; and of the poll's pointer query on the X server named by DISPLAY.
#include "core/controls/pointer_probe.h"
#include "ui/widgets/prog_button.h"
#include "ui/widgets/safe_switch.h"
#include "ui/widgets/switch_poll.h"

#include <QApplication>
#include <QPixmap>
#include <benchmark/benchmark.h>

using namespace ocuvell;

namespace {

class StillCursor : public CursorSource {
  public:
    QPoint globalPos() const override { return {5, 5}; }
};

// Value assignment redraws the persistent image; render() is what a repaint shows.
void BM_ProgButtonRedraw(benchmark::State& state) {
    ProgButton pb;
    pb.resize(297, 41);
    pb.setMax(3);
    QPixmap target(297, 41);
    int v = 0;
    for (auto _ : state) {
        pb.setValue(v++ % 4);
        pb.render(&target);
    }
}
BENCHMARK(BM_ProgButtonRedraw);

void BM_ProgButtonRedrawOnly(benchmark::State& state) {
    ProgButton pb;
    pb.resize(297, 41);
    pb.setMax(3);
    int v = 0;
    for (auto _ : state)
        pb.setValue(v++ % 4);
}
BENCHMARK(BM_ProgButtonRedrawOnly);

void BM_SafeSwitchRedraw(benchmark::State& state) {
    SafeSwitch sw;
    QPixmap target(sw.size());
    bool v = false;
    for (auto _ : state) {
        sw.setValue(v = !v);
        sw.render(&target);
    }
}
BENCHMARK(BM_SafeSwitchRedraw);

// The poll at rest: one cursor query, no drawing.
void BM_SafeSwitchRestingPoll(benchmark::State& state) {
    StillCursor cursor;
    QWidget window;
    SwitchPoll& poll = SwitchPoll::ensure(&window);
    poll.setCursorSource(&cursor);
    new SafeSwitch(&window);
    window.show();
    poll.tick();
    for (auto _ : state)
        poll.tick();
}
BENCHMARK(BM_SafeSwitchRestingPoll);

// The pointer query a poll makes on X11: one round trip to the server (DISPLAY).
void BM_X11PointerQuery(benchmark::State& state) {
    const std::unique_ptr<PointerProbe> probe = openX11PointerProbe();
    if (!probe) {
        state.SkipWithError("no X server: set DISPLAY");
        return;
    }
    int x = 0, y = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(probe->position(x, y));
}
BENCHMARK(BM_X11PointerQuery);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
