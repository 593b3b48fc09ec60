#pragma once
// The look shared by every window: twips to pixels, colours and the design font.
#include <QFont>
#include <QLabel>
#include <QStringList>
#include <QWidget>

namespace ocuvell::design {

// 15 twips to the pixel at 96 dpi.
inline int px(int twips) {
    return qRound(twips / 15.0);
}

// Colours are written with red in the low byte.
inline QColor bgr(unsigned value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

inline void place(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(px(left), px(top), px(width), px(height));
}

// The design faces, first choice first: the design's own, then installed CJK faces.
inline QStringList designFaces() {
    return {QStringLiteral("微软雅黑"), QStringLiteral("Microsoft YaHei"),
            QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")};
}

// The faces the controls ask for, in that order (design_fonts_posix.cpp, _win32.cpp).
const QStringList& designFamilies();

// The design face first; an installed CJK face keeps the same point size.
inline QFont designFont(double points, bool bold = false) {
    QFont f;
    f.setFamilies(designFamilies());
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

// A caption in the design font: plain text, since some show what the settings file or
// the display said. Colours are written with red in the low byte, as for bgr().
inline QLabel* label(QWidget* parent, const QString& text, double points, bool bold,
                     unsigned colour = 0x000000) {
    auto* l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    l->setFont(designFont(points, bold));
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, bgr(colour));
    l->setPalette(p);
    return l;
}

inline void colours(QWidget* w, const QColor& text, const QColor& background) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Window, background);
    p.setColor(QPalette::Base, background);
    w->setPalette(p);
}

} // namespace ocuvell::design
