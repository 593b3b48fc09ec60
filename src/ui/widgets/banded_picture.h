#pragma once
// A fixed picture drawn at its own size, top-left, as a QLabel draws one, but in bands.
// Qt's raster engine hands a blend of more than 95 spans that cannot take its direct blit
// to the global thread pool. A picture with an opaque child over it (the next-rest monitor)
// has a clip that is not a rectangle, so every row is a span or two: the 128-pixel monitor
// started two threads at the first paint, which stayed 30 s and held a third of a
// megabyte. Bands of 16 rows stay below that on the GUI thread and give the same pixels,
// since each pixel is blended on its own.
#include <QLabel>
#include <QPainter>
#include <QPixmap>

namespace ocuvell {

class BandedPicture : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void paintEvent(QPaintEvent*) override {
        const QPixmap pm = pixmap();
        if (pm.isNull())
            return;
        QPainter p(this);
        constexpr int band = 16;
        for (int y = 0; y < pm.height(); y += band)
            p.drawPixmap(QPoint(0, y), pm, QRect(0, y, pm.width(), band));
    }
};

} // namespace ocuvell
