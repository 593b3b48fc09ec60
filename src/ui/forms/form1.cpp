#include "ui/forms/form1.h"

#include "ui/assets/artwork.h"
#include "ui/forms/move.h"
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

void Form1::connectOverlay() {
    for (int i = 1; i <= 3; ++i) {
        connect(setok_[i], &ClickImage::clicked, this, [this, i] { setok_Click(i); });
        connect(setno_[i], &ClickImage::clicked, this, [this, i] { setno_Click(i); });
    }
    // What is typed into the rest page is the schedule's entry at once; Enter in a box
    // confirms it as the OK image does.
    connect(Text2_, &QLineEdit::textChanged, this,
            [this](const QString& text) { schedule_.enterInterval(text.toStdString()); });
    connect(Text3_, &QLineEdit::textChanged, this,
            [this](const QString& text) { schedule_.enterRestLength(text.toStdString()); });
    for (QLineEdit* box : {Text2_, Text3_})
        connect(box, &QLineEdit::returnPressed, this, [this] { setok_Click(1); });
    connectColourPage();
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((watched == pmenu_ || watched == title_) &&
        (type == QEvent::MouseButtonPress || type == QEvent::MouseMove ||
         type == QEvent::MouseButtonRelease)) {
        const auto* e = static_cast<QMouseEvent*>(event);
        formdrag(*this, type, e->buttons(), e->globalPosition().toPoint());
        return type == QEvent::MouseMove;
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::edit_Click(int index) {
    if (index == 0 || index == 1)
        ensureOverlay();
    if (!overlayBuilt())
        return; // no page to hide, none to open
    QWidget* pages[4] = {eyeset_, xxset_, hsset_, gjset_};
    for (QWidget* p : pages)
        p->hide();
    for (QWidget* p : pages)
        p->move(p->x(), 8);
    for (QWidget* p : pages)
        p->move(8, p->y());
    if (index == 0) {
        ppset_->show();
        eyeset_->show();
    } else if (index == 1) {
        ppset_->show();
        xxset_->show();
    }
}

void Form1::Image1_Click() {
    if (hideMinimises_)
        showMinimized();
    else
        hide();
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
void Form1::showNextRest(const std::string& time) {
    Label5_->setText(QString::fromStdString(time));
}
void Form1::showRestValues(const std::string& interval, const std::string& restLength) {
    dhhour_[0]->setText(QString::fromStdString(interval));
    dhhour_[1]->setText(QString::fromStdString(restLength));
    layOutRestSummary();
}
void Form1::showIntervalEntry(const std::string& text) {
    if (overlayBuilt())
        Text2_->setText(QString::fromStdString(text));
    else
        pending_.intervalEntry = QString::fromStdString(text);
}
void Form1::showRestLengthEntry(const std::string& text) {
    if (overlayBuilt())
        Text3_->setText(QString::fromStdString(text));
    else
        pending_.restLengthEntry = QString::fromStdString(text);
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
