#include "ui/tray/cd.h"

#include "core/model/model.h"
#include "ui/assets/artwork.h"
#include "ui/forms/form1.h"
#include "ui/forms/form_more.h"
#include "ui/tray/tray_watch.h"
#include "ui/widgets/after_first_frame.h"
#include "ui/widgets/click_image.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QIcon>
#include <QMenu>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#include <string_view>

namespace ocuvell {
namespace {

// The leaf at the sizes a notification area and a title bar use, at every display scale
// Windows offers (20, 24 and 40 pixels at 125, 150 and 250 %), so none is drawn from a
// resampled neighbour. The large picture is for high-resolution task switchers only;
// decoding it is most of the icon's cost, so it joins once the main window is up.
QIcon programIcon(bool withLarge) {
    initArtwork();
    QIcon icon;
    for (const char* size : {"16", "20", "24", "32", "40", "48", "64", "256"}) {
        if (!withLarge && std::string_view(size) == "256")
            continue;
        icon.addPixmap(artPixmap(QStringLiteral(":/ocuvell/leaf%1.png").arg(QLatin1String(size))));
    }
    return icon;
}
constexpr int kLargeIconDelayMs = 1000;

} // namespace

cd::cd(Model& model, Form1& form1, Hooks hooks)
    : model_(model), form1_(form1), hooks_(std::move(hooks)) {
    if (!hooks_.openUrl)
        hooks_.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    if (!hooks_.quit)
        hooks_.quit = [] { QCoreApplication::exit(0); };
    if (!hooks_.trayAvailable)
        hooks_.trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    if (!hooks_.watchTray)
        hooks_.watchTray = watchForTray;
    setWindowTitle(QStringLiteral("cd"));
    setWindowIcon(programIcon(false));
}

// Form1 outlives the tray form: the filter on its minus goes with this object.
cd::~cd() {
    form1_.Image1()->removeEventFilter(this);
    form1_.setRemoveTrayIcon([] {});
}

void cd::load() {
    buildMenu();
    hide();

    form1_.setWindowIcon(windowIcon());
    form1_.setRemoveTrayIcon([this] { removeIcon(); });
    // Until the icon is in a notification area, the minus must not hide the window.
    form1_.setHideMinimises(true);
    // Seen before the minus acts on its click: a panel that went away since must not
    // leave the window hidden with no icon to bring it back.
    form1_.Image1()->installEventFilter(this);
    form1_.Show();
    // Asking whether there is a notification area, and docking in it, take a few exchanges
    // with the desktop: the main window's first frame goes first.
    new AfterFirstFrame(&form1_, this, [this] { addIcon(); });
    QTimer::singleShot(kLargeIconDelayMs, this, [this] {
        setWindowIcon(programIcon(true));
        form1_.setWindowIcon(windowIcon());
    });
}

void cd::addIcon() {
    // Started at login, the program may come up before the panel: the icon is made now
    // and shows as soon as a notification area appears.
    trayHere_ = hooks_.trayAvailable();
    form1_.setHideMinimises(!trayHere_);
    icon_ = new QSystemTrayIcon(windowIcon(), this);
    icon_->setContextMenu(menu_); // a right click opens the menu, as users expect
    connect(icon_, &QSystemTrayIcon::activated, this, &cd::trayActivated);
    if (iconRemoved_) // the program is on its way out
        return;
    if (trayHere_) {
        icon_->show();
    } else {
        std::fprintf(stderr, "Ocuvell: no notification area yet; until one appears, the minus "
                             "button minimises the main window instead of hiding it.\n");
        watchTray(true);
    }
}

void cd::removeIcon() {
    iconRemoved_ = true;
    watchTray(false);
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
        form1_.setHideMinimises(!here);
    }
    watchTray(!here);
}

// Listening costs nothing while nothing comes: no timer runs while there is no
// notification area.
void cd::watchTray(bool on) {
    if (on && !trayWatch_)
        trayWatch_ = hooks_.watchTray([this] { checkTray(); });
    else if (!on && trayWatch_)
        trayWatch_.release()->deleteLater(); // its news may be what brought us here
}

bool cd::eventFilter(QObject* watched, QEvent* event) {
    if (watched == form1_.Image1() && event->type() == QEvent::MouseButtonPress)
        checkTray();
    return QWidget::eventFilter(watched, event);
}

void cd::buildMenu() {
    menu_ = new QMenu(QStringLiteral("cd"), this);
    menu_->addAction(QStringLiteral("Display"), this, &cd::xs_Click);
    menu_->addAction(QStringLiteral("About"), this, &cd::abt_Click);
    menu_->addAction(QStringLiteral("Exit"), this, &cd::tc_Click);
    menu_->addSeparator();
    menu_->addAction(QStringLiteral("更多设置…"), this, &cd::more_Click);
    later_ = menu_->addAction(QStringLiteral("稍后休息"), this, &cd::later_Click);
    nightHour_ = menu_->addAction(QStringLiteral("夜间色温：暂停一小时"), this,
                                  [this] { model_.pauseNightHour(); });
    nightNext_ = menu_->addAction(QStringLiteral("夜间色温：暂停到下次变化"), this,
                                  [this] { model_.pauseNightUntilNextChange(); });
    // Reminders are switched in the main window, night colour in the options window: the
    // entries follow them as the menu opens.
    const auto follow = [this] {
        later_->setEnabled(model_.schedule().remindersOn());
        const bool night = model_.night().choice().on;
        nightHour_->setEnabled(night);
        nightNext_->setEnabled(night);
    };
    connect(menu_, &QMenu::aboutToShow, this, follow);
    follow();
}

void cd::showForm1() {
    form1_.Show();
}

void cd::trayActivated(QSystemTrayIcon::ActivationReason reason) {
    // Only the left button's release (a single click, or the first click of a
    // double click) brings the window up; the menu has its own gesture.
    if (reason != QSystemTrayIcon::Trigger)
        return;
    showForm1();
    form1_.activateWindow();
}

void cd::xs_Click() {
    showForm1();
}

void cd::abt_Click() {
    hooks_.openUrl(QUrl(QString::fromLatin1(kAboutPage)));
}

void cd::more_Click() {
    if (!more_)
        more_ = new FormMore(model_, this);
    more_->Show();
}

void cd::later_Click() {
    model_.restLater();
}

void cd::tc_Click() {
    removeIcon();
    hooks_.quit();
}

} // namespace ocuvell
