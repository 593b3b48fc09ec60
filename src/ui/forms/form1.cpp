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
    return hooks;
}

} // namespace

Form1::Form1(Model& model, Form1Hooks hooks, QWidget* parent)
    : QWidget(parent), model_(model), schedule_(model.schedule()),
      hooks_(withDefaults(std::move(hooks), this)) {
    initArtwork();
    buildFrame();
    buildMainPage();
    buildOverlay();
    buildHiddenStores();
    // The overlay covers the main page until the load step closes it.
    ppset_->raise();
    loadSwitchProperties();
    connectHandlers();
    connectColourPage();
    Timer1_.setInterval(1000);
    model_.attach(*this, *this);
}

// The model stays; from now on it has no window to show its state in. Timer1_, the last
// member, goes next, so no tick reaches the schedule once the window is going; the
// controls, Qt children, go after the members and raise no signal on their way out.
Form1::~Form1() {
    model_.detach();
}

void Form1::connectHandlers() {
    connect(SafeSwitch1_, &SafeSwitch::Click, this, &Form1::SafeSwitch1_Click);
    connect(SafeSwitch2_, &SafeSwitch::Click, this, &Form1::SafeSwitch2_Click);
    connect(Image1_, &ClickImage::clicked, this, &Form1::Image1_Click);
    connect(image2_, &ClickImage::clicked, this, &Form1::image2_Click);
    for (int i = 0; i < 4; ++i)
        connect(edit_[i], &ClickImage::clicked, this, [this, i] { edit_Click(i); });
    for (int i = 1; i <= 3; ++i) {
        connect(setok_[i], &ClickImage::clicked, this, [this, i] { setok_Click(i); });
        connect(setno_[i], &ClickImage::clicked, this, [this, i] { setno_Click(i); });
    }
    // Enter in a box of the rest page confirms it as the OK image does.
    for (QLineEdit* box : {Text2_, Text3_})
        connect(box, &QLineEdit::returnPressed, this, [this] { setok_Click(1); });
    connect(okdsxxadd_, &QPushButton::clicked, this, &Form1::okdsxxadd_Click);
    connect(form2tip_, &QPushButton::clicked, this, &Form1::form2tip_Click);
    connect(Command1_, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2_, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(&Timer1_, &QTimer::timeout, this, &Form1::Timer1_Timer);
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

// RestPanel: the schedule's texts live in these controls.
std::string Form1::text1() const {
    return Text1_->text().toStdString();
}
void Form1::setText1(const std::string& s) {
    Text1_->setText(QString::fromStdString(s));
}
std::string Form1::text2() const {
    return Text2_->text().toStdString();
}
void Form1::setText2(const std::string& s) {
    Text2_->setText(QString::fromStdString(s));
}
std::string Form1::text3() const {
    return Text3_->text().toStdString();
}
void Form1::setText3(const std::string& s) {
    Text3_->setText(QString::fromStdString(s));
}
void Form1::setLabel5(const std::string& s) {
    Label5_->setText(QString::fromStdString(s));
}
void Form1::setDhhour(int index, const std::string& s) {
    dhhour_[index]->setText(QString::fromStdString(s));
}
void Form1::hidePpset() {
    ppset_->hide();
}
void Form1::setRestHeadingGreen(bool green) {
    setHeadingGreen(Label2_[1], green);
}
void Form1::setEdit1Visible(bool visible) {
    edit_[1]->setVisible(visible);
}

} // namespace ocuvell
