#include "ui/forms/form1.h"

#include "ui/assets/artwork.h"
#include "ui/forms/colour_page.h"
#include "ui/forms/rest_page.h"
#include "ui/widgets/click_image.h"
#include "ui/widgets/plain_text.h"
#include "ui/widgets/safe_switch.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QUrl>

namespace ocuvell {
namespace {

const QColor kGreen(34, 139, 34);

Form1Hooks withDefaults(Form1Hooks hooks, QWidget* owner) {
    if (!hooks.warn)
        hooks.warn = [owner](const QString& title, const QString& text) {
            plainWarningBox(owner, title, text)->exec();
        };
    if (!hooks.openUrl)
        hooks.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    if (!hooks.removeTrayIcon)
        hooks.removeTrayIcon = [] {};
    if (!hooks.quit)
        hooks.quit = [] { QCoreApplication::exit(0); };
    if (!hooks.stopClock)
        hooks.stopClock = [] {};
    return hooks;
}

} // namespace

Form1::Form1(Model& model, Form1Hooks hooks, QWidget* parent)
    : QWidget(parent), model_(model), schedule_(model.schedule()),
      hooks_(withDefaults(std::move(hooks), this)) {
    initArtwork();
    buildFrame();
    buildMainPage();
    buildHiddenControls();
    loadSwitchProperties();
    connectHandlers();
    model_.attach(*this, restViews());
}

// The model stays; from now on it has no window to show its state in. The controls, Qt
// children, go after the members and raise no signal on their way out.
Form1::~Form1() {
    model_.detach(restViews());
}

void Form1::connectHandlers() {
    connect(SafeSwitch1_, &SafeSwitch::Click, this, &Form1::SafeSwitch1_Click);
    connect(SafeSwitch2_, &SafeSwitch::Click, this, &Form1::SafeSwitch2_Click);
    connect(Image1_, &ClickImage::clicked, this, &Form1::Image1_Click);
    connect(image2_, &ClickImage::clicked, this, &Form1::image2_Click);
    for (int i = 0; i < 4; ++i)
        connect(edit_[i], &ClickImage::clicked, this, [this, i] { edit_Click(i); });
    connect(okdsxxadd_, &QPushButton::clicked, this, &Form1::okdsxxadd_Click);
    connect(form2tip_, &QPushButton::clicked, this, &Form1::form2tip_Click);
    connect(Command1_, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2_, &QPushButton::clicked, this, &Form1::Command2_Click);
}

// The pages handle their own controls; OK and Back close the overlay, here.
void Form1::connectOverlay() {
    for (int i = 2; i <= 3; ++i) {
        connect(setok_[i], &ClickImage::clicked, this, [this, i] { setok_Click(i); });
        connect(setno_[i], &ClickImage::clicked, this, [this, i] { setno_Click(i); });
    }
    connect(colourPage_->Image7(), &ClickImage::clicked, this, &Form1::Image7_Click);
    connect(colourPage_->Image8(), &ClickImage::clicked, this, &Form1::Image8_Click);
}

QWidget* Form1::eyeset() {
    return colourPage();
}
QWidget* Form1::xxset() {
    return restPage();
}
QLineEdit* Form1::Text2() {
    return restPage()->Text2();
}
QLineEdit* Form1::Text3() {
    return restPage()->Text3();
}
QLabel* Form1::colo(int i) {
    return colourPage()->colo(i);
}
QLabel* Form1::colourNotice() {
    return colourPage()->notice();
}
QSlider* Form1::Slider1() {
    return colourPage()->Slider1();
}
QSlider* Form1::Slider2() {
    return colourPage()->Slider2();
}
QSlider* Form1::Slider3(int i) {
    return colourPage()->Slider3(i);
}
QLineEdit* Form1::Text4(int i) {
    return colourPage()->Text4(i);
}
QPushButton* Form1::Command3() {
    return colourPage()->Command3();
}
QPushButton* Form1::Command4() {
    return colourPage()->Command4();
}
ClickImage* Form1::Image7() {
    return colourPage()->Image7();
}
ClickImage* Form1::Image8() {
    return colourPage()->Image8();
}
ClickImage* Form1::setok(int i) {
    return i == 1 ? restPage()->setok() : overlay(setok_[i]);
}
ClickImage* Form1::setno(int i) {
    return i == 1 ? restPage()->setno() : overlay(setno_[i]);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((watched == pmenu_ || watched == title_) &&
        (type == QEvent::MouseButtonPress || type == QEvent::MouseMove ||
         type == QEvent::MouseButtonRelease)) {
        const auto* e = static_cast<QMouseEvent*>(event);
        drag_.follow(type, e->buttons(), e->globalPosition().toPoint());
        return type == QEvent::MouseMove;
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::edit_Click(int index) {
    if (index == 0 || index == 1)
        ensureOverlay();
    if (!overlayBuilt())
        return; // no page to hide, none to open
    QWidget* pages[4] = {colourPage_, restPage_, hsset_, gjset_};
    for (QWidget* p : pages)
        p->hide();
    for (QWidget* p : pages)
        p->move(p->x(), 8);
    for (QWidget* p : pages)
        p->move(8, p->y());
    if (index == 0) {
        ppset_->show();
        colourPage_->show();
    } else if (index == 1) {
        ppset_->show();
        restPage_->show();
    }
}

void Form1::Image1_Click() {
    if (hideMinimises_)
        showMinimized();
    else
        hide();
}

// ColourView: the colour page, when it is built; otherwise it reads the model when it is.
void Form1::levelChanged(Level level, int value) {
    if (colourPage_)
        colourPage_->levelChanged(level, value);
}

void Form1::showColourNotice() {
    if (colourPage_)
        colourPage_->showNotice();
}

void Form1::warn(const std::string& title, const std::string& text) {
    hooks_.warn(QString::fromStdString(title), QString::fromStdString(text));
}

void Form1::colorload() {
    model_.colour().captureDisplay();
    if (colourPage_) {
        colourPage_->showNotice();
        colourPage_->showStartValues();
    }
}

void Form1::Command3_Click() {
    model_.colour().restore();
}

void Form1::Command4_Click() {
    colourPage()->Command4_Click();
}

void Form1::Image7_Click() {
    hideOverlay();
    model_.colour().saveLevels();
}

void Form1::Image8_Click() {
    hideOverlay();
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

void Form1::SafeSwitch2_Click(bool value) {
    schedule_.switchReminders(value);
}

void Form1::Timer1_Timer() {
    schedule_.tick();
}

void Form1::dsxxadd() {
    schedule_.rescheduleFromNow();
}

void Form1::form2tip_Click() {
    schedule_.startCountdown();
}

void Form1::okdsxxadd_Click() {
    schedule_.rescheduleFromNow();
}

// setok(2) and setok(3), on the sibling panels, confirm the same way.
void Form1::setok_Click(int /*index*/) {
    schedule_.confirmSettings();
}

void Form1::setno_Click(int /*index*/) {
    schedule_.dismissSettings();
}

void Form1::Command1_Click() {
    schedule_.postpone();
}

void Form1::Command2_Click() {
    schedule_.rescheduleAfterARest();
}

void Form1::setHeadingGreen(QLabel* heading, bool green) {
    QPalette p = heading->palette();
    p.setColor(QPalette::WindowText, green ? kGreen : QColor(Qt::black));
    heading->setPalette(p);
}

// SchedulePanelView: what the schedule shows on the main page and the rest page.
void Form1::showNextRest(int minuteOfDay) {
    Label5_->setText(QStringLiteral("%1:%2")
                         .arg(minuteOfDay / 60, 2, 10, QLatin1Char('0'))
                         .arg(minuteOfDay % 60, 2, 10, QLatin1Char('0')));
}
void Form1::showRestValues(const std::string& interval, const std::string& restLength) {
    dhhour_[0]->setText(QString::fromStdString(interval));
    dhhour_[1]->setText(QString::fromStdString(restLength));
    layOutRestSummary();
}
// The rest page, when it is built; otherwise it reads the schedule when it is.
void Form1::showIntervalEntry(const std::string& text) {
    if (restPage_)
        restPage_->showIntervalEntry(text);
}
void Form1::showRestLengthEntry(const std::string& text) {
    if (restPage_)
        restPage_->showRestLengthEntry(text);
}
void Form1::closeSettings() {
    hideOverlay();
}
void Form1::showReminders(bool on) {
    // Switched from outside, the switch follows without reporting it back.
    if (SafeSwitch2_->Value() != on) {
        const QSignalBlocker quiet(SafeSwitch2_);
        SafeSwitch2_->setValue(on);
    }
    setHeadingGreen(Label2_[1], on);
    edit_[1]->setVisible(on);
}

} // namespace ocuvell
