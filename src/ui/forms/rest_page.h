#pragma once
// The rest page of the settings overlay: "every [Text2] minutes rest [Text3] minutes" with
// OK and Back. It is a picture of the rest schedule's entries: built, it shows what the
// schedule holds; then it follows what it is told, and pushes what is typed into the
// schedule as it is typed.
#include "core/rest/rest_schedule.h"

#include <QWidget>
#include <string>

class QLabel;
class QLineEdit;

namespace ocuvell {

class ClickImage;

class RestPage : public QWidget {
    Q_OBJECT
  public:
    // started: the main window's load step has run, so the schedule's entries hold the
    // stored values rather than nothing yet.
    RestPage(RestSchedule& schedule, bool started, QWidget* parent);

    // What the schedule reports for the boxes (the main window passes it on as its
    // SchedulePanelView).
    void showIntervalEntry(const std::string& text);
    void showRestLengthEntry(const std::string& text);

    QLineEdit* Text2() const { return Text2_; }
    QLineEdit* Text3() const { return Text3_; }
    ClickImage* setok() const { return setok_; }
    ClickImage* setno() const { return setno_; }

  private:
    void build();

    RestSchedule& schedule_;
    ClickImage* setno_ = nullptr;
    ClickImage* setok_ = nullptr;
    QLabel* sentence_ = nullptr;
    QLineEdit* Text2_ = nullptr;
    QLineEdit* Text3_ = nullptr;
};

} // namespace ocuvell
