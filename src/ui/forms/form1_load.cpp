// Form1's load step and the close from its title strip.
#include "ui/forms/colour_page.h"
#include "ui/forms/form1.h"
#include "ui/forms/rest_page.h"
#include "ui/widgets/click_image.h"
#include "ui/widgets/safe_switch.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
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

    model_.loadRestSettings();
    const bool reminders = schedule_.remindersOn();
    if (reminders)
        edit_[1]->show();
    SafeSwitch2_->setValue(reminders);
    dsxxadd();

    const bool eyeMode = model_.storedEyeMode();
    colorload();
    if (eyeMode) {
        edit_[0]->show();
        setHeadingGreen(Label2_[0], true);
        SafeSwitch1_->setValue(true);
        hideOverlay();
    }

    if (overlayBuilt()) {
        colourPage_->Image7()->setPixmap(restPage_->setok()->pixmap());
        colourPage_->Image8()->setPixmap(restPage_->setno()->pixmap());
    }
    edit_[1]->setPixmap(edit_[0]->pixmap());
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
    // Minimised while there was no notification area, it comes back normal: show() alone
    // leaves a minimised window where it is.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    // In front when the tray asks, on every platform (one without a stacking order only
    // says it has none).
    raise();
    activateWindow();
}

void Form1::image2_Click() {
    model_.save();

    // Nothing may run after this point, and the window goes at once: starting the
    // browser can take a moment.
    hooks_.stopClock();
    hide();
    hooks_.openUrl(QUrl(QString::fromLatin1(kHomePage)));
    // An icon left in the tray would outlive the program as a ghost until the mouse
    // passes over it.
    hooks_.removeTrayIcon();
    hooks_.quit();
}

} // namespace ocuvell
