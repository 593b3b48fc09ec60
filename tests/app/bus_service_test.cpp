// The program's object on a private session bus, called from a second connection as a
// script would call it: the methods reach the model and the window, the properties read
// back, PropertiesChanged follows a slider moved in the window, and the object's interface
// is the one described in data/.
#include "app/bus_service.h"
#include "core/remote/remote_control.h"
#include "forms/form1_fixture.h"
#include "ui/widgets/safe_switch.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSlider>
#include <QTime>
#include <QVariantMap>

namespace ocuvell::test {
namespace {

const QString kName = QStringLiteral("example.tevaro.Ocuvell");
const QString kPath = QStringLiteral("/example/tevaro/Ocuvell");

// Records the announcements that name the brightness; the stage's own, which a command
// before may send late on a loaded machine, are not counted.
class ChangeRecorder : public QObject {
    Q_OBJECT
  public:
    QVariantMap last;
    int count = 0;
  public slots:
    void changed(const QString&, const QVariantMap& values, const QStringList&) {
        if (!values.contains(QStringLiteral("Brightness")))
            return;
        ++count;
        last = values;
    }
};

// What the windows would do for a command from outside.
class RecordingFront : public RemoteFront {
  public:
    void showWindow() override { ++shows; }
    void quit() override { ++quits; }
    int shows = 0, quits = 0;
};

class BusServiceTest : public Form1Test {
  protected:
    static inline QProcess* daemon = nullptr;
    static inline QString address;
    RecordingFront front;
    // The door the command line goes through, once the window is up.
    RemoteControl& control() {
        control_ = std::make_unique<RemoteControl>(*model, front);
        return *control_;
    }
    std::unique_ptr<RemoteControl> control_;

    static void SetUpTestSuite() {
        daemon = new QProcess;
        daemon->start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--print-address=1")});
        if (daemon->waitForStarted(5000) && daemon->waitForReadyRead(5000))
            address = QString::fromUtf8(daemon->readLine()).trimmed();
        // The program's connection is the session bus's.
        qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());
    }
    static void TearDownTestSuite() {
        daemon->kill();
        daemon->waitForFinished();
        delete daemon;
    }
    void SetUp() override {
        Form1Test::SetUp();
        if (address.isEmpty())
            GTEST_SKIP() << "no dbus-daemon for a private session bus";
    }

    QDBusConnection probe() {
        return QDBusConnection::connectToBus(address, QStringLiteral("probe"));
    }
    // A call as another process makes it, the program's loop answering meanwhile.
    QDBusMessage callOn(const QString& interface, const QString& method,
                        const QVariantList& args = {}) {
        QDBusMessage m = QDBusMessage::createMethodCall(kName, kPath, interface, method);
        m.setArguments(args);
        QDBusPendingCall pending = probe().asyncCall(m, 5000);
        QElapsedTimer t;
        t.start();
        while (!pending.isFinished() && t.elapsed() < 6000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return pending.reply();
    }
    QDBusMessage call(const QString& method, const QVariantList& args = {}) {
        return callOn(kName, method, args);
    }
    QVariant property(const QString& name) {
        const QDBusMessage r = callOn(QStringLiteral("org.freedesktop.DBus.Properties"),
                                      QStringLiteral("Get"), {kName, name});
        return r.arguments().value(0).value<QDBusVariant>().variant();
    }
    template <class Done> bool spinUntil(Done done) {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < 3000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }
};

// Methods reach the model and the window; values beyond a slider's range are clamped, and
// what cannot be done is refused with a reason.
TEST_F(BusServiceTest, MethodsAndPropertiesAreTheWindowsOperationsAndValues) {
    Form1& f = start();
    BusService bus(control(), *model, kName.toStdString());
    ASSERT_TRUE(bus.published());

    call(QStringLiteral("SetBrightness"), {70});
    EXPECT_EQ(model->colour().level(Level::Brightness), 50);
    call(QStringLiteral("StepBrightness"), {-5});
    EXPECT_EQ(property(QStringLiteral("Brightness")).toInt(), 45);
    EXPECT_EQ(f.Slider1()->value(), 45);
    call(QStringLiteral("SetRed"), {-10});
    EXPECT_EQ(f.Slider3(0)->value(), -10);

    call(QStringLiteral("EyeOn"));
    EXPECT_TRUE(property(QStringLiteral("EyeMode")).toBool());
    EXPECT_TRUE(f.SafeSwitch1()->Value());
    call(QStringLiteral("EyeToggle"));
    EXPECT_FALSE(f.SafeSwitch1()->Value());

    call(QStringLiteral("RemindersOff"));
    EXPECT_FALSE(f.SafeSwitch2()->Value());
    QDBusMessage refused = call(QStringLiteral("RestLater"), {0u});
    EXPECT_EQ(refused.errorName(), kName + ".Error.RemindersOff");
    // A rest now is refused the same way, as the command line refuses it.
    EXPECT_EQ(call(QStringLiteral("RestNow")).errorName(), kName + ".Error.RemindersOff");
    call(QStringLiteral("RemindersOn"));
    EXPECT_TRUE(f.SafeSwitch2()->Value());
    refused = call(QStringLiteral("RestLater"), {121u});
    EXPECT_EQ(refused.errorName(), kName + ".Error.InvalidArgs");
    const QTime next = QTime::fromString(property(QStringLiteral("NextRest")).toString(), "hh:mm");
    EXPECT_EQ(call(QStringLiteral("RestLater"), {30u}).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(property(QStringLiteral("NextRest")).toString(),
              next.addSecs(30 * 60).toString(QStringLiteral("hh:mm")));
    call(QStringLiteral("RestNow"));
    EXPECT_EQ(property(QStringLiteral("Stage")).toString(), QStringLiteral("resting"));

    call(QStringLiteral("Show"));
    EXPECT_EQ(call(QStringLiteral("Quit")).type(), QDBusMessage::ReplyMessage);
    spinUntil([this] { return front.quits == 1; });
    EXPECT_EQ(front.shows, 1);
    EXPECT_EQ(front.quits, 1);
}

// A slider moved in the window is announced with its new value, once per change.
TEST_F(BusServiceTest, PropertiesChangedFollowsTheWindowsSlider) {
    Form1& f = start();
    BusService bus(control(), *model, kName.toStdString());
    ChangeRecorder recorder;
    ASSERT_TRUE(probe().connect(kName, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                QStringLiteral("PropertiesChanged"), &recorder,
                                SLOT(changed(QString, QVariantMap, QStringList))));
    call(QStringLiteral("RestNow")); // a round trip: the match rule is in place
    recorder.count = 0;

    f.Slider1()->setValue(-20);
    ASSERT_TRUE(spinUntil([&] { return recorder.count > 0; }));
    EXPECT_EQ(recorder.last, (QVariantMap{{QStringLiteral("Brightness"), -20}}));
    f.Slider1()->setValue(-20);
    spinUntil([] { return false; });
    EXPECT_EQ(recorder.count, 1);
}

// The object's introspection gives the methods, their arguments and the properties of the
// interface file that is installed for D-Bus tools.
TEST_F(BusServiceTest, IntrospectionMatchesTheInterfaceFile) {
    start();
    BusService bus(control(), *model, kName.toStdString());
    const QString live =
        callOn(QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect"))
            .arguments()
            .value(0)
            .toString();
    QFile file(QStringLiteral(OCUVELL_SOURCE_DIR "/data/example.tevaro.Ocuvell.xml"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString described = QString::fromUtf8(file.readAll());
    // The interface's members, each with its arguments' or its own type.
    const auto members = [](const QString& xml) {
        const int from = xml.indexOf(QStringLiteral("<interface name=\"example.tevaro.Ocuvell\">"));
        const QString body =
            xml.mid(from, xml.indexOf(QStringLiteral("</interface>"), from) - from);
        QStringList out;
        static const QRegularExpression member(
            QStringLiteral("<(method|property) name=\"(\\w+)\"([^>]*?)/?>((?:\\s*<arg[^>]*>)*)"));
        static const QRegularExpression type(QStringLiteral("type=\"(\\w+)\""));
        for (const auto& m : member.globalMatch(body)) {
            QString entry = m.captured(2) + ':';
            for (const auto& t : type.globalMatch(m.captured(3) + m.captured(4)))
                entry += t.captured(1);
            out << entry + (m.captured(3).contains(QStringLiteral("readwrite")) ? "w" : "");
        }
        out.sort();
        return out;
    };
    EXPECT_EQ(members(live), members(described));
    EXPECT_GE(members(described).size(), 30);
}

// A session without a bus: nothing is published, and no bus is started for the program
// (libdbus would autolaunch one on X11 that outlives it).
TEST_F(BusServiceTest, NoSessionBusTakesNothing) {
    // With an X display, libdbus would reach for autolaunch.
    const QByteArray x = qgetenv("OCUVELL_TEST_XDISPLAY");
    if (x.isEmpty())
        GTEST_SKIP() << "OCUVELL_TEST_XDISPLAY is not set";
    qputenv("DISPLAY", x);
    start();
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("XDG_RUNTIME_DIR", QByteArray(dir.string().c_str()));
    {
        BusService bus(control(), *model, kName.toStdString());
        EXPECT_FALSE(bus.published());
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());
    qputenv("XDG_RUNTIME_DIR", runtime);
}

} // namespace
} // namespace ocuvell::test

#include "bus_service_test.moc"
