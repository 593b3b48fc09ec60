#pragma once
// The colour page of the settings overlay: the five sliders with their value displays, the
// typed colour values, the restore and apply commands, OK and Back, and a notice line. It
// is a picture of the colour model: built, it shows the model's levels; then it follows
// each change it is told of, and reports the user's moves to the model.
#include "core/model/model.h"

#include <QWidget>
#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace ocuvell {

class ClickImage;

class ColourPage : public QWidget {
    Q_OBJECT
  public:
    // started: the main window's load step has run, so the value displays show numbers
    // rather than their design captions.
    ColourPage(Model& model, bool started, QWidget* parent);

    // What the colour model reports (the main window passes it on as its ColourView).
    void levelChanged(Level level, int value);
    // The load step's capture is done: the value displays show the levels.
    void showStartValues();
    // Whether the colours can be changed here, or night colour tints them: the notice line.
    void showNotice();

    QLabel* colo(int i) const { return colo_[i]; }
    QLabel* notice() const { return notice_; }
    QSlider* Slider1() const { return Slider1_; }
    QSlider* Slider2() const { return Slider2_; }
    QSlider* Slider3(int i) const { return Slider3_[i]; }
    QLineEdit* Text4(int i) const { return Text4_[i]; }
    QPushButton* Command3() const { return Command3_; }
    QPushButton* Command4() const { return Command4_; }
    ClickImage* Image7() const { return Image7_; }
    ClickImage* Image8() const { return Image8_; }

    // The apply command: the typed colour values onto the colour sliders.
    void Command4_Click();

  private:
    void build();
    void showModelLevels(bool started);
    void showNightNotice();

    Model& model_;
    std::array<QLabel*, 8> colo_{};
    QLabel* notice_ = nullptr;
    QSlider* Slider1_ = nullptr;
    QSlider* Slider2_ = nullptr;
    std::array<QSlider*, 3> Slider3_{};
    std::array<QLineEdit*, 3> Text4_{};
    QPushButton* Command3_ = nullptr;
    QPushButton* Command4_ = nullptr;
    ClickImage* Image7_ = nullptr;
    ClickImage* Image8_ = nullptr;
};

} // namespace ocuvell
