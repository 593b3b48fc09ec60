#include "ui/widgets/prog_button.h"

#include "core/controls/prog_core.h"
#include "ui/assets/artwork.h"

#include <QEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QShortcutEvent>

namespace ocuvell {

namespace {

QRgb toRgb(Colour c) {
    return qRgb(colourRed(c), colourGreen(c), colourBlue(c));
}

int buttonCode(Qt::MouseButton b) {
    switch (b) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

int buttonsCode(Qt::MouseButtons b) {
    return (b & Qt::LeftButton ? 1 : 0) | (b & Qt::RightButton ? 2 : 0) |
           (b & Qt::MiddleButton ? 4 : 0);
}

int shiftCode(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
           (m & Qt::AltModifier ? 4 : 0);
}

// The window keeps the columns [inset, w - inset) of each row: a rounded rectangle
// whose corners follow a 5 x 5 ellipse.
QRegion roundedShape(int w, int h) {
    QRegion shape;
    for (int y = 0; y < h; ++y) {
        const int inset = roundedInset(y, h);
        if (inset == 0 && y > 0 && roundedInset(y - 1, h) == 0)
            continue; // covered by the band added at the first plain row
        if (inset == 0) {
            int end = y;
            while (end < h && roundedInset(end, h) == 0)
                ++end;
            shape += QRect(0, y, w, end - y);
        } else {
            shape += QRect(inset, y, w - 2 * inset, 1);
        }
    }
    return shape;
}

} // namespace

ProgButton::ProgButton(QWidget* parent) : QWidget(parent), core_(std::make_unique<ProgCore>()) {
    initArtwork();
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

ProgButton::~ProgButton() = default;

int ProgButton::Value() const {
    return core_->value();
}
int ProgButton::Min() const {
    return core_->min();
}
int ProgButton::Max() const {
    return core_->max();
}
int ProgButton::Style() const {
    return core_->style();
}
int ProgButton::Color() const {
    return core_->colour();
}
QString ProgButton::Caption() const {
    return QString::fromStdString(core_->caption());
}
QPixmap ProgButton::Picture() const {
    return picture_;
}
QString ProgButton::accessKey() const {
    return QString::fromStdString(core_->accessKey());
}
int ProgButton::fillWidth() const {
    return core_->fillWidth();
}

QRect ProgButton::textRect() const {
    const ProgRect r = core_->textRect();
    return QRect(r.left, r.top, r.width(), r.height());
}

void ProgButton::setValue(int value) {
    core_->setValue(value);
    redraw();
}

void ProgButton::setMin(int v) {
    core_->setMin(v);
    redraw();
}

void ProgButton::setMax(int v) {
    core_->setMax(v);
    redraw();
}

void ProgButton::setStyle(int v) {
    core_->setStyle(v);
    // Buttons take the focus (and show it); a progress bar only displays.
    setFocusPolicy(v != 0 ? Qt::StrongFocus : Qt::NoFocus);
    redraw();
}

void ProgButton::setColor(int v) {
    core_->setColour(v);
    redraw();
}

void ProgButton::setCaption(const QString& caption) {
    core_->setCaption(caption.toStdString());
    updateShortcut();
    redraw();
}

void ProgButton::setPicture(const QPixmap& picture) {
    picture_ = picture;
    redraw();
}

void ProgButton::loadProperties(const PropertyBag& bag) {
    core_->load(bag.readInt("Value", 0), bag.readInt("MyMin", 0), bag.readInt("MyMax", 100),
                bag.readText("MyCaption", "Command"), bag.readInt("MyType", 0),
                bag.readInt("MyStyle", 1));
    setFocusPolicy(core_->style() != 0 ? Qt::StrongFocus : Qt::NoFocus);
    updateShortcut();
    redraw();
}

void ProgButton::saveProperties(PropertyBag& bag) const {
    if (core_->value() != 0)
        bag.write("Value", core_->value());
    if (core_->min() != 0)
        bag.write("MyMin", core_->min());
    if (core_->max() != 100)
        bag.write("MyMax", core_->max());
    if (core_->caption() != "Command")
        bag.write("MyCaption", core_->caption());
    if (core_->style() != 0)
        bag.write("MyType", core_->style());
    if (core_->colour() != 1)
        bag.write("MyStyle", core_->colour());
}

void ProgButton::updateShortcut() {
    if (shortcutId_ != 0)
        releaseShortcut(shortcutId_);
    shortcutId_ = 0;
    const QString key = accessKey();
    if (!key.isEmpty())
        shortcutId_ = grabShortcut(QKeySequence(QStringLiteral("Alt+") + key));
}

int ProgButton::GetFontWidth(const QString& text) const {
    const QFontMetricsF fm(font());
    qreal widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, fm.horizontalAdvance(line));
    return static_cast<int>(roundHalfEven(widest));
}

int ProgButton::GetFontHeight(const QString& text) const {
    const QFontMetricsF fm(font());
    return static_cast<int>(roundHalfEven(fm.height() * (text.count(QLatin1Char('\n')) + 1)));
}

void ProgButton::DrawColor(QImage& image, int left, int top, int right, int bottom, quint32 start,
                           quint32 end) {
    const int x0 = std::max(left, 0), x1 = std::min(right, image.width());
    const int y0 = std::max(top, 0), y1 = std::min(bottom, image.height());
    if (x0 >= x1)
        return;
    for (int y = y0; y < y1; ++y) {
        const QRgb rgb = toRgb(gradientRow(start, end, top, bottom, y));
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::fill(row + x0, row + x1, rgb);
    }
}

void ProgButton::DrawTextR(const QString& text) {
    const ProgRect r = core_->placeText(GetFontWidth(text), GetFontHeight(text));
    const QRect rect(r.left, r.top, r.width(), r.height());
    QPainter p(&image_);
    p.setFont(font());
    p.setPen(Qt::black);
    p.setClipRect(rect);
    p.drawText(rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, text);
}

void ProgButton::redraw() {
    const int w = width(), h = height();
    const QString sep = QLocale::system().decimalPoint();
    const ProgFrame f = core_->redraw(w, h, sep.toStdString());
    if (image_.size() != size()) {
        image_ = QImage(size(), QImage::Format_RGB32);
        if (w > 0 && h > 0)
            setMask(roundedShape(w, h));
    }
    if (image_.isNull()) {
        update();
        return;
    }
    image_.fill(palette().color(backgroundRole()));
    for (const ProgBand& b : f.bands)
        DrawColor(image_, b.rect.left, b.rect.top, b.rect.right, b.rect.bottom, b.start, b.end);
    if (!picture_.isNull()) {
        QPainter p(&image_);
        p.drawPixmap(2, 0, picture_);
    }
    const QRgb outline = toRgb(f.outlineColour);
    for (const ProgRect& r : f.outline)
        for (int y = std::max(r.top, 0); y < std::min(r.bottom, h); ++y)
            for (int x = std::max(r.left, 0); x < std::min(r.right, w); ++x)
                image_.setPixel(x, y, outline);
    DrawTextR(QString::fromStdString(f.text));
    if (f.focus && f.focusRect.width() > 0 && f.focusRect.height() > 0) {
        QPainter p(&image_);
        // Alternate pixels, the classic focus-rectangle look.
        QPen pen(QColor(64, 64, 64), 1);
        pen.setDashPattern({1.0, 1.0});
        p.setPen(pen);
        p.drawRect(QRect(f.focusRect.left, f.focusRect.top, f.focusRect.width() - 1,
                         f.focusRect.height() - 1));
    }
    update();
}

void ProgButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, image_);
}

void ProgButton::resizeEvent(QResizeEvent*) {
    redraw();
}

void ProgButton::mousePressEvent(QMouseEvent* e) {
    afterDoubleClick_ = false;
    const QPointF pos = e->position();
    emit MouseDown(buttonCode(e->button()), shiftCode(e->modifiers()), float(pos.x()),
                   float(pos.y()));
    core_->setPressed(true);
    redraw();
}

void ProgButton::mouseReleaseEvent(QMouseEvent* e) {
    const QPointF pos = e->position();
    emit MouseUp(buttonCode(e->button()), shiftCode(e->modifiers()), float(pos.x()),
                 float(pos.y()));
    core_->setPressed(false);
    redraw();
    // A click is a left press and release over the control; the release that ends a
    // double click reports the double click only.
    const bool click =
        e->button() == Qt::LeftButton && rect().contains(pos.toPoint()) && !afterDoubleClick_;
    afterDoubleClick_ = false;
    if (click) {
        emit Click();
        redraw();
    }
}

void ProgButton::mouseMoveEvent(QMouseEvent* e) {
    const QPointF pos = e->position();
    emit MouseMove(buttonsCode(e->buttons()), shiftCode(e->modifiers()), float(pos.x()),
                   float(pos.y()));
}

void ProgButton::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        mousePressEvent(e);
        return;
    }
    afterDoubleClick_ = true;
    core_->setPressed(true);
    emit DblClick();
    redraw();
}

void ProgButton::keyPressEvent(QKeyEvent* e) {
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && core_->keyboardButton()) {
        emit Click();
        setFocus(Qt::OtherFocusReason);
        return;
    }
    QWidget::keyPressEvent(e);
}

void ProgButton::focusInEvent(QFocusEvent*) {
    core_->focusIn();
    redraw();
}

void ProgButton::focusOutEvent(QFocusEvent*) {
    core_->focusOut();
    redraw();
}

bool ProgButton::event(QEvent* e) {
    if (e->type() == QEvent::Shortcut) {
        auto* se = static_cast<QShortcutEvent*>(e);
        if (se->shortcutId() == shortcutId_ && shortcutId_ != 0) {
            if (core_->keyboardButton())
                emit Click();
            return true;
        }
    }
    return QWidget::event(e);
}

} // namespace ocuvell
