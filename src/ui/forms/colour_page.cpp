// The colour page: built from the colour model's levels, then following them. Positions
// are in twips, as the layout was drawn.
#include "ui/forms/colour_page.h"

#include "core/rest/time_of_day.h"
#include "ui/forms/form_parts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

namespace ocuvell {
namespace {

using namespace design;
using namespace parts;

QString number(int value) {
    return QString::number(value);
}

// The words the notice shows after "无法调节此显示器的颜色：".
QString troubleText(DisplayTrouble trouble) {
    const char* text = "读取伽马失败";
    switch (trouble) {
    case DisplayTrouble::NoXDisplay:
        text = "没有 X 显示";
        break;
    case DisplayTrouble::WaylandSession:
        text = "Wayland 会话";
        break;
    case DisplayTrouble::NoWaylandSupport:
        text = "程序未带 Wayland 支持";
        break;
    case DisplayTrouble::CannotConnectWayland:
        text = "无法连接 Wayland 合成器";
        break;
    case DisplayTrouble::WaylandNoAnswer:
        text = "Wayland 合成器没有应答";
        break;
    case DisplayTrouble::NoGammaManager:
        text = "Wayland 合成器不提供伽马控制";
        break;
    case DisplayTrouble::GnomeDesktop:
    case DisplayTrouble::KdeDesktop:
        text = "桌面不许程序调色，请用其夜间模式";
        break;
    case DisplayTrouble::NoWaylandOutput:
        text = "输出不可调伽马或被其他程序占用";
        break;
    case DisplayTrouble::CompositorGone:
        text = "Wayland 合成器已断开连接";
        break;
    case DisplayTrouble::CannotOpenX:
        text = "无法连接 X 服务器";
        break;
    case DisplayTrouble::NoRandrGamma:
    case DisplayTrouble::NoScreenResources:
        text = "X 服务器不支持 RandR 伽马";
        break;
    case DisplayTrouble::XWayland:
        text = "XWayland 不把伽马传给屏幕";
        break;
    case DisplayTrouble::NoGammaOutput:
        text = "没有可调伽马的输出";
        break;
    case DisplayTrouble::NoX11Support:
        text = "程序未带 X11 支持";
        break;
    case DisplayTrouble::NoDeviceContext:
        text = "无法取得桌面设备";
        break;
    case DisplayTrouble::DriverWithoutGamma:
        text = "显卡驱动不支持伽马";
        break;
    case DisplayTrouble::RampNotTaken:
        text = "显示器没有接受这个伽马";
        break;
    case DisplayTrouble::GammaRangeLimit:
        text = "GdiIcmGammaRange=256 可解除";
        break;
    case DisplayTrouble::NoTrouble:
    case DisplayTrouble::CaptureFailed:
        break;
    }
    return QString::fromUtf8(text);
}

// The heading: the display cannot be changed at all, or it did not take the last change
// (the tooltip names the registry key in full).
QString noticeHeading(DisplayTrouble trouble) {
    const char* text = "无法调节此显示器的颜色：\n";
    if (trouble == DisplayTrouble::RampNotTaken)
        text = "这次调节没有生效：\n";
    else if (trouble == DisplayTrouble::GammaRangeLimit)
        text = "Windows 限制了调色幅度：\n";
    return QString::fromUtf8(text);
}

} // namespace

ColourPage::ColourPage(Model& model, bool started, QWidget* parent)
    : QWidget(parent), model_(model) {
    makePage(this);
    build();
    showModelLevels(started);
    ColourModel& colour = model_.colour();
    connect(Slider1_, &QSlider::valueChanged, this,
            [this, &colour] { colour.setBrightness(Slider1_->value()); });
    connect(Slider2_, &QSlider::valueChanged, this,
            [this, &colour] { colour.setContrast(Slider2_->value()); });
    for (int i = 0; i < 3; ++i)
        connect(Slider3_[i], &QSlider::valueChanged, this,
                [this, &colour, i] { colour.setColour(i, Slider3_[i]->value()); });
    connect(Command3_, &QPushButton::clicked, this, [&colour] { colour.restore(); });
    connect(Command4_, &QPushButton::clicked, this, &ColourPage::Command4_Click);
}

void ColourPage::build() {
    struct Caption {
        int left, top, width;
        const char* text;
    };
    const Caption captions[8] = {{435, 225, 3735, "亮度"},
                                 {435, 570, 495, "1"},
                                 {435, 945, 3735, "对比度"},
                                 {435, 1305, 495, "2"},
                                 {4515, 225, 4095, "RGB [蓝色越低护眼越好]"},
                                 {4515, 585, 495, "红"},
                                 {4515, 945, 495, "绿"},
                                 {4515, 1305, 495, "蓝"}};
    for (int i = 0; i < 8; ++i) {
        const bool heading = i == 0 || i == 2 || i == 4;
        colo_[i] = label(this, QString::fromUtf8(captions[i].text), 9, heading,
                         heading ? 0xFFFFFF : 0x000000);
        place(colo_[i], captions[i].left, captions[i].top, captions[i].width, 255);
        if (heading)
            fill(colo_[i], 0xD9BD6A);
        else
            colo_[i]->setAlignment(Qt::AlignCenter);
    }
    fill(colo_[1], 0xC0C0C0);

    // The value boxes lie under the sliders where they overlap, so the sliders stay
    // usable; they come first to be drawn first.
    const int text4[3][2] = {{7080, 1440}, {7110, 1185}, {7050, 1305}};
    for (int i = 0; i < 3; ++i) {
        Text4_[i] = box(this, QStringLiteral("0"));
        place(Text4_[i], text4[i][0], text4[i][1], 1095, 270);
    }

    // Range and design position from the setting each slider stands for.
    auto slider = [this](int left, int top, int width, Setting setting) {
        auto* s = new QSlider(Qt::Horizontal, this);
        s->setRange(row(setting).min, row(setting).max);
        s->setValue(row(setting).neutral);
        s->setSingleStep(1);
        s->setPageStep(5);
        place(s, left, top, width, 255);
        return s;
    };
    Slider1_ = slider(1395, 585, 2535, Setting::Brightness);
    Slider2_ = slider(1395, 1305, 2415, Setting::Contrast);
    const int tops[3] = {600, 945, 1305};
    const Setting colours[3] = {Setting::Red, Setting::Green, Setting::Blue};
    for (int i = 0; i < 3; ++i)
        Slider3_[i] = slider(5115, tops[i], 3495, colours[i]);

    Command3_ = button(this, QStringLiteral("恢复"));
    place(Command3_, -2280, 1440, 3015, 375);
    // Most of the button lies left of the page; its caption goes to the part in view.
    Command3_->setStyleSheet(QStringLiteral("text-align: right; padding-right: 8px;"));
    Command4_ = button(this, QStringLiteral("Command4"));
    place(Command4_, 8130, 1440, 1215, 495);
    // Their pictures are copied from the rest page's OK and Back at load.
    Image8_ = image(this, nullptr);
    place(Image8_, 3120, 1740, 735, 495);
    Image8_->setToolTip(QStringLiteral("Back"));
    Image7_ = image(this, nullptr);
    place(Image7_, 4200, 1740, 735, 495);
    Image7_->setToolTip(QStringLiteral("OK"));

    // Where controls overlap, the sliders (opaque, as the system's own slider control
    // paints its whole area) and the captions stay in front of the boxes and buttons.
    for (QWidget* w : {static_cast<QWidget*>(Command3_), static_cast<QWidget*>(Command4_)})
        w->lower();
    for (QLineEdit* t : Text4_)
        t->lower();
    for (QSlider* s : {Slider1_, Slider2_, Slider3_[0], Slider3_[1], Slider3_[2]})
        fill(s, 0xFBF8F3);
    for (QLabel* c : colo_)
        c->raise();

    // Below the contrast slider, left of Back: two short lines, clear of every control. A
    // size smaller than the captions' lets the longest reason fit its own line.
    notice_ = label(this, QString(), 8, false, 0x2020B0);
    place(notice_, 435, 1845, 2640, 540);
    notice_->setWordWrap(true);
    notice_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    notice_->hide();
}

// The sliders stand where the model's levels are (the colour boxes hold "0" as drawn, which
// is the colours' neutral value). Before the load step the value displays keep their design
// captions and the notice waits for the display's capture.
void ColourPage::showModelLevels(bool started) {
    const ColourModel& colour = model_.colour();
    const auto show = [](QSlider* slider, int value) {
        const QSignalBlocker quiet(slider);
        slider->setValue(value);
    };
    show(Slider1_, colour.level(Level::Brightness));
    show(Slider2_, colour.level(Level::Contrast));
    for (int i = 0; i < 3; ++i) {
        const int value = colour.level(static_cast<Level>(int(Level::Red) + i));
        show(Slider3_[i], value);
        Text4_[i]->setText(number(value));
    }
    if (started) {
        showStartValues();
        showNotice();
    }
}

void ColourPage::showStartValues() {
    colo_[1]->setText(number(Slider1_->value()));
    colo_[3]->setText(number(Slider2_->value()));
}

void ColourPage::showNotice() {
    // Without it the sliders would move with no effect on the screen and no word why;
    // the values can still be set and stored for a display that can take them.
    const DisplayTrouble why = model_.colour().trouble();
    notice_->setVisible(why != DisplayTrouble::NoTrouble);
    if (why == DisplayTrouble::NoTrouble) {
        showNightNotice();
        return;
    }
    // The reason on a line of its own: wrapped after the heading, a word of it would be
    // split across the lines.
    notice_->setText(noticeHeading(why) + troubleText(why));
    notice_->setToolTip(QString::fromLatin1(troubleWords(why)));
}

// The notice's place says, in one line, that night colour is tinting the display and until
// when; the sliders keep the user's own values.
void ColourPage::showNightNotice() {
    const NightSchedule& night = model_.night();
    if (night.progress() <= 0) {
        notice_->hide();
        return;
    }
    // Short enough for the notice's width on one line, the time included.
    QString text = QStringLiteral("夜间色温 %1 K").arg(night.kelvinNow());
    if (const std::optional<int> until = model_.nightShownUntilMinute())
        text += QStringLiteral("，至 %1").arg(QString::fromStdString(formatTimeOfDay(*until)));
    notice_->setText(text);
    notice_->setToolTip(QStringLiteral("Night colour is active"));
    notice_->show();
}

void ColourPage::levelChanged(Level level, int value) {
    // The slider follows without reporting the move back to the model.
    const auto follow = [value](QSlider* slider) {
        const QSignalBlocker quiet(slider);
        slider->setValue(value);
    };
    switch (level) {
    case Level::Brightness:
        follow(Slider1_);
        colo_[1]->setText(number(value));
        break;
    case Level::Contrast:
        follow(Slider2_);
        colo_[3]->setText(number(value));
        break;
    case Level::Red:
    case Level::Green:
    case Level::Blue: {
        const int moved = static_cast<int>(level) - static_cast<int>(Level::Red);
        follow(Slider3_[moved]);
        for (int i = 0; i < 3; ++i)
            Text4_[i]->setText(
                number(model_.colour().level(static_cast<Level>(int(Level::Red) + i))));
        break;
    }
    }
}

void ColourPage::Command4_Click() {
    model_.colour().applyColourTexts({Text4_[0]->text().toStdString(),
                                      Text4_[1]->text().toStdString(),
                                      Text4_[2]->text().toStdString()});
}

} // namespace ocuvell
