#include "art.h"

namespace artgen {

QColor shade(const QColor& c, double amount) {
    const double t = amount < 0 ? -amount : amount;
    const int target = amount < 0 ? 0 : 255;
    auto mix = [&](int v) { return int(v + (target - v) * t + 0.5); };
    return QColor(mix(c.red()), mix(c.green()), mix(c.blue()), c.alpha());
}

QFont uiFont(double pixelSize, bool bold) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(int(pixelSize));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

QFont cjkFont(double pixelSize, bool bold) {
    QFont f(QStringLiteral("WenQuanYi Micro Hei"));
    f.setPixelSize(int(pixelSize));
    f.setBold(bold);
    return f;
}

QImage canvas(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

} // namespace artgen
