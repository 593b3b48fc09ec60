// The switch strips: eight frames per skin (on: normal, hover, pressed, disabled, then
// the same for off) and the masks that cut the control's shape.
#include "art.h"

#include <QLinearGradient>
#include <QPainter>
#include <algorithm>
#include <numeric>

namespace artgen {

namespace {

enum Look { Normal, Hover, Pressed, Disabled };

struct SkinDesign {
    int w, h;
    QRectF body;      // the shape's bounds
    double radius;    // of the body's corners
    double knobWidth; // 0: a round knob
    double knobRadius;
    QColor onTop, onBottom, offTop, offBottom;
    QColor onText, offText;
    QString onCaption, offCaption;
    QFont font;
    bool greyDisabled; // disabled frames turn grey (else they keep the colours)
    int removed;       // pixels the mask removes
};

QPainterPath bodyPath(const SkinDesign& d) {
    QPainterPath p;
    p.addRoundedRect(d.body, d.radius, d.radius);
    return p;
}

QColor lookColour(const QColor& c, Look look) {
    switch (look) {
    case Hover:
        return shade(c, 0.18);
    case Pressed:
        return shade(c, -0.16);
    default:
        return c;
    }
}

void drawFrame(QPainter& p, const SkinDesign& d, bool on, Look look) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QColor top = on ? d.onTop : d.offTop;
    QColor bottom = on ? d.onBottom : d.offBottom;
    if (look == Disabled && d.greyDisabled) {
        top = QColor(0xd2, 0xd2, 0xd2);
        bottom = QColor(0xb8, 0xb8, 0xb8);
    } else if (look == Disabled) {
        top = shade(top, 0.25); // same hue, visibly inactive
        bottom = shade(bottom, 0.25);
    }
    top = lookColour(top, look);
    bottom = lookColour(bottom, look);

    const QPainterPath body = bodyPath(d);
    QLinearGradient g(0, d.body.top(), 0, d.body.bottom());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillPath(body, g);

    // A soft inner shade at the top and a gloss line give the panel some depth.
    p.setClipPath(body);
    QLinearGradient inner(0, d.body.top(), 0, d.body.top() + d.h * 0.35);
    inner.setColorAt(0, QColor(0, 0, 0, look == Pressed ? 50 : 28));
    inner.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(d.body, inner);
    p.setClipping(false);
    p.setPen(QPen(shade(bottom, -0.28), 1));
    p.setBrush(Qt::NoBrush);
    const QRectF edge = d.body.adjusted(0.5, 0.5, -0.5, -0.5);
    p.drawRoundedRect(edge, std::max(0.0, d.radius - 0.5), std::max(0.0, d.radius - 0.5));

    // The knob sits at the right when on, at the left when off.
    const double margin = d.knobWidth > 0 ? 2.0 : 1.5;
    const double kh = d.body.height() - 2 * margin;
    const double kw = d.knobWidth > 0 ? d.knobWidth : kh;
    const double kx = on ? d.body.right() - margin - kw : d.body.left() + margin;
    const QRectF knob(kx, d.body.top() + margin, kw, kh);
    const double kr = d.knobWidth > 0 ? d.knobRadius : kh / 2;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 45));
    p.drawRoundedRect(knob.translated(0, 1.0), kr, kr);
    QLinearGradient kg(0, knob.top(), 0, knob.bottom());
    const bool dim = look == Disabled;
    kg.setColorAt(0, dim ? QColor(0xf0, 0xf0, 0xf0) : QColor(0xff, 0xff, 0xff));
    kg.setColorAt(1, dim ? QColor(0xd6, 0xd6, 0xd6) : lookColour(QColor(0xe4, 0xe6, 0xea), look));
    p.setBrush(kg);
    p.setPen(QPen(QColor(0, 0, 0, 70), 1));
    p.drawRoundedRect(knob.adjusted(0.5, 0.5, -0.5, -0.5), kr - 0.5, kr - 0.5);
    if (d.knobWidth > 0) {
        // grip ridges
        p.setPen(QPen(QColor(0, 0, 0, dim ? 30 : 55), 1));
        const double cx = knob.center().x();
        for (int i = -1; i <= 1; ++i)
            p.drawLine(QPointF(cx + i * 3 + 0.5, knob.top() + kh * 0.3),
                       QPointF(cx + i * 3 + 0.5, knob.bottom() - kh * 0.3));
    }

    if (look != Disabled) {
        const QRectF textArea =
            on ? QRectF(d.body.left(), d.body.top(), kx - d.body.left(), d.h)
               : QRectF(knob.right(), d.body.top(), d.body.right() - knob.right(), d.h);
        const QString caption = on ? d.onCaption : d.offCaption;
        const QColor ink = on ? d.onText : d.offText;
        p.setFont(d.font);
        if (ink.lightness() > 128) {
            p.setPen(QColor(0, 0, 0, 70));
            p.drawText(textArea.translated(0, 1), Qt::AlignCenter, caption);
        }
        p.setPen(lookColour(ink, look == Pressed ? Normal : look));
        p.drawText(textArea, Qt::AlignCenter, caption);
    }
    p.restore();
}

// Pure red marks removed pixels, black kept ones. The least covered pixels of the
// body go first, so the cut follows the drawn outline.
QImage makeMask(const SkinDesign& d) {
    QImage cover = canvas(d.w, d.h);
    {
        QPainter p(&cover);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillPath(bodyPath(d), Qt::white);
    }
    std::vector<int> order(d.w * d.h);
    std::iota(order.begin(), order.end(), 0);
    const double cx = (d.w - 1) / 2.0, cy = (d.h - 1) / 2.0;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int aa = qAlpha(cover.pixel(a % d.w, a / d.w));
        const int ab = qAlpha(cover.pixel(b % d.w, b / d.w));
        if (aa != ab)
            return aa < ab;
        auto dist = [&](int i) {
            const double dx = i % d.w - cx, dy = i / d.w - cy;
            return dx * dx / (cx * cx) + dy * dy / (cy * cy);
        };
        return dist(a) > dist(b);
    });
    QImage mask(d.w, d.h, QImage::Format_RGB32);
    mask.fill(Qt::black);
    for (int i = 0; i < d.removed; ++i)
        mask.setPixel(order[i] % d.w, order[i] / d.w, qRgb(255, 0, 0));
    return mask;
}

SkinDesign skinDesign(int skin) {
    switch (skin) {
    case 0:
        return {.w = 78,
                .h = 23,
                .body = QRectF(0, 0, 78, 23),
                .radius = 2.5,
                .knobWidth = 28,
                .knobRadius = 2,
                .onTop = QColor(0x5f, 0xc8, 0x5c),
                .onBottom = QColor(0x2f, 0x9a, 0x3a),
                .offTop = QColor(0xf1, 0xf1, 0xf1),
                .offBottom = QColor(0xcf, 0xd1, 0xd4),
                .onText = Qt::white,
                .offText = QColor(0x6a, 0x6e, 0x73),
                .onCaption = QStringLiteral("OPENED"),
                .offCaption = QStringLiteral("CLOSED"),
                .font = uiFont(9, true),
                .greyDisabled = true,
                .removed = 4};
    case 1:
        return {.w = 74,
                .h = 24,
                .body = QRectF(0, 0, 74, 24),
                .radius = 8,
                .knobWidth = 26,
                .knobRadius = 6,
                .onTop = QColor(0x5a, 0xa2, 0xf0),
                .onBottom = QColor(0x1f, 0x66, 0xc7),
                .offTop = QColor(0xff, 0xae, 0x55),
                .offBottom = QColor(0xec, 0x74, 0x14),
                .onText = Qt::white,
                .offText = Qt::white,
                .onCaption = QStringLiteral("已开启"),
                .offCaption = QStringLiteral("已关闭"),
                .font = cjkFont(12, false),
                .greyDisabled = true,
                .removed = 52};
    default:
        // A pill; the half-pixel inset of its ends leaves room for the cut of 69 pixels.
        return {.w = 36,
                .h = 16,
                .body = QRectF(0.5, 0, 35, 16),
                .radius = 8,
                .knobWidth = 0,
                .knobRadius = 0,
                .onTop = QColor(0x5f, 0xc8, 0x5c),
                .onBottom = QColor(0x2a, 0x94, 0x36),
                .offTop = QColor(0x5a, 0xa2, 0xf0),
                .offBottom = QColor(0x21, 0x68, 0xc9),
                .onText = Qt::white,
                .offText = Qt::white,
                .onCaption = QStringLiteral("ON"),
                .offCaption = QStringLiteral("OFF"),
                .font = uiFont(8, true),
                .greyDisabled = false,
                .removed = 69};
    }
}

QImage mirrored(const QImage& img) {
    return img.mirrored(true, false);
}

} // namespace

SwitchArt drawSwitches() {
    SwitchArt art;
    for (int skin = 0; skin < 3; ++skin) {
        const SkinDesign d = skinDesign(skin);
        QImage strip = canvas(d.w, d.h * 8);
        for (int frame = 0; frame < 8; ++frame) {
            QPainter p(&strip);
            p.translate(0, frame * d.h);
            p.setClipRect(0, 0, d.w, d.h);
            drawFrame(p, d, frame < 4, Look(frame % 4));
        }
        art.strips[skin] = strip;
        const QImage on = makeMask(d);
        art.masks[skin * 2] = on;
        art.masks[skin * 2 + 1] = mirrored(on);
    }
    return art;
}

int removedPixels(const QImage& mask) {
    int n = 0;
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x)
            n += mask.pixel(x, y) == qRgb(255, 0, 0) ? 1 : 0;
    return n;
}

} // namespace artgen
