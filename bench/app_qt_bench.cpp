// Start-up of the main window: construct, load and show Form1 with an in-memory
// display, on whatever Qt platform is set (offscreen by default, xcb on the dummy X
// server), plus the process's resident memory once a window is up.
#include "core/display/backends.h"
#include "core/settings/settings_place.h"
#include "ui/forms/form1.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

class FixedClock : public ocuvell::Clock {
  public:
    int secondsOfDay() const override { return 10 * 3600; }
};

long residentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

ocuvell::Form1Hooks quietHooks() {
    ocuvell::Form1Hooks h;
    h.warn = [](const QString&, const QString&) {};
    h.openUrl = [](const QUrl&) {};
    h.quit = [] {};
    return h;
}

// A program folder with the settings a returning user has: eye protection on.
std::filesystem::path prepareFolder(bool eyeOn) {
    const auto dir = std::filesystem::temp_directory_path() /
                     (eyeOn ? "ocuvell-bench-eye" : "ocuvell-bench-plain");
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "config.ini")
        << "[dsxx]\nmei=45\nxiuxi=5\npdrun=1\n[eye]\nliangdu=0\nduibidu=90\nrgbr=0\n"
        << "rgbg=-5\nrgbb=-20\npdrun=" << (eyeOn ? "1" : "0") << "\n";
    return dir;
}

void startUp(benchmark::State& state, bool eyeOn) {
    ocuvell::SettingsPlace place({prepareFolder(eyeOn), {}});
    FixedClock clock;
    for (auto _ : state) {
        ocuvell::Model model(ocuvell::makeMemoryDisplay(), clock, place);
        ocuvell::Form1 form(model, quietHooks());
        form.Show();
        QApplication::processEvents(); // the first paint
        benchmark::DoNotOptimize(form.isVisible());
    }
    state.counters["rss_kb"] = static_cast<double>(residentKb());
}

void BM_Form1StartUp(benchmark::State& state) {
    startUp(state, false);
}
void BM_Form1StartUpEyeProtection(benchmark::State& state) {
    startUp(state, true);
}
BENCHMARK(BM_Form1StartUp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Form1StartUpEyeProtection)->Unit(benchmark::kMillisecond);

// Memory of one main window that stays up, next to the bare application.
void BM_Form1ResidentMemory(benchmark::State& state) {
    ocuvell::SettingsPlace place({prepareFolder(true), {}});
    FixedClock clock;
    const long before = residentKb();
    auto model = std::make_unique<ocuvell::Model>(ocuvell::makeMemoryDisplay(), clock, place);
    auto form = std::make_unique<ocuvell::Form1>(*model, quietHooks());
    form->Show();
    QApplication::processEvents();
    for (auto _ : state)
        benchmark::DoNotOptimize(form->Slider1()); // nothing to time; the counters matter
    state.counters["rss_kb"] = static_cast<double>(residentKb());
    state.counters["form1_kb"] = static_cast<double>(residentKb() - before);
}
BENCHMARK(BM_Form1ResidentMemory)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
