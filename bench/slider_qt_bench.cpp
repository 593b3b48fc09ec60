// A drag over a slow display: 50 brightness steps in one second through a slider, on a
// display whose every write takes 200 ms (as some Windows drivers' do), first with the
// ramp written on the window's thread, then through the colour model's background writer.
// For each: the writes made, whether the last level reached the display, the longest the
// event loop went without turning, and the input latency (how long an input event, posted
// every 10 ms from another thread as the window system would, waited to be handled).
// Usage: slider_qt_bench [STEPS] [STEP_MS] [WRITE_MS]   (default 50 20 200)
#include "core/display/backends.h"
#include "core/model/colour_model.h"
#include "core/settings/settings_place.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

using namespace ocuvell;

namespace {

class SlowDisplay final : public ocuvell::Display {
  public:
    explicit SlowDisplay(int writeMs) : writeMs_(writeMs) {}
    bool readRamp(GammaRamp& out) override {
        const std::lock_guard<std::mutex> lock(lock_);
        out = ramp_;
        return true;
    }
    bool writeRamp(const GammaRamp& ramp) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(writeMs_));
        const std::lock_guard<std::mutex> lock(lock_);
        ramp_ = ramp;
        ++writes;
        return true;
    }
    std::string name() const override { return "slow"; }
    std::atomic<int> writes{0};

  private:
    const int writeMs_;
    std::mutex lock_;
    GammaRamp ramp_ = GammaRamp::identity();
};

// An input event stamped with the moment it was posted.
class Input : public QEvent {
  public:
    static inline const QEvent::Type kType = static_cast<QEvent::Type>(QEvent::registerEventType());
    explicit Input(qint64 postedNs) : QEvent(kType), postedNs(postedNs) {}
    qint64 postedNs;
};

class LatencyProbe : public QObject {
  public:
    explicit LatencyProbe(const QElapsedTimer& clock) : clock_(clock) {}
    std::vector<double> waitsMs;

  protected:
    bool event(QEvent* e) override {
        if (e->type() != Input::kType)
            return QObject::event(e);
        waitsMs.push_back((clock_.nsecsElapsed() - static_cast<Input*>(e)->postedNs) / 1e6);
        return true;
    }

  private:
    const QElapsedTimer& clock_;
};

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(p * (v.size() - 1) + 0.5))];
}

void drag(bool background, int steps, int stepMs, int writeMs) {
    QTemporaryDir dir;
    const std::filesystem::path folder = dir.path().toStdString();
    SettingsPlace place(SettingsFolders{folder, folder / "user"});
    auto owned = std::make_unique<SlowDisplay>(writeMs);
    SlowDisplay& display = *owned;
    ColourModel model(std::move(owned), place);
    model.captureDisplay();
    if (background)
        model.writeInBackground([](std::function<void()> done) {
            QMetaObject::invokeMethod(qApp, std::move(done), Qt::QueuedConnection);
        });
    QSlider slider(Qt::Horizontal);
    slider.setRange(-50, 50);
    QObject::connect(&slider, &QSlider::valueChanged,
                     [&model](int v) { model.setLevel(Level::Brightness, v); });

    QElapsedTimer clock;
    clock.start();
    // The loop's turns: the longest gap between two ticks of a 5 ms timer.
    qint64 lastTick = 0, longestGapNs = 0;
    QTimer ticks;
    ticks.setTimerType(Qt::PreciseTimer);
    ticks.setInterval(5);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (lastTick)
            longestGapNs = std::max(longestGapNs, now - lastTick);
        lastTick = now;
    });
    LatencyProbe probe(clock);
    std::atomic<bool> posting{true};
    std::thread input([&] {
        while (posting) {
            QCoreApplication::postEvent(&probe, new Input(clock.nsecsElapsed()));
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });

    const int last = -steps % 51;
    int step = 0;
    qint64 releasedNs = 0;
    QTimer stepper;
    stepper.setTimerType(Qt::PreciseTimer);
    stepper.setInterval(stepMs);
    QEventLoop loop;
    QObject::connect(&stepper, &QTimer::timeout, [&] {
        slider.setValue(-(++step % 51));
        if (step < steps)
            return;
        stepper.stop();
        releasedNs = clock.nsecsElapsed();
        // After the release, until the display has its last ramp.
        auto* wait = new QTimer(&slider);
        QObject::connect(wait, &QTimer::timeout, [&] {
            if (!model.engine().writing())
                loop.quit();
        });
        wait->start(5);
    });
    ticks.start();
    stepper.start();
    loop.exec();
    const qint64 doneNs = clock.nsecsElapsed();
    posting = false;
    input.join();
    QCoreApplication::sendPostedEvents(&probe);

    GammaRamp shown;
    display.readRamp(shown);
    auto reference = makeMemoryDisplay();
    GammaEngine expected(std::move(reference));
    expected.capture();
    expected.rampall(last);
    const bool finalApplied = model.level(Level::Brightness) == last && shown == expected.newramp();
    std::printf("%-22s %d steps in %.0f ms: %d writes, last level %s, %.0f ms from release "
                "to the last write; longest without an event-loop turn %.1f ms; input latency "
                "median %.1f ms, 95th percentile %.1f ms, longest %.1f ms\n",
                background ? "background writer:" : "window's thread:", steps, releasedNs / 1e6,
                display.writes.load(), finalApplied ? "applied" : "NOT APPLIED",
                (doneNs - releasedNs) / 1e6, longestGapNs / 1e6, percentile(probe.waitsMs, 0.5),
                percentile(probe.waitsMs, 0.95), percentile(probe.waitsMs, 1.0));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int steps = argc > 1 ? std::atoi(argv[1]) : 50;
    const int stepMs = argc > 2 ? std::atoi(argv[2]) : 20;
    const int writeMs = argc > 3 ? std::atoi(argv[3]) : 200;
    std::printf("%d brightness steps, one each %d ms; every display write takes %d ms\n", steps,
                stepMs, writeMs);
    drag(false, steps, stepMs, writeMs);
    drag(true, steps, stepMs, writeMs);
    return 0;
}
