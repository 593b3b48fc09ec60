#pragma once
// FormMore: the options window the tray's "更多设置…" opens. One switch per option and the
// postpone's minutes; each change goes to the model at once, which applies and writes it.
#include <QWidget>

class QLabel;
class QSpinBox;

namespace ocuvell {

class Model;
class SafeSwitch;

class FormMore : public QWidget {
    Q_OBJECT
  public:
    // The model outlives the window.
    explicit FormMore(Model& model, QWidget* parent = nullptr);

    // Shows the values in use and brings the window up.
    void Show();

    SafeSwitch* fullscreenSwitch() const { return fullscreen_; }
    SafeSwitch* awaySwitch() const { return away_; }
    QSpinBox* postponeBox() const { return postpone_; }

  private:
    Model& model_;
    SafeSwitch* fullscreen_ = nullptr;
    SafeSwitch* away_ = nullptr;
    QSpinBox* postpone_ = nullptr;
    bool showing_ = false; // the values are being shown, not chosen

    void showValues();
};

} // namespace ocuvell
