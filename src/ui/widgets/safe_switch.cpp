#include "ui/widgets/safe_switch.h"

#include "core/controls/switch_core.h"
#include "ui/assets/artwork.h"
#include "ui/widgets/switch_poll.h"

#include <QBitmap>
#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QRegion>
#include <array>
#include <memory>

namespace ocuvell {

namespace {

QRegion shapeFromMask(const QImage& mask) {
    if (mask.isNull())
        return {};
    // In the bitmap Qt builds here the red pixels come out clear: the region keeps the rest.
    const QImage bits = mask.convertToFormat(QImage::Format_RGB32)
                            .createMaskFromColor(qRgb(255, 0, 0), Qt::MaskInColor);
    return QRegion(QBitmap::fromImage(bits));
}

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
    if (enable && poll_)
        poll_->wake();
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

void SafeSwitch::pollAt(const QPoint& global) {
    if (!core_->enable())
        return;
    apply(core_->poll(covers(global)));
}

bool SafeSwitch::covers(const QPoint& global) const {
    const QPoint p = mapFromGlobal(global);
    return switchContains(p.x(), p.y(), width(), height());
}

void SafeSwitch::joinPoll() {
    SwitchPoll* poll = &SwitchPoll::ensure(window());
    if (poll_ == poll)
        return;
    leavePoll();
    poll_ = poll;
    poll->watch(window()->windowHandle());
    poll->add(this);
}

// The poll may already be gone: a window deletes its children in the order they came,
// the poll perhaps before this switch.
void SafeSwitch::leavePoll() {
    if (poll_)
        poll_->remove(this);
    poll_ = nullptr;
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
            if (poll_)
                poll_->wake();
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
