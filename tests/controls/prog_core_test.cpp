// The gradient control's core: clamping, progress figures, geometry, access keys.
#include "core/controls/prog_core.h"
#include "core/controls/property_bag.h"

#include <gtest/gtest.h>

using namespace ocuvell;

TEST(ProgCore, ValueClampsToMaxThenMin) {
    ProgCore c;
    c.setValue(150);
    EXPECT_EQ(c.value(), 100);
    c.setValue(-5);
    EXPECT_EQ(c.value(), 0);
    c.setMin(10);
    c.setMax(5);
    for (int v : {-100, 7, 1000}) {
        c.setValue(v);
        EXPECT_EQ(c.value(), 10);
    }
}

TEST(ProgCore, RoundingIsHalfToEven) {
    EXPECT_EQ(roundHalfEven(20.5), 20);
    EXPECT_EQ(roundHalfEven(21.5), 22);
    EXPECT_EQ(roundHalfEven(-0.5), 0);
    EXPECT_EQ(roundHalfEven(97.68), 98);
}

TEST(ProgCore, BarFiguresAtOneOfThreeAndOneOf200) {
    ProgCore c;
    c.setMax(3);
    c.setValue(1);
    ProgFrame f = c.redraw(297, 41, ".");
    EXPECT_EQ(f.innerWidth, 296);
    EXPECT_EQ(c.fillWidth(), 98);
    EXPECT_EQ(f.text, "33.33%");
    ASSERT_EQ(f.bands.size(), 4u);
    EXPECT_EQ(f.bands[2].rect, (ProgRect{0, 0, 98, 20}));
    EXPECT_EQ(f.bands[3].rect, (ProgRect{0, 20, 98, 41}));

    c.setMax(200);
    f = c.redraw(297, 41, ",");
    EXPECT_EQ(c.fillWidth(), 0);
    EXPECT_EQ(f.bands.size(), 2u); // no fill at all
    EXPECT_EQ(f.text, "0,50%");    // the user's decimal separator
}

TEST(ProgCore, FullBarIsOnePixelShortAndBandsSplitAtRowTwenty) {
    ProgCore c;
    c.setValue(100);
    const ProgFrame f = c.redraw(297, 41, ".");
    EXPECT_EQ(f.mid, 20);
    EXPECT_EQ(f.bands[0].rect, (ProgRect{0, 0, 297, 20}));
    EXPECT_EQ(f.bands[1].rect, (ProgRect{0, 20, 297, 41}));
    EXPECT_EQ(f.bands[2].rect.right, 296);
    EXPECT_EQ(f.text, "100.00%");
}

TEST(ProgCore, UnclampedValueAfterRangeChange) {
    ProgCore c;
    c.setValue(100);
    c.setMax(50);
    ProgFrame f = c.redraw(297, 41, ".");
    EXPECT_EQ(f.text, "200.00%");
    EXPECT_EQ(c.fillWidth(), 592); // runs past the right edge, clipped when painted
    c.setMin(150);
    c.setMax(200);
    f = c.redraw(297, 41, ".");
    EXPECT_EQ(f.text, "-100.00%");
    EXPECT_EQ(f.bands.size(), 2u);
}

TEST(ProgCore, EqualMinAndMaxOrHugeRatioDrawsNoFillAndNoError) {
    ProgCore c;
    c.setMax(0); // Value 0, Min 0, Max 0: no ratio at all
    ProgFrame f = c.redraw(297, 41, ".");
    EXPECT_EQ(f.text, "0.00%");
    EXPECT_EQ(f.bands.size(), 2u);
    c.load(5, 5, 5, "", 0, 1);
    f = c.redraw(297, 41, ".");
    EXPECT_EQ(f.text, "0.00%");

    // 16-bit percent overflow: the ratio still reads, the bar stays empty.
    c.load(1000000, 0, 100, "", 0, 1);
    f = c.redraw(297, 41, ".");
    EXPECT_EQ(f.text, "1000000.00%");
    EXPECT_EQ(f.bands.size(), 2u);
    EXPECT_FALSE(c.progress(296, ".").percent.has_value());
    // Differences that leave 32 bits are taken exactly.
    c.load(INT32_MAX, INT32_MIN, INT32_MAX, "", 0, 1);
    EXPECT_EQ(c.redraw(297, 41, ".").text, "100.00%");
    EXPECT_EQ(c.fillWidth(), 296);
    // The control stays usable afterwards.
    c.setMax(100);
    c.setMin(0);
    c.setValue(50);
    c.redraw(297, 41, ".");
    EXPECT_EQ(c.fillWidth(), 148);
}

TEST(ProgCore, SchemesAndInvalidColourKeepsPreviousSlots) {
    ASSERT_TRUE(colourScheme(1));
    EXPECT_EQ((*colourScheme(1))[0], 0xF2F6F8u);
    EXPECT_EQ((*colourScheme(8))[8], makeColour(23, 139, 211));
    EXPECT_EQ((*colourScheme(9))[5], makeColour(108, 255, 108));
    EXPECT_FALSE(colourScheme(0));
    EXPECT_FALSE(colourScheme(10));

    ProgCore c;
    c.setColour(0);
    c.redraw(100, 20, ".");
    EXPECT_EQ(c.colours()[3], 0u); // never loaded: black
    c.setColour(7);
    c.redraw(100, 20, ".");
    c.setColour(42);
    c.redraw(100, 20, ".");
    EXPECT_EQ(c.colours(), *colourScheme(7));
}

TEST(ProgCore, GradientStartsOnTopRowAndApproachesEnd) {
    const Colour a = makeColour(0, 100, 200), b = makeColour(200, 100, 0);
    EXPECT_EQ(gradientRow(a, b, 20, 41, 20), a);
    const Colour last = gradientRow(a, b, 20, 41, 40);
    EXPECT_EQ(colourRed(last), 190); // 200 * 20 / 21
    EXPECT_EQ(colourBlue(last), 9);
    EXPECT_EQ(colourGreen(last), 100);
    EXPECT_EQ(gradientRow(a, b, 5, 5, 5), a); // empty band
}

TEST(ProgCore, ButtonFaceOverlayAndFocus) {
    ProgCore c;
    c.setStyle(1);
    c.setCaption("OK");
    ProgFrame f = c.redraw(80, 30, ".");
    EXPECT_EQ(f.bands.size(), 2u);
    EXPECT_EQ(f.text, "OK");
    EXPECT_FALSE(f.focus);
    c.setPressed(true);
    c.focusIn();
    f = c.redraw(80, 30, ".");
    ASSERT_EQ(f.bands.size(), 4u);
    EXPECT_EQ(f.bands[2].rect, (ProgRect{0, 0, 79, 15}));
    EXPECT_TRUE(f.focus);
    EXPECT_EQ(f.focusRect, (ProgRect{3, 3, 76, 26}));
    c.focusOut();
    EXPECT_FALSE(c.redraw(80, 30, ".").focus);
}

TEST(ProgCore, TextIsCentredOnInnerSize) {
    ProgCore c;
    c.redraw(297, 41, ".");
    EXPECT_EQ(c.placeText(41, 16), (ProgRect{128, 12, 169, 28})); // 127.5 -> 128
    EXPECT_EQ(c.placeText(40, 15), (ProgRect{128, 12, 168, 27})); // 12.5 -> 12
}

TEST(ProgCore, OutlineIsOnePixelRoundedRing) {
    const auto pieces = roundedOutline(296, 40);
    int pixels = 0;
    for (const ProgRect& r : pieces)
        pixels += r.width() * r.height();
    EXPECT_EQ(pixels, 2 * 292 + 2 * 36 + 4);
    EXPECT_EQ(pieces[0], (ProgRect{2, 0, 294, 1}));
    EXPECT_EQ(pieces[3], (ProgRect{295, 2, 296, 38}));
    EXPECT_TRUE(roundedOutline(0, 10).empty());
    EXPECT_EQ(roundedInset(0, 41), 2);
    EXPECT_EQ(roundedInset(1, 41), 1);
    EXPECT_EQ(roundedInset(20, 41), 0);
    EXPECT_EQ(roundedInset(40, 41), 2);
}

TEST(ProgCore, AccessKeys) {
    EXPECT_EQ(accessKeyOf("&Save"), "S");
    EXPECT_FALSE(accessKeyOf("A&&B"));
    EXPECT_FALSE(accessKeyOf("plain"));
    EXPECT_EQ(accessKeyOf("x&"), "");
    EXPECT_EQ(accessKeyOf("&a&&&b"), "b"); // the last single marker wins
    EXPECT_EQ(accessKeyOf("保存(&保)"), "保");

    ProgCore c;
    c.setCaption("&Save");
    c.setCaption("A&&B"); // no single marker: the key stays
    EXPECT_EQ(c.accessKey(), "S");
    c.setCaption("Sa&ve");
    EXPECT_EQ(c.accessKey(), "v");
}

TEST(PropertyBag, KeepsOrderAndReadsLeniently) {
    PropertyBag bag;
    bag.write("value", false);
    bag.write("skin", 7);
    bag.write("value", true);
    ASSERT_EQ(bag.entries().size(), 2u);
    EXPECT_EQ(bag.entries()[0].first, "value");
    EXPECT_TRUE(bag.readBool("value", false));
    EXPECT_EQ(bag.readInt("skin", 0), 7);
    EXPECT_EQ(bag.readInt("missing", 3), 3);
    bag.write("enable", std::int32_t{-1});
    EXPECT_TRUE(bag.readBool("enable", false));
    bag.write("n", std::string("12"));
    EXPECT_EQ(bag.readInt("n", 0), 12);
    bag.write("n", std::string("12x"));
    EXPECT_EQ(bag.readInt("n", 5), 5);
    EXPECT_EQ(bag.readText("skin", ""), "7");
}
