#include "core/controls/prog_core.h"

#include <cmath>
#include <cstdio>

namespace ocuvell {

namespace {

constexpr Colour rgb(int r, int g, int b) {
    return makeColour(r, g, b);
}

constexpr std::array<ColourScheme, 9> kSchemes{{
    {rgb(248, 246, 242), rgb(233, 227, 211), rgb(226, 215, 182), rgb(239, 233, 215),
     rgb(251, 244, 223), rgb(239, 213, 133), rgb(203, 166, 57), rgb(237, 224, 187),
     rgb(204, 168, 62)},
    {rgb(247, 248, 242), rgb(231, 233, 211), rgb(222, 226, 182), rgb(237, 239, 215),
     rgb(249, 251, 223), rgb(230, 239, 133), rgb(190, 203, 57), rgb(233, 237, 187),
     rgb(192, 204, 62)},
    {rgb(242, 248, 243), rgb(211, 233, 213), rgb(182, 226, 186), rgb(215, 239, 217),
     rgb(223, 251, 225), rgb(133, 239, 142), rgb(57, 203, 70), rgb(187, 237, 191),
     rgb(62, 204, 74)},
    {rgb(242, 248, 247), rgb(211, 233, 231), rgb(182, 226, 222), rgb(215, 239, 237),
     rgb(223, 251, 249), rgb(133, 239, 230), rgb(57, 203, 190), rgb(187, 237, 233),
     rgb(62, 204, 192)},
    {rgb(243, 242, 248), rgb(213, 211, 233), rgb(186, 182, 226), rgb(217, 215, 239),
     rgb(225, 223, 251), rgb(142, 133, 239), rgb(70, 57, 203), rgb(191, 187, 237),
     rgb(74, 62, 204)},
    {rgb(248, 242, 247), rgb(233, 211, 231), rgb(226, 182, 222), rgb(239, 215, 237),
     rgb(251, 223, 249), rgb(239, 133, 230), rgb(203, 57, 190), rgb(237, 187, 233),
     rgb(204, 62, 192)},
    {rgb(248, 242, 242), rgb(233, 211, 211), rgb(226, 182, 182), rgb(239, 215, 215),
     rgb(251, 223, 223), rgb(239, 133, 133), rgb(203, 57, 57), rgb(237, 187, 187),
     rgb(204, 62, 62)},
    {rgb(250, 253, 254), rgb(228, 243, 252), rgb(199, 230, 249), rgb(237, 247, 253),
     rgb(225, 247, 255), rgb(67, 208, 255), rgb(63, 112, 233), rgb(63, 226, 246),
     rgb(23, 139, 211)},
    {rgb(231, 243, 232), rgb(225, 219, 225), rgb(179, 189, 179), rgb(226, 238, 226),
     rgb(223, 251, 223), rgb(108, 255, 108), rgb(26, 228, 26), rgb(217, 244, 217),
     rgb(188, 184, 188)},
}};

int channelRow(int start, int end, int top, int bottom, int y) {
    const long long s16 = start * 256LL, e16 = end * 256LL;
    const long long c16 = s16 + (e16 - s16) * (y - top) / (bottom - top);
    return static_cast<int>(c16 / 256);
}

int clampToInt(long long v) {
    if (v > INT32_MAX)
        return INT32_MAX;
    if (v < INT32_MIN)
        return INT32_MIN;
    return static_cast<int>(v);
}

} // namespace

std::optional<ColourScheme> colourScheme(int number) {
    if (number < 1 || number > 9)
        return std::nullopt;
    return kSchemes[number - 1];
}

long long roundHalfEven(double v) {
    return std::llrint(std::nearbyint(v));
}

Colour gradientRow(Colour start, Colour end, int top, int bottom, int y) {
    if (bottom - top <= 0)
        return start;
    return makeColour(channelRow(colourRed(start), colourRed(end), top, bottom, y),
                      channelRow(colourGreen(start), colourGreen(end), top, bottom, y),
                      channelRow(colourBlue(start), colourBlue(end), top, bottom, y));
}

void ProgCore::setValue(std::int32_t v) {
    if (v > max_)
        v = max_;
    if (v < min_)
        v = min_;
    value_ = v;
}

void ProgCore::setCaption(const std::string& caption) {
    if (auto key = accessKeyOf(caption))
        accessKey_ = *key;
    caption_ = caption;
}

void ProgCore::load(std::int32_t value, std::int32_t min, std::int32_t max,
                    const std::string& caption, std::int32_t style, std::int32_t colour) {
    value_ = value;
    min_ = min;
    max_ = max;
    style_ = style;
    colour_ = colour;
    // A stored "&Save" shows its S underlined, so Alt+S must work as well.
    setCaption(caption);
}

void ProgCore::focusIn() {
    focusRect_ = {3, 3, innerWidth_ - 3, innerHeight_ - 3};
    hasFocus_ = true;
}

// Max equal to Min has no ratio, and a ratio far outside Min..Max has no 16-bit percent;
// such a bar shows no fill and stays usable instead of failing its redraw.
ProgCore::Progress ProgCore::progress(int innerWidth, const std::string& decimalSeparator) const {
    Progress p;
    const long long span = static_cast<long long>(max_) - min_;
    const long long done = static_cast<long long>(value_) - min_;
    double ratio100 = 0.0;
    if (span != 0) {
        ratio100 = static_cast<double>(done) / static_cast<double>(span) * 100.0;
        const long long percent = roundHalfEven(ratio100);
        if (percent >= INT16_MIN && percent <= INT16_MAX) {
            p.percent = static_cast<int>(percent);
            p.fillWidth =
                clampToInt(roundHalfEven(percent * static_cast<double>(innerWidth) / 100.0));
        }
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", ratio100);
    std::string text = buf;
    if (text == "-0.00")
        text = "0.00";
    const auto dot = text.find('.');
    if (dot != std::string::npos)
        text.replace(dot, 1, decimalSeparator);
    p.text = text + "%";
    return p;
}

ProgFrame ProgCore::redraw(int width, int height, const std::string& decimalSeparator) {
    ProgFrame f;
    f.width = width;
    f.height = height;
    innerWidth_ = f.innerWidth = width - 1;
    innerHeight_ = f.innerHeight = height - 1;
    if (auto scheme = colourScheme(colour_))
        colours_ = *scheme;
    const auto& c = colours_;
    f.mid = static_cast<int>(roundHalfEven(height / 2.0));
    f.bands.push_back({{0, 0, width, f.mid}, c[0], c[1]});
    f.bands.push_back({{0, f.mid, width, height}, c[2], c[3]});
    int overlay = 0;
    if (style_ == 0) {
        const Progress p = progress(innerWidth_, decimalSeparator);
        fillWidth_ = p.fillWidth;
        overlay = p.fillWidth;
        f.text = p.text;
    } else {
        if (pressed_)
            overlay = innerWidth_;
        f.text = caption_;
    }
    if (overlay > 0) {
        f.bands.push_back({{0, 0, overlay, f.mid}, c[4], c[5]});
        f.bands.push_back({{0, f.mid, overlay, height}, c[6], c[7]});
    }
    f.outline = roundedOutline(innerWidth_, innerHeight_);
    f.outlineColour = c[8];
    f.focus = style_ != 0 && hasFocus_;
    f.focusRect = focusRect_;
    return f;
}

ProgRect ProgCore::placeText(int textWidth, int textHeight) {
    const int left = static_cast<int>(roundHalfEven(innerWidth_ / 2.0 - textWidth / 2.0));
    const int top = static_cast<int>(roundHalfEven(innerHeight_ / 2.0 - textHeight / 2.0));
    textRect_ = {left, top, left + textWidth, top + textHeight};
    return textRect_;
}

std::optional<std::string> accessKeyOf(const std::string& caption) {
    std::optional<std::string> key;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (i + 1 < caption.size() && caption[i + 1] == '&') {
            ++i; // "&&" draws one "&"
            continue;
        }
        std::size_t len = 0;
        if (i + 1 < caption.size()) {
            const auto lead = static_cast<unsigned char>(caption[i + 1]);
            len = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        }
        key = caption.substr(i + 1, len);
    }
    return key;
}

std::vector<ProgRect> roundedOutline(int w, int h) {
    if (w <= 0 || h <= 0)
        return {};
    if (w < 5 || h < 5)
        return {{0, 0, w, 1}, {0, h - 1, w, h}, {0, 0, 1, h}, {w - 1, 0, w, h}};
    return {
        {2, 0, w - 2, 1},     {2, h - 1, w - 2, h}, // top, bottom
        {0, 2, 1, h - 2},     {w - 1, 2, w, h - 2}, // left, right
        {1, 1, 2, 2},         {w - 2, 1, w - 1, 2}, // upper corners
        {1, h - 2, 2, h - 1}, {w - 2, h - 2, w - 1, h - 1},
    };
}

int roundedInset(int y, int h) {
    if (h < 5)
        return 0;
    if (y == 0 || y == h - 1)
        return 2;
    if (y == 1 || y == h - 2)
        return 1;
    return 0;
}

} // namespace ocuvell
