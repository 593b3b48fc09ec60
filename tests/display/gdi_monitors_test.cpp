// The per-monitor GDI display over a fake of the GDI calls that plays what Windows is
// documented to do: the desktop's context refused on an extended desktop, a monitor that
// refuses ramps, one that says yes and keeps its ramp, a refusal once and then success,
// the default limit on how far a ramp may stray from identity.
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
    bool givesDc = true;
    bool hasRamp = true;
    int refusals = 0;     // FALSE this many times; -1 always
    bool ignores = false; // TRUE, and the ramp stays
    bool limited = true;  // Windows' default range
    int writes = 0;
};

struct FakeWorld {
    std::vector<FakeMonitor> monitors;
    bool listsNothing = false;
    int pauses = 0, opens = 0, open = 0;
    bool desktopUsed = false;
    FakeMonitor* find(const std::wstring& device) {
        for (FakeMonitor& m : monitors)
            if (m.monitor.device == device)
                return &m;
        return nullptr;
    }
};

class FakeGdi : public GdiCalls {
  public:
    explicit FakeGdi(std::shared_ptr<FakeWorld> world) : w_(std::move(world)) {}
    std::vector<GdiMonitor> monitors() override {
        std::vector<GdiMonitor> list;
        if (!w_->listsNothing)
            for (const FakeMonitor& m : w_->monitors)
                list.push_back(m.monitor);
        return list;
    }
    Dc open(const std::wstring& device) override {
        if (device.empty())
            w_->desktopUsed = true;
        else if (!w_->find(device) || !w_->find(device)->givesDc)
            return nullptr;
        ++w_->opens;
        ++w_->open;
        auto* dc = new std::wstring(device);
        return dc;
    }
    void close(Dc dc) override {
        --w_->open;
        delete static_cast<std::wstring*>(dc);
    }
    bool getRamp(Dc dc, GammaRamp& out) override {
        FakeMonitor* m = target(dc);
        if (!m || !m->hasRamp)
            return false;
        out = m->ramp;
        return true;
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
        if (!m->ignores)
            m->ramp = ramp;
        return true;
    }
    void pause(int) override { ++w_->pauses; }

  private:
    // The desktop's context stands for the only monitor; with several, Windows refuses it.
    FakeMonitor* target(Dc dc) {
        const std::wstring& device = *static_cast<std::wstring*>(dc);
        if (device.empty())
            return w_->monitors.size() == 1 ? &w_->monitors[0] : nullptr;
        return w_->find(device);
    }
    std::shared_ptr<FakeWorld> w_;
};

GdiMonitor monitorAt(const wchar_t* device, int left, bool primary = false) {
    return {device, left, 0, left + 1920, 1080, primary};
}

GammaRamp brightness(const GammaRamp& base, int level) {
    GammaRamp r;
    for (int c = 0; c < 3; ++c)
        for (int j = 0; j < GammaRamp::kSize; ++j)
            r.at(c, j) = levelTransfer(level, base.at(c, j));
    return r;
}

int largestDifference(const GammaRamp& a, const GammaRamp& b) {
    int most = 0;
    for (std::size_t i = 0; i < a.entries.size(); ++i)
        most = std::max(most, std::abs(int(a.entries[i]) - int(b.entries[i])));
    return most;
}

// A calibrated monitor: a little less of everything.
GammaRamp calibrated() {
    GammaRamp r = GammaRamp::identity();
    for (auto& e : r.entries)
        e = static_cast<std::uint16_t>(e * 9 / 10);
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
    world->monitors = {{monitorAt(L"\\\\.\\DISPLAY2", 1920)},
                       {monitorAt(L"\\\\.\\DISPLAY1", 0, true)}};
    world->monitors[0].ramp = calibrated();
    Display& d = open();
    GammaRamp read;
    ASSERT_TRUE(d.readRamp(read));
    EXPECT_EQ(read, GammaRamp::identity()); // the primary monitor's

    ASSERT_TRUE(d.writeRamp(brightness(GammaRamp::identity(), -30)));
    EXPECT_EQ(world->monitors[1].ramp, brightness(GammaRamp::identity(), -30));
    EXPECT_LE(largestDifference(world->monitors[0].ramp, brightness(calibrated(), -30)), 2);
    // The base written back gives each monitor its own.
    ASSERT_TRUE(d.writeRamp(GammaRamp::identity()));
    EXPECT_EQ(world->monitors[0].ramp, calibrated());
    EXPECT_EQ(world->monitors[1].ramp, GammaRamp::identity());
    EXPECT_FALSE(world->desktopUsed);
    EXPECT_EQ(world->pauses, 0);
}

TEST_F(GdiMonitors, APrimaryBaseWithAJumpStillGivesTheOthersTheirOwn) {
    GammaRamp jump;
    for (int c = 0; c < 3; ++c)
        for (int j = 0; j < GammaRamp::kSize; ++j)
            jump.at(c, j) = j < 128 ? 0 : 65535;
    world->monitors = {{monitorAt(L"A", 0, true)}, {monitorAt(L"B", 1920)}};
    world->monitors[0].ramp = jump;
    world->monitors[0].limited = world->monitors[1].limited = false;
    ASSERT_TRUE(open().writeRamp(jump));
    EXPECT_EQ(world->monitors[1].ramp, GammaRamp::identity());
}

TEST_F(GdiMonitors, AWriteCountsOnlyWhenEveryMonitorShowsIt) {
    world->monitors = {{monitorAt(L"A", 0, true)}, {monitorAt(L"B", 1920)}};
    Display& d = open();
    const GammaRamp dim = brightness(GammaRamp::identity(), -20);
    ASSERT_TRUE(d.writeRamp(dim));

    // A monitor that refuses every time: tried a few times, and the other put back.
    world->monitors[1].refusals = -1;
    EXPECT_FALSE(d.writeRamp(brightness(GammaRamp::identity(), -40)));
    EXPECT_EQ(d.refusal(), DisplayTrouble::RampNotTaken);
    EXPECT_EQ(world->monitors[1].writes, 1 + 3);
    EXPECT_EQ(world->pauses, 2);
    EXPECT_EQ(world->monitors[0].ramp, dim);

    // One that says yes and keeps its ramp.
    world->monitors[1].refusals = 0;
    world->monitors[1].ignores = true;
    EXPECT_FALSE(d.writeRamp(brightness(GammaRamp::identity(), -40)));
    EXPECT_EQ(world->monitors[0].ramp, dim);

    // A refusal once (as after a resume), then the ramp is taken.
    world->monitors[1].ignores = false;
    world->monitors[1].refusals = 1;
    EXPECT_TRUE(d.writeRamp(brightness(GammaRamp::identity(), -40)));
    EXPECT_EQ(world->monitors[1].ramp, brightness(GammaRamp::identity(), -40));
}

TEST_F(GdiMonitors, ARampPastWindowsDefaultRangeIsNamedAsSuch) {
    world->monitors = {{monitorAt(L"A", 0, true)}};
    Display& d = open();
    // From identity, the ends of the brightness slider sit on the limit.
    EXPECT_TRUE(d.writeRamp(brightness(GammaRamp::identity(), -50)));
    EXPECT_FALSE(beyondGammaRange(brightness(GammaRamp::identity(), 50)));
    GammaRamp far = brightness(GammaRamp::identity(), -50);
    far.at(2, 255) = 100 * 256;
    EXPECT_FALSE(d.writeRamp(far));
    EXPECT_EQ(d.refusal(), DisplayTrouble::GammaRangeLimit);
    world->monitors[0].limited = false; // the registry's range raised to 256
    EXPECT_TRUE(d.writeRamp(far));
}

TEST_F(GdiMonitors, ReopenedWhenMonitorsComeGoOrChangeMode) {
    world->monitors = {{monitorAt(L"A", 0, true)}};
    Display& d = open();
    const GammaRamp dim = brightness(GammaRamp::identity(), -20);
    ASSERT_TRUE(d.writeRamp(dim));
    EXPECT_EQ(world->opens, 1);

    // A second monitor plugged in: its ramp then is its base.
    world->monitors.push_back({monitorAt(L"B", 1920)});
    world->monitors[1].ramp = calibrated();
    ASSERT_TRUE(d.writeRamp(dim));
    EXPECT_LE(largestDifference(world->monitors[1].ramp, brightness(calibrated(), -20)), 2);
    EXPECT_EQ(world->opens, 3);

    // A new mode on the first (Windows put its ramp back): reopened, its base kept.
    world->monitors[0].monitor.right = 1280;
    world->monitors[0].ramp = GammaRamp::identity();
    ASSERT_TRUE(d.writeRamp(GammaRamp::identity()));
    EXPECT_EQ(world->opens, 5);
    EXPECT_EQ(world->monitors[1].ramp, calibrated());

    // The second unplugged: its context closed, writes go on.
    world->monitors.pop_back();
    ASSERT_TRUE(d.writeRamp(dim));
    EXPECT_EQ(world->open, 1);
}

TEST_F(GdiMonitors, OpensOnTheDesktopOnlyWhenNoMonitorIsListed) {
    world->monitors = {{monitorAt(L"A", 0, true)}};
    world->listsNothing = true;
    ASSERT_TRUE(open().writeRamp(brightness(GammaRamp::identity(), -20)));
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
