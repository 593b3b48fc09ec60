#pragma once
// cd: the hidden start-up form. It makes sure only one copy runs, owns the
// notification-area icon and its menu, and brings up the main window.
#include "core/instance/single_instance.h"
#include "core/settings/settings_problem.h"

#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QMenu;
class QUrl;

namespace ocuvell {

class Form1;

class cd : public QWidget {
    Q_OBJECT
  public:
    static constexpr const char* kAboutPage =
        "https://www.tevaro.example/apps/lumiward/index.html?v=1.0";
    static constexpr const char* kInstanceName = "ocuvell";
    // How often to look for a notification area while there is none.
    static constexpr int kTrayPollMs = 3000;

    struct Hooks {
        std::function<std::unique_ptr<Form1>()> makeForm1; // required
        std::function<void(const QUrl&)> openUrl;          // default: the desktop's URL handler
        std::function<void()> quit;                        // default: leave the event loop
        std::function<bool()> trayAvailable;               // default: ask the desktop
        // The program's warning box (default: a warning message box over the main window).
        std::function<void(const QString& title, const QString& text)> warn;
    };

    explicit cd(Hooks hooks);
    ~cd() override;

    // The load step. false when another instance already runs: then nothing was
    // shown and no icon was added, and the caller ends quietly.
    bool load();

    Form1* form1() const { return form1_.get(); }
    QSystemTrayIcon* trayIcon() const { return icon_; }
    QMenu* menu() const { return menu_; }

    // Looks whether a notification area exists now: the icon shows in one that came
    // late, and the minus hides to it; without one the minus minimises and the look-out
    // goes on. Run by a timer while there is none, and before each press on the minus.
    void checkTray();
    bool trayPolling() const { return trayPoll_.isActive(); }

    void trayActivated(QSystemTrayIcon::ActivationReason reason);
    void xs_Click();  // "Display"
    void abt_Click(); // "About"
    void tc_Click();  // "Exit"

  private:
    void buildMenu();
    void showForm1();
    void settingsProblem(const SettingsProblem& problem);
    void warn(const std::string& text);
    void removeIcon();
    bool eventFilter(QObject* watched, QEvent* event) override;

    Hooks hooks_;
    std::unique_ptr<SingleInstance> instance_;
    std::unique_ptr<Form1> form1_;
    const QObject* minus_ = nullptr; // Form1's minus image, watched for presses
    QSystemTrayIcon* icon_ = nullptr;
    QMenu* menu_ = nullptr;
    // Each kind of settings failure is told once per run, not once per key.
    bool readProblemTold_ = false;
    bool writeProblemTold_ = false;
    QTimer trayPoll_;
    bool trayHere_ = false;
    bool iconRemoved_ = false; // by Exit or the red cross: it never comes back
    // Declared last: members go in reverse order, so the observer is removed before
    // Form1 goes, and the tray icon and menu, Qt children, go last with the widget.
    std::optional<SettingsProblemWatch> problemWatch_;
};

} // namespace ocuvell
