#pragma once
// Shared helpers of the artwork generator: colour tweaks, fonts, the switch strips and
// the icon writer.
#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QString>
#include <vector>

namespace artgen {

// Blend towards white (amount > 0) or black (amount < 0), 0..1.
QColor shade(const QColor& c, double amount);
QFont uiFont(double pixelSize, bool bold);  // Latin captions
QFont cjkFont(double pixelSize, bool bold); // Chinese captions
QImage canvas(int w, int h);                // transparent ARGB32 premultiplied

// The three switch strips (eight frames each) and their six masks.
struct SwitchArt {
    QImage strips[3];
    QImage masks[6];
};
SwitchArt drawSwitches();
int removedPixels(const QImage& mask); // pure red pixels

// A Windows icon file: every image of `sizes` at 32 bits per pixel, those of 16, 32 and
// 48 pixels also at 4 and 8, then `largePng` (a 256-pixel PNG file) when given.
QByteArray buildIco(const std::vector<QImage>& sizes, const QByteArray& largePng);

} // namespace artgen
