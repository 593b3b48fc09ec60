// The colour page of the main window and eye-protection mode: the five sliders, the
// restore and apply commands, OK and Back, and the eye-protection switch.
#include "core/display/ramp_file.h"
#include "core/settings/ini.h"
#include "core/settings/number_text.h"
#include "ui/forms/form1.h"
#include "ui/widgets/click_image.h"
#include "ui/widgets/safe_switch.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <optional>

namespace ocuvell {
namespace {

QString number(int value) {
    return QString::number(value);
}

} // namespace

void Form1::connectColourPage() {
    connect(Slider1_, &QSlider::valueChanged, this, &Form1::Slider1_Change);
    connect(Slider2_, &QSlider::valueChanged, this, &Form1::Slider2_Change);
    for (QSlider* s : Slider3_)
        connect(s, &QSlider::valueChanged, this, &Form1::Slider3_Change);
    connect(Command3_, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command4_, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Image7_, &ClickImage::clicked, this, &Form1::Image7_Click);
    connect(Image8_, &ClickImage::clicked, this, &Form1::Image8_Click);
}

void Form1::colorload() {
    engine_.capture();
    showColourNotice();
    Slider1_->setRange(-50, 50);
    Slider1_->setValue(0);
    Slider2_->setRange(1, 100);
    Slider2_->setValue(100);
    for (QSlider* s : Slider3_) {
        s->setRange(-50, 50);
        s->setValue(0);
    }
    colo_[1]->setText(number(Slider1_->value()));
    colo_[3]->setText(number(Slider2_->value()));
}

void Form1::showColourNotice() {
    // Without it the sliders would move with no effect on the screen and no word why;
    // the values can still be set and stored for a display that can take them.
    std::string why = engine_.display().why();
    if (why.empty() && !engine_.captured())
        why = kCaptureFailed;
    colourNotice_->setVisible(!why.empty());
    if (why.empty())
        return;
    colourNotice_->setText(QString::fromUtf8("无法调节此显示器的颜色：") +
                           QString::fromStdString(colourTroubleText(why)));
    colourNotice_->setToolTip(QString::fromStdString(why));
}

void Form1::Slider1_Change() {
    colo_[1]->setText(number(Slider1_->value()));
    engine_.rampall(Slider1_->value());
}

void Form1::Slider2_Change() {
    colo_[3]->setText(number(Slider2_->value()));
    engine_.contrast(Slider2_->value());
}

void Form1::Slider3_Change() {
    engine_.colour(Slider3_[0]->value(), Slider3_[1]->value(), Slider3_[2]->value());
    for (int i = 0; i < 3; ++i)
        Text4_[i]->setText(number(Slider3_[i]->value()));
}

void Form1::Command4_Click() {
    // All three boxes are read before any slider moves: moving Slider3(0) rewrites the
    // boxes, which would throw away what the user typed into the other two.
    std::optional<int> typed[3];
    for (int i = 0; i < 3; ++i)
        typed[i] = parseWholeNumber(Text4_[i]->text().toStdString());
    for (int i = 0; i < 3; ++i)
        if (typed[i])
            Slider3_[i]->setValue(*typed[i]);
}

void Form1::Image7_Click() {
    ppset_->hide();
    iniwrite("eye", "liangdu", std::to_string(Slider1_->value()));
    iniwrite("eye", "duibidu", std::to_string(Slider2_->value()));
    iniwrite("eye", "rgbr", std::to_string(Slider3_[0]->value()));
    iniwrite("eye", "rgbg", std::to_string(Slider3_[1]->value()));
    iniwrite("eye", "rgbb", std::to_string(Slider3_[2]->value()));
}

void Form1::Image8_Click() {
    ppset_->hide();
}

void Form1::Command3_Click() {
    Slider1_->setValue(0);
    Slider2_->setValue(100);
    for (QSlider* s : Slider3_)
        s->setValue(0);
    const RampFileResult result = engine_.loadBase(rampFilePath());
    if (result.status != RampFileStatus::Loaded)
        hooks_.warn(QString::fromLatin1(kRampFileTitle),
                    QString::fromStdString(rampFileMessage(result)));
    engine_.applyBase();
}

void Form1::setSliderFromText(QSlider* slider, const std::string& text) {
    // Not a whole number (a first start reads the key's own name): the slider stays.
    if (const std::optional<int> value = parseWholeNumber(text))
        slider->setValue(*value);
}

void Form1::SafeSwitch1_Click(bool value) {
    if (value) {
        edit_[0]->show();
        setHeadingGreen(Label2_[0], true);
        Command3_Click();
        setSliderFromText(Slider1_, iniread("eye", "liangdu"));
        setSliderFromText(Slider2_, iniread("eye", "duibidu"));
        setSliderFromText(Slider3_[0], iniread("eye", "rgbr"));
        setSliderFromText(Slider3_[1], iniread("eye", "rgbg"));
        setSliderFromText(Slider3_[2], iniread("eye", "rgbb"));
        Pdeyerun_ = "1";
    } else {
        edit_[0]->hide();
        ppset_->hide();
        Pdeyerun_ = "0";
        Command3_Click();
        setHeadingGreen(Label2_[0], false);
    }
}

} // namespace ocuvell
