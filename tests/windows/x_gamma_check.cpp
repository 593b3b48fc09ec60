// Native side of the GDI check under Wine: reads the ramp the X server holds after the
// Windows test applied one, and compares it with the ramp the test wrote down.
//   x_gamma_check [--keep] EXPECTED_FILE   (DISPLAY names the dummy server)
// The server is then set back to the identity, unless --keep (the program's check goes on
// with the ramp it set).
// Wine 8 hands GDI ramps to the server through XF86VidMode; on the dummy driver that ramp
// lives in the server's colour map, beside the RandR CRTC ramps, so both are reported.
// libXxf86vm is opened at run time: Debian ships no headers for it in the build set.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string_view>
#include <vector>

namespace {

using GetSizeFn = int (*)(Display*, int, int*);
using RampFn = int (*)(Display*, int, int, unsigned short*, unsigned short*, unsigned short*);

constexpr int kServerStep = 255; // one step of the server's 8-bit palette

std::vector<int> readExpected(const char* path) {
    std::vector<int> entries;
    std::ifstream in(path);
    for (int v; in >> v;)
        entries.push_back(v);
    return entries;
}

// The CRTC of the primary output (else the first), as RandR reports it.
void reportCrtc(Display* dpy, const std::vector<int>& expected) {
    Window root = DefaultRootWindow(dpy);
    XRRScreenResources* res = XRRGetScreenResourcesCurrent(dpy, root);
    if (!res || res->ncrtc == 0) {
        std::printf("x_gamma_check: RandR reports no CRTC\n");
        return;
    }
    RRCrtc crtc = res->crtcs[0];
    if (RROutput primary = XRRGetOutputPrimary(dpy, root)) {
        if (XRROutputInfo* info = XRRGetOutputInfo(dpy, res, primary)) {
            if (info->crtc)
                crtc = info->crtc;
            XRRFreeOutputInfo(info);
        }
    }
    const int size = XRRGetCrtcGammaSize(dpy, crtc);
    XRRCrtcGamma* gamma = size > 0 ? XRRGetCrtcGamma(dpy, crtc) : nullptr;
    if (gamma && size == 256) {
        int most = 0;
        for (int j = 0; j < 256; ++j)
            most = std::max(most, std::abs(int(gamma->red[j]) - expected[j]));
        std::printf("x_gamma_check: RandR CRTC ramp (size %d): red[255] = %u, %d off the "
                    "applied ramp (Wine 8 does not write CRTC ramps)\n",
                    size, gamma->red[255], most);
    }
    if (gamma)
        XRRFreeGamma(gamma);
    XRRFreeScreenResources(res);
}

} // namespace

int main(int argc, char** argv) {
    const bool keep = argc == 3 && std::string_view(argv[1]) == "--keep";
    if (argc != 2 && !keep) {
        std::fprintf(stderr, "usage: x_gamma_check [--keep] EXPECTED_FILE\n");
        return 2;
    }
    const char* expectedFile = argv[argc - 1];
    const std::vector<int> expected = readExpected(expectedFile);
    if (expected.size() != 768) {
        std::printf("x_gamma_check: FAIL: %s holds %zu entries, not 768\n", expectedFile,
                    expected.size());
        return 1;
    }
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::printf("x_gamma_check: FAIL: cannot open the X display\n");
        return 1;
    }
    void* vm = dlopen("libXxf86vm.so.1", RTLD_NOW);
    auto getSize =
        vm ? reinterpret_cast<GetSizeFn>(dlsym(vm, "XF86VidModeGetGammaRampSize")) : nullptr;
    auto getRamp = vm ? reinterpret_cast<RampFn>(dlsym(vm, "XF86VidModeGetGammaRamp")) : nullptr;
    auto setRamp = vm ? reinterpret_cast<RampFn>(dlsym(vm, "XF86VidModeSetGammaRamp")) : nullptr;
    int size = 0;
    if (!getSize || !getRamp || !setRamp || !getSize(dpy, DefaultScreen(dpy), &size) ||
        size != 256) {
        std::printf("x_gamma_check: FAIL: no XF86VidMode gamma ramp of 256 entries\n");
        return 1;
    }
    std::vector<unsigned short> r(256), g(256), b(256);
    getRamp(dpy, DefaultScreen(dpy), 256, r.data(), g.data(), b.data());

    int most = 0, where = 0;
    for (int j = 0; j < 256; ++j) {
        const unsigned short shown[3] = {r[j], g[j], b[j]};
        for (int c = 0; c < 3; ++c) {
            const int off = std::abs(int(shown[c]) - expected[c * 256 + j]);
            if (off > most) {
                most = off;
                where = c * 256 + j;
            }
        }
    }
    reportCrtc(dpy, expected);

    // Leave the server as the other tests expect it: the identity.
    if (!keep) {
        for (int j = 0; j < 256; ++j)
            r[j] = g[j] = b[j] = static_cast<unsigned short>(257 * j);
        setRamp(dpy, DefaultScreen(dpy), 256, r.data(), g.data(), b.data());
        XSync(dpy, False);
    }
    XCloseDisplay(dpy);

    const bool ok = most <= kServerStep;
    std::printf("x_gamma_check: %s: the server's ramp is at most %d off the ramp applied "
                "through GDI (entry %d; allowed %d)\n",
                ok ? "ok" : "FAIL", most, where, kServerStep);
    return ok ? 0 : 1;
}
