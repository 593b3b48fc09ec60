#include "ui/forms/form_more.h"

#include "core/controls/property_bag.h"
#include "core/model/model.h"
#include "core/settings/settings_table.h"
#include "ui/widgets/design.h"
#include "ui/widgets/safe_switch.h"

#include "core/night/cities.h"

#include <QComboBox>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTime>
#include <QTimeEdit>
#include <cmath>
#include <utility>

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
    setFixedSize(px(6300), px(10200));
    colours(this, Qt::black, Qt::white);
    // The fixed times are off while a place is chosen: they must look it (the colours above
    // are set for every state).
    QPalette off = palette();
    for (const QPalette::ColorRole role :
         {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        off.setColor(QPalette::Disabled, role, QColor(0x90, 0x90, 0x90));
    off.setColor(QPalette::Disabled, QPalette::Base, QColor(0xf0, 0xf0, 0xf0));
    setPalette(off);
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

    buildNight();
    buildKeys();

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

// Night colour: its switch, the night's temperature, and the place the sun is followed at
// or the fixed times.
void FormMore::buildNight() {
    caption(this, QStringLiteral("夜间色温"), 10.5, true, 0x228B22, 480, 3720, 4200, 330);
    caption(this, QStringLiteral("日落后屏幕自动变暖，日出后恢复；不联网，不改动上面的亮度与颜色"),
            9, false, 0x404040, 480, 4065, 4200, 540);
    night_ = new SafeSwitch(this);
    place(night_, 4800, 3840, 1170, 345);
    PropertyBag off;
    off.write("value", false);
    night_->loadProperties(off);

    caption(this, QStringLiteral("夜间色温"), 9, false, 0x000000, 480, 4740, 1500, 330);
    kelvin_ = new QSpinBox(this);
    kelvin_->setRange(row(Setting::NightKelvin).min, row(Setting::NightKelvin).max);
    kelvin_->setSingleStep(100);
    kelvin_->setSuffix(QStringLiteral(" K"));
    kelvin_->setFont(designFont(9));
    kelvin_->setKeyboardTracking(false);
    kelvin_->setToolTip(QStringLiteral("6500 K 为不变色；数值越低越暖"));
    place(kelvin_, 1980, 4680, 1500, 390);

    caption(this, QStringLiteral("地点"), 9, false, 0x000000, 480, 5280, 1500, 330);
    place_ = new QComboBox(this);
    place_->setEditable(true);
    place_->setInsertPolicy(QComboBox::NoInsert);
    place_->setFont(designFont(9));
    place_->setToolTip(QStringLiteral("选择城市，或输入“纬度,经度”（如 31.23,121.47）"));
    place_->addItem(QStringLiteral("固定时间"), QString::fromLatin1(kFixedTimesPlace.data()));
    for (const City& c : cities()) {
        const QString english = QString::fromStdString(c.english);
        place_->addItem(c.chinese.empty() ? english
                                          : QString::fromStdString(c.chinese) + " " + english,
                        QString::fromStdString(c.zone));
    }
    place(place_, 1980, 5220, 3990, 390);
    placeNote_ = caption(this, QString(), 8, false, 0x2020B0, 1980, 5640, 3990, 330);

    caption(this, QStringLiteral("固定时间"), 9, false, 0x000000, 480, 6120, 1500, 330);
    const auto timeEdit = [this](int left) {
        auto* t = new QTimeEdit(this);
        t->setDisplayFormat(QStringLiteral("HH:mm"));
        t->setFont(designFont(9));
        t->setKeyboardTracking(false);
        place(t, left, 6060, 1200, 390);
        return t;
    };
    from_ = timeEdit(1980);
    caption(this, QStringLiteral("至"), 9, false, 0x000000, 3300, 6120, 300, 330);
    to_ = timeEdit(3660);
    from_->setToolTip(QStringLiteral("此时屏幕完全变暖（之前半小时逐渐变化）"));
    to_->setToolTip(QStringLiteral("此时恢复正常（之前半小时逐渐变化）"));

    connect(night_, &SafeSwitch::Click, this, [this](bool on) {
        if (!showing_)
            model_.setNightOn(on);
    });
    connect(kelvin_, &QSpinBox::valueChanged, this, [this](int k) {
        if (!showing_)
            model_.setNightKelvin(k);
    });
    connect(place_, &QComboBox::activated, this, [this](int index) {
        if (!showing_)
            choosePlace(place_->itemData(index).toString());
    });
    connect(place_->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        const QString typed = place_->currentText().trimmed();
        if (!showing_ && place_->findText(typed) < 0)
            choosePlace(typed);
    });
    const auto times = [this] {
        if (!showing_)
            model_.setNightTimes(from_->time().msecsSinceStartOfDay() / 60000,
                                 to_->time().msecsSinceStartOfDay() / 60000);
    };
    connect(from_, &QTimeEdit::timeChanged, this, times);
    connect(to_, &QTimeEdit::timeChanged, this, times);
}

namespace {

struct KeyRow {
    Shortcut action;
    const char* name;
    const char* command; // what a desktop's own key settings run instead
};
constexpr KeyRow kKeyRows[] = {
    {Shortcut::Brighter, "亮度 +5", "ocuvell brightness +5"},
    {Shortcut::Darker, "亮度 −5", "ocuvell brightness -5"},
    {Shortcut::Eye, "护眼模式开关", "ocuvell eye toggle"},
    {Shortcut::RestNow, "立即休息", "ocuvell rest now"},
    {Shortcut::RestLater, "稍后休息", "ocuvell rest later"},
};
static_assert(kBrightnessKeyStep == 5, "the captions name the step");

} // namespace

// The shortcuts: none set at first; a key set here works wherever the focus is.
void FormMore::buildKeys() {
    caption(this, QStringLiteral("快捷键"), 10.5, true, 0x228B22, 480, 6660, 4200, 330);
    keysNote_ = caption(this, QString(), 9, false, 0x404040, 480, 7005, 5490, 540);
    int top = 7560;
    for (const KeyRow& r : kKeyRows) {
        caption(this, QString::fromUtf8(r.name), 9, false, 0x000000, 480, top + 60, 1500, 330);
        auto* edit = new QKeySequenceEdit(this);
        edit->setFont(designFont(9));
        edit->setClearButtonEnabled(true);
        if (auto* line = edit->findChild<QLineEdit*>())
            line->setPlaceholderText(QStringLiteral("未设置"));
        edit->setToolTip(QStringLiteral("点击后按下按键组合；清除按钮取消快捷键"));
        place(edit, 1980, top, 2100, 390);
        keys_[index(r.action)] = edit;
        QLabel* note = caption(this, QString(), 8, false, 0x2020B0, 4170, top + 30, 1800, 360);
        note->setTextInteractionFlags(Qt::TextSelectableByMouse);
        keyNotes_[index(r.action)] = note;
        // A key combination is one chord: the first one pressed is kept.
        connect(edit, &QKeySequenceEdit::editingFinished, this,
                [this, a = r.action] { chooseKey(a); });
        connect(edit, &QKeySequenceEdit::keySequenceChanged, this,
                [this, a = r.action](const QKeySequence& k) {
                    if (k.isEmpty())
                        chooseKey(a);
                });
        top += 450;
    }
}

void FormMore::chooseKey(Shortcut action) {
    if (showing_)
        return;
    const QKeySequence typed = keys_[index(action)]->keySequence();
    const std::string text =
        typed.isEmpty() ? std::string()
                        : QKeySequence(typed[0]).toString(QKeySequence::PortableText).toStdString();
    if (text != model_.shortcutKey(action))
        model_.setShortcutKey(action, text);
    showKeys();
}

void FormMore::showKeys() {
    const bool was = std::exchange(showing_, true);
    const bool canTake = model_.shortcutsCanBeTaken();
    keysNote_->setText(canTake ? QStringLiteral("在任何窗口中按下即可执行；“亮度”每次改变 5")
                               : QStringLiteral("此桌面（Wayland）不允许程序占用按键：请在桌面的"
                                                "快捷键设置中绑定右侧的命令"));
    for (const KeyRow& r : kKeyRows) {
        QKeySequenceEdit* edit = keys_[index(r.action)];
        const QKeySequence stored = QKeySequence::fromString(
            QString::fromStdString(model_.shortcutKey(r.action)), QKeySequence::PortableText);
        if (edit->keySequence() != stored)
            edit->setKeySequence(stored);
        edit->setEnabled(canTake);
        QLabel* note = keyNotes_[index(r.action)];
        QString words;
        if (!canTake) {
            words = QString::fromUtf8(r.command);
        } else {
            switch (model_.shortcutTake(r.action)) {
            case KeyTake::Held:
                words = QStringLiteral("已被其他程序占用");
                break;
            case KeyTake::Unusable:
                words = QStringLiteral("无法使用此按键");
                break;
            case KeyTake::None:
            case KeyTake::Taken:
            case KeyTake::NoGrabs:
                break;
            }
        }
        note->setText(words);
        note->setStyleSheet(canTake ? QString() : QStringLiteral("color: #404040"));
    }
    showing_ = was;
}

void FormMore::choosePlace(const QString& text) {
    if (!model_.setNightPlace(text.toStdString())) {
        showNightValues();
        placeNote_->setText(
            QStringLiteral("无法识别“%1”：请选择城市，或输入“纬度,经度”").arg(text));
        return;
    }
    showNightValues();
}

void FormMore::showNightValues() {
    const bool was = std::exchange(showing_, true);
    const NightChoice& c = model_.night().choice();
    if (night_->Value() != c.on)
        night_->setValue(c.on);
    kelvin_->setValue(c.kelvin);
    const QString stored = QString::fromStdString(model_.nightPlace());
    const int index = place_->findData(stored);
    if (index >= 0)
        place_->setCurrentIndex(index);
    else
        place_->setEditText(stored);
    from_->setTime(QTime(c.from / 60, c.from % 60));
    to_->setTime(QTime(c.to / 60, c.to % 60));
    from_->setEnabled(!c.place);
    to_->setEnabled(!c.place);
    placeNote_->setText(c.place && std::abs(c.place->latitude) > kAccurateLatitude
                            ? QStringLiteral("纬度超过 72°：日出日落时间可能偏差数分钟")
                            : QString());
    showing_ = was;
}

void FormMore::showValues() {
    showing_ = true;
    const RestSchedule& s = model_.schedule();
    if (fullscreen_->Value() != s.deferFullscreen())
        fullscreen_->setValue(s.deferFullscreen());
    if (away_->Value() != s.awayCountsAsRest())
        away_->setValue(s.awayCountsAsRest());
    postpone_->setValue(s.postponeMinutes());
    showNightValues();
    showKeys();
    showing_ = false;
}

void FormMore::Show() {
    showValues();
    show();
    raise();
    activateWindow();
}

} // namespace ocuvell
