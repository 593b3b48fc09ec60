#pragma once
// FormMore: the options window the tray's "更多设置…" opens. One switch per option and the
// postpone's minutes; each change goes to the model at once, which applies and writes it.
#include <QWidget>

class QComboBox;
class QLabel;
class QSpinBox;
class QTimeEdit;

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
    SafeSwitch* nightSwitch() const { return night_; }
    QSpinBox* kelvinBox() const { return kelvin_; }
    // The place: "固定时间" first, then the cities; a typed "latitude,longitude" is taken
    // when the typing ends.
    QComboBox* placeBox() const { return place_; }
    QTimeEdit* fromEdit() const { return from_; }
    QTimeEdit* toEdit() const { return to_; }
    QLabel* placeNote() const { return placeNote_; }

  private:
    Model& model_;
    SafeSwitch* fullscreen_ = nullptr;
    SafeSwitch* away_ = nullptr;
    QSpinBox* postpone_ = nullptr;
    SafeSwitch* night_ = nullptr;
    QSpinBox* kelvin_ = nullptr;
    QComboBox* place_ = nullptr;
    QTimeEdit* from_ = nullptr;
    QTimeEdit* to_ = nullptr;
    QLabel* placeNote_ = nullptr;
    bool showing_ = false; // the values are being shown, not chosen

    void buildNight();
    void showValues();
    void showNightValues();
    void choosePlace(const QString& text);
};

} // namespace ocuvell
