// Renders every frame of every switch skin and every colour scheme of both faces of the
// gradient control into one picture under the build folder, for a person to look at.
#include "support/widget_helpers.h"
#include "ui/widgets/prog_button.h"
#include "ui/widgets/safe_switch.h"
#include "ui/widgets/switch_poll.h"

#include <QDir>
#include <QFont>
#include <QPainter>
#include <QPalette>
#include <gtest/gtest.h>

using namespace ocuvell;
using namespace ocuvell::testing;

namespace {

class Pointer : public CursorSource {
  public:
    QPoint pos{-1000, -1000};
    QPoint globalPos() const override { return pos; }
};

QString galleryPath() {
    QString dir = qEnvironmentVariable("OCUVELL_TEST_TMP");
    if (dir.isEmpty())
        dir = QStringLiteral(OCUVELL_BUILD_DIR "/test-tmp");
    QDir().mkpath(dir);
    return dir + QStringLiteral("/controls_gallery.png");
}

// Brings a switch to the given frame the way a user would.
void reachFrame(SafeSwitch& sw, Pointer& pointer, int frame) {
    const bool value = frame < 4;
    pointer.pos = sw.mapToGlobal(QPoint(-50, -50));
    sw.setEnable(true);
    SwitchPoll::of(sw.window())->tick();
    sw.setValue(value);
    switch (frame % 4) {
    case 1:
        pointer.pos = sw.mapToGlobal(QPoint(5, 5));
        SwitchPoll::of(sw.window())->tick();
        break;
    case 2:
        sendMouse(&sw, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton);
        break;
    case 3:
        sw.setEnable(false);
        break;
    }
}

} // namespace

TEST(Gallery, EverySwitchFrameAndColourScheme) {
    Pointer pointer;
    QWidget host;
    host.resize(400, 200);
    SwitchPoll::ensure(&host).setCursorSource(&pointer);
    SafeSwitch sw(&host);
    ProgButton pb(&host);
    pb.setGeometry(0, 60, 297, 41);
    host.show();

    const int cell = 90, left = 70;
    const int switchRows = 3 * 2; // each skin on a light and on a dark background
    const int barTop = 40 + switchRows * 34 + 20;
    QImage sheet(left + 4 * 305, barTop + 9 * 49 + 10, QImage::Format_RGB32);
    sheet.fill(QColor(0xFB, 0xF8, 0xF3));
    QPainter p(&sheet);
    p.setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 8));
    p.setPen(Qt::black);
    const char* looks[] = {"on",  "on hover",  "on press",  "on disabled",
                           "off", "off hover", "off press", "off disabled"};
    for (int f = 0; f < 8; ++f)
        p.drawText(left + f * cell, 30, QString::fromLatin1(looks[f]));

    for (int skin = 0; skin < 3; ++skin) {
        sw.setSkin(skin);
        for (int dark = 0; dark < 2; ++dark) {
            const int y = 40 + (skin * 2 + dark) * 34;
            const QColor ground = dark ? QColor(0x2b, 0x2f, 0x36) : QColor(0xFB, 0xF8, 0xF3);
            p.fillRect(0, y - 4, sheet.width(), 32, ground);
            // The switch's soft edges blend with whatever lies behind it.
            QPalette pal = host.palette();
            pal.setColor(QPalette::Window, ground);
            host.setPalette(pal);
            sw.setPalette(pal);
            p.setPen(dark ? Qt::white : Qt::black);
            p.drawText(6, y + 14, QStringLiteral("skin %1").arg(skin));
            for (int f = 0; f < 8; ++f) {
                reachFrame(sw, pointer, f);
                ASSERT_EQ(sw.frameIndex(), f) << skin;
                const QPixmap frame = sw.grab();
                // Only the shape's pixels show, as on screen.
                p.setClipRegion(sw.mask().translated(left + f * cell, y));
                p.drawPixmap(left + f * cell, y, frame);
                p.setClipping(false);
            }
        }
    }

    const char* faces[] = {"1 of 3", "full", "button", "pressed+focus"};
    p.setPen(Qt::black);
    for (int c = 0; c < 4; ++c)
        p.drawText(left + c * 305, barTop - 6, QString::fromLatin1(faces[c]));
    for (int scheme = 1; scheme <= 9; ++scheme) {
        const int y = barTop + (scheme - 1) * 49;
        p.drawText(6, y + 24, QStringLiteral("Color %1").arg(scheme));
        pb.setColor(scheme);
        for (int c = 0; c < 4; ++c) {
            pb.setStyle(c < 2 ? 0 : 1);
            pb.setMax(c == 0 ? 3 : 100);
            pb.setValue(c == 0 ? 1 : 100);
            pb.setCaption(QStringLiteral("&Save 立即休息"));
            if (c == 3) {
                sendMouse(&pb, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton);
                QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
                QApplication::sendEvent(&pb, &in);
            }
            p.setClipRegion(pb.mask().translated(left + c * 305, y));
            p.drawPixmap(left + c * 305, y, pb.grab());
            p.setClipping(false);
            if (c == 3) {
                sendMouse(&pb, QEvent::MouseButtonRelease, {500, 10}, Qt::LeftButton);
                QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
                QApplication::sendEvent(&pb, &out);
            }
        }
    }
    p.end();
    const QString path = galleryPath();
    ASSERT_TRUE(sheet.save(path)) << path.toStdString();
    std::printf("gallery: %s\n", qPrintable(path));
}
