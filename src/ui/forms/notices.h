#pragma once
// The program's warning boxes. A box opened before the program is wired would run its own
// event loop with no rest windows attached and no signal handlers installed: reminders
// would be marked shown with nothing to show them, and a logout would kill the program.
// So what is told before ready() waits, and is shown once everything is in place.
#include "core/settings/settings_problem.h"

#include <QObject>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

class QWidget;

namespace ocuvell {

class Notices : public QObject {
    Q_OBJECT
  public:
    // How a box is shown: wait says whether the caller must wait for it to be closed (the
    // close writes, then ends the program, so its failure must be read first). The
    // default opens a warning box in plain text over the main window when it is visible.
    using Show = std::function<void(const QString& title, const QString& text, bool wait)>;
    explicit Notices(Show show = {});

    // The window boxes open over while it is visible.
    void setWindow(QWidget* window) { window_ = window; }

    // A warning box with title and text, shown now or, before ready(), once ready.
    void tell(const QString& title, const QString& text);
    // A failure of the settings file: each kind is told once per run, not once per key.
    void settingsProblem(const SettingsProblem& problem);
    // The program is wired: what waited is shown, from the event loop.
    void ready();
    // While the session ends nobody answers a box, and one that waits would keep the
    // logout waiting: no box opens, what would be told goes to stderr alone.
    void setSessionEnding(bool ending) { sessionEnding_ = ending; }

  private:
    void show(const QString& title, const QString& text, bool wait);

    Show show_;
    QWidget* window_ = nullptr;
    bool ready_ = false;
    bool sessionEnding_ = false;
    std::vector<std::pair<QString, QString>> waiting_;
    bool readProblemTold_ = false;
    bool writeProblemTold_ = false;
};

} // namespace ocuvell
