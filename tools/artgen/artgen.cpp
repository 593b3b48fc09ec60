// Draws every picture of Ocuvell's windows and controls into the folder given on the
// command line: switch strips and masks, title-strip glyphs, edit, OK and Back images,
// the monitor illustrations, the rest screen's close disc and the leaf icon.
#include "art.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <cstdio>
#include <string_view>

using namespace artgen;

namespace {

QString outDir;
int failures = 0;

void save(const QImage& img, const QString& name, int w, int h) {
    if (img.width() != w || img.height() != h) {
        std::fprintf(stderr, "%s: %dx%d, want %dx%d\n", qPrintable(name), img.width(), img.height(),
                     w, h);
        ++failures;
    }
    if (!img.save(outDir + "/" + name, "PNG", 9)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
        ++failures;
    }
}

void antialiased(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

QImage titleMinus() {
    QImage img = canvas(48, 20);
    QPainter p(&img);
    antialiased(p);
    p.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(18, 10.5), QPointF(30, 10.5));
    return img;
}

QImage titleClose() {
    QImage img = canvas(48, 19);
    QPainter p(&img);
    antialiased(p);
    QLinearGradient g(0, 0, 0, 19);
    g.setColorAt(0, QColor(0xf2, 0x5b, 0x50));
    g.setColorAt(1, QColor(0xd3, 0x33, 0x2b));
    p.fillRect(img.rect(), g);
    p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap));
    const QPointF c(24, 9.5);
    const double a = 4.5;
    p.drawLine(c + QPointF(-a, -a), c + QPointF(a, a));
    p.drawLine(c + QPointF(-a, a), c + QPointF(a, -a));
    return img;
}

QImage editIcon() {
    QImage img = canvas(20, 20);
    QPainter p(&img);
    antialiased(p);
    // Pencil along the diagonal, point at the bottom left.
    p.save();
    p.translate(9.5, 9.5);
    p.rotate(-45);
    const double len = 17, half = 2.6;
    const QRectF body(-len / 2 + 4, -half, len - 8, 2 * half);
    QLinearGradient wood(0, -half, 0, half);
    wood.setColorAt(0, QColor(0xff, 0xd0, 0x4f));
    wood.setColorAt(1, QColor(0xe8, 0x9a, 0x1c));
    p.setPen(QPen(QColor(0x8a, 0x5a, 0x10), 0.8));
    p.setBrush(wood);
    p.drawRect(body);
    p.setBrush(QColor(0xb8, 0xbe, 0xc6));
    p.drawRect(QRectF(body.right(), -half, 1.6, 2 * half));
    p.setBrush(QColor(0xf2, 0x8c, 0x9e));
    p.drawRoundedRect(QRectF(body.right() + 1.6, -half, 2.2, 2 * half), 1, 1);
    QPolygonF tip;
    tip << QPointF(body.left(), -half) << QPointF(body.left(), half) << QPointF(-len / 2, 0);
    p.setBrush(QColor(0xf3, 0xdc, 0xb2));
    p.drawPolygon(tip);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x33, 0x33, 0x33));
    QPolygonF lead;
    lead << QPointF(-len / 2 + 1.6, -0.8) << QPointF(-len / 2 + 1.6, 0.8) << QPointF(-len / 2, 0);
    p.drawPolygon(lead);
    p.restore();
    // Green plus badge.
    const QPointF c(14.8, 14.8);
    p.setPen(QPen(Qt::white, 1.0));
    QRadialGradient badge(c - QPointF(1.5, 1.5), 6);
    badge.setColorAt(0, QColor(0x5c, 0xd6, 0x6e));
    badge.setColorAt(1, QColor(0x1f, 0x99, 0x3d));
    p.setBrush(badge);
    p.drawEllipse(c, 4.6, 4.6);
    p.setPen(QPen(Qt::white, 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-2.4, 0), c + QPointF(2.4, 0));
    p.drawLine(c + QPointF(0, -2.4), c + QPointF(0, 2.4));
    return img;
}

QImage pageButton(bool ok) {
    QImage img = canvas(49, 33);
    QPainter p(&img);
    antialiased(p);
    const QRectF r(1.5, 1.5, 46, 29);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 38));
    p.drawRoundedRect(r.translated(0, 1.2), 6, 6);
    QLinearGradient g(0, r.top(), 0, r.bottom());
    g.setColorAt(0, ok ? QColor(0x74, 0xd6, 0x6c) : QColor(0xfa, 0xfa, 0xfa));
    g.setColorAt(1, ok ? QColor(0x2b, 0x9a, 0x3b) : QColor(0xd6, 0xd9, 0xdd));
    p.setPen(QPen(ok ? QColor(0x23, 0x7d, 0x33) : QColor(0xa3, 0xa8, 0xaf), 1));
    p.setBrush(g);
    p.drawRoundedRect(r, 6, 6);
    // gloss on the upper half
    QLinearGradient gloss(0, r.top(), 0, r.center().y());
    gloss.setColorAt(0, QColor(255, 255, 255, ok ? 110 : 150));
    gloss.setColorAt(1, QColor(255, 255, 255, 10));
    p.setPen(Qt::NoPen);
    p.setBrush(gloss);
    p.drawRoundedRect(QRectF(r.left() + 1.5, r.top() + 1, r.width() - 3, r.height() / 2), 5, 5);
    const QString text = ok ? QStringLiteral("OK") : QStringLiteral("返回");
    p.setFont(ok ? uiFont(14, true) : cjkFont(14, false));
    if (ok) {
        p.setPen(QColor(0, 60, 10, 110));
        p.drawText(r.translated(0, 1), Qt::AlignCenter, text);
    }
    p.setPen(ok ? Qt::white : QColor(0x44, 0x48, 0x4e));
    p.drawText(r, Qt::AlignCenter, text);
    return img;
}

// The monitor frame; its screen is x 14..114, y 18..88.
void drawMonitor(QPainter& p) {
    p.setPen(Qt::NoPen);
    QRadialGradient shadow(64, 116, 40, 64, 116);
    shadow.setColorAt(0, QColor(0, 0, 0, 60));
    shadow.setColorAt(1, QColor(0, 0, 0, 0));
    p.setBrush(shadow);
    p.drawEllipse(QPointF(64, 116), 40, 6);
    QPolygonF neck;
    neck << QPointF(56, 93) << QPointF(72, 93) << QPointF(76, 108) << QPointF(52, 108);
    QLinearGradient ng(52, 0, 76, 0);
    ng.setColorAt(0, QColor(0x9a, 0xa0, 0xa8));
    ng.setColorAt(0.5, QColor(0xd5, 0xd9, 0xde));
    ng.setColorAt(1, QColor(0x8a, 0x90, 0x98));
    p.setBrush(ng);
    p.drawPolygon(neck);
    QLinearGradient bg(0, 106, 0, 116);
    bg.setColorAt(0, QColor(0xd9, 0xdd, 0xe2));
    bg.setColorAt(1, QColor(0x8e, 0x94, 0x9c));
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(34, 106, 60, 9), 4, 4);
    QLinearGradient bezel(0, 11, 0, 96);
    bezel.setColorAt(0, QColor(0x55, 0x5b, 0x64));
    bezel.setColorAt(1, QColor(0x26, 0x2a, 0x30));
    p.setBrush(bezel);
    p.setPen(QPen(QColor(0x1b, 0x1e, 0x22), 1));
    p.drawRoundedRect(QRectF(8.5, 11.5, 111, 84), 7, 7);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x7c, 0xe0, 0x7a));
    p.drawEllipse(QPointF(64, 91.5), 1.3, 1.3);
}

QImage monitor(bool eye) {
    QImage img = canvas(128, 128);
    QPainter p(&img);
    antialiased(p);
    drawMonitor(p);
    const QRectF screen(14, 18, 100, 70);
    if (!eye) {
        p.fillRect(screen, QColor(0x80, 0x80, 0x80));
        QLinearGradient sheen(14, 18, 114, 88);
        sheen.setColorAt(0, QColor(255, 255, 255, 40));
        sheen.setColorAt(0.5, QColor(255, 255, 255, 0));
        p.fillRect(screen, sheen);
        return img;
    }
    QLinearGradient sg(0, 18, 0, 88);
    sg.setColorAt(0, QColor(0xe4, 0xf6, 0xee));
    sg.setColorAt(1, QColor(0xb4, 0xe0, 0xcd));
    p.fillRect(screen, sg);
    p.setClipRect(screen);
    const QPointF c(64, 53);
    QPainterPath almond;
    almond.moveTo(24, 53);
    almond.quadTo(64, 19, 104, 53);
    almond.quadTo(64, 87, 24, 53);
    QRadialGradient white(c, 42);
    white.setColorAt(0, Qt::white);
    white.setColorAt(1, QColor(0xe2, 0xe8, 0xec));
    p.fillPath(almond, white);
    p.save();
    p.setClipPath(almond, Qt::IntersectClip);
    QRadialGradient iris(c + QPointF(-3, -4), 19);
    iris.setColorAt(0, QColor(0x6c, 0xc8, 0x8a));
    iris.setColorAt(0.6, QColor(0x2f, 0x8f, 0x6a));
    iris.setColorAt(1, QColor(0x1d, 0x5e, 0x4a));
    p.setPen(QPen(QColor(0x17, 0x45, 0x36), 1.2));
    p.setBrush(iris);
    p.drawEllipse(c, 16, 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x10, 0x14, 0x18));
    p.drawEllipse(c, 7, 7);
    p.setBrush(QColor(255, 255, 255, 230));
    p.drawEllipse(c + QPointF(-5.5, -5.5), 3.2, 3.2);
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawEllipse(c + QPointF(4.5, 4), 1.5, 1.5);
    p.restore();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x24, 0x3a, 0x33), 2.4, Qt::SolidLine, Qt::RoundCap));
    QPainterPath lid;
    lid.moveTo(24, 53);
    lid.quadTo(64, 19, 104, 53);
    p.drawPath(lid);
    p.setPen(QPen(QColor(0x24, 0x3a, 0x33), 1.2, Qt::SolidLine, Qt::RoundCap));
    QPainterPath lower;
    lower.moveTo(24, 53);
    lower.quadTo(64, 87, 104, 53);
    p.drawPath(lower);
    // lashes along the upper lid
    p.setPen(QPen(QColor(0x24, 0x3a, 0x33), 1.6, Qt::SolidLine, Qt::RoundCap));
    for (double t : {0.2, 0.35, 0.5, 0.65, 0.8}) {
        const double u = 1 - t;
        const QPointF at =
            u * u * QPointF(24, 53) + 2 * u * t * QPointF(64, 19) + t * t * QPointF(104, 53);
        const QPointF out = (at - QPointF(64, 62)) * 0.16;
        p.drawLine(at, at + out);
    }
    return img;
}

QImage restClose() {
    QImage img = canvas(60, 60);
    QPainter p(&img);
    antialiased(p);
    const QPointF c(30, 30);
    QRadialGradient halo(c, 30);
    halo.setColorAt(0.8, QColor(0, 0, 0, 70));
    halo.setColorAt(1, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(halo);
    p.drawEllipse(c, 30, 30);
    QLinearGradient disc(0, 3, 0, 57);
    disc.setColorAt(0, Qt::white);
    disc.setColorAt(1, QColor(0xe6, 0xe8, 0xea));
    p.setBrush(disc);
    p.setPen(QPen(QColor(0, 0, 0, 50), 1));
    p.drawEllipse(c, 26.5, 26.5);
    p.setPen(QPen(QColor(0x11, 0x11, 0x11), 4, Qt::SolidLine, Qt::RoundCap));
    const double a = 9.5;
    p.drawLine(c + QPointF(-a, -a), c + QPointF(a, a));
    p.drawLine(c + QPointF(-a, a), c + QPointF(a, -a));
    return img;
}

QImage leaf(int size) {
    QImage img = canvas(size, size);
    QPainter p(&img);
    antialiased(p);
    p.scale(size / 256.0, size / 256.0);
    QPainterPath body;
    body.moveTo(52, 212);
    body.cubicTo(14, 120, 90, 30, 232, 22);
    body.cubicTo(236, 160, 150, 234, 52, 212);
    QLinearGradient g(60, 40, 200, 220);
    g.setColorAt(0, QColor(0x9b, 0xe1, 0x5d));
    g.setColorAt(0.55, QColor(0x46, 0xb0, 0x3c));
    g.setColorAt(1, QColor(0x1f, 0x7a, 0x2b));
    // Small icons need a firmer edge, stem and midrib to stand out on any tray background:
    // each stays about a pixel wide down to 16 pixels.
    const double edge = size <= 16 ? 18 : size <= 24 ? 13 : size <= 32 ? 10 : size <= 40 ? 8 : 6;
    p.setPen(QPen(QColor(0x1a, 0x5e, 0x22), edge, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(g);
    p.drawPath(body);
    const double stem = size <= 16 ? 22 : size <= 24 ? 18 : 14;
    p.setPen(QPen(QColor(0x1a, 0x5e, 0x22), stem, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(52, 212), QPointF(24, 240));
    QPainterPath rib;
    rib.moveTo(52, 212);
    rib.cubicTo(100, 150, 160, 90, 224, 30);
    p.setBrush(Qt::NoBrush);
    const double midrib = size <= 16 ? 16 : size <= 24 ? 12 : 8;
    p.setPen(QPen(QColor(0xe9, 0xff, 0xd6, 220), midrib, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(rib);
    if (size >= 32) {
        p.setPen(QPen(QColor(0xe9, 0xff, 0xd6, 150), 5, Qt::SolidLine, Qt::RoundCap));
        // Side veins leave the midrib at an angle towards the tip, inside the blade.
        p.setClipPath(body);
        const QPointF along(0.687, -0.727), across(0.727, 0.687);
        for (double t : {0.25, 0.42, 0.59, 0.76}) {
            const QPointF a = rib.pointAtPercent(t);
            const double len = 70 * (1.05 - t);
            p.drawLine(a, a + (along * 0.75 + across * 0.66) * len);
            p.drawLine(a, a + (along * 0.75 - across * 0.66) * len);
        }
    }
    return img;
}

// Windows picks 20, 24 and 40 pixels at 125, 150 and 250 % scaling, 64 for large icons.
constexpr int kLeafSizes[] = {16, 20, 24, 32, 40, 48, 64, 256};

// The icon is assembled from the leaf pictures as saved, so that it always holds exactly
// the committed pictures, and `--icon` can rebuild it without redrawing them.
void writeIcon() {
    std::vector<QImage> images;
    QByteArray large;
    for (int s : kLeafSizes) {
        QFile f(outDir + QStringLiteral("/leaf%1.png").arg(s));
        const QByteArray png = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        const QImage img = QImage::fromData(png, "PNG");
        if (img.size() != QSize(s, s)) {
            std::fprintf(stderr, "leaf%d.png missing or of the wrong size\n", s);
            ++failures;
            return;
        }
        if (s == 256)
            large = png;
        else
            images.push_back(img);
    }
    QFile ico(outDir + "/ocuvell.ico");
    if (!ico.open(QIODevice::WriteOnly) || ico.write(buildIco(images, large)) < 0) {
        std::fprintf(stderr, "cannot write ocuvell.ico\n");
        ++failures;
    }
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2 && !(argc == 3 && argv[1] == std::string_view("--icon"))) {
        std::fprintf(stderr, "usage: ocuvell_artgen [--icon] OUTPUT-DIR\n");
        return 2;
    }
    outDir = QString::fromLocal8Bit(argv[argc - 1]);
    if (argc == 3 && argv[1] == std::string_view("--icon")) {
        writeIcon();
        return failures == 0 ? 0 : 1;
    }
    QDir().mkpath(outDir);

    const SwitchArt sw = drawSwitches();
    const int stripW[3] = {78, 74, 36}, stripH[3] = {184, 192, 128};
    const int removed[3] = {4, 52, 69};
    for (int i = 0; i < 3; ++i) {
        save(sw.strips[i], QStringLiteral("switch_skin%1.png").arg(i), stripW[i], stripH[i]);
        for (int j = 0; j < 2; ++j) {
            const QImage& m = sw.masks[i * 2 + j];
            if (removedPixels(m) != removed[i]) {
                std::fprintf(stderr, "mask %d removes %d pixels\n", i * 2 + j, removedPixels(m));
                ++failures;
            }
            const QImage two = m.convertToFormat(
                QImage::Format_Indexed8, {qRgb(255, 0, 0), qRgb(0, 0, 0)}, Qt::ThresholdDither);
            save(two, QStringLiteral("switch_mask%1.png").arg(i * 2 + j), stripW[i], stripH[i] / 8);
        }
    }
    save(titleMinus(), "title_minus.png", 48, 20);
    save(titleClose(), "title_close.png", 48, 19);
    save(editIcon(), "edit.png", 20, 20);
    save(pageButton(true), "ok.png", 49, 33);
    save(pageButton(false), "back.png", 49, 33);
    save(monitor(true), "monitor_eye.png", 128, 128);
    save(monitor(false), "monitor_blank.png", 128, 128);
    save(restClose(), "rest_close.png", 60, 60);
    for (int s : kLeafSizes)
        save(leaf(s), QStringLiteral("leaf%1.png").arg(s), s, s);
    writeIcon();
    return failures == 0 ? 0 : 1;
}
