// The discovery manager through the real bus, scanning the simulated devices: start, stop and
// indifferent requests, connect requests and their refusals, the hand-over once the interface is
// plugged in, plug-out, the interface creation time-out and the scanner's shutdown.
#include "bus_probe.h"
#include "device_manager/discovery/discovery_manager.h"
#include "event_bus/bus_manager.h"
#include "event_topics/messages/message_meta_types.h"
#include "event_topics/thread_handover.h"
#include "simulator/device_catalog.h"
#include "simulator/device_park.h"
#include "simulator/transport/simulated_device_discovery.h"
#include "testing/log_capture.h"

#include <QBluetoothAddress>
#include <QPointer>
#include <QUuid>
#include <QtTest>

#include <atomic>

using namespace event_topics::device_manager;
using namespace event_topics::interface_manager;
using device_manager::DeviceDiscoveryInfo;
using device_manager::DeviceInterfaceInfo;
using device_manager::DiscoveryManager;
using device_manager::DiscoveryState;
using device_manager::InterfaceType;
using device_manager::TrStrings;
using discovery_test::BusProbe;

namespace {

constexpr int kWait = 30000;
constexpr std::chrono::milliseconds kAdvertisingInterval { 20 };
constexpr quint64 kFm200 = 10250001;
constexpr quint64 kGw4 = 20480017;

DeviceDiscoveryInfo unknownDevice()
{
    DeviceDiscoveryInfo device;
    device.interfaceInfo.type = InterfaceType::BLE;
    device.deviceInfo.Name = QStringLiteral("Nobody");
    device.deviceInfo.Serial = 99;
    return device;
}

DeviceInterfaceInfo pluggedIn(const DeviceInterfaceInfo &requested, int maximumPacketSize)
{
    DeviceInterfaceInfo info = requested;
    info.maximumPacketSize = maximumPacketSize;
    return info;
}

} // namespace

class TestDiscoveryManager : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startStopIndifferent_data();
    void startStopIndifferent();
    void connectHandsTheDeviceOnOncePluggedIn_data();
    void connectHandsTheDeviceOnOncePluggedIn();
    void connectRefusals_data();
    void connectRefusals();
    void otherInterfaceTypesAreLeftAlone_data();
    void otherInterfaceTypesAreLeftAlone();
    void interfaceNobodyWaitsFor();
    void plugOutEndsThePendingConnection();
    void pendingConnectionTimesOut();
    void withoutScanner();
    void stopEndsTheScannerThread();

private:
    void startManager(DiscoveryManager::DiscoveryFactory factory);
    void restartManager(std::chrono::milliseconds pendingTimeout);
    void publish(event_topics::IMessage *message) { QCOMPARE(_probe->publish(message), ReturnCode::Ok); }
    void setDiscovery(DiscoveryState state) { publish(new DeviceManagerCmdStartDiscovery({ state })); }
    // Publishes a connect request for a device nobody advertises and waits for its refusal: the
    // manager has handled every command published before.
    void roundTrip();
    // Returns once everything the manager queued to the scanner's thread has run there.
    void flushScanner();
    // Starts scanning (once per manager) and waits until the device with `serial` is published.
    DeviceDiscoveryInfo sighted(quint64 serial);

    std::shared_ptr<simulator::DevicePark> _park;
    std::atomic<device_manager::IDeviceDiscovery *> _scanner { nullptr };
    BusProbe *_probe = nullptr;
    bool _scanning = false;
};

void TestDiscoveryManager::initTestCase()
{
    event_topics::registerMessageMetaTypes();
    _park = std::make_shared<simulator::DevicePark>(simulator::DeviceCatalog::builtIn());
}

void TestDiscoveryManager::startManager(DiscoveryManager::DiscoveryFactory factory)
{
    DiscoveryManager::setDiscoveryFactory(std::move(factory));
    QVERIFY(DiscoveryManager::createInstance(nullptr));
}

void TestDiscoveryManager::init()
{
    QVERIFY(event_bus::BusManager::createInstance(nullptr));
    _probe = new BusProbe;
    QVERIFY(_probe->subscribeAll(kWait));
    const auto park = _park;
    startManager([this, park]() {
        auto *scanner = new simulator::SimulatedDeviceDiscovery(park, kAdvertisingInterval);
        _scanner = scanner;
        return scanner;
    });
}

void TestDiscoveryManager::cleanup()
{
    DiscoveryManager::destroyInstance();
    delete _probe;
    _probe = nullptr;
    event_bus::BusManager::destroyInstance();
    DiscoveryManager::setDiscoveryFactory({});
    DiscoveryManager::setPendingConnectionTimeout(DiscoveryManager::kDefaultPendingConnectionTimeout);
    _scanner = nullptr;
    _scanning = false;
}

void TestDiscoveryManager::restartManager(std::chrono::milliseconds pendingTimeout)
{
    DiscoveryManager::destroyInstance();
    DiscoveryManager::setPendingConnectionTimeout(pendingTimeout);
    QVERIFY(DiscoveryManager::createInstance(nullptr));
    _scanning = false;
}

void TestDiscoveryManager::roundTrip()
{
    const int before = _probe->errorCount(TrStrings::InvalidConnection, TrStrings::InvalidBluetoothDeviceDiscoveryInfo);
    publish(new CmdConnectToDevice(unknownDevice()));
    QTRY_COMPARE_WITH_TIMEOUT(
        _probe->errorCount(TrStrings::InvalidConnection, TrStrings::InvalidBluetoothDeviceDiscoveryInfo), before + 1,
        kWait);
}

void TestDiscoveryManager::flushScanner()
{
    QVERIFY(event_topics::queueCall(
        _scanner.load(), []() {}, Qt::BlockingQueuedConnection));
}

DeviceDiscoveryInfo TestDiscoveryManager::sighted(quint64 serial)
{
    // Started once only: a new start forgets the devices sighted so far.
    if (!_scanning) {
        setDiscovery(DiscoveryState::Active);
        _scanning = true;
    }
    [&]() { QTRY_VERIFY_WITH_TIMEOUT(_probe->lastDiscovered(serial).has_value(), kWait); }();
    return _probe->lastDiscovered(serial).value_or(DeviceDiscoveryInfo());
}

void TestDiscoveryManager::startStopIndifferent_data()
{
    QTest::addColumn<QList<DiscoveryState>>("requests");
    QTest::addColumn<bool>("scanning");
    using S = DiscoveryState;
    QTest::newRow("active") << QList<S> { S::Active } << true;
    QTest::newRow("active, inactive") << QList<S> { S::Active, S::Inactive } << false;
    QTest::newRow("active, indifferent") << QList<S> { S::Active, S::Indifferent } << true;
    QTest::newRow("indifferent") << QList<S> { S::Indifferent } << false;
    QTest::newRow("active, inactive, indifferent") << QList<S> { S::Active, S::Inactive, S::Indifferent } << false;
    QTest::newRow("inactive, active") << QList<S> { S::Inactive, S::Active } << true;
    QTest::newRow("state 3") << QList<S> { S(3) } << false;
}

void TestDiscoveryManager::startStopIndifferent()
{
    QFETCH(QList<DiscoveryState>, requests);
    QFETCH(bool, scanning);
    for (DiscoveryState state : requests)
        setDiscovery(state);
    roundTrip();
    flushScanner();
    QCOMPARE(_scanner.load()->isActive(), scanning);
    if (scanning) {
        // Every simulated device is published.
        _probe->discovered.clear();
        QTRY_VERIFY_WITH_TIMEOUT(_probe->lastDiscovered(kFm200) && _probe->lastDiscovered(kGw4), kWait);
    } else {
        QCoreApplication::processEvents();
        _probe->discovered.clear();
        roundTrip(); // anything the scanner reported before it stopped has been published by now
        _probe->discovered.clear();
        roundTrip();
        QVERIFY(_probe->discovered.isEmpty());
    }
}

void TestDiscoveryManager::connectHandsTheDeviceOnOncePluggedIn_data()
{
    QTest::addColumn<QString>("uuid");
    QTest::newRow("uuid made by the manager") << QString();
    QTest::newRow("uuid of the request") << QStringLiteral("{0b6e5a36-3c1f-4f8e-9a51-2d0c8f1e7a10}");
}

void TestDiscoveryManager::connectHandsTheDeviceOnOncePluggedIn()
{
    QFETCH(QString, uuid);
    DeviceDiscoveryInfo device = sighted(kFm200);
    device.interfaceInfo.uuid = uuid;
    device.deviceInfo.Pass = QStringLiteral("4711");
    publish(new CmdConnectToDevice(device));

    QTRY_COMPARE_WITH_TIMEOUT(_probe->createRequests.size(), 1, kWait);
    const DeviceInterfaceInfo requested = _probe->createRequests.first()->interfaceInfo;
    QCOMPARE(requested.type, InterfaceType::BLE);
    if (uuid.isEmpty()) {
        QVERIFY(requested.uuid.startsWith(QLatin1Char('{')) && requested.uuid.endsWith(QLatin1Char('}')));
        QVERIFY(!QUuid::fromString(requested.uuid).isNull());
    } else {
        QCOMPARE(requested.uuid, uuid);
    }
    const QBluetoothDeviceInfo bluetoothInfo = _probe->createRequests.first()->bluetoothInfo;
    QCOMPARE(bluetoothInfo.address().toString(), QStringLiteral("C4:7F:51:00:10:01"));
    QCOMPARE(bluetoothInfo.coreConfigurations(), QBluetoothDeviceInfo::LowEnergyCoreConfiguration);

    // The interface manager announces the interface with the packet size of the link.
    publish(new DeviceInterfaceCreated(pluggedIn(requested, 244)));
    QTRY_COMPARE_WITH_TIMEOUT(_probe->connectRequests.size(), 1, kWait);
    const DeviceDiscoveryInfo handedOn = _probe->connectRequests.first()->device;
    QCOMPARE(handedOn.interfaceInfo, requested);
    QCOMPARE(handedOn.interfaceInfo.maximumPacketSize, 244);
    QCOMPARE(handedOn.deviceInfo, device.deviceInfo);

    // Handed on once: the same interface announced again is not waited for any more.
    publish(new DeviceInterfaceCreated(pluggedIn(requested, 244)));
    QTRY_COMPARE_WITH_TIMEOUT(_probe->errorCount(TrStrings::InvalidConnection, TrStrings::InternalError), 1, kWait);
    QCOMPARE(_probe->connectRequests.size(), 1);
}

void TestDiscoveryManager::connectRefusals_data()
{
    QTest::addColumn<DeviceDiscoveryInfo>("device");
    QTest::addColumn<TrStrings>("text");
    QTest::addColumn<QString>("logged");

    DeviceDiscoveryInfo device;
    device.interfaceInfo.type = InterfaceType::BLE;
    device.deviceInfo.Name = QStringLiteral("FM-200 Flow");
    device.deviceInfo.ModelId = 17;
    device.deviceInfo.Serial = kFm200;

    DeviceDiscoveryInfo unknown = device;
    unknown.deviceInfo.Serial = 10250002;
    QTest::newRow("not sighted") << unknown << TrStrings::InvalidBluetoothDeviceDiscoveryInfo
                                 << QStringLiteral("Device not found:  DeviceDiscoveryInfo[");
    DeviceDiscoveryInfo otherModel = device;
    otherModel.deviceInfo.ModelId = 18;
    QTest::newRow("serial of another model") << otherModel << TrStrings::InvalidBluetoothDeviceDiscoveryInfo
                                             << QStringLiteral("Invalid BluetoothInfo for  DeviceDiscoveryInfo[");
    DeviceDiscoveryInfo noName = device;
    noName.deviceInfo.Name.clear();
    QTest::newRow("no name") << noName << TrStrings::InternalError
                             << QStringLiteral("Bad result:  ReturnCode[-2147483644]");
    DeviceDiscoveryInfo noSerial = device;
    noSerial.deviceInfo.Serial = v_protocol::TSlaveApplication::kNoSerial;
    QTest::newRow("no serial") << noSerial << TrStrings::InternalError
                               << QStringLiteral("Bad result:  ReturnCode[-2147483644]");
    DeviceDiscoveryInfo wideSerial = device;
    wideSerial.deviceInfo.Serial = quint64(1) << 32;
    QTest::newRow("serial beyond 32 bits")
        << wideSerial << TrStrings::InternalError << QStringLiteral("Bad result:  ReturnCode[-2147483644]");
}

void TestDiscoveryManager::connectRefusals()
{
    QFETCH(DeviceDiscoveryInfo, device);
    QFETCH(TrStrings, text);
    QFETCH(QString, logged);
    sighted(kFm200);
    vk_testing::LogCapture capture;
    publish(new CmdConnectToDevice(device));
    QTRY_COMPARE_WITH_TIMEOUT(_probe->errorCount(TrStrings::InvalidConnection, text), 1, kWait);
    QVERIFY2(capture.contains(logged), qPrintable(capture.texts().join(QLatin1Char('\n'))));
    QCOMPARE(_probe->errors.size(), 1);
    QVERIFY(_probe->createRequests.isEmpty());
}

void TestDiscoveryManager::otherInterfaceTypesAreLeftAlone_data()
{
    QTest::addColumn<QString>("message");
    QTest::newRow("connect") << QStringLiteral("connect");
    QTest::newRow("interface created") << QStringLiteral("created");
    QTest::newRow("interface plugged out") << QStringLiteral("pluggedOut");
}

void TestDiscoveryManager::otherInterfaceTypesAreLeftAlone()
{
    QFETCH(QString, message);
    DeviceDiscoveryInfo device = sighted(kFm200);
    device.interfaceInfo.type = InterfaceType::Unknown;
    device.interfaceInfo.uuid = QStringLiteral("{a}");
    vk_testing::LogCapture capture;
    if (message == QLatin1String("connect"))
        publish(new CmdConnectToDevice(device));
    else if (message == QLatin1String("created"))
        publish(new DeviceInterfaceCreated(device.interfaceInfo));
    else
        publish(new DeviceInterfacePluggetOut(device.interfaceInfo));
    roundTrip();
    QCOMPARE(capture.count(QStringLiteral("DiscoveryManager deal with only BLE device connection")), 1);
    QVERIFY(_probe->createRequests.isEmpty());
    QCOMPARE(_probe->errors.size(), 1); // the round trip's own
}

void TestDiscoveryManager::interfaceNobodyWaitsFor()
{
    DeviceInterfaceInfo info;
    info.type = InterfaceType::BLE;
    info.uuid = QStringLiteral("{5d0c1b44-8d0e-4f51-9a7e-0d6f7c2f1a01}");
    vk_testing::LogCapture capture;
    publish(new DeviceInterfaceCreated(info));
    QTRY_COMPARE_WITH_TIMEOUT(_probe->errorCount(TrStrings::InvalidConnection, TrStrings::InternalError), 1, kWait);
    QVERIFY(capture.contains(QStringLiteral("BLE interface with uuid[%1] - NOT FOUND!").arg(info.uuid)));
    QVERIFY(_probe->connectRequests.isEmpty());
}

void TestDiscoveryManager::plugOutEndsThePendingConnection()
{
    publish(new CmdConnectToDevice(sighted(kFm200)));
    QTRY_COMPARE_WITH_TIMEOUT(_probe->createRequests.size(), 1, kWait);
    const DeviceInterfaceInfo requested = _probe->createRequests.first()->interfaceInfo;
    publish(new DeviceInterfacePluggetOut(requested));
    publish(new DeviceInterfaceCreated(pluggedIn(requested, 244)));
    QTRY_COMPARE_WITH_TIMEOUT(_probe->errorCount(TrStrings::InvalidConnection, TrStrings::InternalError), 1, kWait);
    QVERIFY(_probe->connectRequests.isEmpty());
}

void TestDiscoveryManager::pendingConnectionTimesOut()
{
    restartManager(std::chrono::milliseconds(300));
    // Two devices: the first is plugged in in time, the second never is.
    publish(new CmdConnectToDevice(sighted(kFm200)));
    QTRY_COMPARE_WITH_TIMEOUT(_probe->createRequests.size(), 1, kWait);
    publish(new CmdConnectToDevice(sighted(kGw4)));
    QTRY_COMPARE_WITH_TIMEOUT(_probe->createRequests.size(), 2, kWait);
    const DeviceInterfaceInfo first = _probe->createRequests.at(0)->interfaceInfo;
    const DeviceInterfaceInfo second = _probe->createRequests.at(1)->interfaceInfo;
    vk_testing::LogCapture capture;
    publish(new DeviceInterfaceCreated(pluggedIn(first, 100)));

    QTRY_COMPARE_WITH_TIMEOUT(_probe->closeRequests.size(), 1, kWait);
    QCOMPARE(_probe->closeRequests.first()->interfaceInfo, second);
    QCOMPARE(_probe->connectRequests.size(), 1);
    QCOMPARE(_probe->connectRequests.first()->device.interfaceInfo, first);
    QCOMPARE(capture.count(QStringLiteral("Interface creation timeout for:  DeviceDiscoveryInfo[")), 1);

    // The interface coming up after all is not waited for any more.
    publish(new DeviceInterfaceCreated(pluggedIn(second, 100)));
    QTRY_COMPARE_WITH_TIMEOUT(_probe->errorCount(TrStrings::InvalidConnection, TrStrings::InternalError), 1, kWait);
    QCOMPARE(_probe->connectRequests.size(), 1);
    QCOMPARE(_probe->closeRequests.size(), 1);
}

void TestDiscoveryManager::withoutScanner()
{
    DiscoveryManager::destroyInstance();
    vk_testing::LogCapture capture;
    startManager([]() -> device_manager::IDeviceDiscovery * { return nullptr; });
    setDiscovery(DiscoveryState::Inactive);
    setDiscovery(DiscoveryState::Active);
    DeviceDiscoveryInfo device = unknownDevice();
    publish(new CmdConnectToDevice(device));
    QTRY_COMPARE_WITH_TIMEOUT(
        _probe->errorCount(TrStrings::InvalidConnection, TrStrings::InvalidBluetoothDiscovery), 2, kWait);
    QCOMPARE(_probe->errors.size(), 2);
    QCOMPARE(capture.count(QStringLiteral("ReturnCode::ErrInvalidHandler")), 2);
}

void TestDiscoveryManager::stopEndsTheScannerThread()
{
    sighted(kFm200);
    QPointer<device_manager::IDeviceDiscovery> scanner(_scanner.load());
    QThread *scannerThread = scanner->thread();
    QVERIFY(scannerThread != QThread::currentThread());
    QVERIFY(scannerThread != DiscoveryManager::instance()->thread());
    QPointer<QThread> watchedThread(scannerThread);
    DiscoveryManager::destroyInstance();
    QVERIFY(scanner.isNull()); // destroyed in its own thread as that thread ended
    QVERIFY(watchedThread.isNull());
    QCOMPARE(DiscoveryManager::instance(), nullptr);
}

QTEST_GUILESS_MAIN(TestDiscoveryManager)
#include "tst_discovery_manager.moc"
