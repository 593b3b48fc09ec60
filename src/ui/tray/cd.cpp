#include "ui/tray/cd.h"

#include "ui/forms/form1.h"
#include "ui/widgets/click_image.h"
#include "ui/widgets/plain_text.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QIcon>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#include <string_view>

namespace ocuvell {
namespace {

// The title of the program's own warnings.
constexpr const char* kWarningTitle = "tips";

// The leaf at the sizes a notification area and a title bar use. The large picture is
// for high-resolution task switchers only; decoding it is most of the icon's cost, so it
// joins once the main window is up.
QIcon programIcon(bool withLarge) {
    QIcon icon;
    for (const char* size : {"16", "32", "48", "256"}) {
        if (!withLarge && std::string_view(size) == "256")
            continue;
        icon.addFile(QStringLiteral(":/ocuvell/leaf%1.png").arg(QLatin1String(size)));
    }
    return icon;
}
constexpr int kLargeIconDelayMs = 1000;

} // namespace

cd::cd(Hooks hooks) : hooks_(std::move(hooks)) {
    if (!hooks_.openUrl)
        hooks_.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    if (!hooks_.quit)
        hooks_.quit = [] { QCoreApplication::exit(0); };
    if (!hooks_.trayAvailable)
        hooks_.trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    if (!hooks_.warn)
        hooks_.warn = [this](const QString& title, const QString& text) {
            QWidget* over = form1_ && form1_->isVisible() ? form1_.get() : nullptr;
            plainWarningBox(over, title, text)->exec();
        };
    setWindowTitle(QStringLiteral("cd"));
    setWindowIcon(programIcon(false));
    trayPoll_.setInterval(kTrayPollMs);
    connect(&trayPoll_, &QTimer::timeout, this, &cd::checkTray);
}

cd::~cd() = default;

bool cd::load() {
    instance_ = claimSingleInstance(kInstanceName);
    if (!instance_)
        return false;
    // Registered before Form1's load step, which reads the settings.
    problemWatch_.emplace([this](const SettingsProblem& p) { settingsProblem(p); });

    buildMenu();
    icon_ = new QSystemTrayIcon(windowIcon(), this);
    icon_->setContextMenu(menu_); // a right click opens the menu, as users expect
    connect(icon_, &QSystemTrayIcon::activated, this, &cd::trayActivated);
    // Started at login, the program may come up before the panel: the icon is made now
    // and shows as soon as a notification area appears.
    trayHere_ = hooks_.trayAvailable();
    if (trayHere_) {
        icon_->show();
    } else {
        std::fprintf(stderr, "Ocuvell: no notification area yet; until one appears, the minus "
                             "button minimises the main window instead of hiding it.\n");
        trayPoll_.start();
    }

    hide();

    form1_ = hooks_.makeForm1();
    form1_->setWindowIcon(windowIcon());
    form1_->setRemoveTrayIcon([this] { removeIcon(); });
    form1_->setHideMinimises(!trayHere_);
    // Seen before the minus acts on its click: a panel that went away since must not
    // leave the window hidden with no icon to bring it back.
    form1_->Image1()->installEventFilter(this);
    minus_ = form1_->Image1();
    form1_->Show();
    QTimer::singleShot(kLargeIconDelayMs, this, [this] {
        setWindowIcon(programIcon(true));
        if (form1_)
            form1_->setWindowIcon(windowIcon());
    });
    if (!instance_->problem().empty()) {
        std::fprintf(stderr, "Ocuvell: %s\n", printableText(instance_->problem()).c_str());
        warn(instance_->problem());
    }
    return true;
}

void cd::settingsProblem(const SettingsProblem& problem) {
    bool& told = problem.kind == SettingsProblem::Kind::Read ? readProblemTold_ : writeProblemTold_;
    if (told)
        return;
    told = true;
    const std::string text = settingsProblemMessage(problem);
    // A write fails on the way out (the close writes, then ends the program): tell the user
    // now. A read fails during the main window's load step: tell once the window is up.
    if (problem.kind == SettingsProblem::Kind::Write)
        warn(text);
    else
        QTimer::singleShot(0, this, [this, text] { warn(text); });
}

void cd::warn(const std::string& text) {
    hooks_.warn(QString::fromLatin1(kWarningTitle), QString::fromStdString(printableText(text)));
}

void cd::removeIcon() {
    iconRemoved_ = true;
    trayPoll_.stop();
    if (icon_)
        icon_->hide();
}

void cd::checkTray() {
    if (!icon_ || iconRemoved_)
        return;
    const bool here = hooks_.trayAvailable();
    if (here != trayHere_) {
        trayHere_ = here;
        // Shown afresh, the icon docks in the new notification area.
        icon_->hide();
        if (here)
            icon_->show();
        if (form1_)
            form1_->setHideMinimises(!here);
    }
    if (here)
        trayPoll_.stop();
    else if (!trayPoll_.isActive())
        trayPoll_.start();
}

bool cd::eventFilter(QObject* watched, QEvent* event) {
    // Compared, never asked of form1_: the minus image still gets events (it is hidden)
    // while Form1, its own members already gone, deletes its children.
    if (watched == minus_ && event->type() == QEvent::MouseButtonPress)
        checkTray();
    return QWidget::eventFilter(watched, event);
}

void cd::buildMenu() {
    menu_ = new QMenu(QStringLiteral("cd"), this);
    menu_->addAction(QStringLiteral("Display"), this, &cd::xs_Click);
    menu_->addAction(QStringLiteral("About"), this, &cd::abt_Click);
    menu_->addAction(QStringLiteral("Exit"), this, &cd::tc_Click);
}

void cd::showForm1() {
    if (form1_)
        form1_->Show();
}

void cd::trayActivated(QSystemTrayIcon::ActivationReason reason) {
    // Only the left button's release (a single click, or the first click of a
    // double click) brings the window up; the menu has its own gesture.
    if (reason != QSystemTrayIcon::Trigger)
        return;
    showForm1();
    if (form1_)
        form1_->activateWindow();
}

void cd::xs_Click() {
    showForm1();
}

void cd::abt_Click() {
    hooks_.openUrl(QUrl(QString::fromLatin1(kAboutPage)));
}

void cd::tc_Click() {
    removeIcon();
    hooks_.quit();
}

} // namespace ocuvell
