// The production scanner (BleDeviceDiscovery over Qt's QBluetoothDeviceDiscoveryAgent) and the
// discovery manager against a mocked BlueZ on a private system bus: which advertising devices are
// published, from which sighting on, connecting to one, and a powered-off adapter.
#include "bus_probe.h"
#include "device_manager/discovery/ble_device_discovery.h"
#include "device_manager/discovery/discovery_manager.h"
#include "event_bus/bus_manager.h"
#include "event_topics/messages/message_meta_types.h"
#include "testing/bluez_mock/bluez_mock.h"
#include "testing/log_capture.h"

#include <QBluetoothAddress>
#include <QDBusArgument>
#include <QDBusVariant>
#include <QtTest>

using namespace event_topics::device_manager;
using device_manager::DeviceDiscoveryInfo;
using device_manager::DiscoveryManager;
using device_manager::DiscoveryState;
using device_manager::TrStrings;
using discovery_test::BusProbe;

namespace {

constexpr int kWait = 30000;
constexpr int kCompany = 0xFFFF;
const QString kAdapterInterface = QStringLiteral("org.bluez.Adapter1");

QByteArray ourData(quint32 serial, int size = 10)
{
    QByteArray data("VK");
    for (int i = 0; i < 4; ++i)
        data.append(char((serial >> (8 * i)) & 0xFF));
    data.append(char(0x11)); // model
    data.append(char(0x42)); // firmware 2.4
    data.append(char(0x03)); // hardware
    data.append(char(0x01)); // ignored
    return data.left(size);
}

QVariantMap advertising(const QString &alias, const QVariantMap &manufacturerData, int deviceClass = 0)
{
    return { { QStringLiteral("Alias"), alias }, { QStringLiteral("Class"), deviceClass },
        { QStringLiteral("RSSI"), -70 }, { QStringLiteral("ManufacturerData"), manufacturerData } };
}

QVariantMap rssi(int value)
{
    return { { QStringLiteral("RSSI"), value } };
}

} // namespace

class TestBleDiscoveryOnBluez : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void publishesOurDevicesFromTheirSecondSighting();
    void poweredOffAdapter();
    void scanningGoesOnInRounds_data();
    void scanningGoesOnInRounds();

private:
    int adapterCalls(const QString &method);
    bool adapterProperty(const QString &name);
    void setAdapterProperty(const QString &name, bool value);
    void setDiscovery(DiscoveryState state)
    {
        QCOMPARE(_probe->publish(new DeviceManagerCmdStartDiscovery({ state })), ReturnCode::Ok);
    }

    vk_testing::BluezMock _bluez;
    BusProbe *_probe = nullptr;
    QStringList _devices;
};

void TestBleDiscoveryOnBluez::initTestCase()
{
    const QString missing = vk_testing::BluezMock::missingTools();
    if (!missing.isEmpty())
        QSKIP(qPrintable(missing));
    // Before anything touches the system bus or Qt Bluetooth.
    QString error;
    QVERIFY2(_bluez.start(&error), qPrintable(error));
    event_topics::registerMessageMetaTypes();
}

void TestBleDiscoveryOnBluez::init()
{
    QVERIFY(event_bus::BusManager::createInstance(nullptr));
    _probe = new BusProbe;
    QVERIFY(_probe->subscribeAll(kWait));
    DiscoveryManager::setDiscoveryFactory({}); // the production scanner
    QVERIFY(DiscoveryManager::createInstance(nullptr));
}

void TestBleDiscoveryOnBluez::cleanup()
{
    DiscoveryManager::destroyInstance();
    delete _probe;
    _probe = nullptr;
    event_bus::BusManager::destroyInstance();
    for (const QString &path : std::as_const(_devices))
        _bluez.removeDevice(path);
    _devices.clear();
    setAdapterProperty(QStringLiteral("Powered"), true);
}

bool TestBleDiscoveryOnBluez::adapterProperty(const QString &name)
{
    const QDBusMessage reply = _bluez.call(_bluez.adapterPath(), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"), { kAdapterInterface, name });
    return !reply.arguments().isEmpty() && reply.arguments().first().value<QDBusVariant>().variant().toBool();
}

void TestBleDiscoveryOnBluez::setAdapterProperty(const QString &name, bool value)
{
    const QDBusMessage reply = _bluez.call(_bluez.adapterPath(), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Set"), { kAdapterInterface, name, QVariant::fromValue(QDBusVariant(value)) });
    QVERIFY2(reply.type() != QDBusMessage::ErrorMessage, qPrintable(reply.errorMessage()));
}

void TestBleDiscoveryOnBluez::publishesOurDevicesFromTheirSecondSighting()
{
    setDiscovery(DiscoveryState::Active);
    QTRY_VERIFY_WITH_TIMEOUT(adapterProperty(QStringLiteral("Discovering")), kWait);

    // Devices appearing while the scan runs: each appearance and each update is one sighting.
    const QString ours = QStringLiteral("C4:7F:51:00:10:01");
    const QString marker = QStringLiteral("C4:7F:51:00:10:02");
    const QMap<QString, QVariantMap> others {
        { QStringLiteral("C4:7F:51:00:10:03"),
            advertising(
                QStringLiteral("Foreign"), { { QString::number(0x004C), QByteArray::fromHex("0215aabbccdd") } }) },
        { QStringLiteral("C4:7F:51:00:10:04"),
            advertising(QStringLiteral("Short"), { { QString::number(kCompany), ourData(0x1004, 8) } }) },
        // A classic device (non-zero class) with our data: not a Bluetooth LE device.
        { QStringLiteral("C4:7F:51:00:10:05"),
            advertising(QStringLiteral("Classic"), { { QString::number(kCompany), ourData(0x1005) } }, 0x240404) },
    };
    const QString oursPath = _bluez.addDevice(
        ours, advertising(QStringLiteral("FM-200 Flow"), { { QString::number(kCompany), ourData(0x1001) } }));
    const QString markerPath = _bluez.addDevice(
        marker, advertising(QStringLiteral("Marker"), { { QString::number(kCompany), ourData(0x1002) } }));
    QVERIFY(!oursPath.isEmpty() && !markerPath.isEmpty());
    _devices << oursPath << markerPath;
    for (auto it = others.cbegin(); it != others.cend(); ++it) {
        const QString path = _bluez.addDevice(it.key(), it.value());
        QVERIFY(!path.isEmpty());
        _devices << path;
        QVERIFY(_bluez.updateDevice(path, rssi(-65)));
        QVERIFY(_bluez.updateDevice(path, rssi(-60)));
    }

    // The marker's second sighting comes after everything above: once it is published, the
    // others have been seen as often as they will be, and ours only once.
    QVERIFY(_bluez.updateDevice(markerPath, rssi(-66)));
    QTRY_VERIFY_WITH_TIMEOUT(_probe->lastDiscovered(0x1002).has_value(), kWait);
    QVERIFY(!_probe->lastDiscovered(0x1001).has_value());

    QVERIFY(_bluez.updateDevice(oursPath, rssi(-58)));
    QTRY_VERIFY_WITH_TIMEOUT(_probe->lastDiscovered(0x1001).has_value(), kWait);
    const DeviceDiscoveryInfo found = *_probe->lastDiscovered(0x1001);
    QCOMPARE(found.deviceInfo.Name, QStringLiteral("FM-200 Flow"));
    QCOMPARE(found.deviceInfo.ModelId, quint16(0x11));
    QCOMPARE(found.deviceInfo.FirmwareVersion.Major, quint8(2));
    QCOMPARE(found.deviceInfo.FirmwareVersion.Minor, quint8(4));
    QCOMPARE(found.interfaceInfo.type, device_manager::InterfaceType::BLE);
    // The signal strength the platform reported with the update that made the sighting.
    QCOMPARE(found.rssi, qint16(-58));
    QCOMPARE(_probe->lastDiscovered(0x1002)->rssi, qint16(-66));
    for (const auto &message : std::as_const(_probe->discovered)) {
        const quint64 serial = message->discoveredDevice.deviceInfo.Serial;
        QVERIFY2(serial == 0x1001 || serial == 0x1002, qPrintable(QString::number(serial, 16)));
    }

    // Picked by the user: the interface is asked for with the device as the platform describes it.
    DeviceDiscoveryInfo picked = found;
    picked.deviceInfo.Pass = QStringLiteral("4711");
    QCOMPARE(_probe->publish(new CmdConnectToDevice(picked)), ReturnCode::Ok);
    QTRY_COMPARE_WITH_TIMEOUT(_probe->createRequests.size(), 1, kWait);
    const QBluetoothDeviceInfo info = _probe->createRequests.first()->bluetoothInfo;
    QCOMPARE(info.address(), QBluetoothAddress(ours));
    QCOMPARE(info.name(), QStringLiteral("FM-200 Flow"));
    QCOMPARE(info.coreConfigurations(), QBluetoothDeviceInfo::LowEnergyCoreConfiguration);
    QVERIFY(_probe->errors.isEmpty());

    setDiscovery(DiscoveryState::Inactive);
    QTRY_VERIFY_WITH_TIMEOUT(!adapterProperty(QStringLiteral("Discovering")), kWait);
}

void TestBleDiscoveryOnBluez::poweredOffAdapter()
{
    setAdapterProperty(QStringLiteral("Powered"), false);
    vk_testing::LogCapture capture;
    setDiscovery(DiscoveryState::Active);
    QTRY_VERIFY_WITH_TIMEOUT(
        _probe->errorCount(TrStrings::BleConnectionError, TrStrings::BluetoothPoweredOff) >= 1, kWait);
    QVERIFY(capture.contains(
        QStringLiteral("Error The Bluetooth adaptor is powered off, power it on before doing discovery")));
    QVERIFY(!adapterProperty(QStringLiteral("Discovering")));
    setDiscovery(DiscoveryState::Inactive);
}

int TestBleDiscoveryOnBluez::adapterCalls(const QString &method)
{
    const QDBusMessage reply = _bluez.call(_bluez.adapterPath(), QStringLiteral("org.freedesktop.DBus.Mock"),
        QStringLiteral("GetMethodCalls"), { method });
    if (reply.arguments().isEmpty())
        return -1;
    // a(tav): one entry per call
    const QDBusArgument calls = reply.arguments().first().value<QDBusArgument>();
    int count = 0;
    calls.beginArray();
    while (!calls.atEnd()) {
        QVariant call;
        calls >> call;
        ++count;
    }
    calls.endArray();
    return count;
}

void TestBleDiscoveryOnBluez::scanningGoesOnInRounds_data()
{
    QTest::addColumn<int>("roundMs");
    QTest::addColumn<int>("restartMs");
    // Rounds end by their time-out and the next one starts at once.
    QTest::newRow("rounds back to back") << 300 << 600000;
    // A round without any advertisement is restarted before its time-out.
    QTest::newRow("silent round restarted") << 600000 << 300;
}

void TestBleDiscoveryOnBluez::scanningGoesOnInRounds()
{
    QFETCH(int, roundMs);
    QFETCH(int, restartMs);
    DiscoveryManager::destroyInstance();
    const device_manager::BleDeviceDiscovery::Timing timing { std::chrono::milliseconds(roundMs),
        std::chrono::milliseconds(restartMs) };
    DiscoveryManager::setDiscoveryFactory([timing]() { return new device_manager::BleDeviceDiscovery(timing); });
    QVERIFY(DiscoveryManager::createInstance(nullptr));

    const int before = adapterCalls(QStringLiteral("StartDiscovery"));
    QVERIFY(before >= 0);
    setDiscovery(DiscoveryState::Active);
    QTRY_VERIFY_WITH_TIMEOUT(adapterCalls(QStringLiteral("StartDiscovery")) >= before + 3, kWait);
    setDiscovery(DiscoveryState::Inactive);
    QTRY_VERIFY_WITH_TIMEOUT(!adapterProperty(QStringLiteral("Discovering")), kWait);
    QVERIFY(_probe->errors.isEmpty());
}

QTEST_GUILESS_MAIN(TestBleDiscoveryOnBluez)
#include "tst_ble_discovery_on_bluez.moc"
