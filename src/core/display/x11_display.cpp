#include "core/display/backends.h"
#include "core/x11/error_trap.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cstring>
#include <vector>

namespace ocuvell {

namespace {

struct Crtc {
    RRCrtc id;
    XRRCrtcGamma* gamma; // kept for the whole run: writing allocates nothing
};

class X11Display final : public Display {
  public:
    explicit X11Display(::Display* dpy) : dpy_(dpy) {}
    ~X11Display() override {
        dropCrtcs();
        XCloseDisplay(dpy_);
    }

    // Lists the CRTCs that have a gamma ramp and picks the primary output's for reading.
    bool scan(DisplayTrouble* why) {
        dropCrtcs();
        // A CRTC that vanished with an unplugged monitor must only fail the call.
        XErrorTrap trap(dpy_);
        const Window root = DefaultRootWindow(dpy_);
        XRRScreenResources* res = XRRGetScreenResourcesCurrent(dpy_, root);
        if (!res) {
            *why = DisplayTrouble::NoScreenResources;
            return false;
        }
        // XWayland names all its outputs alike, so the first tells; each output asked is
        // a round trip to the server at start.
        if (res->noutput > 0) {
            XRROutputInfo* info = XRRGetOutputInfo(dpy_, res, res->outputs[0]);
            const bool xwayland = info && std::strncmp(info->name, "XWAYLAND", 8) == 0;
            if (info)
                XRRFreeOutputInfo(info);
            if (xwayland) {
                XRRFreeScreenResources(res);
                *why = DisplayTrouble::XWayland;
                return false;
            }
        }
        for (int i = 0; i < res->ncrtc; ++i) {
            // A CRTC without a ramp (size 0, or one that errs) is skipped, not fatal.
            const int size = XRRGetCrtcGammaSize(dpy_, res->crtcs[i]);
            if (size > 0)
                crtcs_.push_back({res->crtcs[i], XRRAllocGamma(size)});
        }
        readFrom_ = crtcs_.empty() ? 0 : crtcs_.front().id;
        if (const RROutput primary = XRRGetOutputPrimary(dpy_, root)) {
            if (XRROutputInfo* info = XRRGetOutputInfo(dpy_, res, primary)) {
                for (const Crtc& crtc : crtcs_)
                    if (crtc.id == info->crtc)
                        readFrom_ = crtc.id;
                XRRFreeOutputInfo(info);
            }
        }
        XRRFreeScreenResources(res);
        if (crtcs_.empty()) {
            *why = DisplayTrouble::NoGammaOutput;
            return false;
        }
        return true;
    }

    bool readRamp(GammaRamp& out) override {
        if (readOnce(out))
            return true;
        return rescanAfterError() && readOnce(out);
    }

    bool writeRamp(const GammaRamp& ramp) override {
        if (writeOnce(ramp))
            return true;
        return rescanAfterError() && writeOnce(ramp);
    }

    std::string name() const override { return "X11 RandR"; }

  private:
    bool readOnce(GammaRamp& out) {
        if (crtcs_.empty())
            return false;
        XErrorTrap trap(dpy_);
        XRRCrtcGamma* gamma = XRRGetCrtcGamma(dpy_, readFrom_);
        const bool ok = gamma && !trap.failed() && gamma->size > 0;
        if (ok) {
            const auto size = static_cast<std::size_t>(gamma->size);
            resampleFrom(gamma->red, size, out.channel(0));
            resampleFrom(gamma->green, size, out.channel(1));
            resampleFrom(gamma->blue, size, out.channel(2));
        }
        if (gamma)
            XRRFreeGamma(gamma);
        return ok;
    }

    bool writeOnce(const GammaRamp& ramp) {
        if (crtcs_.empty())
            return false;
        XErrorTrap trap(dpy_);
        // A 256-entry CRTC is sent straight from the ramp (Xlib only reads it); other
        // sizes go through the CRTC's own buffer.
        auto* entries = const_cast<unsigned short*>(ramp.entries.data());
        XRRCrtcGamma direct{GammaRamp::kSize, entries, entries + GammaRamp::kSize,
                            entries + 2 * GammaRamp::kSize};
        for (const Crtc& crtc : crtcs_) {
            const auto size = static_cast<std::size_t>(crtc.gamma->size);
            if (size == GammaRamp::kSize) {
                XRRSetCrtcGamma(dpy_, crtc.id, &direct);
                continue;
            }
            resampleTo(ramp.channel(0), crtc.gamma->red, size);
            resampleTo(ramp.channel(1), crtc.gamma->green, size);
            resampleTo(ramp.channel(2), crtc.gamma->blue, size);
            XRRSetCrtcGamma(dpy_, crtc.id, crtc.gamma);
        }
        XSync(dpy_, False); // errors arrive here; and the change shows now, not later
        return !trap.failed();
    }

    // Outputs come and go (a monitor unplugged, a CRTC resized): list them afresh.
    bool rescanAfterError() {
        DisplayTrouble why = DisplayTrouble::NoTrouble;
        return scan(&why);
    }

    void dropCrtcs() {
        for (Crtc& crtc : crtcs_)
            XRRFreeGamma(crtc.gamma);
        crtcs_.clear();
    }

    ::Display* dpy_;
    std::vector<Crtc> crtcs_;
    RRCrtc readFrom_ = 0;
};

} // namespace

std::unique_ptr<Display> openX11Display(const char* displayName, DisplayTrouble* why) {
    DisplayTrouble ignored = DisplayTrouble::NoTrouble;
    if (!why)
        why = &ignored;
    ::Display* dpy = XOpenDisplay(displayName);
    if (!dpy) {
        *why = DisplayTrouble::CannotOpenX;
        return nullptr;
    }
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(dpy, &eventBase, &errorBase) || !XRRQueryVersion(dpy, &major, &minor) ||
        major < 1 || (major == 1 && minor < 2)) {
        XCloseDisplay(dpy);
        *why = DisplayTrouble::NoRandrGamma;
        return nullptr;
    }
    auto display = std::make_unique<X11Display>(dpy);
    if (!display->scan(why))
        return nullptr;
    return display;
}

} // namespace ocuvell
