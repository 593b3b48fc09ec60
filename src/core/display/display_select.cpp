#include "core/display/backends.h"

#include <cstdio>

namespace ocuvell {

std::unique_ptr<Display> colourlessDisplay(const std::string& why) {
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
        {"does not let programs change colours", "桌面不许程序调色，请用其夜间模式"},
        {"no Wayland output", "输出不可调伽马或被其他程序占用"},
        {"Wayland compositor closed", "Wayland 合成器已断开连接"},
        {"Wayland compositor offers no gamma", "Wayland 合成器不提供伽马控制"},
        {"Wayland compositor does not answer", "Wayland 合成器没有应答"},
        {"cannot connect to the Wayland", "无法连接 Wayland 合成器"},
        {"without Wayland support", "程序未带 Wayland 支持"},
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
