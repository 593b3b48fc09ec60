#include "ui/forms/rest_windows.h"

#include "ui/forms/form2.h"
#include "ui/forms/form3.h"
#include "ui/widgets/click_label.h"
#include "ui/widgets/prog_button.h"

#include <QLabel>
#include <utility>

namespace ocuvell {

RestForms::RestForms(RestSchedule& schedule) : schedule_(schedule) {
    schedule_.attach({.tip = this, .restScreen = this});
}

RestForms::~RestForms() {
    schedule_.detach({.tip = this, .restScreen = this});
    delete form2_;
    delete form3_;
}

Form2* RestForms::tip() {
    if (!form2_)
        form2_ = new Form2(schedule_);
    return form2_;
}

Form3* RestForms::rest() {
    if (!form3_)
        form3_ = new Form3(schedule_);
    return form3_;
}

// Removal may happen inside one of the form's own click handlers, so the window is
// hidden at once and deleted when control is back in the event loop.
void RestForms::removeTip() {
    if (Form2* f = std::exchange(form2_, nullptr)) {
        f->hide();
        f->deleteLater();
    }
}

void RestForms::removeRestScreen() {
    if (Form3* f = std::exchange(form3_, nullptr)) {
        f->hide();
        f->deleteLater();
    }
}

// Shown first (placed as it loads), then given its caption.
void RestForms::showTip(const std::string& restLength) {
    Form2* f = tip();
    f->show();
    f->Label1->setText(QStringLiteral("立即休息 ") + QString::fromStdString(restLength) +
                       QStringLiteral(" 分钟"));
}

void RestForms::startProgress(int total) {
    tip()->tippro->setValue(0);
    tip()->tippro->setMax(total);
}

void RestForms::showProgress(int done) {
    tip()->tippro->setValue(done);
}

void RestForms::showRestScreen() {
    Form3* f = rest();
    f->show();
    f->raise();
    f->activateWindow();
}

// The band as it stood goes into Picture2 before the new time, "h:m:s" without padding,
// is written.
void RestForms::showRemaining(int hours, int minutes, int seconds) {
    Form3* f = rest();
    f->snapshot();
    f->setCaption(QStringLiteral("%1:%2:%3").arg(hours).arg(minutes).arg(seconds));
}

} // namespace ocuvell
