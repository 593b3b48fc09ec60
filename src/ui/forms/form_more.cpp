#include "ui/forms/form_more.h"

#include "core/controls/property_bag.h"
#include "core/model/model.h"
#include "core/settings/settings_table.h"
#include "ui/widgets/design.h"
#include "ui/widgets/safe_switch.h"

#include <QLabel>
#include <QSpinBox>

namespace ocuvell {

using namespace design;

namespace {

QLabel* caption(QWidget* parent, const QString& text, double points, bool bold, unsigned colour,
                int left, int top, int width, int height) {
    QLabel* l = label(parent, text, points, bold, colour);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(l, left, top, width, height);
    return l;
}

} // namespace

FormMore::FormMore(Model& model, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowCloseButtonHint), model_(model) {
    setWindowTitle(QStringLiteral("更多设置"));
    setFixedSize(px(6300), px(3960));
    colours(this, Qt::black, Qt::white);
    setAutoFillBackground(true);

    caption(this, QStringLiteral("更多设置"), 15, true, 0x000000, 480, 300, 5000, 420);

    // Each option: its name, a line on what it does, its switch on the right.
    const auto option = [this](int top, const QString& name, const QString& words) {
        caption(this, name, 10.5, true, 0x228B22, 480, top, 4200, 330);
        caption(this, words, 9, false, 0x404040, 480, top + 345, 4200, 540);
        auto* s = new SafeSwitch(this);
        place(s, 4800, top + 120, 1170, 345);
        PropertyBag off;
        off.write("value", false);
        s->loadProperties(off);
        return s;
    };
    fullscreen_ = option(1020, QStringLiteral("全屏时推迟休息"),
                         QStringLiteral("视频、游戏或演示全屏时，休息提示等它退出全屏再出现"));
    away_ = option(2010, QStringLiteral("离开电脑算作休息"),
                   QStringLiteral("无人操作（或休眠、锁屏）达到休息时长，即算休息过一次"));

    caption(this, QStringLiteral("“稍后休息”推迟"), 10.5, true, 0x228B22, 480, 3090, 2400, 330);
    postpone_ = new QSpinBox(this);
    postpone_->setRange(row(Setting::PostponeMinutes).min, row(Setting::PostponeMinutes).max);
    postpone_->setSuffix(QStringLiteral(" 分钟"));
    postpone_->setFont(designFont(9));
    postpone_->setKeyboardTracking(false); // a number typed counts once it is complete
    place(postpone_, 2880, 3030, 1500, 390);

    connect(fullscreen_, &SafeSwitch::Click, this, [this](bool on) {
        if (!showing_)
            model_.setDeferFullscreen(on);
    });
    connect(away_, &SafeSwitch::Click, this, [this](bool on) {
        if (!showing_)
            model_.setAwayCountsAsRest(on);
    });
    connect(postpone_, &QSpinBox::valueChanged, this, [this](int minutes) {
        if (!showing_)
            model_.setPostponeMinutes(minutes);
    });
}

void FormMore::showValues() {
    showing_ = true;
    const RestSchedule& s = model_.schedule();
    if (fullscreen_->Value() != s.deferFullscreen())
        fullscreen_->setValue(s.deferFullscreen());
    if (away_->Value() != s.awayCountsAsRest())
        away_->setValue(s.awayCountsAsRest());
    postpone_->setValue(s.postponeMinutes());
    showing_ = false;
}

void FormMore::Show() {
    showValues();
    show();
    raise();
    activateWindow();
}

} // namespace ocuvell
