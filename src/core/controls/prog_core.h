#pragma once
// ProgCore: state, colour schemes and drawing geometry of the gradient control, without
// any toolkit. The widget asks for a ProgFrame and paints it.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ocuvell {

using Colour = std::uint32_t; // 0xBBGGRR: red in the low byte

constexpr int colourRed(Colour c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int colourGreen(Colour c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int colourBlue(Colour c) {
    return static_cast<int>((c >> 16) & 0xFF);
}
constexpr Colour makeColour(int r, int g, int b) {
    return static_cast<Colour>(r) | static_cast<Colour>(g) << 8 | static_cast<Colour>(b) << 16;
}

struct ProgRect {
    int left = 0, top = 0, right = 0, bottom = 0; // right and bottom exclusive
    bool operator==(const ProgRect&) const = default;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

// Slots: 0/1 upper background band, 2/3 lower band, 4/5 upper fill or pressed overlay,
// 6/7 its lower band, 8 outline.
using ColourScheme = std::array<Colour, 9>;
std::optional<ColourScheme> colourScheme(int number); // 1..9, else none

// Rounds to the nearest integer, halves to the even neighbour (20.5 -> 20, 21.5 -> 22).
long long roundHalfEven(double v);

// Colour of row y of a vertical gradient over rows top..bottom-1: the start colour on the
// top row, moving linearly towards the end colour, which is reached at the bottom edge.
Colour gradientRow(Colour start, Colour end, int top, int bottom, int y);

struct ProgBand {
    ProgRect rect;
    Colour start, end;
};

// Everything one redraw paints, in painting order.
struct ProgFrame {
    int width = 0, height = 0;
    int innerWidth = 0, innerHeight = 0;
    int mid = 0;
    std::vector<ProgBand> bands;   // background, then fill or pressed overlay
    std::vector<ProgRect> outline; // one-pixel pieces of the rounded outline
    Colour outlineColour = 0;
    std::string text; // UTF-8; percent text or caption with its "&" marks
    bool focus = false;
    ProgRect focusRect;
};

class ProgCore {
  public:
    static constexpr int kRadius = 5;

    std::int32_t value() const { return value_; }
    std::int32_t min() const { return min_; }
    std::int32_t max() const { return max_; }
    std::int32_t style() const { return style_; }
    std::int32_t colour() const { return colour_; }
    const std::string& caption() const { return caption_; }
    const std::string& accessKey() const { return accessKey_; } // UTF-8, maybe empty
    bool pressed() const { return pressed_; }
    bool hasFocus() const { return hasFocus_; }
    int fillWidth() const { return fillWidth_; }
    ProgRect textRect() const { return textRect_; }
    ProgRect focusRect() const { return focusRect_; }
    const ColourScheme& colours() const { return colours_; }

    void setValue(std::int32_t v); // above Max takes Max, then below Min takes Min
    void setMin(std::int32_t v) { min_ = v; }
    void setMax(std::int32_t v) { max_ = v; }
    void setStyle(std::int32_t v) { style_ = v; }
    void setColour(std::int32_t v) { colour_ = v; }
    void setCaption(const std::string& caption);
    // A stored layout assigns the fields as they are, Value unclamped.
    void load(std::int32_t value, std::int32_t min, std::int32_t max, const std::string& caption,
              std::int32_t style, std::int32_t colour);
    void setPressed(bool p) { pressed_ = p; }
    void focusIn(); // focus rectangle from the last redraw's sizes
    void focusOut() { hasFocus_ = false; }

    // Style 1 is the button that answers Enter and its access key.
    bool keyboardButton() const { return style_ == 1; }

    // The progress figures for the current state at a given inner width.
    struct Progress {
        std::optional<int> percent; // none when there is no ratio or it leaves 16 bits
        int fillWidth = 0;
        std::string text; // "0.00%" pattern with the given decimal separator
    };
    Progress progress(int innerWidth, const std::string& decimalSeparator) const;

    // One redraw at client size width x height. Updates innerWidth/innerHeight, colours
    // and fillWidth the way the drawing routine does.
    ProgFrame redraw(int width, int height, const std::string& decimalSeparator);
    // Where DrawTextR puts a text of the measured size; remembered as textRect.
    ProgRect placeText(int textWidth, int textHeight);

  private:
    std::int32_t value_ = 0, min_ = 0, max_ = 100, style_ = 0, colour_ = 1;
    std::string caption_;
    std::string accessKey_;
    ColourScheme colours_{};
    int innerWidth_ = 0, innerHeight_ = 0, fillWidth_ = 0;
    ProgRect textRect_, focusRect_;
    bool hasFocus_ = false, pressed_ = false;
};

// The access key a caption sets: the character after the last single "&", searching
// from the end and passing over "&&" pairs. Empty optional: no single "&" at all;
// empty string: the "&" is the last character.
std::optional<std::string> accessKeyOf(const std::string& caption);

// The one-pixel outline of a rounded rectangle covering columns 0..w-1 and rows 0..h-1,
// corners cut along a 5 x 5 ellipse.
std::vector<ProgRect> roundedOutline(int w, int h);
// The columns a rounded window of height h keeps on row y: [inset, w - inset).
int roundedInset(int y, int h);

} // namespace ocuvell
