#include "testing/bluez_mock/bluez_mock.h"

#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>
#include <QUuid>

namespace vk_testing {

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");
const QString kService = QStringLiteral("org.bluez");
const QString kMockInterface = QStringLiteral("org.bluez.Mock");
constexpr int kStartTimeoutMs = 15000;

// A system-bus-like configuration that lets the mock own "org.bluez" and anyone call it.
const char kBusConfig[] = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_requested_reply="true" send_type="method_return"/>
    <allow send_requested_reply="true" send_type="error"/>
    <allow receive_type="method_call"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
    <allow receive_type="signal"/>
  </policy>
</busconfig>
)";

QString readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

BluezMock::BluezMock() = default;

BluezMock::~BluezMock()
{
    stop();
}

QString BluezMock::missingTools()
{
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
        return QStringLiteral("BlueZ mock not available: dbus-daemon is missing (Debian package dbus)");
    if (!QFileInfo(kPython).isExecutable())
        return QStringLiteral("BlueZ mock not available: %1 is missing").arg(kPython);
    QProcess probe;
    probe.start(kPython, { QStringLiteral("-c"), QStringLiteral("import dbus, dbusmock, gi.repository.GLib") });
    if (!probe.waitForFinished(30000) || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0)
        return QStringLiteral("BlueZ mock not available: %1 cannot import dbusmock (Debian package python3-dbusmock)")
            .arg(kPython);
    return {};
}

bool BluezMock::start(QString *error)
{
    stop();
    m_dir = std::make_unique<QTemporaryDir>();
    if (!m_dir->isValid())
        return fail(error, QStringLiteral("no temporary folder"));

    QFile config(m_dir->filePath(QStringLiteral("bus.conf")));
    if (!config.open(QIODevice::WriteOnly)
        || config.write(QString::fromLatin1(kBusConfig).arg(m_dir->filePath(QStringLiteral("bus"))).toUtf8()) < 0)
        return fail(error, QStringLiteral("cannot write the bus configuration"));
    config.close();

    m_daemon.setStandardErrorFile(m_dir->filePath(QStringLiteral("dbus-daemon.log")));
    m_daemon.start(QStringLiteral("dbus-daemon"),
        { QStringLiteral("--config-file=") + config.fileName(), QStringLiteral("--nofork"),
            QStringLiteral("--print-address=1") });
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (!m_daemon.canReadLine() && m_daemon.state() != QProcess::NotRunning && !deadline.hasExpired())
        m_daemon.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    if (m_address.isEmpty())
        return fail(error, QStringLiteral("dbus-daemon did not start"));

    // Everything after this talks to the private bus as the system bus.
    m_hadBusAddress = qEnvironmentVariableIsSet("DBUS_SYSTEM_BUS_ADDRESS");
    m_savedBusAddress = qgetenv("DBUS_SYSTEM_BUS_ADDRESS");
    m_hadLeVersion = qEnvironmentVariableIsSet("BLUETOOTH_FORCE_DBUS_LE_VERSION");
    m_savedLeVersion = qgetenv("BLUETOOTH_FORCE_DBUS_LE_VERSION");
    m_environmentSet = true;
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_address.toUtf8());
    qputenv("BLUETOOTH_FORCE_DBUS_LE_VERSION", "5.50");

    m_mock.setProcessChannelMode(QProcess::MergedChannels);
    m_mock.setStandardOutputFile(m_dir->filePath(QStringLiteral("mock.log")));
    m_mock.start(kPython,
        { QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--system"), QStringLiteral("--template"),
            QStringLiteral("bluez5") });
    if (!m_mock.waitForStarted(kStartTimeoutMs))
        return fail(error, QStringLiteral("%1 -m dbusmock did not start").arg(kPython));

    m_connectionName = QStringLiteral("vk_bluez_mock_") + QUuid::createUuid().toString(QUuid::Id128);
    const QDBusConnection connection = QDBusConnection::connectToBus(m_address, m_connectionName);
    if (!connection.isConnected())
        return fail(error, QStringLiteral("cannot connect to the private bus: ") + connection.lastError().message());
    if (!waitForService(kStartTimeoutMs))
        return fail(error, QStringLiteral("the mock did not claim org.bluez"));

    QDBusMessage reply = call(QStringLiteral("/"), QStringLiteral("org.freedesktop.DBus.Mock"),
        QStringLiteral("AddTemplate"), { QStringLiteral(VK_BLUEZ_MOCK_TEMPLATE), QVariantMap() });
    if (reply.type() == QDBusMessage::ErrorMessage)
        return fail(error, QStringLiteral("vk_bluez.py: ") + reply.errorMessage());
    reply = call(QStringLiteral("/"), kMockInterface, QStringLiteral("AddAdapter"),
        { QString::fromLatin1(kAdapter), QStringLiteral("vk-test-host") });
    if (reply.type() == QDBusMessage::ErrorMessage)
        return fail(error, QStringLiteral("AddAdapter: ") + reply.errorMessage());
    return true;
}

void BluezMock::stop()
{
    if (!m_connectionName.isEmpty()) {
        QDBusConnection::disconnectFromBus(m_connectionName);
        m_connectionName.clear();
    }
    // The mock's peers see the end of their input when the mock goes.
    for (QProcess *process : { &m_mock, &m_daemon }) {
        if (process->state() == QProcess::NotRunning)
            continue;
        process->terminate();
        if (!process->waitForFinished(5000)) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
    restoreEnvironment();
}

QString BluezMock::adapterPath() const
{
    return QStringLiteral("/org/bluez/") + QString::fromLatin1(kAdapter);
}

QString BluezMock::addDevice(const QString &address, const QVariantMap &properties)
{
    const QDBusMessage reply = call(QStringLiteral("/"), kMockInterface, QStringLiteral("AddLeDevice"),
        { QString::fromLatin1(kAdapter), address, properties });
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        qWarning().noquote() << "BluezMock: AddLeDevice failed:" << reply.errorMessage();
        return {};
    }
    return reply.arguments().first().toString();
}

bool BluezMock::updateDevice(const QString &devicePath, const QVariantMap &properties)
{
    return call(QStringLiteral("/"), kMockInterface, QStringLiteral("UpdateDevice"), { devicePath, properties }).type()
        == QDBusMessage::ReplyMessage;
}

bool BluezMock::removeDevice(const QString &devicePath)
{
    return call(adapterPath(), QStringLiteral("org.bluez.Adapter1"), QStringLiteral("RemoveDevice"),
               { QVariant::fromValue(QDBusObjectPath(devicePath)) })
               .type()
        == QDBusMessage::ReplyMessage;
}

bool BluezMock::addPeripheral(const QString &devicePath, const QStringList &command, const QVariantMap &options)
{
    QVariantMap all = options;
    all.insert(QStringLiteral("command"), command);
    const QDBusMessage reply
        = call(QStringLiteral("/"), kMockInterface, QStringLiteral("AddPeripheral"), { devicePath, all });
    if (reply.type() != QDBusMessage::ReplyMessage)
        qWarning().noquote() << "BluezMock: AddPeripheral failed:" << reply.errorMessage();
    return reply.type() == QDBusMessage::ReplyMessage;
}

QStringList BluezMock::peripheralEvents(const QString &devicePath)
{
    const QDBusMessage reply
        = call(QStringLiteral("/"), kMockInterface, QStringLiteral("GetPeripheralEvents"), { devicePath });
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
        ? reply.arguments().first().toStringList()
        : QStringList();
}

QDBusMessage BluezMock::call(
    const QString &path, const QString &interface, const QString &method, const QVariantList &args)
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, path, interface, method);
    message.setArguments(args);
    return QDBusConnection(m_connectionName).call(message, QDBus::Block, 15000);
}

QString BluezMock::log() const
{
    if (!m_dir)
        return {};
    return QStringLiteral("--- dbus-daemon\n") + readAll(m_dir->filePath(QStringLiteral("dbus-daemon.log")))
        + QStringLiteral("--- dbusmock\n") + readAll(m_dir->filePath(QStringLiteral("mock.log")));
}

bool BluezMock::fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason + QLatin1Char('\n') + log();
    stop();
    return false;
}

bool BluezMock::waitForService(int timeoutMs)
{
    QDBusConnection connection(m_connectionName);
    QDBusServiceWatcher watcher(kService, connection, QDBusServiceWatcher::WatchForRegistration);
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceRegistered, &loop, &QEventLoop::quit);
    QObject::connect(&m_mock, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!connection.interface()->isServiceRegistered(kService).value() && m_mock.state() == QProcess::Running)
        loop.exec();
    return connection.interface()->isServiceRegistered(kService).value();
}

void BluezMock::restoreEnvironment()
{
    if (!m_environmentSet)
        return;
    m_environmentSet = false;
    if (m_hadBusAddress)
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_savedBusAddress);
    else
        qunsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    if (m_hadLeVersion)
        qputenv("BLUETOOTH_FORCE_DBUS_LE_VERSION", m_savedLeVersion);
    else
        qunsetenv("BLUETOOTH_FORCE_DBUS_LE_VERSION");
}

} // namespace vk_testing
