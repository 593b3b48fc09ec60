// Sleep and resume from logind's PrepareForSleep on the system bus; a lock and an unlock
// from the Lock and Unlock signals logind sends to this session's own object (another
// user's session locking is none of ours). Both outlive a restart: logind coming back is
// heard through its name's owner, and a system bus that went away is connected again once
// its socket is back: heard through the socket's folder, or tried at once where the socket
// stayed in place, not by asking on a timer.
#include "app/session_events.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

namespace ocuvell {

namespace {

const QString kLogin = QStringLiteral("org.freedesktop.login1");
const QString kLoginPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSession = QStringLiteral("org.freedesktop.login1.Session");

// A socket may show in its folder a moment before it accepts: a few tries, this far apart.
constexpr int kRetryMs = 200;
constexpr int kRetries = 15;

// The system bus's socket file, where its address names one; empty otherwise.
QString systemBusSocket() {
    QByteArray address = qgetenv("DBUS_SYSTEM_BUS_ADDRESS");
    if (address.isEmpty())
        address = "unix:path=/var/run/dbus/system_bus_socket";
    for (const QByteArray& entry : address.split(';')) {
        if (!entry.startsWith("unix:"))
            continue;
        for (const QByteArray& pair : entry.mid(5).split(','))
            if (pair.startsWith("path="))
                return QString::fromLocal8Bit(QByteArray::fromPercentEncoding(pair.mid(5)));
    }
    return QString();
}

} // namespace

// Follows the system bus and logind on it, and connects their news to the session events.
class LogindFollower : public QObject {
    Q_OBJECT
  public:
    explicit LogindFollower(QObject& events) : events_(events) {
        retry_.setSingleShot(true);
        retry_.setInterval(kRetryMs);
        connect(&retry_, &QTimer::timeout, this, [this] {
            if (connectBus())
                socketWatch_.reset();
            else if (--triesLeft_ > 0)
                retry_.start();
        });
    }
    ~LogindFollower() override { dropBus(); }

    // Connects to the system bus and subscribes; without one, waits for it to come.
    bool start() {
        if (connectBus())
            return true;
        watchForBus();
        return false;
    }

  private slots:
    // libdbus's own last word on a connection that closed (the bus ended or restarted).
    void busLost() {
        // Not from inside the dispatch of the connection being dropped.
        QTimer::singleShot(0, this, [this] {
            if (name_.isEmpty())
                return;
            dropBus();
            std::fprintf(stderr, "Ocuvell: the system bus went away; sleep and lock are heard "
                                 "again once it is back.\n");
            watchForBus();
        });
    }

  private:
    QDBusConnection bus() const { return QDBusConnection(name_); }

    bool connectBus() {
        // A connection of our own, under a new name each time: a lost one cannot be reused.
        const QString name = QStringLiteral("ocuvell-system-%1").arg(++generation_);
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SystemBus, name);
        if (!bus.isConnected()) {
            QDBusConnection::disconnectFromBus(name);
            return false;
        }
        name_ = name;
        bus.connect(QString(), QStringLiteral("/org/freedesktop/DBus/Local"),
                    QStringLiteral("org.freedesktop.DBus.Local"), QStringLiteral("Disconnected"),
                    this, SLOT(busLost()));
        loginWatch_ = std::make_unique<QDBusServiceWatcher>(
            kLogin, bus, QDBusServiceWatcher::WatchForOwnerChange);
        connect(loginWatch_.get(), &QDBusServiceWatcher::serviceOwnerChanged, this,
                [this](const QString&, const QString&, const QString& owner) {
                    if (!owner.isEmpty())
                        subscribe(); // logind (re)started
                });
        subscribe();
        return true;
    }

    void dropBus() {
        retry_.stop();
        loginWatch_.reset();
        if (name_.isEmpty())
            return;
        unsubscribe();
        QDBusConnection::disconnectFromBus(name_);
        name_.clear();
    }

    void subscribe() {
        unsubscribe();
        bus().connect(kLogin, kLoginPath, kManager, QStringLiteral("PrepareForSleep"), &events_,
                      SLOT(prepareForSleep(bool)));
        askForSession(qEnvironmentVariableIsEmpty("XDG_SESSION_ID") ? 1 : 0);
    }

    void unsubscribe() {
        bus().disconnect(kLogin, kLoginPath, kManager, QStringLiteral("PrepareForSleep"), &events_,
                         SLOT(prepareForSleep(bool)));
        followSession(QString());
    }

    // This session's object, asked for in turn: by the session id the login gave us; as
    // logind's "auto", our own session or else the user's graphical one (a program the
    // user's service manager started belongs to no session); by our process, for a logind
    // that knows no "auto".
    void askForSession(int step) {
        const bool byPid = step >= 2;
        QDBusMessage call = QDBusMessage::createMethodCall(kLogin, kLoginPath, kManager,
                                                           byPid ? QStringLiteral("GetSessionByPID")
                                                                 : QStringLiteral("GetSession"));
        if (step == 0)
            call << QString::fromLocal8Bit(qgetenv("XDG_SESSION_ID"));
        else if (step == 1)
            call << QStringLiteral("auto");
        else
            call << static_cast<uint>(::getpid());
        auto* answer = new QDBusPendingCallWatcher(bus().asyncCall(call), this);
        connect(answer, &QDBusPendingCallWatcher::finished, this,
                [this, answer, step, asked = generation_] {
                    answer->deleteLater();
                    if (asked != generation_ || name_.isEmpty())
                        return; // an answer from a connection since dropped
                    const QDBusPendingReply<QDBusObjectPath> reply = *answer;
                    if (!reply.isError())
                        followSession(reply.value().path());
                    else if (step < 2)
                        askForSession(step + 1);
                });
    }

    void followSession(const QString& path) {
        if (path == sessionPath_)
            return;
        for (const char* name : {"Lock", "Unlock"}) {
            const char* slot = name[0] == 'L' ? SLOT(locked()) : SLOT(unlocked());
            if (!sessionPath_.isEmpty())
                bus().disconnect(kLogin, sessionPath_, kSession, QString::fromLatin1(name),
                                 &events_, slot);
            if (!path.isEmpty())
                bus().connect(kLogin, path, kSession, QString::fromLatin1(name), &events_, slot);
        }
        sessionPath_ = path;
    }

    // The bus's folder tells when its socket comes back; a bus not on a socket file is not
    // looked for again. A socket still there is tried at once: the service manager holds
    // it while the bus restarts (its folder never changes then), or the bus came back
    // before this watch began.
    void watchForBus() {
        const QString socket = systemBusSocket();
        const QString folder = QFileInfo(socket).absolutePath();
        if (socket.isEmpty() || !QFileInfo(folder).isDir())
            return;
        socketWatch_ = std::make_unique<QFileSystemWatcher>(QStringList{folder});
        const auto tryIfThere = [this, socket] {
            if (QFileInfo::exists(socket) && !retry_.isActive()) {
                triesLeft_ = kRetries;
                retry_.start();
            }
        };
        connect(socketWatch_.get(), &QFileSystemWatcher::directoryChanged, this, tryIfThere);
        tryIfThere();
    }

    QObject& events_;
    QString name_; // our connection, while there is one
    int generation_ = 0;
    QString sessionPath_;
    std::unique_ptr<QDBusServiceWatcher> loginWatch_;
    std::unique_ptr<QFileSystemWatcher> socketWatch_;
    QTimer retry_;
    int triesLeft_ = 0;
};

struct SessionEvents::Native {
    std::unique_ptr<LogindFollower> follower;
};

SessionEvents::SessionEvents(std::function<void(Away)> away, std::function<void()> back)
    : away_(std::move(away)), back_(std::move(back)), native_(std::make_unique<Native>()) {
    native_->follower = std::make_unique<LogindFollower>(*this);
    listening_ = native_->follower->start();
}

SessionEvents::~SessionEvents() = default;

} // namespace ocuvell

#include "session_events_linux.moc"
