// The colour page of the main window and eye-protection mode: the five sliders, the
// restore and apply commands, OK and Back, and the eye-protection switch. The levels
// live in the colour model; the sliders show them and report the user's moves.
#include "core/rest/time_of_day.h"
#include "ui/forms/form1.h"
#include "ui/widgets/click_image.h"
#include "ui/widgets/plain_text.h"
#include "ui/widgets/safe_switch.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

namespace ocuvell {
namespace {

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

void Form1::connectColourPage() {
    connect(Slider1_, &QSlider::valueChanged, this, &Form1::Slider1_Change);
    connect(Slider2_, &QSlider::valueChanged, this, &Form1::Slider2_Change);
    for (int i = 0; i < 3; ++i)
        connect(Slider3_[i], &QSlider::valueChanged, this, [this, i] { Slider3_Change(i); });
    connect(Command3_, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command4_, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Image7_, &ClickImage::clicked, this, &Form1::Image7_Click);
    connect(Image8_, &ClickImage::clicked, this, &Form1::Image8_Click);
}

void Form1::colorload() {
    model_.colour().captureDisplay();
    showColourNotice();
    if (!overlayBuilt()) {
        pending_.valueShown = {true, true};
        return;
    }
    colo_[1]->setText(number(Slider1_->value()));
    colo_[3]->setText(number(Slider2_->value()));
}

void Form1::showColourNotice() {
    if (!overlayBuilt()) {
        pending_.noticeAsked = true;
        return;
    }
    // Without it the sliders would move with no effect on the screen and no word why;
    // the values can still be set and stored for a display that can take them.
    GammaEngine& engine = model_.colour().engine();
    DisplayTrouble why = engine.display().trouble();
    if (why == DisplayTrouble::NoTrouble && !engine.captured())
        why = DisplayTrouble::CaptureFailed;
    if (why == DisplayTrouble::NoTrouble)
        why = model_.colour().writeTrouble();
    colourNotice_->setVisible(why != DisplayTrouble::NoTrouble);
    if (why == DisplayTrouble::NoTrouble) {
        showNightNotice();
        return;
    }
    // The reason on a line of its own: wrapped after the heading, a word of it would be
    // split across the lines.
    colourNotice_->setText(noticeHeading(why) + troubleText(why));
    colourNotice_->setToolTip(QString::fromLatin1(troubleWords(why)));
}

// The notice's place says, in one line, that night colour is tinting the display and until
// when; the sliders keep the user's own values.
void Form1::showNightNotice() {
    const NightSchedule& night = model_.night();
    if (night.progress() <= 0) {
        colourNotice_->hide();
        return;
    }
    QString text = QStringLiteral("夜间色温生效中（约 %1 K）").arg(night.kelvinNow());
    if (const std::optional<int> until = model_.nightShownUntilMinute())
        text += QStringLiteral("，至 %1").arg(QString::fromStdString(formatTimeOfDay(*until)));
    colourNotice_->setText(text);
    colourNotice_->setToolTip(QStringLiteral("Night colour is active"));
    colourNotice_->show();
}

void Form1::Slider1_Change() {
    model_.colour().setBrightness(Slider1_->value());
}

void Form1::Slider2_Change() {
    model_.colour().setContrast(Slider2_->value());
}

void Form1::Slider3_Change(int index) {
    model_.colour().setColour(index, Slider3_[index]->value());
}

void Form1::levelChanged(Level level, int value) {
    if (!overlayBuilt()) {
        const int i = static_cast<int>(level);
        pending_.levels[i] = value;
        if (i < 2)
            pending_.valueShown[i] = true;
        return;
    }
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

void Form1::warn(const std::string& title, const std::string& text) {
    hooks_.warn(QString::fromStdString(title), QString::fromStdString(text));
}

void Form1::Command4_Click() {
    model_.colour().applyColourTexts({Text4(0)->text().toStdString(),
                                      Text4(1)->text().toStdString(),
                                      Text4(2)->text().toStdString()});
}

void Form1::Image7_Click() {
    hideOverlay();
    model_.colour().saveLevels();
}

void Form1::Image8_Click() {
    hideOverlay();
}

void Form1::Command3_Click() {
    model_.colour().restore();
}

// Eye protection switched from outside (a shortcut, the session bus) shows as a click on
// the switch would; the switch itself follows without clicking again.
void Form1::eyeModeShown(bool on) {
    if (SafeSwitch1_->Value() != on) {
        const QSignalBlocker quiet(SafeSwitch1_);
        SafeSwitch1_->setValue(on);
    }
    edit_[0]->setVisible(on);
    if (!on)
        hideOverlay();
    setHeadingGreen(Label2_[0], on);
}

void Form1::SafeSwitch1_Click(bool value) {
    if (value) {
        edit_[0]->show();
        setHeadingGreen(Label2_[0], true);
        model_.colour().eyeModeOn();
    } else {
        edit_[0]->hide();
        hideOverlay();
        model_.colour().eyeModeOff();
        setHeadingGreen(Label2_[0], false);
    }
}

} // namespace ocuvell
