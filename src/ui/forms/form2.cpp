#include "ui/forms/form2.h"

#include "core/rest/placement.h"
#include "core/rest/rest_schedule.h"
#include "ui/widgets/click_label.h"
#include "ui/widgets/design.h"
#include "ui/widgets/prog_button.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace ocuvell {

using namespace design;

Form2::Form2(RestSchedule& schedule)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      schedule_(schedule) {
    // A notice: it must not take the keyboard from whatever the user is typing into.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Ocuvell"));
    setFixedSize(px(4980), px(1350));
    QPalette p = palette();
    p.setColor(QPalette::Window, p.color(QPalette::Button));
    setPalette(p);
    setAutoFillBackground(true);

    Label3 = new ClickLabel(QStringLiteral("Tevaro：美好生活 抢先开始"), this);
    place(Label3, 0, 0, 4935, 255);
    Label3->setFont(designFont(9, true));
    Label3->setTextFormat(Qt::PlainText);
    colours(Label3, Qt::black, QColor(224, 224, 224));
    Label3->setAutoFillBackground(true);

    Label1 = new ClickLabel(QStringLiteral("立即休息3分钟"), this);
    place(Label1, 240, 360, 4575, 375);
    Label1->setFont(designFont(15, true));
    Label1->setTextFormat(Qt::PlainText); // the caption counts the rest the settings ask for
    Label1->setAlignment(Qt::AlignCenter);
    colours(Label1, QColor(0, 128, 0), Qt::transparent);
    Label1->setCursor(Qt::PointingHandCursor);

    Label2 = new ClickLabel(QStringLiteral("现在不用"), this);
    place(Label2, 1350, 915, 2175, 330);
    Label2->setFont(designFont(12, true));
    Label2->setTextFormat(Qt::PlainText);
    Label2->setAlignment(Qt::AlignCenter);
    colours(Label2, QColor(255, 0, 0), Qt::transparent);
    Label2->setCursor(Qt::PointingHandCursor);

    tippro = new ProgButton(this);
    place(tippro, 960, 2880, 4455, 615);

    connect(Label1, &ClickLabel::clicked, this, &Form2::Label1_Click);
    connect(Label2, &ClickLabel::clicked, this, &Form2::Label2_Click);

    placeOnScreen();
    setWindowOpacity(220 / 255.0);
}

// Bottom-right corner of the primary screen, bottom edge on the work area's bottom.
void Form2::placeOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect s = screen->geometry(), w = screen->availableGeometry();
    const PixelPoint at =
        tipPopupPosition({s.x(), s.y(), s.width(), s.height()},
                         {w.x(), w.y(), w.width(), w.height()}, width(), height());
    move(at.x, at.y);
}

void Form2::paintEvent(QPaintEvent* e) {
    QWidget::paintEvent(e);
    QPainter painter(this);
    painter.setPen(QColor(192, 192, 192)); // Line1, the separator
    painter.drawLine(px(360), px(840), px(4920), px(840));
}

// A tip is answered only through its two lines; a close from the window system would
// leave the tip flag set and no tip would ever come again.
void Form2::closeEvent(QCloseEvent* e) {
    if (e->spontaneous())
        e->ignore();
    else
        QWidget::closeEvent(e);
}

// The schedule starts the rest, then unloads this popup and shows the rest screen.
void Form2::Label1_Click() {
    schedule_.acceptTip();
}

// The schedule sets the next rest one interval from now, then unloads this popup.
void Form2::Label2_Click() {
    schedule_.declineTip();
}

} // namespace ocuvell
