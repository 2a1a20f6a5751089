#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>
#include <QVariantMap>

#include <memory>

namespace vk_testing {

// A mocked BlueZ for tests of Qt Bluetooth code on Linux: a private dbus-daemon configured like a
// system bus, python-dbusmock's "bluez5" template extended by vk_bluez.py (Bluetooth LE devices
// with given properties, a GATT peripheral whose peer is a child process such as vk-device-sim),
// and one adapter "hci0".
//
// start() points this process's system bus (DBUS_SYSTEM_BUS_ADDRESS) at the private daemon and sets
// BLUETOOTH_FORCE_DBUS_LE_VERSION=5.50 (Qt picks its D-Bus GATT central only for BlueZ >= 5.42),
// so it must run before the process first touches the system bus or Qt Bluetooth. The destructor
// ends the mock, its peers and the daemon, and restores both variables. Qt's Bluetooth warnings
// ("Using BlueZ LE DBus API", "Cannot open Bluetooth Management socket") are expected.
class BluezMock
{
public:
    static constexpr char kAdapter[] = "hci0";

    BluezMock();
    ~BluezMock();
    BluezMock(const BluezMock &) = delete;
    BluezMock &operator=(const BluezMock &) = delete;

    // Why the mock cannot run here (for QSKIP): /usr/bin/python3 cannot import dbusmock, or there is
    // no dbus-daemon. Empty when everything is installed.
    static QString missingTools();

    // Starts the daemon, the mock and the adapter; false with the reason in `error` otherwise.
    bool start(QString *error);
    void stop();
    bool isRunning() const { return m_mock.state() == QProcess::Running; }

    QString busAddress() const { return m_address; }
    QString adapterPath() const;

    // A Bluetooth LE device under the adapter; returns its object path (empty on failure). Entries of
    // `properties` replace the defaults of a freshly sighted LE device; plain values are converted
    // to BlueZ's types ("RSSI" int16, "Class" uint32, "UUIDs" string list, "ManufacturerData" a map
    // from the decimal company id to a QByteArray, ...), see vk_bluez.py.
    QString addDevice(const QString &address, const QVariantMap &properties = {});
    // Changes device properties (PropertiesChanged, as an advertisement update would).
    bool updateDevice(const QString &devicePath, const QVariantMap &properties);
    // The adapter forgets the device (InterfacesRemoved).
    bool removeDevice(const QString &devicePath);
    // Gives the device a GATT server with the RX/TX service whose peer is the process `command`
    // (one hex packet per line in and out, as vk-device-sim). `options` may change the service and
    // characteristic UUIDs ("service", "rx", "tx"), leave out the CCCD ("cccd": false) or resolve
    // without any service ("noServices": true).
    bool addPeripheral(const QString &devicePath, const QStringList &command, const QVariantMap &options = {});
    // What the peripheral saw: "Connect", "StartNotify", "Write <hex>", "Notify <hex>", "Disconnect",
    // "RemoteDisconnect", ...
    QStringList peripheralEvents(const QString &devicePath);

    // Any call on the mock's objects (the "org.bluez" service); the reply, or an error message.
    QDBusMessage call(
        const QString &path, const QString &interface, const QString &method, const QVariantList &args = {});

    // The daemon's and the mock's output so far (for failure messages).
    QString log() const;

private:
    bool fail(QString *error, const QString &reason);
    bool waitForService(int timeoutMs);
    void restoreEnvironment();

    std::unique_ptr<QTemporaryDir> m_dir;
    QProcess m_daemon;
    QProcess m_mock;
    QString m_address;
    QString m_connectionName;
    bool m_environmentSet = false;
    QByteArray m_savedBusAddress;
    QByteArray m_savedLeVersion;
    bool m_hadBusAddress = false;
    bool m_hadLeVersion = false;
};

} // namespace vk_testing
