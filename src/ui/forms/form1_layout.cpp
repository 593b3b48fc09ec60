// Building Form1's controls. Positions are kept in twips, as the layout was drawn,
// and turned into pixels at 15 twips to the pixel.
#include "core/controls/property_bag.h"
#include "ui/assets/artwork.h"
#include "ui/forms/colour_page.h"
#include "ui/forms/form1.h"
#include "ui/forms/form_parts.h"
#include "ui/forms/rest_page.h"
#include "ui/widgets/banded_picture.h"
#include "ui/widgets/click_image.h"
#include "ui/widgets/design.h"
#include "ui/widgets/safe_switch.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <algorithm>
#include <initializer_list>

namespace ocuvell {

using namespace design;
using namespace parts;

void Form1::buildFrame() {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("Ocuvell"));
    fill(this, 0xFBF8F3);
    setFont(designFont(9));
    setFixedSize(kWidth, kHeight);

    pmenu_ = new QWidget(this);
    fill(pmenu_, 0xD9BD6A);
    place(pmenu_, 0, 0, 9615, 375);
    pmenu_->setMouseTracking(true);

    title_ = label(pmenu_, QStringLiteral("Tevaro的Ocuvell     Tevaro:美好一天 抢先开始"), 10.5,
                   true, 0xFFFFFF);
    place(title_, 120, 30, 4605, 255);
    // A substitute for the caption font may run wider (Wine's CJK fonts do): the bar has
    // room up to the minus, so the caption widens rather than losing its last characters.
    title_->resize(std::max(title_->width(), title_->sizeHint().width()), title_->height());
    title_->setMouseTracking(true);

    Image1_ = image(pmenu_, ":/ocuvell/title_minus.png", true);
    place(Image1_, 8160, 0, 585, 255);
    Image1_->setToolTip(QStringLiteral("最小化"));
    image2_ = image(pmenu_, ":/ocuvell/title_close.png");
    place(image2_, 8800, 0, 720, 285);
    image2_->setToolTip(QStringLiteral("关闭"));

    pmenu_->installEventFilter(this);
    title_->installEventFilter(this);
}

QStringList Form1::firstFramePictures() {
    return {QStringLiteral(":/ocuvell/monitor_eye.png"),
            QStringLiteral(":/ocuvell/monitor_blank.png")};
}

void Form1::buildMainPage() {
    Label2_[0] = label(this, QStringLiteral("显示器设置"), 15, true);
    place(Label2_[0], 2040, 840, 1815, 375);
    edit_[0] = image(this, ":/ocuvell/edit.png");
    place(edit_[0], 3840, 960, 300, 300);
    edit_[0]->hide();
    Label3_[0] = label(this, QStringLiteral("通过改变显示器的亮度,对比度,色温,保护您的眼睛"), 9,
                       false, 0x404040);
    place(Label3_[0], 2010, 1305, 2175, 570);
    Label3_[0]->setWordWrap(true);
    Label3_[0]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image3_ = new BandedPicture(this);
    Image3_->setPixmap(artPixmap(firstFramePictures()[0]));
    place(Image3_, 1920, 1920, 1920, 1920);
    SafeSwitch1_ = new SafeSwitch(this);
    place(SafeSwitch1_, 2160, 4080, 1170, 345);

    Label2_[1] = label(this, QStringLiteral("休息提醒设置"), 15, true);
    place(Label2_[1], 5160, 840, 2055, 375);
    edit_[1] = image(this, nullptr);
    place(edit_[1], 7320, 960, 300, 300);
    edit_[1]->hide();

    Label3_[1] = label(this, QString(), 9, false);
    place(Label3_[1], 5160, 1320, 1905, 495);
    Label3_[1]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    for (int i = 0; i < 2; ++i) {
        dhhour_[i] = label(this, QStringLiteral("240"), 9, true, 0x228B22);
        dhhour_[i]->setAlignment(Qt::AlignCenter);
    }
    layOutRestSummary();

    Picture1_ = new BandedPicture(this);
    Picture1_->setPixmap(artPixmap(firstFramePictures()[1]));
    place(Picture1_, 5160, 1920, 1920, 1920);
    // The blank screen of the picture spans about x 14..114, y 18..88.
    Shape2_ = filledShape(Picture1_, 0x808080);
    Shape2_->setGeometry(14, 18, 100, 70);
    Label4_ = label(Picture1_, QStringLiteral("下次休息"), 9, true, 0xFFFFFF);
    Label4_->setAlignment(Qt::AlignCenter);
    Label4_->setGeometry(14, 24, 100, 20);
    Label5_ = label(Picture1_, QStringLiteral("12:30"), 14.25, true, 0xFFFFFF);
    Label5_->setAlignment(Qt::AlignCenter);
    Label5_->setGeometry(14, 46, 100, 34);

    SafeSwitch2_ = new SafeSwitch(this);
    place(SafeSwitch2_, 5400, 4080, 1170, 345);
}

// The sentence around the interval and the rest length, "每隔 [dhhour(0)] 分钟" over
// "休息 [dhhour(1)] 分钟". Each blank is as drawn unless its number needs more room; then
// it widens and the words after it move on, so that no value runs over them.
void Form1::layOutRestSummary() {
    constexpr int kDesignBlank = 10; // spaces
    const QFontMetrics fm(Label3_[1]->font());
    const QString words[2][2] = {{QStringLiteral("每隔"), QStringLiteral("分钟")},
                                 {QStringLiteral("休息"), QStringLiteral("分钟")}};
    QStringList lines;
    int width = px(1905);
    for (int i = 0; i < 2; ++i) {
        const QFontMetrics bold(dhhour_[i]->font());
        QString blank(kDesignBlank, QLatin1Char(' '));
        // Room for the number and a space's width on either side of it.
        const int need = bold.horizontalAdvance(dhhour_[i]->text()) + 2 * fm.horizontalAdvance(' ');
        while (fm.horizontalAdvance(blank) < need)
            blank += QLatin1Char(' ');
        const int x0 = fm.horizontalAdvance(words[i][0]);
        const int x1 = fm.horizontalAdvance(words[i][0] + blank);
        lines << words[i][0] + blank + words[i][1];
        width = std::max(width, fm.horizontalAdvance(lines.back()));
        const QRect r(x0, i * fm.lineSpacing(), x1 - x0, fm.lineSpacing());
        dhhour_[i]->setGeometry(r.translated(Label3_[1]->pos()));
    }
    Label3_[1]->setText(lines.join(QLatin1Char('\n')));
    Label3_[1]->resize(width, Label3_[1]->height());
}

// The overlay comes last in the window: raised over the main page as it always was, the
// frame back on top once the load step has raised it, and keyboard focus reaching its
// controls before the commands kept for the keyboard, as when it was built with the rest.
// Built after the load step, it is closed, as the load step leaves it.
void Form1::ensureOverlay() {
    if (overlayBuilt())
        return;
    buildOverlay();
    if (loaded_) {
        colourPage_->Image7()->setPixmap(restPage_->setok()->pixmap());
        colourPage_->Image8()->setPixmap(restPage_->setno()->pixmap());
        ppset_->hide();
    }
    ppset_->raise();
    if (loaded_)
        Shape1_->raise();
    QWidget* before = restPage_->Text3(); // the overlay's last control
    for (QWidget* w : std::initializer_list<QWidget*>{
             okdsxxadd_, form2tip_, Command1_, Command2_, SafeSwitch3_, SafeSwitch4_, Label2_[2],
             Label2_[3], edit_[2], Label3_[2], edit_[3], Label3_[3], Shape1_}) {
        if (w->focusPolicy() == Qt::NoFocus)
            continue; // not in the keyboard's order at all
        QWidget::setTabOrder(before, w);
        before = w;
    }
    connectOverlay();
}

void Form1::hideOverlay() {
    if (overlayBuilt())
        ppset_->hide();
}

// The colour and rest pages show the model as it is now; the two pages never shown hold
// only their OK and Back.
void Form1::buildOverlay() {
    ppset_ = new QWidget(this);
    fill(ppset_, 0xFBF8F3);
    place(ppset_, 255, 750, 9195, 3690);
    const int lineTops[2] = {0, 2715};
    for (int i = 0; i < 2; ++i) {
        Line1_[i] = filledShape(ppset_, 0xC0C0C0);
        Line1_[i]->setGeometry(px(120), px(lineTops[i]), px(9000) - px(120), 1);
    }
    colourPage_ = new ColourPage(model_, loaded_, ppset_);
    restPage_ = new RestPage(schedule_, loaded_, ppset_);
    hsset_ = new QWidget(ppset_);
    makePage(hsset_);
    gjset_ = new QWidget(ppset_);
    makePage(gjset_);
    for (int i = 2; i <= 3; ++i) {
        QWidget* holder = i == 2 ? hsset_ : gjset_;
        setno_[i] = image(holder, ":/ocuvell/back.png");
        place(setno_[i], 3120, 1740, 735, 495);
        setno_[i]->setToolTip(QStringLiteral("Back"));
        setok_[i] = image(holder, ":/ocuvell/ok.png");
        place(setok_[i], 4200, 1740, 735, 495);
        setok_[i]->setToolTip(QStringLiteral("OK"));
    }
}

void Form1::buildHiddenControls() {
    // Plain operations and controls of pages never shown, beyond the visible width;
    // hidden as well, so keyboard focus lands on none of them but the two commands below.
    auto store = [](QWidget* w, int top) {
        w->setGeometry(kWidth + 10, top, 100, 20);
        w->hide();
    };
    okdsxxadd_ = button(this, QStringLiteral("okdsxxadd"));
    store(okdsxxadd_, 70);
    form2tip_ = button(this, QStringLiteral("from2tip"));
    store(form2tip_, 100);
    Command1_ = button(this, QStringLiteral("Command1"));
    store(Command1_, 130);
    Command2_ = button(this, QStringLiteral("Command2"));
    store(Command2_, 160);
    // The two commands are there for the keyboard alone: out of sight beyond the width,
    // but shown, so that Tab reaches them after the controls in view (Command1 first),
    // and Enter runs them as Space does.
    for (QPushButton* b : {Command1_, Command2_}) {
        b->setObjectName(b->text());
        b->setAutoDefault(true);
        b->show();
    }
    SafeSwitch3_ = new SafeSwitch(this);
    store(SafeSwitch3_, 190);
    SafeSwitch4_ = new SafeSwitch(this);
    store(SafeSwitch4_, 220);
    Label2_[2] = label(this, QStringLiteral("定时喝水"), 15, true);
    store(Label2_[2], 250);
    Label2_[3] = label(this, QStringLiteral("定时关机"), 15, true);
    store(Label2_[3], 280);
    for (int i = 2; i < 4; ++i) {
        edit_[i] = image(this, nullptr);
        store(edit_[i], 10);
        Label3_[i] = label(this, QString(), 9, false);
        store(Label3_[i], 40);
    }

    Shape1_ = new QFrame(this);
    Shape1_->setFrameShape(QFrame::Box);
    Shape1_->setLineWidth(1);
    QPalette p = Shape1_->palette();
    p.setColor(QPalette::WindowText, bgr(0xD9BD6A));
    Shape1_->setPalette(p);
    Shape1_->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Form1::loadSwitchProperties() {
    // The switches' stored layout: SafeSwitch1 and SafeSwitch4 off, the others at the
    // default (on). Loaded before the handlers are connected, so only the load step's
    // own assignments reach them.
    PropertyBag off;
    off.write("value", false);
    const PropertyBag on;
    SafeSwitch1_->loadProperties(off);
    SafeSwitch2_->loadProperties(on);
    SafeSwitch3_->loadProperties(on);
    SafeSwitch4_->loadProperties(off);
}

} // namespace ocuvell
