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
class SwitchPollGroup;
struct SwitchStep;

// Where the hover poll reads the cursor (screen pixels); tests substitute their own.
class CursorSource {
  public:
    virtual ~CursorSource() = default;
    virtual QPoint globalPos() const = 0;
};

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

    // One hover poll, as the shared 50 ms timer runs it (tests call it directly).
    void poll();
    // The same with the pointer already read (screen pixels), as the shared timer does.
    void pollAt(const QPoint& global);
    // Whether a pointer at this point (screen pixels) is over the switch for the poll: the
    // whole rectangle, far edges included.
    bool covers(const QPoint& global) const;
    static void setCursorSource(CursorSource* source); // nullptr: the real cursor
    // Whether the shared poll of this top-level window is running (for tests).
    static bool pollRunning(const QWidget* window);

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
    std::unique_ptr<SwitchCore> core_;
    SwitchArt* art_;     // the application's, which outlives its widgets
    int drawnFrame_ = 0; // the frame copied into the widget's image by the last draw
    int drawnSkin_ = 0;  // 0..2
    int drawnMask_ = -1;
    QPointer<SwitchPollGroup> pollGroup_; // the timer of the top-level window polling this
    void drawSwitch();
    void applySkin();
    void apply(const SwitchStep& step);
    void joinPoll();
    void leavePoll();
};

} // namespace ocuvell
