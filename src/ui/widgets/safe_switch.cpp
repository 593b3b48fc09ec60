#include "ui/widgets/safe_switch.h"

#include "core/controls/pointer_probe.h"
#include "core/controls/switch_core.h"
#include "ui/assets/artwork.h"

#include <QBitmap>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QRegion>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace ocuvell {

namespace {

constexpr int kPollMs = 50;

QRegion shapeFromMask(const QImage& mask) {
    if (mask.isNull())
        return {};
    // In the bitmap Qt builds here the red pixels come out clear: the region keeps the rest.
    const QImage bits = mask.convertToFormat(QImage::Format_RGB32)
                            .createMaskFromColor(qRgb(255, 0, 0), Qt::MaskInColor);
    return QRegion(QBitmap::fromImage(bits));
}

CursorSource* g_cursor = nullptr; // a test's stand-in; owned by the test

} // namespace

// The strips and shapes of every switch, loaded once per application and owned by it:
// the pixmaps go while the application still stands.
class SwitchArt : public QObject {
    Q_OBJECT
  public:
    static SwitchArt& ofApplication() {
        QCoreApplication* app = QCoreApplication::instance();
        if (auto* art = app->findChild<SwitchArt*>(QString(), Qt::FindDirectChildrenOnly))
            return *art;
        return *new SwitchArt(app);
    }

    // A skin's strip and masks are decoded when a switch first shows that skin: the
    // program's windows use one skin of three, and decoding is most of a switch's start.
    const QPixmap& strip(int skin) {
        if (strips_[skin].isNull())
            strips_[skin] = artPixmap(QStringLiteral(":/ocuvell/switch_skin%1.png").arg(skin));
        return strips_[skin];
    }
    const QRegion& shape(int mask) {
        if (!shapeLoaded_[mask]) {
            shapes_[mask] =
                shapeFromMask(artImage(QStringLiteral(":/ocuvell/switch_mask%1.png").arg(mask)));
            shapeLoaded_[mask] = true;
        }
        return shapes_[mask];
    }

  private:
    explicit SwitchArt(QObject* app) : QObject(app) { initArtwork(); }

    std::array<QPixmap, 3> strips_;
    std::array<QRegion, 6> shapes_; // the non-red pixels of each mask
    std::array<bool, 6> shapeLoaded_{};
};

// All switches of one top-level window share one 50 ms poll, and it runs only while the
// pointer is over one of them: a pointer that moves or enters the window over a switch's
// hover rectangle starts it, and a tick that leaves no enabled switch hovered stops it. In
// between it answers as a poll that never stops would, so hover looks the same, while a
// program whose pointer is elsewhere does not wake for it at all. The group is a child of
// that window and goes with it.
class SwitchPollGroup : public QObject {
    Q_OBJECT
  public:
    static SwitchPollGroup* of(const QWidget* window) {
        return window->findChild<SwitchPollGroup*>(QString(), Qt::FindDirectChildrenOnly);
    }
    static SwitchPollGroup* ensure(QWidget* window) {
        if (SwitchPollGroup* group = of(window))
            return group;
        return new SwitchPollGroup(window);
    }

    // The pointer reaches the window through its native window's events, whatever child is
    // under it and whether or not anyone tracks the mouse.
    void watch(QWindow* native) {
        if (native && native != watched_) {
            if (watched_)
                watched_->removeEventFilter(this);
            watched_ = native;
            native->installEventFilter(this);
        }
    }

    // A switch shown, enabled or pressed gets one poll soon, which stops again at once when
    // the pointer is elsewhere: a switch may appear or wake under a pointer that rests.
    void add(SafeSwitch* s) {
        members_.push_back(s);
        wake();
    }
    void wake() {
        if (!timer_.isActive())
            timer_.start();
    }

    void remove(SafeSwitch* s) {
        for (auto& m : members_)
            if (m == s)
                m = nullptr; // compacted after the tick that may be running
        if (!ticking_)
            compact();
    }

    bool running() const { return timer_.isActive(); }

    // The pointer for a poll, read when the poll runs. On X11 through a connection of the
    // probe's own rather than the toolkit's, which would wake the program more than once a
    // poll; opened on the first poll of this window.
    QPoint cursorPos() {
        if (g_cursor)
            return g_cursor->globalPos();
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

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
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

  private:
    explicit SwitchPollGroup(QWidget* window) : QObject(window) {
        timer_.setInterval(kPollMs);
        connect(&timer_, &QTimer::timeout, this, &SwitchPollGroup::tick);
    }

    QTimer timer_;
    std::vector<SafeSwitch*> members_;
    bool ticking_ = false;
    std::unique_ptr<PointerProbe> probe_;
    bool probeTried_ = false;
    QPointer<QWindow> watched_;

    // A handler run from a poll may hide or delete switches (or this group's last one);
    // members are only nulled during the tick and removed after it. One that deletes the
    // window deletes this group too: the tick then ends at once.
    void tick() {
        const QPointer<SwitchPollGroup> alive(this);
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

    // An empty group stays with its window, its timer stopped, for the next switch shown.
    void compact() {
        std::erase(members_, nullptr);
        if (members_.empty())
            timer_.stop();
    }
};

SafeSwitch::SafeSwitch(QWidget* parent)
    : QWidget(parent), core_(std::make_unique<SwitchCore>()), art_(&SwitchArt::ofApplication()) {
    applySkin();
}

SafeSwitch::~SafeSwitch() {
    leavePoll();
}

bool SafeSwitch::Enable() const {
    return core_->enable();
}
bool SafeSwitch::Value() const {
    return core_->value();
}
int SafeSwitch::skin() const {
    return core_->skin();
}
int SafeSwitch::frameIndex() const {
    return core_->frameIndex();
}
bool SafeSwitch::hover() const {
    return core_->hover();
}

void SafeSwitch::setEnable(bool enable) {
    apply(core_->setEnable(enable));
    if (enable && pollGroup_)
        pollGroup_->wake();
}
void SafeSwitch::setValue(bool value) {
    apply(core_->setValue(value));
}

void SafeSwitch::setSkin(int skin) {
    core_->setSkin(skin);
    applySkin();
}

void SafeSwitch::applySkin() {
    const SwitchSkin s = core_->currentSkin();
    setFixedSize(s.frameWidth, s.frameHeight);
    drawSwitch();
}

void SafeSwitch::apply(const SwitchStep& step) {
    if (step.draw)
        drawSwitch();
    switch (step.event) {
    case SwitchStep::Event::Click:
        emit Click(core_->value());
        break;
    case SwitchStep::Event::MouseIn:
        emit MouseIn();
        break;
    case SwitchStep::Event::MouseOut:
        emit MouseOut();
        break;
    case SwitchStep::Event::None:
        break;
    }
}

void SafeSwitch::drawSwitch() {
    drawnFrame_ = core_->frameIndex();
    drawnSkin_ = core_->currentSkin().index;
    const int mask = core_->mask();
    if (mask != drawnMask_) {
        drawnMask_ = mask;
        const QRegion& shape = art_->shape(mask);
        if (shape.isEmpty())
            clearMask();
        else
            setMask(shape);
    }
    update();
}

void SafeSwitch::loadProperties(const PropertyBag& bag) {
    setValue(bag.readBool("value", true));
    setEnable(bag.readBool("enable", true));
    core_->setSkinQuietly(bag.readInt("skin", 0));
    applySkin();
}

void SafeSwitch::saveProperties(PropertyBag& bag) const {
    if (!core_->value())
        bag.write("value", false);
    if (!core_->enable())
        bag.write("enable", false);
    if (core_->skin() != 0)
        bag.write("skin", core_->skin());
}

void SafeSwitch::poll() {
    if (!core_->enable())
        return;
    if (pollGroup_)
        pollAt(pollGroup_->cursorPos());
    else
        pollAt(g_cursor ? g_cursor->globalPos() : QCursor::pos());
}

void SafeSwitch::pollAt(const QPoint& global) {
    if (!core_->enable())
        return;
    apply(core_->poll(covers(global)));
}

bool SafeSwitch::covers(const QPoint& global) const {
    const QPoint p = mapFromGlobal(global);
    return switchContains(p.x(), p.y(), width(), height());
}

void SafeSwitch::setCursorSource(CursorSource* source) {
    g_cursor = source;
}

bool SafeSwitch::pollRunning(const QWidget* window) {
    const SwitchPollGroup* group = SwitchPollGroup::of(window);
    return group && group->running();
}

void SafeSwitch::joinPoll() {
    SwitchPollGroup* group = SwitchPollGroup::ensure(window());
    if (pollGroup_ == group)
        return;
    leavePoll();
    pollGroup_ = group;
    group->watch(window()->windowHandle());
    group->add(this);
}

// The group may already be gone: a window deletes its children in the order they came,
// the group perhaps before this switch.
void SafeSwitch::leavePoll() {
    if (pollGroup_)
        pollGroup_->remove(this);
    pollGroup_ = nullptr;
}

void SafeSwitch::paintEvent(QPaintEvent*) {
    const QPixmap& strip = art_->strip(drawnSkin_);
    const SwitchSkin s = switchSkin(drawnSkin_);
    QPainter p(this);
    p.drawPixmap(0, 0, strip, 0, drawnFrame_ * s.frameHeight, s.frameWidth, s.frameHeight);
}

// A press can come before the poll has seen the pointer arrive (the first tick is up to
// 50 ms away): the press's own position then answers for the poll, so the click counts.
void SafeSwitch::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        if (core_->enable() && !core_->hover()) {
            if (pollGroup_)
                pollGroup_->wake();
            const QPointer<SafeSwitch> alive(this);
            pollAt(e->globalPosition().toPoint());
            if (!alive) // a MouseIn handler may delete the switch
                return;
        }
        apply(core_->pressLeft());
    } else
        QWidget::mousePressEvent(e);
}

void SafeSwitch::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton)
        apply(core_->releaseLeft());
    else
        QWidget::mouseReleaseEvent(e);
}

// The switch is always exactly one frame of its skin; a host's resize is undone without
// a redraw.
void SafeSwitch::resizeEvent(QResizeEvent*) {
    const SwitchSkin s = core_->currentSkin();
    if (width() != s.frameWidth || height() != s.frameHeight)
        resize(s.frameWidth, s.frameHeight);
}

void SafeSwitch::showEvent(QShowEvent*) {
    joinPoll();
}
void SafeSwitch::hideEvent(QHideEvent*) {
    leavePoll();
}

} // namespace ocuvell

#include "safe_switch.moc"
