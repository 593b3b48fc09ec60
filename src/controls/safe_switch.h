#pragma once
// SafeSwitch: the on/off switch drawn from picture strips (widget half; the state
// machine is SwitchCore in switch_core.h).
#include "controls/property_bag.h"

#include <QPoint>
#include <QWidget>
#include <memory>

namespace ocuvell {

class SwitchCore;

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

    // Stored entries "value", "enable", "skin"; loading raises Click through Value.
    void loadProperties(const PropertyBag& bag);
    void saveProperties(PropertyBag& bag) const;

    // One hover poll, as the shared 50 ms timer runs it (tests call it directly).
    void poll();
    static void setCursorSource(CursorSource* source); // nullptr: the real cursor

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
    void drawSwitch();
};

} // namespace ocuvell
