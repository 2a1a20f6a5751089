// The production BleDeviceInterface on Qt's own Bluetooth stack, against a mocked BlueZ whose GATT
// peripheral answers with the device simulator (vk-device-sim): the whole chain, and the ways a
// real peripheral can refuse or break the link.

#include "bus_probe.h"

#include "device_manager/transport/ble_device_interface.h"
#include "device_manager/transport/interface_manager.h"
#include "event_bus/bus_manager.h"
#include "event_topics/messages/message_meta_types.h"
#include "simulator/device_engine.h"
#include "testing/bluez_mock/bluez_mock.h"
#include "testing/log_capture.h"
#include "testing/packet_master.h"
#include "testing/transport_fixtures.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

using bus_probe::BusProbe;
using device_manager::BleDeviceInterface;
using device_manager::DeviceInterfaceInfo;
using device_manager::TrStrings;
namespace im = event_topics::interface_manager;

namespace {

constexpr int kWaitMs = 20000;

const simulator::DeviceDefinition &fm200()
{
    return vk_testing::shippedDevice("fm200");
}

QBluetoothDeviceInfo bluetoothInfo(const QString &address)
{
    return vk_testing::leDeviceInfo(address, fm200().application.name);
}

DeviceInterfaceInfo descriptor(int n)
{
    return vk_testing::bleDescriptor(n);
}

QStringList simulatorCommand(const QStringList &extra = {})
{
    return QStringList { QStringLiteral(VK_DEVICE_SIM), QStringLiteral("--device"), fm200().id } + extra;
}

} // namespace

class TestBleOnBluez : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void wholeChainThroughTheInterfaceManager();
    void refusedPeripherals_data();
    void refusedPeripherals();
    void misbehavingDevice_data();
    void misbehavingDevice();
    void shutdownWithAnOpenLink();

private:
    // A device at `address` whose GATT peer is vk-device-sim with `extraArguments`.
    QString addDevice(const QString &address, const QVariantMap &options = {}, const QStringList &extraArguments = {});

    vk_testing::BluezMock m_mock;
    std::unique_ptr<BusProbe> m_probe;
};

void TestBleOnBluez::initTestCase()
{
    const QString missing = vk_testing::BluezMock::missingTools();
    if (!missing.isEmpty())
        QSKIP(qPrintable(missing));
    // Before anything touches the system bus.
    QString error;
    QVERIFY2(m_mock.start(&error), qPrintable(error));

    event_topics::registerMessageMetaTypes();
    QVERIFY(event_bus::BusManager::createInstance(nullptr));
    m_probe = std::make_unique<BusProbe>();
    QVERIFY(m_probe->subscribeAll());
    device_manager::InterfaceManager::setInterfaceFactory({}); // Bluetooth LE, as in the program
    QVERIFY(device_manager::InterfaceManager::createInstance(nullptr));
}

void TestBleOnBluez::cleanup()
{
    if (QTest::currentTestFailed())
        qInfo().noquote() << m_mock.log();
}

void TestBleOnBluez::cleanupTestCase()
{
    device_manager::InterfaceManager::destroyInstance();
    if (m_probe)
        m_probe->unsubscribeAll();
    m_probe.reset();
    event_bus::BusManager::destroyInstance();
    m_mock.stop();
}

QString TestBleOnBluez::addDevice(const QString &address, const QVariantMap &options, const QStringList &extraArguments)
{
    const QString path = m_mock.addDevice(address,
        { { QStringLiteral("Name"), fm200().application.name },
            { QStringLiteral("ManufacturerData"),
                QVariantMap { { QString::number(fm200().companyId), fm200().advertisement().manufacturerData } } } });
    if (path.isEmpty() || !m_mock.addPeripheral(path, simulatorCommand(extraArguments), options))
        return {};
    return path;
}

void TestBleOnBluez::wholeChainThroughTheInterfaceManager()
{
    vk_testing::LogCapture log;
    const QString path = addDevice(fm200().address);
    QVERIFY(!path.isEmpty());
    const DeviceInterfaceInfo info = descriptor(1);

    // Open: connect, discover services and details, enable notifications.
    m_probe->publish(new im::CmdCreateBleInterface(info, bluetoothInfo(fm200().address)));
    QTRY_COMPARE_WITH_TIMEOUT(m_probe->created.size(), 1, kWaitMs);
    QCOMPARE(m_probe->created.first()->interfaceInfo, info);
    // Qt does not report the MTU over BlueZ's D-Bus API: no limit known from the interface.
    QCOMPARE(m_probe->created.first()->interfaceInfo.maximumPacketSize, -1);
    QTRY_VERIFY_WITH_TIMEOUT(m_mock.peripheralEvents(path).contains(QStringLiteral("StartNotify")), kWaitMs);
    QCOMPARE(m_mock.peripheralEvents(path).first(), QStringLiteral("Connect"));

    // Authenticate and read a file, every packet a GATT write or notification.
    vk_testing::PacketMaster master(fm200().serial, [&](const v_protocol::TPacket &packet) {
        return m_probe->publish(new im::CmdSendPacket({ fm200().serial }, info, packet)) == ReturnCode::Ok;
    });
    connect(m_probe.get(), &BusProbe::packetArrived, this,
        [&master](v_protocol::TPacket packet) { master.received(packet); });
    v_protocol::TAuthResponse response;
    QVERIFY(master.authenticate(fm200().rootPassword, response));
    QCOMPARE(response.authResult, v_protocol::TAuthResult::SuccessRoot);
    // The interface sets no limit (-1): the device's own packet size decides.
    const int chunkData = response.maxPacketSize - v_protocol::kChunkPacketOverhead;
    const auto profile = quint8(v_protocol::TMandatoryFileTypes::SlaveProfile);
    QByteArray image;
    QVERIFY(master.readFile(profile, chunkData, image));
    simulator::DeviceEngine reference(fm200());
    QCOMPARE(image, reference.fileImage(profile));
    QVERIFY(image.size() > chunkData); // several chunks

    const QStringList events = m_mock.peripheralEvents(path);
    QCOMPARE(events.filter(QRegularExpression(QStringLiteral("^Write "))).size(), m_probe->packets.size());
    QCOMPARE(events.filter(QRegularExpression(QStringLiteral("^Notify "))).size(), m_probe->packets.size());
    QCOMPARE(events.filter(QRegularExpression(QStringLiteral("^Dropped "))).size(), 0);

    // Close: the link ends and the interface is plugged out.
    m_probe->publish(new im::CmdCloseInterface(info));
    QTRY_COMPARE_WITH_TIMEOUT(m_probe->pluggedOut.size(), 1, kWaitMs);
    QCOMPARE(m_probe->pluggedOut.first()->interfaceInfo, info);
    QTRY_COMPARE_WITH_TIMEOUT(m_mock.peripheralEvents(path).last(), QStringLiteral("Disconnect"), kWaitMs);
    QCOMPARE(log.count(QStringLiteral("PlugOutTimeout: ")), 0);
    QVERIFY(m_probe->barrier());
    QCOMPARE(m_probe->errors.size(), 0);
}

void TestBleOnBluez::refusedPeripherals_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QVariantMap>("options"); // of the peripheral; no "options" key: no device at all
    QTest::addColumn<int>("errorText"); // under "BLE connection error"; -1: no user error
    QTest::addColumn<QString>("warning");

    QTest::newRow("no RX/TX service") << "C4:7F:51:00:99:01"
                                      << QVariantMap { { QStringLiteral("service"),
                                             QStringLiteral("0000180a-0000-1000-8000-00805f9b34fb") } }
                                      << int(TrStrings::DeviceIsNotSupported) << QString();
    QTest::newRow("no services at all") << "C4:7F:51:00:99:02" << QVariantMap { { QStringLiteral("noServices"), true } }
                                        << int(TrStrings::ErrorScanningServices) << QString();
    QTest::newRow("no notification descriptor")
        << "C4:7F:51:00:99:03" << QVariantMap { { QStringLiteral("cccd"), false } }
        << int(TrStrings::DeviceIsNotSupported) << QStringLiteral("Invalid notification!");
    QTest::newRow("receive characteristic missing")
        << "C4:7F:51:00:99:04"
        << QVariantMap { { QStringLiteral("rx"), QStringLiteral("00002a00-0000-1000-8000-00805f9b34fb") } }
        << int(TrStrings::DeviceIsNotSupported) << QStringLiteral("Invalid _rxCharacteristic or _txCharacteristic!");
    QTest::newRow("unknown device") << "C4:7F:51:00:99:05" << QVariantMap { { QStringLiteral("absent"), true } } << -1
                                    << QStringLiteral("Error occured: [");
}

void TestBleOnBluez::refusedPeripherals()
{
    QFETCH(QString, address);
    QFETCH(QVariantMap, options);
    QFETCH(int, errorText);
    QFETCH(QString, warning);
    vk_testing::LogCapture log;
    QString path;
    if (!options.contains(QStringLiteral("absent"))) {
        path = addDevice(address, options);
        QVERIFY(!path.isEmpty());
    }
    BleDeviceInterface interface(nullptr, descriptor(2), bluetoothInfo(address));
    QSignalSpy pluggedIn(&interface, &BleDeviceInterface::pluggedIn);
    QSignalSpy pluggedOut(&interface, &BleDeviceInterface::pluggedOut);
    QSignalSpy errors(&interface, &BleDeviceInterface::errorHappend);
    QCOMPARE(interface.open(), ReturnCode::Ok);
    // An unknown device fails at once, inside open().
    QTRY_COMPARE_WITH_TIMEOUT(pluggedOut.size(), 1, kWaitMs);
    QCOMPARE(pluggedIn.size(), 0);
    QCOMPARE(errors.size(), errorText < 0 ? 0 : 1);
    if (errorText >= 0) {
        QCOMPARE(errors.first().at(0).value<TrStrings>(), TrStrings::BleConnectionError);
        QCOMPARE(int(errors.first().at(1).value<TrStrings>()), errorText);
    }
    QVERIFY(log.count(warning) >= 1);
    if (!path.isEmpty())
        QTRY_COMPARE_WITH_TIMEOUT(m_mock.peripheralEvents(path).last(), QStringLiteral("Disconnect"), kWaitMs);
}

void TestBleOnBluez::misbehavingDevice_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("failure");
    QTest::addColumn<bool>("linkDrops"); // else the answer is unparsable

    QTest::newRow("drops the link mid-transfer")
        << "C4:7F:51:00:99:11"
        << QStringList { QStringLiteral("--failure"), QStringLiteral("DisconnectMidTransfer"),
               QStringLiteral("--failure-skip"), QStringLiteral("0") }
        << true;
    QTest::newRow("notification of 13 bytes")
        << "C4:7F:51:00:99:12" << QStringList { QStringLiteral("--failure"), QStringLiteral("ShortPacket") } << false;
}

void TestBleOnBluez::misbehavingDevice()
{
    QFETCH(QString, address);
    QFETCH(QStringList, failure);
    QFETCH(bool, linkDrops);
    const QString path = addDevice(address, {}, failure);
    QVERIFY(!path.isEmpty());
    BleDeviceInterface interface(nullptr, descriptor(3), bluetoothInfo(address));
    QSignalSpy pluggedIn(&interface, &BleDeviceInterface::pluggedIn);
    QSignalSpy pluggedOut(&interface, &BleDeviceInterface::pluggedOut);
    QSignalSpy data(&interface, &BleDeviceInterface::dataReceived);
    QSignalSpy debug(&interface, &BleDeviceInterface::debugHappend);
    QCOMPARE(interface.open(), ReturnCode::Ok);
    QVERIFY(pluggedIn.wait(kWaitMs));

    const v_protocol::TPacket request = linkDrops
        ? v_protocol::makeChunkRequest(
            v_protocol::TFileTransfer::openingRequest(0), 1, fm200().serial, v_protocol::kMasterUid)
        : v_protocol::makeAuthenticationRequest(fm200().rootPassword, 1, fm200().serial, v_protocol::kMasterUid);
    QCOMPARE(interface.sendPacket({}, request), ReturnCode::Ok);
    if (linkDrops) {
        QVERIFY(pluggedOut.wait(kWaitMs));
        QCOMPARE(data.size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_mock.peripheralEvents(path).last(), QStringLiteral("RemoteDisconnect"), kWaitMs);
    } else {
        QVERIFY(data.wait(kWaitMs));
        QCOMPARE(debug.size(), 1);
        QCOMPARE(debug.first().first().toString(),
            QStringLiteral("v-protocol parsing error: ReturnCode::ErrParsingInvalidSize"));
        QCOMPARE(data.first().at(2).value<v_protocol::TPacket>().payloadType, v_protocol::TPayloadType::NoData);
        QCOMPARE(interface.close(), ReturnCode::Ok);
        QCOMPARE(pluggedOut.size(), 1);
    }
}

void TestBleOnBluez::shutdownWithAnOpenLink()
{
    // The program quits while connected: the link ends with the module, the bus hears nothing of it.
    const QString address = QStringLiteral("C4:7F:51:00:99:21");
    const QString path = addDevice(address);
    QVERIFY(!path.isEmpty());
    m_probe->created.clear();
    m_probe->publish(new im::CmdCreateBleInterface(descriptor(4), bluetoothInfo(address)));
    QTRY_COMPARE_WITH_TIMEOUT(m_probe->created.size(), 1, kWaitMs);
    m_probe->pluggedOut.clear();

    device_manager::InterfaceManager::destroyInstance();
    QTRY_COMPARE_WITH_TIMEOUT(m_mock.peripheralEvents(path).last(), QStringLiteral("Disconnect"), kWaitMs);
    QVERIFY(m_probe->barrier());
    QCOMPARE(m_probe->pluggedOut.size(), 0);
}

QTEST_GUILESS_MAIN(TestBleOnBluez)
#include "tst_ble_on_bluez.moc"
