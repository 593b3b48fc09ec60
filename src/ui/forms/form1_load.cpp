// Form1's load step and the close from its title strip.
#include "core/settings/ini.h"
#include "ui/forms/form1.h"
#include "ui/widgets/click_image.h"
#include "ui/widgets/safe_switch.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSlider>
#include <QUrl>

namespace ocuvell {

void Form1::load() {
    if (loaded_)
        return;
    loaded_ = true;

    setFixedWidth(pmenu_->width());
    // The frame lies along the window's edges, above everything else.
    Shape1_->setGeometry(0, 0, width(), height());
    Shape1_->raise();

    // Absent or unusable rest numbers (a first start reads the key names) would leave
    // the schedule nothing to count with; the schedule puts its defaults in the boxes.
    schedule_.loadStored(iniread("dsxx", "mei"), iniread("dsxx", "xiuxi"));
    zhuan_->setText(QString::fromStdString(iniread("dsxx", "pdrun")));

    schedule_.loadStoredReminders(zhuan_->text().toStdString());
    const bool reminders = schedule_.pdxxrun() != "0";
    if (reminders)
        edit_[1]->show();
    SafeSwitch2_->setValue(reminders);
    dsxxadd();

    zhuan_->setText(QString::fromStdString(iniread("eye", "pdrun")));
    colorload();
    if (zhuan_->text() == QLatin1String("1")) {
        edit_[0]->show();
        setHeadingGreen(Label2_[0], true);
        SafeSwitch1_->setValue(true);
        ppset_->hide();
    }

    Image7_->setPixmap(setok_[1]->pixmap());
    Image8_->setPixmap(setno_[1]->pixmap());
    edit_[1]->setPixmap(edit_[0]->pixmap());

    Timer1_.start();
}

void Form1::Show() {
    load();
    const bool first = !shownOnce_;
    shownOnce_ = true;
    if (first) {
        QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            const QRect area = screen->availableGeometry();
            move(area.center() - QPoint(width() / 2, height() / 2));
        }
    }
    show();
    // Bring it in front when the tray asks; a platform without windows has no front.
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        raise();
        activateWindow();
    }
}

void Form1::image2_Click() {
    const auto slider = [](const QSlider* s) { return std::to_string(s->value()); };
    // The rest numbers in use: a box left holding something unusable through Back
    // would otherwise be stored and lose the user's last good value at the next start.
    iniwrite("dsxx", "mei", schedule_.meiToSave());
    iniwrite("dsxx", "xiuxi", schedule_.xiuxiToSave());
    iniwrite("dsxx", "pdrun", schedule_.pdrunToSave());
    iniwrite("eye", "liangdu", slider(Slider1_));
    iniwrite("eye", "duibidu", slider(Slider2_));
    iniwrite("eye", "rgbr", slider(Slider3_[0]));
    iniwrite("eye", "rgbg", slider(Slider3_[1]));
    iniwrite("eye", "rgbb", slider(Slider3_[2]));
    // Unset until the eye-protection switch was first used: the key is removed.
    iniwrite("eye", "pdrun", Pdeyerun_);

    // Nothing may run after this point, and the window goes at once: starting the
    // browser can take a moment.
    Timer1_.stop();
    hide();
    hooks_.openUrl(QUrl(QString::fromLatin1(kHomePage)));
    // An icon left in the tray would outlive the program as a ghost until the mouse
    // passes over it.
    hooks_.removeTrayIcon();
    hooks_.quit();
}

} // namespace ocuvell
