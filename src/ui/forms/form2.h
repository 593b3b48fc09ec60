#pragma once
// Form2: the tip popup in the bottom-right corner that offers a rest now or not now.
// It holds no state; its answers go to the schedule.
#include <QWidget>

namespace ocuvell {

class ClickLabel;
class ProgButton;
class RestSchedule;

class Form2 : public QWidget {
    Q_OBJECT
  public:
    explicit Form2(RestSchedule& schedule);

    ClickLabel* Label1 = nullptr; // rest now; caption written each time the tip shows
    ClickLabel* Label2 = nullptr; // not now
    ClickLabel* Label3 = nullptr; // header strip
    ProgButton* tippro = nullptr; // below the visible area, follows the countdown

    void Label1_Click();
    void Label2_Click();

  protected:
    void paintEvent(QPaintEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

  private:
    RestSchedule& schedule_;

    void placeOnScreen();
};

} // namespace ocuvell
