// The session bus object, through Qt's D-Bus module: the object's slots are its methods and
// its properties the values; data/<application id>.xml describes the same interface for
// those who call it.
#include "app/bus_service.h"

#include "core/model/model.h"
#include "core/settings/settings_table.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QFileInfo>
#include <QObject>
#include <QTimer>
#include <QVariantMap>

namespace ocuvell {

namespace {

QString stageName(RestSchedule::Stage stage) {
    switch (stage) {
    case RestSchedule::Stage::Off:
        return QStringLiteral("off");
    case RestSchedule::Stage::Waiting:
        return QStringLiteral("waiting");
    case RestSchedule::Stage::TipShown:
    case RestSchedule::Stage::TipOverUnseenRest:
        return QStringLiteral("tip");
    case RestSchedule::Stage::Resting:
    case RestSchedule::Stage::CountingUnseen:
        break;
    }
    return QStringLiteral("resting");
}

// The object on the bus. Every method is one operation of the model, as a window's
// handler or a tray entry calls it; levels out of range are clamped as the sliders clamp.
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
    BusObject(Model& model, QString path, QString interface, BusHooks hooks)
        : model_(model), path_(std::move(path)), interface_(std::move(interface)),
          hooks_(std::move(hooks)) {
        sent_ = values();
    }

    int brightness() const { return model_.colour().level(Level::Brightness); }
    int contrast() const { return model_.colour().level(Level::Contrast); }
    int red() const { return model_.colour().level(Level::Red); }
    int green() const { return model_.colour().level(Level::Green); }
    int blue() const { return model_.colour().level(Level::Blue); }
    bool eyeMode() const { return model_.colour().eyeModeIsOn(); }
    bool reminders() const { return model_.schedule().remindersOn(); }
    int interval() const { return model_.schedule().intervalMinutes(); }
    int restLength() const { return model_.schedule().restLengthMinutes(); }
    QString nextRest() const { return QString::fromStdString(model_.schedule().nextRestTime()); }
    QString stage() const { return stageName(model_.schedule().stage()); }
    QString displayTrouble() const {
        const DisplayTrouble t = model_.colour().engine().display().trouble();
        return t == DisplayTrouble::NoTrouble ? QString() : QString::fromUtf8(troubleWords(t));
    }
    void setEyeMode(bool on) { model_.setEyeMode(on); }
    void setReminders(bool on) { model_.schedule().switchReminders(on); }

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
    void SetBrightness(int value) { model_.colour().setLevel(Level::Brightness, value); }
    void SetContrast(int value) { model_.colour().setLevel(Level::Contrast, value); }
    void SetRed(int value) { model_.colour().setLevel(Level::Red, value); }
    void SetGreen(int value) { model_.colour().setLevel(Level::Green, value); }
    void SetBlue(int value) { model_.colour().setLevel(Level::Blue, value); }
    void StepBrightness(int delta) { model_.stepLevel(Level::Brightness, delta); }
    void StepContrast(int delta) { model_.stepLevel(Level::Contrast, delta); }
    void StepRed(int delta) { model_.stepLevel(Level::Red, delta); }
    void StepGreen(int delta) { model_.stepLevel(Level::Green, delta); }
    void StepBlue(int delta) { model_.stepLevel(Level::Blue, delta); }
    void EyeOn() { model_.setEyeMode(true); }
    void EyeOff() { model_.setEyeMode(false); }
    void EyeToggle() { model_.setEyeMode(!model_.colour().eyeModeIsOn()); }
    void Restore() { model_.colour().restore(); }
    void RestNow() { model_.restNow(); }
    // 0: by the options window's minutes.
    void RestLater(uint minutes) {
        if (!model_.schedule().remindersOn())
            return refuse(QStringLiteral("RemindersOff"), QStringLiteral("reminders are off"));
        if (minutes > static_cast<uint>(row(Setting::PostponeMinutes).max))
            return refuse(QStringLiteral("InvalidArgs"),
                          QStringLiteral("minutes must be 1 to %1, or 0 for the set postpone")
                              .arg(row(Setting::PostponeMinutes).max));
        model_.restLater(minutes == 0 ? std::nullopt : std::optional<int>(int(minutes)));
    }
    void RemindersOn() { model_.schedule().switchReminders(true); }
    void RemindersOff() { model_.schedule().switchReminders(false); }
    void Show() { hooks_.show(); }
    // The reply goes out before the program ends.
    void Quit() {
        QTimer::singleShot(0, this, [this] { hooks_.quit(); });
    }

  private:
    void refuse(const QString& name, const QString& why) {
        sendErrorReply(interface_ + QStringLiteral(".Error.") + name, why);
    }

    QVariantMap values() const {
        return {{QStringLiteral("Brightness"), brightness()},
                {QStringLiteral("Contrast"), contrast()},
                {QStringLiteral("Red"), red()},
                {QStringLiteral("Green"), green()},
                {QStringLiteral("Blue"), blue()},
                {QStringLiteral("EyeMode"), eyeMode()},
                {QStringLiteral("Reminders"), reminders()},
                {QStringLiteral("Interval"), interval()},
                {QStringLiteral("RestLength"), restLength()},
                {QStringLiteral("NextRest"), nextRest()},
                {QStringLiteral("Stage"), stage()},
                {QStringLiteral("DisplayTrouble"), displayTrouble()}};
    }

    Model& model_;
    QString path_, interface_;
    BusHooks hooks_;
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
    Native(Model& m, QString path, QString interface, BusHooks hooks)
        : model(m), object(m, std::move(path), std::move(interface), std::move(hooks)) {}
    Model& model;
    BusObject object;
    QString name;
};

BusService::BusService(Model& model, const std::string& appId, BusHooks hooks) {
    if (!sessionHasBus())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    const QString name = QString::fromStdString(appId);
    const QString path =
        QLatin1Char('/') + QString(name).replace(QLatin1Char('.'), QLatin1Char('/'));
    native_ = std::make_unique<Native>(model, path, name, std::move(hooks));
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
