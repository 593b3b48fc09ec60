#include "ui/widgets/switch_poll.h"

#include "core/controls/pointer_probe.h"
#include "ui/widgets/safe_switch.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace ocuvell {

namespace {
constexpr int kPollMs = 50;
}

SwitchPoll* SwitchPoll::of(const QWidget* window) {
    return window->findChild<SwitchPoll*>(QString(), Qt::FindDirectChildrenOnly);
}

SwitchPoll& SwitchPoll::ensure(QWidget* window) {
    if (SwitchPoll* poll = of(window))
        return *poll;
    return *new SwitchPoll(window);
}

SwitchPoll::SwitchPoll(QWidget* window) : QObject(window) {
    timer_.setInterval(kPollMs);
    connect(&timer_, &QTimer::timeout, this, &SwitchPoll::tick);
}

SwitchPoll::~SwitchPoll() = default;

void SwitchPoll::watch(QWindow* native) {
    if (native && native != watched_) {
        if (watched_)
            watched_->removeEventFilter(this);
        watched_ = native;
        native->installEventFilter(this);
    }
}

void SwitchPoll::add(SafeSwitch* s) {
    members_.push_back(s);
    wake();
}

void SwitchPoll::wake() {
    if (!timer_.isActive())
        timer_.start();
}

void SwitchPoll::remove(SafeSwitch* s) {
    for (auto& m : members_)
        if (m == s)
            m = nullptr; // compacted after the tick that may be running
    if (!ticking_)
        compact();
}

// On X11 through a connection of the probe's own rather than the toolkit's, which would
// wake the program more than once a poll; opened on the first poll of this window.
QPoint SwitchPoll::cursorPos() {
    if (source_)
        return source_->globalPos();
    if (!probeTried_) {
        probeTried_ = true;
        if (QGuiApplication::platformName() == QLatin1String("xcb") &&
            qFuzzyCompare(qApp->devicePixelRatio(), 1.0))
            probe_ = openX11PointerProbe();
    }
    int x = 0, y = 0;
    if (probe_ && probe_->position(x, y))
        return {x, y};
    return QCursor::pos();
}

bool SwitchPoll::eventFilter(QObject*, QEvent* e) {
    if (timer_.isActive())
        return false;
    QPointF global;
    if (e->type() == QEvent::MouseMove)
        global = static_cast<QMouseEvent*>(e)->globalPosition();
    else if (e->type() == QEvent::Enter)
        global = static_cast<QEnterEvent*>(e)->globalPosition();
    else
        return false;
    for (SafeSwitch* s : members_)
        if (s && s->Enable() && s->covers(global.toPoint())) {
            wake();
            break;
        }
    return false;
}

// A handler run from a poll may hide or delete switches (or this poll's last one); members
// are only nulled during the tick and removed after it. One that deletes the window
// deletes this poll too: the tick then ends at once.
void SwitchPoll::tick() {
    const QPointer<SwitchPoll> alive(this);
    ticking_ = true;
    // One pointer query serves every switch of the window.
    const QPoint global = cursorPos();
    for (std::size_t i = 0; i < members_.size(); ++i) {
        if (SafeSwitch* s = members_[i])
            s->pollAt(global);
        if (!alive)
            return;
    }
    ticking_ = false;
    compact();
    // A disabled switch keeps its hover flag without polls; enabling it wakes the poll.
    if (std::none_of(members_.begin(), members_.end(),
                     [](const SafeSwitch* s) { return s->Enable() && s->hover(); }))
        timer_.stop();
}

// An empty poll stays with its window, its timer stopped, for the next switch shown.
void SwitchPoll::compact() {
    std::erase(members_, nullptr);
    if (members_.empty())
        timer_.stop();
}

} // namespace ocuvell
