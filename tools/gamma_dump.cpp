// Prints the gamma ramp of every CRTC of an X display, straight from RandR:
// "crtc <id> size <n>" and then one line per entry: "<j> <red> <green> <blue>".
// Usage: gamma_dump [DISPLAY [first]]; a second argument stops after the first CRTC.
// Used to check by hand what the program left on the display.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <cstdio>

int main(int argc, char** argv) {
    Display* dpy = XOpenDisplay(argc > 1 ? argv[1] : nullptr);
    if (!dpy) {
        std::fprintf(stderr, "gamma_dump: cannot open the X display\n");
        return 1;
    }
    XRRScreenResources* res = XRRGetScreenResourcesCurrent(dpy, DefaultRootWindow(dpy));
    const bool first_only = argc > 2;
    for (int c = 0; res && c < res->ncrtc; ++c) {
        const int size = XRRGetCrtcGammaSize(dpy, res->crtcs[c]);
        if (size <= 0)
            continue;
        XRRCrtcGamma* g = XRRGetCrtcGamma(dpy, res->crtcs[c]);
        std::printf("crtc %lu size %d\n", static_cast<unsigned long>(res->crtcs[c]), size);
        for (int j = 0; j < size; ++j)
            std::printf("%d %u %u %u\n", j, g->red[j], g->green[j], g->blue[j]);
        XRRFreeGamma(g);
        if (first_only)
            break;
    }
    if (res)
        XRRFreeScreenResources(res);
    XCloseDisplay(dpy);
    return 0;
}
