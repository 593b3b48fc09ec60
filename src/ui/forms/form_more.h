#pragma once
// FormMore: the options window the tray's "更多设置…" opens. One switch per option and the
// postpone's minutes; each change goes to the model at once, which applies and writes it.
#include "core/model/shortcuts.h"

#include <QWidget>
#include <array>

class QComboBox;
class QKeySequenceEdit;
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
    // The shortcuts: a key field per action and, beside it, what became of its key (or,
    // where no program may take keys, the command to bind in the desktop's own settings).
    QKeySequenceEdit* keyEdit(Shortcut action) const { return keys_[index(action)]; }
    QLabel* keyNote(Shortcut action) const { return keyNotes_[index(action)]; }
    QLabel* keysNote() const { return keysNote_; }

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
    std::array<QKeySequenceEdit*, kShortcuts.size()> keys_{};
    std::array<QLabel*, kShortcuts.size()> keyNotes_{};
    QLabel* keysNote_ = nullptr;
    bool showing_ = false; // the values are being shown, not chosen

    static std::size_t index(Shortcut s) { return static_cast<std::size_t>(s); }
    void buildNight();
    void buildKeys();
    void chooseKey(Shortcut action);
    void showKeys();
    void showValues();
    void showNightValues();
    void choosePlace(const QString& text);
};

} // namespace ocuvell
