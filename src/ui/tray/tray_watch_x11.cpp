// A notification area's arrival on a Linux desktop. On X11 the new owner of the tray
// selection (_NET_SYSTEM_TRAY_S<screen>) announces itself with a MANAGER client message
// to the root window, heard over an Xlib connection of our own while we wait; a
// StatusNotifier host (KDE, panels on Wayland) registers org.kde.StatusNotifierWatcher on
// the session bus, heard as that name appears.
#include "ui/tray/tray_watch.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <X11/Xlib.h>
#include <string>

namespace ocuvell {

namespace {

class TrayWatchX11 : public QObject {
  public:
    explicit TrayWatchX11(std::function<void()> arrived) : arrived_(std::move(arrived)) {
        // Qt docks an X11 icon only when its windows are on X11.
        if (QGuiApplication::platformName() == QLatin1String("xcb"))
            listenToX();
        QDBusConnection session = QDBusConnection::sessionBus();
        if (session.isConnected()) {
            auto* host =
                new QDBusServiceWatcher(QStringLiteral("org.kde.StatusNotifierWatcher"), session,
                                        QDBusServiceWatcher::WatchForRegistration, this);
            connect(host, &QDBusServiceWatcher::serviceRegistered, this, [this] { arrived_(); });
            // Registered between the caller's look and our watching.
            if (session.interface()->isServiceRegistered(host->watchedServices().front()))
                QMetaObject::invokeMethod(
                    this, [this] { arrived_(); }, Qt::QueuedConnection);
        }
    }

    ~TrayWatchX11() override {
        notifier_.reset();
        if (dpy_)
            XCloseDisplay(dpy_);
    }

  private:
    void listenToX() {
        dpy_ = XOpenDisplay(nullptr);
        if (!dpy_)
            return;
        const int screen = DefaultScreen(dpy_);
        manager_ = XInternAtom(dpy_, "MANAGER", False);
        selection_ =
            XInternAtom(dpy_, ("_NET_SYSTEM_TRAY_S" + std::to_string(screen)).c_str(), False);
        // A selection's new owner sends MANAGER to the root with this mask.
        XSelectInput(dpy_, RootWindow(dpy_, screen), StructureNotifyMask);
        XFlush(dpy_);
        notifier_ =
            std::make_unique<QSocketNotifier>(ConnectionNumber(dpy_), QSocketNotifier::Read);
        connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { readX(); });
        // A panel that came between the caller's look and our listening (both start at
        // login) has announced itself already: it is told as arrived.
        if (XGetSelectionOwner(dpy_, selection_) != None)
            QMetaObject::invokeMethod(
                this, [this] { arrived_(); }, Qt::QueuedConnection);
    }

    void readX() {
        bool came = false;
        while (XPending(dpy_)) {
            XEvent e;
            XNextEvent(dpy_, &e);
            came = came || (e.type == ClientMessage && e.xclient.message_type == manager_ &&
                            static_cast<Atom>(e.xclient.data.l[1]) == selection_);
        }
        if (came)
            arrived_();
    }

    std::function<void()> arrived_;
    ::Display* dpy_ = nullptr;
    Atom manager_ = None, selection_ = None;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace

std::unique_ptr<QObject> watchForTray(std::function<void()> arrived) {
    return std::make_unique<TrayWatchX11>(std::move(arrived));
}

} // namespace ocuvell
