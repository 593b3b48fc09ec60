#include "core/display/backends.h"

#include <cstdio>
#include <cstdlib>

namespace ocuvell {

namespace {

[[maybe_unused]] bool envSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

} // namespace

std::unique_ptr<Display> openDisplay() {
    std::string why;
#ifdef _WIN32
    if (auto gdi = openGdiDisplay(&why))
        return gdi;
#elif defined(OCUVELL_HAVE_X11)
    if (envSet("DISPLAY")) {
        if (auto x11 = openX11Display(nullptr, &why))
            return x11;
    } else {
        why = envSet("WAYLAND_DISPLAY") ? "a Wayland session without X11" : "no X display";
    }
#else
    why = "built without X11 support";
#endif
    std::fprintf(stderr, "Ocuvell: colours cannot be changed on this display (%s)\n", why.c_str());
    return makeMemoryDisplay(why);
}

std::string colourTroubleText(std::string_view why) {
    // Keyed on the backends' own words; the most specific first.
    struct Phrase {
        std::string_view key;
        const char* text;
    };
    static constexpr Phrase phrases[] = {
        {"XWayland", "XWayland 不把伽马传给屏幕"},
        {"Wayland", "Wayland 会话"},
        {"no X display", "没有 X 显示"},
        {"cannot open the X display", "无法连接 X 服务器"},
        {"RandR", "X 服务器不支持 RandR 伽马"},
        {"no CRTC", "没有可调伽马的输出"},
        {"without X11", "程序未带 X11 支持"},
        {"device context", "无法取得桌面设备"},
        {"driver", "显卡驱动不支持伽马"},
        {kCaptureFailed, "读取伽马失败"},
    };
    for (const Phrase& p : phrases)
        if (why.find(p.key) != std::string_view::npos)
            return p.text;
    return "读取伽马失败";
}

} // namespace ocuvell
