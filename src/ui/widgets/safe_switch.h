#pragma once
// SafeSwitch: the on/off switch drawn from picture strips (widget half; the state
// machine is SwitchCore in switch_core.h).
#include "core/controls/property_bag.h"

#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <memory>

namespace ocuvell {

class SwitchArt;
class SwitchCore;
class SwitchPoll;
struct SwitchStep;

class SafeSwitch : public QWidget {
    Q_OBJECT
  public:
    explicit SafeSwitch(QWidget* parent = nullptr);
    ~SafeSwitch() override;

    bool Enable() const;
    void setEnable(bool enable);
    bool Value() const;
    void setValue(bool value); // always raises Click, also unchanged or disabled
    int skin() const;
    void setSkin(int skin);
    int frameIndex() const;
    bool hover() const;

    // Stored entries "value", "enable", "skin". Loading assigns "value" through Value,
    // which raises Click at once: owners connect their Click handlers only after
    // loadProperties, so that a window still being built never sees its own handler run.
    void loadProperties(const PropertyBag& bag);
    void saveProperties(PropertyBag& bag) const;

  signals:
    void Click(bool value);
    void MouseOut();
    void MouseIn();

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void showEvent(QShowEvent*) override;
    void hideEvent(QHideEvent*) override;

  private:
    // The window's shared poll (switch_poll.h) asks each switch in turn.
    friend class SwitchPoll;
    // One hover poll with the pointer the shared poll read (screen pixels).
    void pollAt(const QPoint& global);
    // Whether a pointer at this point (screen pixels) is over the switch for the poll: the
    // whole rectangle, far edges included.
    bool covers(const QPoint& global) const;

    std::unique_ptr<SwitchCore> core_;
    SwitchArt* art_;     // the application's, which outlives its widgets
    int drawnFrame_ = 0; // the frame copied into the widget's image by the last draw
    int drawnSkin_ = 0;  // 0..2
    int drawnMask_ = -1;
    QPointer<SwitchPoll> poll_; // the poll of the top-level window polling this
    void drawSwitch();
    void applySkin();
    void apply(const SwitchStep& step);
    void joinPoll();
    void leavePoll();
};

} // namespace ocuvell
