#include "ui/forms/form3.h"

#include "core/rest/placement.h"
#include "core/rest/rest_schedule.h"
#include "ui/assets/artwork.h"
#include "ui/widgets/click_label.h"
#include "ui/widgets/design.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>

namespace ocuvell {

using namespace design;

namespace {

// The close picture; drawn here when the program's artwork lacks it.
QPixmap closePicture() {
    initArtwork();
    QPixmap pm = artPixmap(QStringLiteral(":/ocuvell/rest_close.png"));
    if (!pm.isNull())
        return pm.scaled(60, 60, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    pm = QPixmap(60, 60);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(1, 1, 58, 58));
    p.setPen(QPen(Qt::black, 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(20, 20), QPointF(40, 40));
    p.drawLine(QPointF(40, 20), QPointF(20, 40));
    return pm;
}

void blackBox(QWidget* w) {
    colours(w, Qt::white, Qt::black);
    w->setAutoFillBackground(true);
}

} // namespace

Form3::Form3(RestSchedule& schedule)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), schedule_(schedule) {
    setWindowTitle(QStringLiteral("Ocuvell"));
    blackBox(this);

    Text1 = new QLineEdit(QStringLiteral("剩余时间："), this);
    place(Text1, 1800, 1560, 10935, 855);
    Text1->setFont(designFont(21.75, true));
    Text1->setAlignment(Qt::AlignCenter);
    Text1->setFrame(false);
    Text1->setReadOnly(true); // a heading: nothing typed into it would be read
    Text1->setFocusPolicy(Qt::NoFocus);
    blackBox(Text1);

    Picture1 = new QWidget(this);
    place(Picture1, 840, 2880, 13215, 2055);
    blackBox(Picture1);

    Label1 = new QLabel(QStringLiteral("开始"), Picture1);
    Label1->setFont(designFont(72, true));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setAlignment(Qt::AlignCenter);
    blackBox(Label1);

    imgclose = new ClickLabel(this);
    place(imgclose, 6840, 5280, 900, 900);
    imgclose->setPixmap(closePicture());
    imgclose->setCursor(Qt::PointingHandCursor);
    connect(imgclose, &ClickLabel::clicked, this, &Form3::imgclose_Click);

    Picture2 = new QLabel(this);
    place(Picture2, 5880, 7680, 2775, 615);
    blackBox(Picture2);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        placeOn(screen->geometry());
    setWindowOpacity(200 / 255.0);
}

void Form3::placeOn(const QRect& screen) {
    setGeometry(screen);
    // Until the first countdown caption the design caption stays centred across the band.
    Label1->setGeometry(0, 0, Picture1->width(), Picture1->height());
    // Only the horizontal positions follow the screen; the tops keep their design values.
    for (QWidget* w : {static_cast<QWidget*>(imgclose), static_cast<QWidget*>(Text1), Picture1})
        w->move(centredLeft(screen.width(), w->width()), w->y());
}

void Form3::snapshot() {
    QPixmap copy(Picture2->size());
    copy.fill(Qt::black);
    Picture1->render(&copy, QPoint(0, 0), QRegion(QRect(QPoint(0, 0), Picture2->size())));
    Picture2->setPixmap(copy);
}

void Form3::setCaption(const QString& caption) {
    Label1->setText(caption);
    Label1->adjustSize(); // keeps the top-left corner at the band's
}

// The schedule sets the next rest from now, then unloads this screen; the countdown
// itself goes on. A second click before the screen is gone is the same close.
void Form3::imgclose_Click() {
    if (closing_)
        return;
    closing_ = true;
    schedule_.closeRestScreen();
}

// Closing the layer from the window system (or with Esc) is the close image's job.
void Form3::closeEvent(QCloseEvent* e) {
    if (e->spontaneous()) {
        e->ignore();
        imgclose_Click();
        return;
    }
    QWidget::closeEvent(e);
}

void Form3::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape)
        imgclose_Click();
    else
        QWidget::keyPressEvent(e);
}

} // namespace ocuvell
