#pragma once
// Owns the base ramp, the working ramp and the display handle of the main window.
#include "core/display/display.h"
#include "core/display/gamma_ramp.h"
#include "core/display/ramp_file.h"
#include "core/display/ramp_state.h"
#include "core/display/ramp_writer.h"

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

namespace ocuvell {

class GammaEngine {
  public:
    explicit GammaEngine(std::unique_ptr<Display> display);
    // A ramp still on its way is written (or its result taken) first, so the record knows
    // the ramp the display keeps after the program ends; no one is told.
    ~GammaEngine();
    GammaEngine(const GammaEngine&) = delete;
    GammaEngine& operator=(const GammaEngine&) = delete;

    // From now on every ramp the display takes is remembered in state, and the next
    // capture asks it which base the display's ramp came from. Without it, a capture
    // takes the display's ramp as the base.
    void keepRecord(std::unique_ptr<RampState> state) { state_ = std::move(state); }
    RampState* record() { return state_.get(); }

    // Reads the display's ramp into baseramp; when that ramp is the one this program
    // left on the display, the base it was computed from instead. Until a capture (or loadBase)
    // succeeds the engine applies nothing: a ramp derived from an all-zero base would black the
    // screen. A failed capture leaves baseramp as it was but refuses again.
    bool capture();
    // Replaces baseramp from a ramp file, all or nothing; a load makes the base valid
    // for applying as a capture does. Applies nothing: the restore command calls
    // applyBase() afterwards.
    RampFileResult loadBase(const std::filesystem::path& path);

    // The builders below return whether the display took the ramp.
    bool rampall(int level);                   // all three channels from base red; applies
    void rampchannel(int level, int channel);  // one channel of newramp; does not apply
    bool contrast(int percent);                // applies
    bool colour(int red, int green, int blue); // three rampchannel calls, then applies
    bool applyBase();                          // applies baseramp; newramp untouched
    // The ramp last applied, once more (after a resume reset the display's); nothing
    // before the first apply.
    bool reapply();
    // After a display event (a monitor switched on, a new mode, a wake): the ramp shown
    // goes back on the display, first one step off it and then itself, since some drivers
    // ignore a ramp identical to the one they last took although the screen was reset; then
    // it is read back. True when the display shows it again, or when nothing was shown yet.
    bool refresh();

    // Night colour: every ramp applied from now on reaches the display with each channel's
    // entries multiplied by its factor (0..1), after the levels, eye mode and the restore
    // built it. The ramps those build, and the base, stay free of it; (1, 1, 1) gives the
    // display exactly the ramp built. A change puts the last ramp (before any, the base)
    // back on the display with the new factors; force does so even when they are the same.
    // Factors the display refuses are not kept: tint() stays what the display shows.
    using Tint = std::array<double, 3>;
    static constexpr Tint kNoTint{1, 1, 1};
    bool setTint(const Tint& tint, bool force = false);
    const Tint& tint() const { return tint_; }
    // What the display was last given, tint and all.
    const std::optional<GammaRamp>& shown() const { return shown_; }
    static GammaRamp tinted(const GammaRamp& ramp, const Tint& tint);

    // Slow displays: from now on, the ramps applied while a Background lives are written on
    // a thread of the writer's own (RampWriter), and the builders return true at once; the
    // result comes through written, on this thread, for the newest ramp only (a ramp
    // replaced while it waited, or overtaken by an apply made here, is never told). Every
    // other apply, read and capture first drops the ramp waiting and waits for the write
    // under way, then works on this thread as before.
    using WrittenLater = std::function<void(bool taken, DisplayTrouble refusal)>;
    void writeInBackground(RampWriter::Post post, WrittenLater written);
    class Background {
      public:
        explicit Background(GammaEngine& engine) : engine_(engine) { engine_.background_ = true; }
        ~Background() { engine_.background_ = false; }
        Background(const Background&) = delete;
        Background& operator=(const Background&) = delete;

      private:
        GammaEngine& engine_;
    };
    // Whether the last apply went to the writer (its result is told later).
    bool lastApplyQueued() const { return lastApplyQueued_; }
    // Whether a ramp sent to the writer has not been told yet.
    bool writing() const { return pending_.has_value(); }
    // The ramp sent to the writer finished now, on this thread (written, or its result
    // taken), and told through written before this returns.
    void settle();

    const GammaRamp& baseramp() const { return base_; }
    const GammaRamp& newramp() const { return new_; }
    // True when baseramp came from the display or a ramp file and may be applied.
    bool captured() const { return captured_; }
    Display& display() { return *display_; }
    const Display& display() const { return *display_; }
    // Whether the last ramp tried was refused (by the display, or for want of a base).
    bool lastApplyFailed() const { return lastApplyFailed_; }

  private:
    struct Pending {
        std::uint64_t ticket;
        GammaRamp ramp, shown;
    };

    bool apply(const GammaRamp& ramp);
    void taken(const GammaRamp& ramp, const GammaRamp& shown);
    void writtenLater(const RampWriter::Done& done);
    // The writer's ramp dropped and its write waited for, while the lock lives.
    std::unique_lock<std::mutex> holdDisplay();
    // The ramp applied last, or the one on its way.
    std::optional<GammaRamp> newest() const { return pending_ ? pending_->ramp : last_; }

    std::unique_ptr<Display> display_;
    GammaRamp base_{};
    GammaRamp new_{};
    bool captured_ = false;
    std::optional<GammaRamp> last_;
    std::optional<GammaRamp> shown_;
    Tint tint_ = kNoTint;
    std::unique_ptr<RampState> state_;
    bool lastApplyFailed_ = false;
    bool background_ = false;
    bool lastApplyQueued_ = false;
    std::optional<Pending> pending_;
    WrittenLater written_;
    // Results posted back find the engine through this, or find it gone.
    std::shared_ptr<GammaEngine*> self_ = std::make_shared<GammaEngine*>(this);
    std::unique_ptr<RampWriter> writer_; // last: it goes first, its thread with it
};

} // namespace ocuvell
