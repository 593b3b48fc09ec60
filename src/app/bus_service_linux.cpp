// The session bus object, through Qt's D-Bus module: the object's slots are its methods and
// its properties the values; data/<application id>.xml describes the same interface for
// those who call it.
#include "app/bus_service.h"

#include "core/model/model.h"
#include "core/remote/remote_control.h"
#include "core/settings/settings_table.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QFileInfo>
#include <QObject>
#include <QTimer>
#include <QVariantMap>
#include <algorithm>

namespace ocuvell {

namespace {

// The stage as the bus has always named it.
QString stageName(const std::string& remoteStage) {
    return remoteStage == "tip up" ? QStringLiteral("tip") : QString::fromStdString(remoteStage);
}

// The object on the bus. Every method is one operation of the remote control, as the
// command line asks it; levels out of range are clamped as the sliders clamp, and a rest
// asked while reminders are off is refused with a reason.
class BusObject : public QObject, protected QDBusContext {
    Q_OBJECT
    // Properties.Get looks the interface up by this name: the program's desktop id.
    Q_CLASSINFO("D-Bus Interface", "example.tevaro.Ocuvell")
    Q_PROPERTY(int Brightness READ brightness WRITE SetBrightness)
    Q_PROPERTY(int Contrast READ contrast WRITE SetContrast)
    Q_PROPERTY(int Red READ red WRITE SetRed)
    Q_PROPERTY(int Green READ green WRITE SetGreen)
    Q_PROPERTY(int Blue READ blue WRITE SetBlue)
    Q_PROPERTY(bool EyeMode READ eyeMode WRITE setEyeMode)
    Q_PROPERTY(bool Reminders READ reminders WRITE setReminders)
    Q_PROPERTY(int Interval READ interval)
    Q_PROPERTY(int RestLength READ restLength)
    Q_PROPERTY(QString NextRest READ nextRest)
    Q_PROPERTY(QString Stage READ stage)
    Q_PROPERTY(QString DisplayTrouble READ displayTrouble)

  public:
    BusObject(RemoteControl& control, QString path, QString interface)
        : control_(control), path_(std::move(path)), interface_(std::move(interface)) {
        sent_ = values();
    }

    int brightness() const { return level(Level::Brightness); }
    int contrast() const { return level(Level::Contrast); }
    int red() const { return level(Level::Red); }
    int green() const { return level(Level::Green); }
    int blue() const { return level(Level::Blue); }
    bool eyeMode() const { return control_.status().eyeMode; }
    bool reminders() const { return control_.status().reminders; }
    int interval() const { return control_.status().intervalMinutes; }
    int restLength() const { return control_.status().restLengthMinutes; }
    QString nextRest() const { return QString::fromStdString(control_.status().nextRest); }
    QString stage() const { return stageName(control_.status().stage); }
    QString displayTrouble() const {
        return QString::fromStdString(control_.status().displayTrouble);
    }
    void setEyeMode(bool on) { control_.setEyeMode(on ? RemoteSwitch::On : RemoteSwitch::Off); }
    void setReminders(bool on) { control_.setReminders(on); }

    // Sends PropertiesChanged with the values that differ from the last ones sent.
    void tellChanges() {
        const QVariantMap now = values();
        QVariantMap changed;
        for (auto it = now.cbegin(); it != now.cend(); ++it)
            if (sent_.value(it.key()) != it.value())
                changed.insert(it.key(), it.value());
        if (changed.isEmpty())
            return;
        sent_ = now;
        QDBusMessage signal =
            QDBusMessage::createSignal(path_, QStringLiteral("org.freedesktop.DBus.Properties"),
                                       QStringLiteral("PropertiesChanged"));
        signal << interface_ << changed << QStringList();
        QDBusConnection::sessionBus().send(signal);
    }

  public slots:
    void SetBrightness(int value) { setLevel(Level::Brightness, value); }
    void SetContrast(int value) { setLevel(Level::Contrast, value); }
    void SetRed(int value) { setLevel(Level::Red, value); }
    void SetGreen(int value) { setLevel(Level::Green, value); }
    void SetBlue(int value) { setLevel(Level::Blue, value); }
    void StepBrightness(int delta) { stepLevel(Level::Brightness, delta); }
    void StepContrast(int delta) { stepLevel(Level::Contrast, delta); }
    void StepRed(int delta) { stepLevel(Level::Red, delta); }
    void StepGreen(int delta) { stepLevel(Level::Green, delta); }
    void StepBlue(int delta) { stepLevel(Level::Blue, delta); }
    void EyeOn() { control_.setEyeMode(RemoteSwitch::On); }
    void EyeOff() { control_.setEyeMode(RemoteSwitch::Off); }
    void EyeToggle() { control_.setEyeMode(RemoteSwitch::Toggle); }
    void Restore() { control_.restore(); }
    void RestNow() { refuseIfRefused(control_.restNow()); }
    // 0: by the options window's minutes.
    void RestLater(uint minutes) {
        if (minutes > static_cast<uint>(row(Setting::PostponeMinutes).max))
            return refuse(QStringLiteral("InvalidArgs"),
                          QStringLiteral("minutes must be 1 to %1, or 0 for the set postpone")
                              .arg(row(Setting::PostponeMinutes).max));
        refuseIfRefused(
            control_.restLater(minutes == 0 ? std::nullopt : std::optional<int>(int(minutes))));
    }
    void RemindersOn() { control_.setReminders(true); }
    void RemindersOff() { control_.setReminders(false); }
    void Show() { control_.show(); }
    // The reply goes out before the program ends.
    void Quit() {
        QTimer::singleShot(0, this, [this] { control_.quit(); });
    }

  private:
    int level(Level which) const {
        return control_.status().levels[static_cast<std::size_t>(which)];
    }
    // The remote control refuses a value beyond the slider's range; the bus has always
    // clamped it, as the slider does.
    void setLevel(Level which, int value) {
        const SettingRow& range = row(ColourModel::settingOf(which));
        control_.setLevel(which, std::clamp(value, range.min, range.max));
    }
    void stepLevel(Level which, int delta) {
        const SettingRow& range = row(ColourModel::settingOf(which));
        const int span = range.max - range.min;
        control_.stepLevel(which, std::clamp(delta, -span, span));
    }
    // Only a rest is refused on the bus (reminders are off); a colour the display did not
    // take is kept as a value, and DisplayTrouble says why.
    void refuseIfRefused(const RemoteReply& reply) {
        if (reply.status == RemoteReply::kRefused)
            refuseRemindersOff();
    }
    void refuseRemindersOff() {
        refuse(QStringLiteral("RemindersOff"), QStringLiteral("reminders are off"));
    }
    void refuse(const QString& name, const QString& why) {
        sendErrorReply(interface_ + QStringLiteral(".Error.") + name, why);
    }

    QVariantMap values() const {
        const RemoteStatus s = control_.status();
        return {{QStringLiteral("Brightness"), s.levels[0]},
                {QStringLiteral("Contrast"), s.levels[1]},
                {QStringLiteral("Red"), s.levels[2]},
                {QStringLiteral("Green"), s.levels[3]},
                {QStringLiteral("Blue"), s.levels[4]},
                {QStringLiteral("EyeMode"), s.eyeMode},
                {QStringLiteral("Reminders"), s.reminders},
                {QStringLiteral("Interval"), s.intervalMinutes},
                {QStringLiteral("RestLength"), s.restLengthMinutes},
                {QStringLiteral("NextRest"), QString::fromStdString(s.nextRest)},
                {QStringLiteral("Stage"), stageName(s.stage)},
                {QStringLiteral("DisplayTrouble"), QString::fromStdString(s.displayTrouble)}};
    }

    RemoteControl& control_;
    QString path_, interface_;
    QVariantMap sent_;
};

// Where the session has no bus, libdbus would start one of its own (X11's autolaunch) that
// outlives the program: only a bus the session names, or the user's bus, is used.
bool sessionHasBus() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo(runtime + QStringLiteral("/bus")).exists();
}

} // namespace

struct BusService::Native {
    Native(RemoteControl& control, Model& m, QString path, QString interface)
        : model(m), object(control, std::move(path), std::move(interface)) {}
    Model& model;
    BusObject object;
    QString name;
};

BusService::BusService(RemoteControl& control, Model& model, const std::string& appId) {
    if (!sessionHasBus())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    const QString name = QString::fromStdString(appId);
    const QString path =
        QLatin1Char('/') + QString(name).replace(QLatin1Char('.'), QLatin1Char('/'));
    native_ = std::make_unique<Native>(control, model, path, name);
    native_->name = name;
    if (!bus.registerObject(path, name, &native_->object,
                            QDBusConnection::ExportAllSlots |
                                QDBusConnection::ExportAllProperties)) {
        native_.reset();
        return;
    }
    if (!bus.registerService(name)) {
        bus.unregisterObject(path);
        native_.reset();
        return;
    }
    published_ = true;
    BusObject* object = &native_->object;
    model.colour().watch([object] { object->tellChanges(); });
    model.schedule().watch([object] { object->tellChanges(); });
}

BusService::~BusService() {
    if (!native_)
        return;
    if (published_)
        QDBusConnection::sessionBus().unregisterService(native_->name);
    native_->model.colour().watch({});
    native_->model.schedule().watch({});
}

} // namespace ocuvell

#include "bus_service_linux.moc"
