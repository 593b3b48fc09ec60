#pragma once
// cd: the hidden tray form. It owns the notification-area icon and its menu, and brings up
// the main window; the menu's other entries are operations of the model.
#include <QSystemTrayIcon>
#include <QWidget>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QUrl;

namespace ocuvell {

class Form1;
class FormMore;
class Model;

class cd : public QWidget {
    Q_OBJECT
  public:
    static constexpr const char* kAboutPage =
        "https://www.tevaro.example/apps/lumiward/index.html?v=1.0";
    struct Hooks {
        std::function<void(const QUrl&)> openUrl; // default: the desktop's URL handler
        std::function<void()> quit;               // default: leave the event loop
        std::function<bool()> trayAvailable;      // default: ask the desktop
        // Hears a notification area arrive (default: the platform's watchForTray).
        std::function<std::unique_ptr<QObject>(std::function<void()>)> watchTray;
    };

    // The model and form1 outlive the tray form.
    cd(Model& model, Form1& form1, Hooks hooks = {});
    ~cd() override;

    // The load step: brings up the main window, and adds the icon once its first frame is
    // on the screen.
    void load();

    Form1* form1() const { return &form1_; }
    QSystemTrayIcon* trayIcon() const { return icon_; }
    QMenu* menu() const { return menu_; }

    // Looks whether a notification area exists now: the icon shows in one that came
    // late, and the minus hides to it; without one the minus minimises and the look-out
    // goes on. Run when the desktop announces one, and before each press on the minus.
    void checkTray();
    // Whether we listen for a notification area's arrival (only while there is none).
    bool watchingForTray() const { return trayWatch_ != nullptr; }

    void trayActivated(QSystemTrayIcon::ActivationReason reason);
    void xs_Click();    // "Display"
    void abt_Click();   // "About"
    void tc_Click();    // "Exit"
    void more_Click();  // "更多设置…": the options window
    void later_Click(); // "稍后休息": the next rest later (enabled while reminders are on)
    FormMore* moreForm() const { return more_; }
    QAction* nightPauseHourAction() const { return nightHour_; }
    QAction* nightPauseNextAction() const { return nightNext_; }

  private:
    void buildMenu();
    void addIcon();
    void showForm1();
    void removeIcon();
    void watchTray(bool on);
    bool eventFilter(QObject* watched, QEvent* event) override;

    Model& model_;
    Form1& form1_;
    Hooks hooks_;
    QSystemTrayIcon* icon_ = nullptr;
    QMenu* menu_ = nullptr;
    QAction* later_ = nullptr;
    QAction* nightHour_ = nullptr; // night colour's pauses, enabled while it is on
    QAction* nightNext_ = nullptr;
    FormMore* more_ = nullptr; // made on first use
    std::unique_ptr<QObject> trayWatch_;
    bool trayHere_ = false;
    bool iconRemoved_ = false; // by Exit or the red cross: it never comes back
};

} // namespace ocuvell
