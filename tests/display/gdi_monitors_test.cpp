// The per-monitor GDI display over a fake of the GDI calls that plays what Windows is
// documented to do: the desktop's context refused on an extended desktop, a monitor that
// refuses ramps, one that says yes and keeps its ramp, a refusal once and then success,
// the default limit on how far a ramp may stray from identity.
#include "core/display/gamma_engine.h"
#include "core/display/gamma_ramp.h"
#include "core/display/gdi_monitors.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <vector>

namespace ocuvell {
namespace {

struct FakeMonitor {
    GdiMonitor monitor;
    GammaRamp ramp = GammaRamp::identity();
    bool givesDc = true, hasRamp = true;
    int refusals = 0;       // FALSE this many times; -1 always
    bool ignores = false;   // TRUE, and the ramp stays
    bool limited = true;    // Windows' default range
    bool skipsSame = false; // TRUE, and a ramp equal to the last one it took is not sent
    GammaRamp taken = GammaRamp::identity();
    int writes = 0;
};

struct FakeWorld {
    std::vector<FakeMonitor> monitors;
    bool listsNothing = false, desktopUsed = false;
    int pauses = 0, opens = 0, open = 0;
};

// A device context is the device name it was opened for; "" is the desktop's, which
// Windows refuses for gamma when the desktop spans several monitors.
class FakeGdi : public GdiCalls {
  public:
    explicit FakeGdi(std::shared_ptr<FakeWorld> world) : w_(std::move(world)) {}
    std::vector<GdiMonitor> monitors() override {
        std::vector<GdiMonitor> list;
        for (const FakeMonitor& m : w_->monitors)
            if (!w_->listsNothing)
                list.push_back(m.monitor);
        return list;
    }
    Dc open(const std::wstring& device) override {
        w_->desktopUsed |= device.empty();
        if (!device.empty() && (!find(device) || !find(device)->givesDc))
            return nullptr;
        ++w_->opens, ++w_->open;
        return new std::wstring(device);
    }
    void close(Dc dc) override {
        --w_->open;
        delete static_cast<std::wstring*>(dc);
    }
    bool getRamp(Dc dc, GammaRamp& out) override {
        FakeMonitor* m = target(dc);
        if (m && m->hasRamp)
            out = m->ramp;
        return m && m->hasRamp;
    }
    bool setRamp(Dc dc, const GammaRamp& ramp) override {
        FakeMonitor* m = target(dc);
        if (!m || (m->limited && beyondGammaRange(ramp)))
            return false;
        ++m->writes;
        if (m->refusals != 0) {
            m->refusals -= m->refusals > 0;
            return false;
        }
        if (m->skipsSame && ramp == m->taken)
            return true;
        if (!m->ignores)
            m->ramp = m->taken = ramp;
        return true;
    }
    void pause(int) override { ++w_->pauses; }

  private:
    FakeMonitor* find(const std::wstring& device) {
        for (FakeMonitor& m : w_->monitors)
            if (m.monitor.device == device)
                return &m;
        return nullptr;
    }
    FakeMonitor* target(Dc dc) {
        const std::wstring& device = *static_cast<std::wstring*>(dc);
        if (device.empty())
            return w_->monitors.size() == 1 ? &w_->monitors[0] : nullptr;
        return find(device);
    }
    std::shared_ptr<FakeWorld> w_;
};

FakeMonitor monitorAt(const wchar_t* device, int left, bool primary = false) {
    return {{device, left, 0, left + 1920, 1080, primary}};
}

GammaRamp built(const GammaRamp& base, int level) {
    GammaRamp r;
    for (std::size_t i = 0; i < r.entries.size(); ++i)
        r.entries[i] = levelTransfer(level, base.entries[i]);
    return r;
}

int largestDifference(const GammaRamp& a, const GammaRamp& b) {
    int most = 0;
    for (std::size_t i = 0; i < a.entries.size(); ++i)
        most = std::max(most, std::abs(int(a.entries[i]) - int(b.entries[i])));
    return most;
}

GammaRamp scaled(int numerator, int denominator) {
    GammaRamp r = GammaRamp::identity();
    for (auto& e : r.entries)
        e = static_cast<std::uint16_t>(e * numerator / denominator);
    return r;
}

class GdiMonitors : public ::testing::Test {
  protected:
    std::shared_ptr<FakeWorld> world = std::make_shared<FakeWorld>();
    std::unique_ptr<Display> display;
    DisplayTrouble why = DisplayTrouble::NoTrouble;

    Display& open() {
        display = makeGdiDisplay(std::make_unique<FakeGdi>(world), &why);
        EXPECT_NE(display, nullptr) << troubleWords(why);
        return *display;
    }
    void TearDown() override {
        display.reset();
        EXPECT_EQ(world->open, 0) << "a device context left open";
    }
};

TEST_F(GdiMonitors, AnExtendedDesktopGetsOneContextPerMonitorEachFromItsOwnBase) {
    const GammaRamp calibrated = scaled(9, 10);
    world->monitors = {monitorAt(L"\\\\.\\DISPLAY2", 1920), monitorAt(L"\\\\.\\DISPLAY1", 0, true)};
    world->monitors[0].ramp = calibrated;
    Display& d = open();
    GammaRamp read;
    ASSERT_TRUE(d.readRamp(read));
    EXPECT_EQ(read, GammaRamp::identity()); // the primary monitor's

    ASSERT_TRUE(d.writeRamp(built(GammaRamp::identity(), -30)));
    EXPECT_EQ(world->monitors[1].ramp, built(GammaRamp::identity(), -30));
    EXPECT_LE(largestDifference(world->monitors[0].ramp, built(calibrated, -30)), 2);
    // The primary's base written back gives each monitor its own.
    ASSERT_TRUE(d.writeRamp(GammaRamp::identity()));
    EXPECT_EQ(world->monitors[0].ramp, calibrated);
    EXPECT_FALSE(world->desktopUsed);

    // A primary base with a jump: the distances interpolated over do not overflow.
    display.reset();
    GammaRamp jump;
    for (std::size_t i = 0; i < jump.entries.size(); ++i)
        jump.entries[i] = i % GammaRamp::kSize < 128 ? 0 : 65535;
    world->monitors[1].ramp = jump;
    world->monitors[0].ramp = GammaRamp::identity();
    world->monitors[0].limited = world->monitors[1].limited = false;
    ASSERT_TRUE(open().writeRamp(jump));
    EXPECT_EQ(world->monitors[0].ramp, GammaRamp::identity());
}

TEST_F(GdiMonitors, AWriteCountsOnlyWhenEveryMonitorShowsIt) {
    world->monitors = {monitorAt(L"A", 0, true), monitorAt(L"B", 1920)};
    Display& d = open();
    const GammaRamp dim = built(GammaRamp::identity(), -20), dimmer = built(dim, -20);
    ASSERT_TRUE(d.writeRamp(dim));

    // A monitor that refuses every time: tried a few times, and the other put back.
    world->monitors[1].refusals = -1;
    EXPECT_FALSE(d.writeRamp(dimmer));
    EXPECT_EQ(d.refusal(), DisplayTrouble::RampNotTaken);
    EXPECT_EQ(world->monitors[1].writes, 1 + 3);
    EXPECT_EQ(world->pauses, 2);
    EXPECT_EQ(world->monitors[0].ramp, dim);
    // One that says yes and keeps its ramp.
    world->monitors[1].refusals = 0;
    world->monitors[1].ignores = true;
    EXPECT_FALSE(d.writeRamp(dimmer));
    EXPECT_EQ(world->monitors[0].ramp, dim);
    // A refusal once (as after a resume), then the ramp is taken.
    world->monitors[1].ignores = false;
    world->monitors[1].refusals = 1;
    EXPECT_TRUE(d.writeRamp(dimmer));
    EXPECT_EQ(world->monitors[1].ramp, dimmer);

    // Past Windows' default range: named as such. From identity the ends of the
    // brightness slider sit on the limit.
    EXPECT_TRUE(d.writeRamp(built(GammaRamp::identity(), -50)));
    EXPECT_FALSE(beyondGammaRange(built(GammaRamp::identity(), 50)));
    GammaRamp far = built(GammaRamp::identity(), -50);
    far.at(2, 255) = 100 * 256;
    EXPECT_FALSE(d.writeRamp(far));
    EXPECT_EQ(d.refusal(), DisplayTrouble::GammaRangeLimit);
    world->monitors[0].limited = world->monitors[1].limited = false; // the range raised to 256
    EXPECT_TRUE(d.writeRamp(far));
}

TEST_F(GdiMonitors, ReopenedWhenMonitorsComeGoOrChangeMode) {
    world->monitors = {monitorAt(L"A", 0, true)};
    Display& d = open();
    const GammaRamp dim = built(GammaRamp::identity(), -20), calibrated = scaled(9, 10);
    ASSERT_TRUE(d.writeRamp(dim));
    EXPECT_EQ(world->opens, 1);
    // A second monitor plugged in: its ramp then is its base.
    world->monitors.push_back(monitorAt(L"B", 1920));
    world->monitors[1].ramp = calibrated;
    ASSERT_TRUE(d.writeRamp(dim));
    EXPECT_LE(largestDifference(world->monitors[1].ramp, built(calibrated, -20)), 2);
    EXPECT_EQ(world->opens, 3);
    // A new mode on the first (Windows put its ramp back): reopened, its base kept.
    world->monitors[0].monitor.right = 1280;
    world->monitors[0].ramp = dim;
    ASSERT_TRUE(d.writeRamp(GammaRamp::identity()));
    EXPECT_EQ(world->opens, 5);
    EXPECT_EQ(world->monitors[0].ramp, GammaRamp::identity());
    EXPECT_EQ(world->monitors[1].ramp, calibrated);
    // The second unplugged: its context closed, writes go on.
    world->monitors.pop_back();
    ASSERT_TRUE(d.writeRamp(dim));
    EXPECT_EQ(world->open, 1);
}

// Windows resets a monitor's ramp on a display event; its driver keeps no note of that and
// skips a ramp equal to the last one it was sent.
TEST_F(GdiMonitors, ADisplayEventPutsTheRampBackPastADriverThatSkipsTheSameRamp) {
    world->monitors = {monitorAt(L"A", 0, true), monitorAt(L"B", 1920)};
    world->monitors[1].skipsSame = true;
    GammaEngine engine(makeGdiDisplay(std::make_unique<FakeGdi>(world), &why));
    ASSERT_TRUE(engine.capture());
    ASSERT_TRUE(engine.rampall(-20));
    const GammaRamp dim = built(GammaRamp::identity(), -20);
    ASSERT_EQ(world->monitors[1].ramp, dim);

    world->monitors[0].ramp = world->monitors[1].ramp = GammaRamp::identity();
    EXPECT_FALSE(engine.reapply()); // the same ramp once more does not reach B
    EXPECT_TRUE(engine.refresh());
    EXPECT_EQ(world->monitors[0].ramp, dim);
    EXPECT_EQ(world->monitors[1].ramp, dim);

    // Still settling at the event, the monitor refuses; a second later it takes it.
    world->monitors[1].ramp = GammaRamp::identity();
    world->monitors[1].refusals = -1;
    EXPECT_FALSE(engine.refresh());
    EXPECT_TRUE(engine.lastApplyFailed());
    world->monitors[1].refusals = 0;
    EXPECT_TRUE(engine.refresh());
    EXPECT_EQ(world->monitors[1].ramp, dim);
    EXPECT_EQ(*engine.shown(), dim);
}

TEST_F(GdiMonitors, TheDesktopOnlyWhenNoMonitorIsListed) {
    world->monitors = {monitorAt(L"A", 0, true)};
    world->listsNothing = true;
    ASSERT_TRUE(open().writeRamp(built(GammaRamp::identity(), -20)));
    EXPECT_TRUE(world->desktopUsed);
    display.reset();
    world->listsNothing = false;
    world->monitors[0].hasRamp = false;
    EXPECT_EQ(makeGdiDisplay(std::make_unique<FakeGdi>(world), &why), nullptr);
    EXPECT_EQ(why, DisplayTrouble::DriverWithoutGamma);
    world->monitors[0].givesDc = false;
    EXPECT_EQ(makeGdiDisplay(std::make_unique<FakeGdi>(world), &why), nullptr);
    EXPECT_EQ(why, DisplayTrouble::NoDeviceContext);
}

} // namespace
} // namespace ocuvell
