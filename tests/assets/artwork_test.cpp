// The compiled-in pictures: every resource the windows use, at its size, and the
// switch masks and the program icon in the shape Windows expects.
#include "ui/assets/artwork.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QtEndian>
#include <gtest/gtest.h>
#include <set>
#include <utility>

namespace {

QImage load(const char* name) {
    ocuvell::initArtwork();
    return QImage(QStringLiteral(":/ocuvell/") + QLatin1String(name));
}

} // namespace

TEST(Artwork, EveryPictureIsThereAtItsSize) {
    const struct {
        const char* name;
        int w, h;
    } pictures[] = {
        {"switch_skin0.png", 78, 184},
        {"switch_skin1.png", 74, 192},
        {"switch_skin2.png", 36, 128},
        {"switch_mask0.png", 78, 23},
        {"switch_mask1.png", 78, 23},
        {"switch_mask2.png", 74, 24},
        {"switch_mask3.png", 74, 24},
        {"switch_mask4.png", 36, 16},
        {"switch_mask5.png", 36, 16},
        {"title_minus.png", 48, 20},
        {"title_close.png", 48, 19},
        {"edit.png", 20, 20},
        {"ok.png", 49, 33},
        {"back.png", 49, 33},
        {"monitor_eye.png", 128, 128},
        {"monitor_blank.png", 128, 128},
        {"rest_close.png", 60, 60},
        {"leaf16.png", 16, 16},
        {"leaf20.png", 20, 20},
        {"leaf24.png", 24, 24},
        {"leaf32.png", 32, 32},
        {"leaf40.png", 40, 40},
        {"leaf48.png", 48, 48},
        {"leaf64.png", 64, 64},
        {"leaf256.png", 256, 256},
    };
    for (const auto& p : pictures) {
        const QImage img = load(p.name);
        ASSERT_FALSE(img.isNull()) << p.name;
        EXPECT_EQ(img.size(), QSize(p.w, p.h)) << p.name;
    }
}

TEST(Artwork, MasksAreRedAndBlackWithMirroredOffShapes) {
    const int removed[3] = {4, 52, 69};
    for (int skin = 0; skin < 3; ++skin) {
        const QImage on = load(qPrintable(QStringLiteral("switch_mask%1.png").arg(skin * 2)));
        const QImage off = load(qPrintable(QStringLiteral("switch_mask%1.png").arg(skin * 2 + 1)));
        int red = 0;
        for (int y = 0; y < on.height(); ++y)
            for (int x = 0; x < on.width(); ++x) {
                const QRgb px = on.pixel(x, y);
                ASSERT_TRUE(px == qRgb(255, 0, 0) || px == qRgb(0, 0, 0)) << skin;
                red += px == qRgb(255, 0, 0);
                EXPECT_EQ(px, off.pixel(on.width() - 1 - x, y)) << skin;
            }
        EXPECT_EQ(red, removed[skin]) << skin;
    }
    const QImage m0 = load("switch_mask0.png");
    for (QPoint corner : {QPoint(0, 0), QPoint(77, 0), QPoint(0, 22), QPoint(77, 22)})
        EXPECT_EQ(m0.pixel(corner), qRgb(255, 0, 0));
}

TEST(Artwork, MonitorScreenAreaIsPlainGrey) {
    const QImage blank = load("monitor_blank.png");
    for (QPoint p : {QPoint(16, 20), QPoint(64, 50), QPoint(112, 86)})
        EXPECT_LT(std::abs(qGray(blank.pixel(p)) - 0x80), 40) << p.x();
    EXPECT_EQ(qAlpha(blank.pixel(2, 2)), 0);
}

// Windows picks 20, 24 and 40 pixels at 125, 150 and 250 % scaling and 64 for large
// icons; without them it shrinks a neighbour and the leaf blurs.
TEST(Artwork, IconHoldsEverySizeAt32BitsAndTheClassicOnesAlsoInPalettes) {
    ocuvell::initArtwork();
    QFile f(QStringLiteral(":/ocuvell/ocuvell.ico"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray ico = f.readAll();
    QFile png(QStringLiteral(":/ocuvell/leaf256.png"));
    ASSERT_TRUE(png.open(QIODevice::ReadOnly));
    const QByteArray large = png.readAll();
    auto u16 = [&](int at) { return qFromLittleEndian<quint16>(ico.constData() + at); };
    auto u32 = [&](int at) { return qFromLittleEndian<quint32>(ico.constData() + at); };
    ASSERT_GE(ico.size(), 6);
    EXPECT_EQ(u16(2), 1);
    const int count = u16(4);
    ASSERT_GE(ico.size(), 6 + count * 16);
    std::set<std::pair<int, int>> seen; // size, bits
    for (int i = 0; i < count; ++i) {
        const int e = 6 + 16 * i;
        const int size = quint8(ico[e]) == 0 ? 256 : quint8(ico[e]);
        const int bpp = u16(e + 6);
        const quint32 bytes = u32(e + 8), offset = u32(e + 12);
        ASSERT_LE(offset + bytes, quint32(ico.size()));
        EXPECT_TRUE(seen.insert({size, bpp}).second) << size << " " << bpp;
        if (size == 256) { // stored as the PNG file itself
            EXPECT_EQ(ico.mid(offset, bytes), large);
            continue;
        }
        EXPECT_EQ(u32(offset), 40u); // BITMAPINFOHEADER
        EXPECT_EQ(int(u32(offset + 4)), size);
        EXPECT_EQ(int(u32(offset + 8)), size * 2); // colour bits and AND mask
        EXPECT_EQ(u16(offset + 14), bpp);
        const int stride = ((size * bpp + 31) / 32) * 4, maskStride = ((size + 31) / 32) * 4;
        const int palette = bpp == 32 ? 0 : 4 << bpp;
        EXPECT_EQ(bytes, quint32(40 + palette + size * (stride + maskStride))) << size << bpp;
    }
    std::set<std::pair<int, int>> want;
    for (int size : {16, 20, 24, 32, 40, 48, 64, 256})
        want.insert({size, 32});
    for (int size : {16, 32, 48})
        want.insert({size, 4}), want.insert({size, 8});
    EXPECT_EQ(seen, want);
    // Qt's own reader agrees and finds the leaf's green.
    QImageReader reader(QStringLiteral(":/ocuvell/ocuvell.ico"));
    if (!reader.canRead())
        GTEST_SKIP() << "no ICO image plugin";
    EXPECT_EQ(reader.imageCount(), 14);
    const QImage first = reader.read();
    const QRgb mid = first.pixel(first.width() / 2, first.height() / 2);
    EXPECT_GT(qGreen(mid), qRed(mid));
    EXPECT_EQ(qAlpha(first.pixel(first.width() - 1, first.height() - 1)), 0);
}

// Pictures read ahead on the second thread are those a plain read gives, taken once: a
// second request reads the file again, and a path never read ahead is read when asked.
TEST(Artwork, ReadAheadGivesThePicturesAPlainReadGives) {
    const QString eye = QStringLiteral(":/ocuvell/monitor_eye.png");
    const QString leaf = QStringLiteral(":/ocuvell/leaf32.png");
    const QImage plain = ocuvell::artImage(eye);
    ocuvell::startReadingArt({eye, QStringLiteral(":/ocuvell/no_such.png")});
    EXPECT_EQ(ocuvell::artImage(eye), plain);
    EXPECT_EQ(ocuvell::artImage(eye), plain);
    EXPECT_FALSE(ocuvell::artImage(leaf).isNull());
    EXPECT_TRUE(ocuvell::artImage(QStringLiteral(":/ocuvell/no_such.png")).isNull());
}
