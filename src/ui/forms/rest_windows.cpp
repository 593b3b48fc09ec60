#include "ui/forms/rest_windows.h"

#include "ui/forms/form2.h"
#include "ui/forms/form3.h"
#include "ui/widgets/click_label.h"
#include "ui/widgets/prog_button.h"

#include <QLabel>
#include <utility>

namespace ocuvell {

RestForms::RestForms(RestSchedule& schedule) : schedule_(schedule) {}

RestForms::~RestForms() {
    if (schedule_.windows() == this)
        schedule_.setWindows(nullptr);
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

// Unloading may happen inside one of the form's own click handlers, so the window is
// hidden at once and deleted when control is back in the event loop.
void RestForms::unloadTip() {
    if (Form2* f = std::exchange(form2_, nullptr)) {
        f->hide();
        f->deleteLater();
    }
}

void RestForms::unloadRest() {
    if (Form3* f = std::exchange(form3_, nullptr)) {
        f->hide();
        f->deleteLater();
    }
}

void RestForms::showTip() {
    tip()->show();
}

void RestForms::showRest() {
    Form3* f = rest();
    f->show();
    f->raise();
    f->activateWindow();
}

void RestForms::setTipCaption(const std::string& s) {
    tip()->Label1->setText(QString::fromStdString(s));
}

void RestForms::setTipproValue(int value) {
    tip()->tippro->setValue(value);
}

void RestForms::setTipproMax(int max) {
    tip()->tippro->setMax(max);
}

void RestForms::restSnapshot() {
    rest()->snapshot();
}

void RestForms::setRestCaption(const std::string& s) {
    rest()->setCaption(QString::fromStdString(s));
}

} // namespace ocuvell
