// The gradient control widget: pixels of the painted bar and button, events, keys,
// focus, shape and stored properties.
#include "core/controls/prog_core.h"
#include "support/widget_helpers.h"
#include "ui/widgets/prog_button.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace ocuvell;
using namespace ocuvell::testing;

namespace {

QRgb rgbOf(Colour c) {
    return qRgb(colourRed(c), colourGreen(c), colourBlue(c));
}

class ProgButtonTest : public ::testing::Test {
  protected:
    QWidget window;
    ProgButton* pb = nullptr;
    std::vector<std::string> events;
    ColourScheme scheme = *colourScheme(1);

    void SetUp() override {
        window.resize(400, 100);
        pb = new ProgButton(&window);
        pb->setGeometry(10, 10, 297, 41);
        QObject::connect(pb, &ProgButton::MouseDown, [this](int b, int, float, float) {
            events.push_back("down" + std::to_string(b));
        });
        QObject::connect(pb, &ProgButton::MouseUp,
                         [this](int, int, float, float) { events.push_back("up"); });
        QObject::connect(pb, &ProgButton::Click, [this] { events.push_back("click"); });
        QObject::connect(pb, &ProgButton::DblClick, [this] { events.push_back("dbl"); });
        window.show();
    }

    QImage shot() { return pb->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QRgb band(int slotTop, int slotBottom, int top, int bottom, int y) {
        return rgbOf(gradientRow(scheme[slotTop], scheme[slotBottom], top, bottom, y));
    }
};

} // namespace

TEST_F(ProgButtonTest, BarAtOneOfThreePaintsFillGradientAndOutline) {
    pb->setMax(3);
    pb->setValue(1);
    EXPECT_EQ(pb->fillWidth(), 98);
    const QImage img = shot();
    // fill columns 0..97, background from 98 on; rows follow the bands
    for (int y : {1, 10, 19}) {
        EXPECT_EQ(img.pixel(97, y), band(4, 5, 0, 20, y)) << y;
        EXPECT_EQ(img.pixel(98, y), band(0, 1, 0, 20, y)) << y;
        EXPECT_EQ(img.pixel(250, y), band(0, 1, 0, 20, y)) << y;
    }
    for (int y : {20, 30, 38}) {
        EXPECT_EQ(img.pixel(50, y), band(6, 7, 20, 41, y)) << y;
        EXPECT_EQ(img.pixel(250, y), band(2, 3, 20, 41, y)) << y;
    }
    // outline: columns 0 and 295, rows 0 and 39; the last column and row are background
    const QRgb outline = rgbOf(scheme[8]);
    EXPECT_EQ(img.pixel(0, 20), outline);
    EXPECT_EQ(img.pixel(295, 20), outline);
    EXPECT_EQ(img.pixel(150, 0), outline);
    EXPECT_EQ(img.pixel(150, 39), outline);
    EXPECT_EQ(img.pixel(296, 20), band(2, 3, 20, 41, 20));
    EXPECT_EQ(img.pixel(150, 40), band(2, 3, 20, 41, 40));
    EXPECT_EQ(img.pixel(1, 1), outline); // rounded corner step
    // the percentage text is black inside its rectangle
    const QRect text = pb->textRect();
    bool black = false;
    for (int y = text.top(); y <= text.bottom(); ++y)
        for (int x = text.left(); x <= text.right(); ++x)
            black = black || qGray(img.pixel(x, y)) < 60;
    EXPECT_TRUE(black);
    EXPECT_EQ(text.width(),
              pb->GetFontWidth(QStringLiteral("33") + QLocale::system().decimalPoint() +
                               QStringLiteral("33%")));
}

TEST_F(ProgButtonTest, FullBarLeavesLastColumnAndOneOf200HasNoFill) {
    pb->setValue(100);
    QImage img = shot();
    EXPECT_EQ(img.pixel(294, 10), band(4, 5, 0, 20, 10));
    EXPECT_EQ(img.pixel(296, 10), band(0, 1, 0, 20, 10));
    pb->setMax(200);
    pb->setValue(1);
    EXPECT_EQ(pb->fillWidth(), 0);
    img = shot();
    EXPECT_EQ(img.pixel(1, 10), band(0, 1, 0, 20, 10));
    EXPECT_EQ(img.pixel(5, 10), band(0, 1, 0, 20, 10));
}

TEST_F(ProgButtonTest, EqualMinAndMaxKeepsTheControlUsable) {
    pb->setMax(0);
    EXPECT_EQ(pb->fillWidth(), 0);
    EXPECT_EQ(shot().pixel(5, 10), band(0, 1, 0, 20, 10));
    pb->setMin(-32768 * 4);
    pb->setValue(100000); // clamped to Max 0
    EXPECT_EQ(pb->Value(), 0);
    PropertyBag bag;
    bag.write("Value", 50000000);
    pb->loadProperties(bag); // percent far outside 16 bits
    EXPECT_EQ(pb->Value(), 50000000);
    EXPECT_EQ(pb->fillWidth(), 0);
    pb->setValue(50);
    EXPECT_EQ(pb->fillWidth(), 148);
}

TEST_F(ProgButtonTest, ColourOutsideTheNineKeepsTheSchemeShown) {
    pb->setColor(8);
    const QRgb before = shot().pixel(250, 5);
    pb->setColor(12);
    EXPECT_EQ(shot().pixel(250, 5), before);
    scheme = *colourScheme(8);
    EXPECT_EQ(before, band(0, 1, 0, 20, 5));
}

TEST_F(ProgButtonTest, ButtonClickOrderAndPressedOverlay) {
    pb->setStyle(2);
    pb->setCaption(QStringLiteral("Go"));
    sendMouse(pb, QEvent::MouseButtonPress, {150, 5}, Qt::LeftButton);
    QImage img = shot();
    EXPECT_EQ(img.pixel(250, 5), band(4, 5, 0, 20, 5));
    EXPECT_EQ(img.pixel(296, 5), band(0, 1, 0, 20, 5)); // overlay stops at innerWidth
    sendMouse(pb, QEvent::MouseButtonRelease, {150, 5}, Qt::LeftButton);
    EXPECT_EQ(events, (std::vector<std::string>{"down1", "up", "click"}));
    EXPECT_EQ(shot().pixel(250, 5), band(0, 1, 0, 20, 5));
    events.clear();
    sendMouse(pb, QEvent::MouseButtonPress, {150, 5}, Qt::RightButton);
    sendMouse(pb, QEvent::MouseButtonRelease, {150, 5}, Qt::RightButton);
    EXPECT_EQ(events, (std::vector<std::string>{"down2", "up"}));
    events.clear();
    sendMouse(pb, QEvent::MouseButtonPress, {150, 5}, Qt::LeftButton);
    sendMouse(pb, QEvent::MouseButtonRelease, {400, 5}, Qt::LeftButton); // released outside
    EXPECT_EQ(events, (std::vector<std::string>{"down1", "up"}));
}

TEST_F(ProgButtonTest, EnterClicksOnlyTheKeyboardStyle) {
    pb->setStyle(2);
    const QImage before = pb->image();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(pb, &enter);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(pb->image(), before);
    pb->setStyle(1);
    QApplication::sendEvent(pb, &enter);
    EXPECT_EQ(events, std::vector<std::string>{"click"});
    pb->setStyle(0);
    QApplication::sendEvent(pb, &enter);
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(ProgButtonTest, AccessKeysAndTheirDrawing) {
    pb->setStyle(1);
    pb->setCaption(QStringLiteral("&Save"));
    EXPECT_EQ(pb->accessKey(), QStringLiteral("S"));
    // measured with the marker, so a marked caption sits slightly left of centre
    EXPECT_EQ(pb->textRect().width(), pb->GetFontWidth(QStringLiteral("&Save")));
    pb->setCaption(QStringLiteral("A&&B"));
    EXPECT_EQ(pb->accessKey(), QStringLiteral("S"));

    pb->setCaption(QStringLiteral("&Save"));
    QApplication::setActiveWindow(&window);
    QTest::keyClick(&window, Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(events, std::vector<std::string>{"click"});
    pb->setStyle(2);
    QTest::keyClick(&window, Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(ProgButtonTest, FocusRectangleFollowsFocus) {
    pb->setStyle(1);
    pb->setCaption(QString());
    const QImage plain = shot();
    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(pb, &in);
    QImage focused = shot();
    int changed = 0;
    for (int x = 3; x < 293; ++x)
        changed += focused.pixel(x, 3) != plain.pixel(x, 3) ? 1 : 0;
    EXPECT_GT(changed, 100); // dotted: about every other pixel
    EXPECT_EQ(focused.pixel(2, 20), plain.pixel(2, 20));
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(pb, &out);
    EXPECT_EQ(shot(), plain);
}

TEST_F(ProgButtonTest, PictureIsDrawnUnscaledAtTwoZero) {
    QPixmap pic(6, 6);
    pic.fill(Qt::blue);
    pb->setPicture(pic);
    const QImage img = shot();
    EXPECT_EQ(img.pixel(3, 2), qRgb(0, 0, 255));
    EXPECT_EQ(img.pixel(7, 5), qRgb(0, 0, 255));
    EXPECT_NE(img.pixel(8, 5), qRgb(0, 0, 255));
    EXPECT_NE(img.pixel(7, 6), qRgb(0, 0, 255));
    EXPECT_NE(img.pixel(1, 3), qRgb(0, 0, 255));
}

TEST_F(ProgButtonTest, WindowShapeIsRounded) {
    const QRegion shape = pb->mask();
    EXPECT_FALSE(shape.contains(QPoint(0, 0)));
    EXPECT_FALSE(shape.contains(QPoint(1, 0)));
    EXPECT_FALSE(shape.contains(QPoint(0, 1)));
    EXPECT_TRUE(shape.contains(QPoint(2, 0)));
    EXPECT_TRUE(shape.contains(QPoint(1, 1)));
    EXPECT_TRUE(shape.contains(QPoint(0, 2)));
    EXPECT_FALSE(shape.contains(QPoint(296, 40)));
    EXPECT_TRUE(shape.contains(QPoint(150, 20)));
    pb->resize(100, 30);
    EXPECT_FALSE(pb->mask().contains(QPoint(99, 0)));
    EXPECT_TRUE(pb->mask().contains(QPoint(97, 0)));
}

TEST_F(ProgButtonTest, DrawColorIsAVerticalGradient) {
    QImage img(10, 30, QImage::Format_RGB32);
    img.fill(Qt::white);
    ProgButton::DrawColor(img, 2, 5, 8, 26, makeColour(0, 0, 0), makeColour(210, 0, 105));
    EXPECT_EQ(img.pixel(2, 5), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(7, 5), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(4, 25), qRgb(200, 0, 100));
    EXPECT_EQ(img.pixel(5, 15), qRgb(100, 0, 50));
    EXPECT_EQ(img.pixel(1, 15), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(8, 15), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(4, 26), qRgb(255, 255, 255));
}

TEST_F(ProgButtonTest, StoredPropertiesLoadUnclampedAndSaveNonDefaults) {
    PropertyBag none;
    pb->loadProperties(none);
    EXPECT_EQ(pb->Caption(), QStringLiteral("Command"));
    EXPECT_EQ(pb->Max(), 100);
    EXPECT_EQ(pb->Color(), 1);
    PropertyBag saved;
    pb->saveProperties(saved);
    EXPECT_TRUE(saved.entries().empty());

    PropertyBag stored;
    stored.write("MyStyle", 4);
    stored.write("MyCaption", std::string("&Go"));
    stored.write("Value", 500);
    stored.write("MyType", 1);
    pb->loadProperties(stored);
    EXPECT_EQ(pb->Value(), 500);
    EXPECT_EQ(pb->accessKey(), QStringLiteral("G"));
    pb->saveProperties(saved);
    ASSERT_EQ(saved.entries().size(), 4u);
    EXPECT_EQ(saved.entries()[0].first, "Value");
    EXPECT_EQ(saved.entries()[1].first, "MyCaption");
    EXPECT_EQ(saved.entries()[2].first, "MyType");
    EXPECT_EQ(saved.entries()[3].first, "MyStyle");
}
