// Colours in a Wayland session, through the gamma control of the wlroots family of
// compositors (sway, Hyprland, river, labwc, Wayfire). The compositor owns the screen:
// each output's table goes to it through a sealed memory file, it restores its own
// tables when our control goes away, and it cannot tell us what it shows, so the base
// is the identity (what an output shows with no control).
#include "core/display/backends.h"

#include "wlr-gamma-control-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace ocuvell {

namespace {

// How long start-up waits for each of its two round trips: a compositor answers in
// milliseconds; one that hangs must not keep the program from starting.
constexpr int kAnswerMs = 1000;
// No display has more entries per channel than a 16-bit table; a larger size is a
// compositor's mistake, and its tables would cost hundreds of MiB or more than there is.
constexpr std::uint32_t kMaxGammaSize = 65536;

class WaylandDisplay;

struct Output {
    WaylandDisplay* owner;
    std::uint32_t name; // the registry's name of the global
    wl_output* output;
    zwlr_gamma_control_v1* control = nullptr;
    std::uint32_t size = 0; // entries per channel; 0 until gamma_size, and after failed
    bool due = false;       // the current ramp has not been sent to it yet
    std::vector<std::uint16_t> table;
};

class WaylandDisplay final : public Display, public DisplayEvents {
  public:
    explicit WaylandDisplay(wl_display* display) : display_(display) {}
    ~WaylandDisplay() override {
        if (!display_)
            return;
        // Each control's destroy gives the output its own tables back.
        dropProxies(true);
        wl_display_flush(display_);
        wl_display_disconnect(display_);
    }

    // Lists the globals and waits for each output's gamma size. False when the
    // compositor does not answer.
    bool start() {
        registry_ = wl_display_get_registry(display_);
        wl_registry_add_listener(registry_, &kRegistryListener, this);
        return roundtrip() && roundtrip();
    }
    bool hasManager() const { return manager_ != nullptr; }
    DisplayTrouble desktop() const { return desktop_; }

    bool readRamp(GammaRamp& out) override {
        out = GammaRamp::identity();
        return true;
    }

    // Marks every output for the new ramp; it leaves when the connection can take it.
    bool writeRamp(const GammaRamp& ramp) override {
        if (!display_)
            return false;
        current_ = ramp;
        haveCurrent_ = true;
        bool taken = false;
        for (auto& output : outputs_)
            if (output->size > 0)
                taken = output->due = true;
        const int fdBefore = fd();
        const bool writeBefore = wantsWrite();
        pump();
        if (fd() != fdBefore || wantsWrite() != writeBefore)
            changed();
        return taken && display_;
    }

    std::string name() const override { return "Wayland gamma control"; }

    DisplayTrouble trouble() const override {
        if (!display_)
            return DisplayTrouble::CompositorGone;
        for (const auto& output : outputs_)
            if (output->size > 0)
                return DisplayTrouble::NoTrouble;
        return DisplayTrouble::NoWaylandOutput;
    }

    DisplayEvents* events() override { return this; }
    // The compositor puts its own tables back when the program ends.
    bool keepsRampAfterExit() const override { return false; }

    int fd() const override { return display_ ? wl_display_get_fd(display_) : -1; }
    bool wantsWrite() const override { return blocked_; }
    void setWatcher(std::function<void()> changed) override { watcher_ = std::move(changed); }

    void dispatch() override {
        if (display_)
            readEvents();
        pump();
        tell();
        changed();
    }

    // One line on stderr when the colours stop being controllable, and one when they can
    // be changed again. A reason is told once in a run: outputs that keep coming and
    // going cost two lines, not two per change.
    void tell() {
        const DisplayTrouble now = trouble();
        if (now == state_)
            return;
        state_ = now;
        if (now == DisplayTrouble::NoTrouble) {
            if (saidTrouble_)
                std::fprintf(stderr, "Ocuvell: colours can be changed on this display now\n");
            saidTrouble_ = false;
            return;
        }
        const auto reason = static_cast<std::size_t>(now);
        if (said_.size() <= reason)
            said_.resize(reason + 1);
        if (said_[reason])
            return;
        said_[reason] = saidTrouble_ = true;
        std::fprintf(stderr, "Ocuvell: colours cannot be changed on this display (%s)\n",
                     troubleWords(now));
    }

  private:
    // A round trip that gives up after kAnswerMs instead of blocking for good.
    bool roundtrip() {
        bool done = false;
        wl_callback* callback = wl_display_sync(display_);
        wl_callback_add_listener(callback, &kSyncListener, &done);
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kAnswerMs);
        while (!done) {
            if (wl_display_prepare_read(display_) != 0) {
                if (wl_display_dispatch_pending(display_) < 0)
                    break;
                continue;
            }
            wl_display_flush(display_);
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd pfd{wl_display_get_fd(display_), POLLIN, 0};
            if (left.count() <= 0 || ::poll(&pfd, 1, static_cast<int>(left.count())) <= 0) {
                wl_display_cancel_read(display_);
                break;
            }
            if (wl_display_read_events(display_) < 0 || wl_display_dispatch_pending(display_) < 0)
                break;
        }
        if (!done)
            wl_callback_destroy(callback); // the callback destroys itself when done
        return done && wl_display_get_error(display_) == 0;
    }

    // The socket is non-blocking: with nothing to read this returns at once.
    void readEvents() {
        while (wl_display_prepare_read(display_) != 0)
            if (wl_display_dispatch_pending(display_) < 0)
                return lose();
        if (wl_display_read_events(display_) < 0 || wl_display_dispatch_pending(display_) < 0)
            lose();
    }

    // Sends the current ramp to the outputs that have not got it. One round at a time:
    // the next waits until the compositor has read the last (its sync is done) and the
    // connection has taken all we wrote. A burst then costs one table per output, a
    // compositor that stops reading holds one round, and the newest ramp wins. Queuing
    // more would end the connection once libwayland's buffer or the kernel's count of
    // file descriptors in flight is full.
    void pump() {
        if (display_ && !round_ && !blocked_)
            sendRound();
        flush();
    }

    void sendRound() {
        bool sent = false;
        for (auto& output : outputs_) {
            if (output->due && output->size > 0)
                sent = send(*output) || sent;
            output->due = false;
        }
        if (!sent)
            return;
        round_ = wl_display_sync(display_);
        wl_callback_add_listener(round_, &kRoundListener, this);
    }

    // The tables of the current ramp in a sealed memory file, handed to the output.
    bool send(Output& output) {
        const std::size_t size = output.size;
        output.table.resize(3 * size);
        for (int c = 0; c < 3; ++c)
            resampleTo(current_.channel(c), output.table.data() + c * size, size);
        const int fd = memfd_create("ocuvell-gamma", MFD_CLOEXEC | MFD_ALLOW_SEALING);
        if (fd < 0)
            return false;
        const auto* bytes = reinterpret_cast<const char*>(output.table.data());
        const std::size_t length = output.table.size() * sizeof(std::uint16_t);
        // pwrite leaves the offset at 0, where a compositor that read()s starts.
        std::size_t written = 0;
        while (written < length) {
            const ssize_t n =
                pwrite(fd, bytes + written, length - written, static_cast<off_t>(written));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            written += static_cast<std::size_t>(n);
        }
        const bool ready =
            written == length &&
            fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) == 0;
        if (ready)
            zwlr_gamma_control_v1_set_gamma(output.control, fd); // the request takes a copy
        close(fd);
        return ready;
    }

    void flush() {
        if (!display_)
            return;
        // EAGAIN: the compositor reads slower than we write; the rest goes when the
        // socket can take it. Anything else is the end of the connection.
        if (wl_display_flush(display_) >= 0)
            blocked_ = false;
        else if (errno == EAGAIN)
            blocked_ = true;
        else
            return lose();
        if (wl_display_get_error(display_) != 0)
            lose();
    }

    // The compositor ended or closed the connection: every object goes, locally, and the
    // connection with them, so that its socket and the tables it still held are released.
    void lose() {
        if (!display_)
            return;
        dropProxies(false);
        wl_display_disconnect(display_);
        display_ = nullptr;
        blocked_ = false;
        tell();
    }

    void changed() {
        if (watcher_)
            watcher_();
    }

    void dropProxies(bool tellCompositor) {
        for (auto& output : outputs_)
            dropOutput(*output, tellCompositor);
        outputs_.clear();
        if (round_)
            wl_callback_destroy(round_);
        round_ = nullptr;
        if (manager_)
            tellCompositor ? zwlr_gamma_control_manager_v1_destroy(manager_)
                           : wl_proxy_destroy(reinterpret_cast<wl_proxy*>(manager_));
        manager_ = nullptr;
        if (registry_)
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(registry_));
        registry_ = nullptr;
    }

    static void dropOutput(Output& output, bool tellCompositor) {
        if (output.control) {
            if (tellCompositor)
                zwlr_gamma_control_v1_destroy(output.control);
            else
                wl_proxy_destroy(reinterpret_cast<wl_proxy*>(output.control));
        }
        output.control = nullptr;
        if (tellCompositor && wl_proxy_get_version(reinterpret_cast<wl_proxy*>(output.output)) >=
                                  WL_OUTPUT_RELEASE_SINCE_VERSION)
            wl_output_release(output.output);
        else
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(output.output));
    }

    void control(Output& output) {
        if (!manager_ || output.control)
            return;
        output.control = zwlr_gamma_control_manager_v1_get_gamma_control(manager_, output.output);
        zwlr_gamma_control_v1_add_listener(output.control, &kControlListener, &output);
    }

    // Registry.
    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version) {
        auto* self = static_cast<WaylandDisplay*>(data);
        if (std::strcmp(interface, zwlr_gamma_control_manager_v1_interface.name) == 0) {
            if (self->manager_)
                return;
            self->manager_ = static_cast<zwlr_gamma_control_manager_v1*>(
                wl_registry_bind(registry, name, &zwlr_gamma_control_manager_v1_interface, 1));
            for (auto& output : self->outputs_)
                self->control(*output);
        } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
            const std::uint32_t bound = std::min<std::uint32_t>(version, 3);
            auto* proxy = static_cast<wl_output*>(
                wl_registry_bind(registry, name, &wl_output_interface, bound));
            self->outputs_.push_back(
                std::make_unique<Output>(Output{self, name, proxy, nullptr, 0, false, {}}));
            self->control(*self->outputs_.back());
        } else if (std::strncmp(interface, "org_kde_", 8) == 0) {
            self->desktop_ = DisplayTrouble::KdeDesktop;
        } else if (std::strncmp(interface, "gtk_shell", 9) == 0) {
            self->desktop_ = DisplayTrouble::GnomeDesktop;
        }
    }

    // An output switched off or unplugged.
    static void globalRemove(void* data, wl_registry*, std::uint32_t name) {
        auto* self = static_cast<WaylandDisplay*>(data);
        auto& outputs = self->outputs_;
        const auto gone = std::find_if(outputs.begin(), outputs.end(),
                                       [name](const auto& o) { return o->name == name; });
        if (gone == outputs.end())
            return;
        dropOutput(**gone, true);
        outputs.erase(gone);
    }

    // Gamma control: the output's size; the current ramp, if one has been set, follows
    // with the next round, so that an output that comes later shows what the others show.
    static void gammaSize(void* data, zwlr_gamma_control_v1* control, std::uint32_t size) {
        auto* output = static_cast<Output*>(data);
        if (size > kMaxGammaSize)
            return failed(data, control);
        output->size = size;
        output->due = size > 0 && output->owner->haveCurrent_;
    }

    // Another program holds this output's gamma, or it has none: the others go on.
    static void failed(void* data, zwlr_gamma_control_v1* control) {
        auto* output = static_cast<Output*>(data);
        zwlr_gamma_control_v1_destroy(control);
        output->control = nullptr;
        output->size = 0;
        output->due = false;
        output->table = {};
    }

    static void syncDone(void* data, wl_callback* callback, std::uint32_t) {
        *static_cast<bool*>(data) = true;
        wl_callback_destroy(callback);
    }

    // The compositor has read the last round: the next may go (from dispatch()).
    static void roundDone(void* data, wl_callback* callback, std::uint32_t) {
        static_cast<WaylandDisplay*>(data)->round_ = nullptr;
        wl_callback_destroy(callback);
    }

    static constexpr wl_registry_listener kRegistryListener{global, globalRemove};
    static constexpr zwlr_gamma_control_v1_listener kControlListener{gammaSize, failed};
    static constexpr wl_callback_listener kSyncListener{syncDone};
    static constexpr wl_callback_listener kRoundListener{roundDone};

    wl_display* display_; // nullptr once the compositor has gone
    wl_registry* registry_ = nullptr;
    zwlr_gamma_control_manager_v1* manager_ = nullptr;
    std::vector<std::unique_ptr<Output>> outputs_;
    DisplayTrouble desktop_ = DisplayTrouble::NoTrouble; // a desktop known to refuse
    GammaRamp current_{};
    bool haveCurrent_ = false;
    wl_callback* round_ = nullptr; // the round the compositor has not read yet
    bool blocked_ = false;         // the connection holds requests the socket did not take
    std::function<void()> watcher_;
    DisplayTrouble state_ = DisplayTrouble::NoTrouble; // as last told or kept quiet
    std::vector<bool> said_;                           // reasons told, by number
    bool saidTrouble_ = false;                         // the last line said "cannot"
};

} // namespace

std::unique_ptr<Display> openWaylandDisplay(DisplayTrouble* why) {
    DisplayTrouble ignored = DisplayTrouble::NoTrouble;
    if (!why)
        why = &ignored;
    wl_display* connection = wl_display_connect(nullptr);
    if (!connection) {
        *why = DisplayTrouble::CannotConnectWayland;
        return nullptr;
    }
    auto display = std::make_unique<WaylandDisplay>(connection);
    if (!display->start()) {
        *why = DisplayTrouble::WaylandNoAnswer;
        return nullptr;
    }
    // A Wayland session: from here on the X server, if any, is XWayland and not asked.
    if (!display->hasManager()) {
        *why = display->desktop() != DisplayTrouble::NoTrouble ? display->desktop()
                                                               : DisplayTrouble::NoGammaManager;
        return colourlessDisplay(*why);
    }
    display->tell();
    return display;
}

} // namespace ocuvell
