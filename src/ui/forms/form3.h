#pragma once
// Form3: the dark translucent layer over the whole screen that counts a rest down.
// It holds no state; its close goes to the schedule.
#include <QRect>
#include <QWidget>

class QLabel;
class QLineEdit;

namespace ocuvell {

class ClickLabel;
class RestSchedule;

class Form3 : public QWidget {
    Q_OBJECT
  public:
    explicit Form3(RestSchedule& schedule);

    QLineEdit* Text1 = nullptr;  // heading
    QWidget* Picture1 = nullptr; // the band holding Label1
    QLabel* Label1 = nullptr;    // the remaining time
    ClickLabel* imgclose = nullptr;
    QLabel* Picture2 = nullptr; // a copy of the band's top-left corner

    // Lays the screen out over a screen of this geometry (the primary one at load).
    void placeOn(const QRect& screen);
    // The band as it stands, before this second's caption change, into Picture2.
    void snapshot();
    // The remaining time; from the first one on, the label fits its text.
    void setCaption(const QString& caption);

    void imgclose_Click();

  protected:
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    RestSchedule& schedule_;
    bool closing_ = false;
};

} // namespace ocuvell
