#pragma once
// The ramp this program last put on the display, and the base it was computed from,
// remembered across runs. The display keeps our ramp after we end; without this record
// the next start would capture that adjusted ramp as its base and tint on top of it,
// further with every start.
#include "core/display/gamma_ramp.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ocuvell {

struct RampRecord {
    GammaRamp base;    // what the adjustments were computed from
    GammaRamp applied; // what was last put on the display
    friend bool operator==(const RampRecord&, const RampRecord&) = default;
};

// How far a display may give back a ramp from what it was given: 1/256 of full scale
// per entry covers a display that keeps 8 bits (GDI under Wine) and the resampling to
// and from a CRTC's own gamma size.
inline constexpr int kRampTolerance = 256;
inline constexpr const char* kRampStateFileName = "ramps.txt";

bool rampsWithin(const GammaRamp& a, const GammaRamp& b, int tolerance = kRampTolerance);

// A header line, then "base" and "applied", each followed by 256 "red,green,blue" lines.
std::string formatRampRecord(const RampRecord& record);
// Nothing unless the text is a whole record in that layout, with a base that could be
// a display's normal ramp (not near black) and an applied ramp that is not all zero.
std::optional<RampRecord> parseRampRecord(std::string_view text);

class RampState {
  public:
    explicit RampState(std::filesystem::path file) : file_(std::move(file)) {}
    ~RampState() { flush(); }
    RampState(const RampState&) = delete;
    RampState& operator=(const RampState&) = delete;

    // The base to compute from when the display shows current: the remembered base when
    // current is the ramp this program last applied, else nothing (something else
    // changed the display since, and its ramp is the base). A record that is missing or
    // unusable counts as nothing, silently.
    std::optional<GammaRamp> baseFor(const GammaRamp& current);
    // After the display took ramp: the record on disk follows, but only when it changed.
    // It is written at once, unless writes are batched.
    void applied(const GammaRamp& base, const GammaRamp& ramp);
    // A slider drag applies dozens of ramps a second, and each write replaces the file
    // with an fsync, ten times the cost of setting the ramp. Batched, applied() only
    // keeps the newest record and calls onPending when one starts to wait; the owner then
    // calls flush() soon (and the record flushes itself when it goes).
    void batchWrites(std::function<void()> onPending) { onPending_ = std::move(onPending); }
    void flush();

    const std::filesystem::path& file() const { return file_; }

  private:
    void write(const RampRecord& record);

    std::filesystem::path file_;
    std::optional<RampRecord> onDisk_;
    std::optional<RampRecord> pending_;
    std::function<void()> onPending_;
    bool failureReported_ = false;
};

} // namespace ocuvell
