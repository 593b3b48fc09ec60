#include "core/display/gdi_monitors.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <tuple>
#include <utility>

namespace ocuvell {
namespace {

// A ramp refused once is often taken a moment later (after a resume, a mode change).
constexpr int kAttempts = 3;
constexpr int kPauseMs = 20;
// What a ramp may lose on its way to the screen and back: one 8-bit step (drivers and
// Wine's X palette keep 8 bits of an entry).
constexpr int kReadBackSlack = 257;

int largestDifference(const GammaRamp& a, const GammaRamp& b) {
    int most = 0;
    for (std::size_t i = 0; i < a.entries.size(); ++i)
        most = std::max(most, std::abs(int(a.entries[i]) - int(b.entries[i])));
    return most;
}

// ramp was made from the base `from`; the same change made from the base `to`. Each entry
// of `to` is looked up among the entries of `from`, and ramp's value there interpolated.
GammaRamp carriedOver(const GammaRamp& ramp, const GammaRamp& from, const GammaRamp& to) {
    if (from == to)
        return ramp;
    GammaRamp out = ramp;
    for (int c = 0; c < 3; ++c) {
        const std::uint16_t* x = from.channel(c);
        const std::uint16_t* y = ramp.channel(c);
        // Only a rising base says which input gave an entry; otherwise the ramp as it is.
        if (!std::is_sorted(x, x + GammaRamp::kSize) || x[0] == x[GammaRamp::kSize - 1])
            continue;
        for (int j = 0; j < GammaRamp::kSize; ++j) {
            const int v = to.at(c, j);
            const int hi = int(std::lower_bound(x, x + GammaRamp::kSize, v) - x);
            if (hi == 0 || hi == GammaRamp::kSize) {
                out.at(c, j) = y[hi == 0 ? 0 : GammaRamp::kSize - 1];
                continue;
            }
            const int lo = hi - 1;
            // 64 bits: a 16-bit rise times a 16-bit distance overflows Windows' long.
            const std::int64_t span = x[hi] - x[lo];
            const std::int64_t rise = std::int64_t(y[hi]) - y[lo];
            out.at(c, j) = static_cast<std::uint16_t>(y[lo] + rise * (v - x[lo]) / span);
        }
    }
    return out;
}

struct Screen {
    GdiMonitor monitor;
    GdiCalls::Dc dc = nullptr;
    GammaRamp base{};  // its ramp when first seen
    GammaRamp shown{}; // the base, then the last ramp it took
};

class GdiDisplay final : public Display {
  public:
    explicit GdiDisplay(std::unique_ptr<GdiCalls> calls) : calls_(std::move(calls)) {}
    ~GdiDisplay() override { closeAll(); }
    GdiDisplay(const GdiDisplay&) = delete;
    GdiDisplay& operator=(const GdiDisplay&) = delete;

    // The first listing; false with why when no monitor gives a ramp.
    bool start(DisplayTrouble* why) {
        follow();
        if (!screens_.empty())
            return true;
        if (why)
            *why = opened_ ? DisplayTrouble::DriverWithoutGamma : DisplayTrouble::NoDeviceContext;
        return false;
    }

    bool readRamp(GammaRamp& out) override {
        follow();
        return !screens_.empty() && calls_->getRamp(primary().dc, out);
    }

    bool writeRamp(const GammaRamp& ramp) override {
        follow();
        refusal_ = DisplayTrouble::RampNotTaken;
        if (screens_.empty())
            return false;
        const GammaRamp& from = primary().base;
        std::vector<GammaRamp> wanted;
        for (const Screen& s : screens_) {
            wanted.push_back(carriedOver(ramp, from, s.base));
            if (put(s.dc, wanted.back()))
                continue;
            // What the other monitors took goes back, so the screens agree with the level
            // the program says is applied.
            if (beyondGammaRange(wanted.back()))
                refusal_ = DisplayTrouble::GammaRangeLimit;
            for (std::size_t i = 0; i + 1 < wanted.size(); ++i)
                calls_->setRamp(screens_[i].dc, screens_[i].shown);
            return false;
        }
        for (std::size_t i = 0; i < screens_.size(); ++i)
            screens_[i].shown = wanted[i];
        return true;
    }

    DisplayTrouble refusal() const override { return refusal_; }
    std::string name() const override { return "GDI"; }

  private:
    // Taken when the call says so and the ramp reads back as written; a ramp that is not
    // read back at all is trusted.
    bool put(GdiCalls::Dc dc, const GammaRamp& ramp) {
        for (int attempt = 0; attempt < kAttempts; ++attempt) {
            if (attempt > 0)
                calls_->pause(kPauseMs);
            GammaRamp back;
            if (calls_->setRamp(dc, ramp) &&
                (!calls_->getRamp(dc, back) || largestDifference(back, ramp) <= kReadBackSlack))
                return true;
        }
        return false;
    }

    // Screens added, removed or given a new mode: every device context opened afresh (an
    // old one may no longer reach its monitor); a monitor seen before keeps its base.
    void follow() {
        std::vector<GdiMonitor> now = calls_->monitors();
        if (now.empty()) // no listing at all: the whole desktop, as one
            now.push_back(GdiMonitor{L"", 0, 0, 0, 0, true});
        if (listed_ && now == *listed_)
            return;
        std::map<std::wstring, std::pair<GammaRamp, GammaRamp>> known;
        for (const Screen& s : screens_)
            known[s.monitor.device] = {s.base, s.shown};
        closeAll();
        listed_ = now;
        for (const GdiMonitor& m : now) {
            Screen s{m, calls_->open(m.device)};
            if (!s.dc)
                continue;
            opened_ = true;
            // A monitor without a ramp (a virtual or remote display) is left out.
            GammaRamp current;
            if (!calls_->getRamp(s.dc, current)) {
                calls_->close(s.dc);
                continue;
            }
            if (const auto k = known.find(m.device); k != known.end())
                std::tie(s.base, s.shown) = k->second;
            else
                s.base = s.shown = current;
            screens_.push_back(s);
        }
    }

    const Screen& primary() const {
        for (const Screen& s : screens_)
            if (s.monitor.primary)
                return s;
        return screens_.front();
    }

    void closeAll() {
        for (const Screen& s : screens_)
            calls_->close(s.dc);
        screens_.clear();
    }

    std::unique_ptr<GdiCalls> calls_;
    std::optional<std::vector<GdiMonitor>> listed_;
    std::vector<Screen> screens_;
    bool opened_ = false;
    DisplayTrouble refusal_ = DisplayTrouble::RampNotTaken;
};

} // namespace

bool beyondGammaRange(const GammaRamp& ramp) {
    for (int c = 0; c < 3; ++c)
        for (int j = 0; j < GammaRamp::kSize; ++j)
            if (std::abs((ramp.at(c, j) >> 8) - j) > 128)
                return true;
    return false;
}

std::unique_ptr<Display> makeGdiDisplay(std::unique_ptr<GdiCalls> calls, DisplayTrouble* why) {
    auto display = std::make_unique<GdiDisplay>(std::move(calls));
    if (!display->start(why))
        return nullptr;
    return display;
}

} // namespace ocuvell
