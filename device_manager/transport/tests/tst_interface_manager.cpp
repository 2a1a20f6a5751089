// The interface manager through the real bus, with simulated devices as peers: creation and its
// refusals, close and send, plug-out, relays of the interfaces' signals, shutdown.

#include "bus_probe.h"

#include "device_manager/transport/interface_manager.h"
#include "event_bus/bus_manager.h"
#include "event_topics/messages/message_meta_types.h"
#include "event_topics/thread_handover.h"
#include "simulator/device_catalog.h"
#include "simulator/device_park.h"
#include "simulator/transport/simulated_device_interface.h"
#include "testing/log_capture.h"
#include "testing/packet_master.h"
#include "testing/transport_fixtures.h"

#include <QPointer>
#include <QtTest>

#include <memory>

using bus_probe::BusProbe;
using device_manager::DeviceInterfaceInfo;
using device_manager::InterfaceManager;
using device_manager::TrStrings;
namespace im = event_topics::interface_manager;

namespace {

constexpr int kWaitMs = 10000;

using vk_testing::bleDescriptor;
using vk_testing::leDeviceInfo;
using vk_testing::shippedDevice;

// An interface whose results and signals the test decides; it plugs in at once when opened.
class StubInterface : public device_manager::IDeviceInterface
{
    Q_OBJECT

public:
    using IDeviceInterface::IDeviceInterface;

    static inline ReturnCode s_openResult = ReturnCode::Ok;
    static inline ReturnCode s_closeResult = ReturnCode::Ok;
    static inline QPointer<StubInterface> s_last;

    bool isOpen() override { return false; }
    ReturnCode open() override
    {
        if (s_openResult == ReturnCode::Ok)
            QMetaObject::invokeMethod(
                this, [this]() { emit pluggedIn(_interfaceInfo); }, Qt::QueuedConnection);
        return s_openResult;
    }
    ReturnCode close() override
    {
        ++closes;
        if (s_closeResult == ReturnCode::Ok)
            emit pluggedOut(_interfaceInfo);
        return s_closeResult;
    }
    ReturnCode sendPacket(device_manager::DeviceEntry, v_protocol::TPacket) override { return ReturnCode::Ok; }
    int maximumPacketSize() override { return -1; }

    std::atomic<int> closes { 0 };
};

} // namespace

class TestInterfaceManager : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void createdInterfaceCarriesPacketsBothWays();
    void refusedCreations_data();
    void refusedCreations();
    void unreachableDevicePlugsOutAndFreesTheKey();
    void closeRemovesTheInterface();
    void deviceDroppingTheLinkPlugsOut();
    void commandsForUnknownInterfacesAreOnlyLogged();
    void relaysOfInterfaceSignals_data();
    void relaysOfInterfaceSignals();
    void failedOpenAndCloseStillEndTheInterface_data();
    void failedOpenAndCloseStillEndTheInterface();
    void shutdownPublishesNoPlugOut();

private:
    void startManager(InterfaceManager::InterfaceFactory factory);
    bool create(const DeviceInterfaceInfo &info, const QString &address);
    int interfaceCount();
    bool engineLinkUp(const QString &address);

    std::unique_ptr<BusProbe> m_probe;
    std::shared_ptr<simulator::DevicePark> m_park;
    InterfaceManager *m_manager = nullptr;
};

void TestInterfaceManager::initTestCase()
{
    event_topics::registerMessageMetaTypes();
    QVERIFY(event_bus::BusManager::createInstance(nullptr));
    m_probe = std::make_unique<BusProbe>();
    QVERIFY(m_probe->subscribeAll());
}

void TestInterfaceManager::init()
{
    m_park = std::make_shared<simulator::DevicePark>(vk_testing::shippedDevices());
    startManager(simulator::SimulatedDeviceInterface::factory(m_park));
}

void TestInterfaceManager::cleanup()
{
    InterfaceManager::destroyInstance();
    InterfaceManager::setInterfaceFactory({});
    QVERIFY(m_probe->barrier());
    m_probe->created.clear();
    m_probe->pluggedOut.clear();
    m_probe->packets.clear();
    m_probe->parameterChanges.clear();
    m_probe->closeCommands.clear();
    m_probe->disconnectCommands.clear();
    m_probe->errors.clear();
    m_probe->debugs.clear();
    StubInterface::s_openResult = ReturnCode::Ok;
    StubInterface::s_closeResult = ReturnCode::Ok;
}

void TestInterfaceManager::cleanupTestCase()
{
    QCOMPARE(m_probe->unsubscribeAll(), ReturnCode::Ok);
    m_probe.reset();
    event_bus::BusManager::destroyInstance();
}

void TestInterfaceManager::startManager(InterfaceManager::InterfaceFactory factory)
{
    InterfaceManager::destroyInstance();
    InterfaceManager::setInterfaceFactory(std::move(factory));
    m_manager = InterfaceManager::createInstance(nullptr);
    QVERIFY(m_manager);
}

bool TestInterfaceManager::create(const DeviceInterfaceInfo &info, const QString &address)
{
    const int before = int(m_probe->created.size());
    m_probe->publish(new im::CmdCreateBleInterface(info, leDeviceInfo(address)));
    return QTest::qWaitFor([&]() { return m_probe->created.size() > before; }, kWaitMs)
        && m_probe->created.last()->interfaceInfo == info;
}

int TestInterfaceManager::interfaceCount()
{
    int count = -1;
    event_topics::queueCall(
        m_manager, [&]() { count = m_manager->interfaceCount(); }, Qt::BlockingQueuedConnection);
    return count;
}

bool TestInterfaceManager::engineLinkUp(const QString &address)
{
    bool up = false;
    m_park->withEngine(address, [&](simulator::DeviceEngine &engine) { up = engine.isLinkUp(); });
    return up;
}

void TestInterfaceManager::createdInterfaceCarriesPacketsBothWays()
{
    const simulator::DeviceDefinition &fm200 = shippedDevice("fm200");
    const DeviceInterfaceInfo info = bleDescriptor(1);
    QVERIFY(create(info, fm200.address));
    QCOMPARE(m_probe->created.first()->interfaceInfo.maximumPacketSize, fm200.link.maximumPacketSize());

    vk_testing::PacketMaster master(fm200.serial, [&](const v_protocol::TPacket &packet) {
        return m_probe->publish(new im::CmdSendPacket({ fm200.serial }, info, packet)) == ReturnCode::Ok;
    });
    connect(m_probe.get(), &BusProbe::packetArrived, this,
        [&master](v_protocol::TPacket packet) { master.received(packet); });
    v_protocol::TAuthResponse response;
    QVERIFY(master.authenticate(fm200.rootPassword, response));
    QCOMPARE(response.authResult, v_protocol::TAuthResult::SuccessRoot);
    const auto fileTable = quint8(v_protocol::TMandatoryFileTypes::FileInfo);
    QByteArray image;
    QVERIFY(master.readFile(fileTable, fm200.link.maximumPacketSize() - v_protocol::kChunkPacketOverhead, image));
    m_park->withEngine(
        fm200.address, [&](simulator::DeviceEngine &engine) { QCOMPARE(image, engine.fileImage(fileTable)); });

    for (const im::PacketReceivedMessage &message : qAsConst(m_probe->packets)) {
        QCOMPARE(message->deviceEntry.serial, quint64(fm200.serial));
        QCOMPARE(message->interfaceInfo, info);
    }
    QVERIFY(m_probe->barrier());
    QCOMPARE(m_probe->errors.size(), 0);
}

void TestInterfaceManager::refusedCreations_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("textIndex"); // under "Invalid connection"
    QTest::newRow("null message") << "null" << int(TrStrings::InternalError);
    QTest::newRow("empty uuid") << "empty uuid" << int(TrStrings::InternalError);
    QTest::newRow("invalid Bluetooth device") << "invalid device" << int(TrStrings::InvalidBluetoothDiscovery);
    QTest::newRow("same type and uuid") << "duplicate" << int(TrStrings::InterfaceAlreadyExist);
    QTest::newRow("same type and uuid, other packet size") << "duplicate size" << int(TrStrings::InterfaceAlreadyExist);
}

void TestInterfaceManager::refusedCreations()
{
    QFETCH(QString, kind);
    QFETCH(int, textIndex);
    const QString address = shippedDevice("fm200").address;
    vk_testing::LogCapture log;
    int existing = 0;
    if (kind == QLatin1String("null")) {
        event_topics::queueCall(
            m_manager, [this]() { m_manager->onCmdCreateBleInterface({}); }, Qt::BlockingQueuedConnection);
    } else if (kind == QLatin1String("empty uuid")) {
        m_probe->publish(new im::CmdCreateBleInterface(
            { device_manager::InterfaceType::BLE, QString(), -1 }, leDeviceInfo(address)));
    } else if (kind == QLatin1String("invalid device")) {
        m_probe->publish(new im::CmdCreateBleInterface(bleDescriptor(2), QBluetoothDeviceInfo()));
    } else {
        QVERIFY(create(bleDescriptor(3, -1), address));
        existing = 1;
        m_probe->publish(new im::CmdCreateBleInterface(bleDescriptor(3, kind == QLatin1String("duplicate") ? -1 : 244),
            leDeviceInfo(shippedDevice("gw4").address)));
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_probe->errors.size(), 1, kWaitMs);
    const bus_probe::sy::ErrorHappendMessage error = m_probe->errors.first();
    QCOMPARE(error->submoduleId, SubmoduleIds::DeviceManager);
    QCOMPARE(error->titleIndex, TrStrings::InvalidConnection);
    QCOMPARE(int(error->textIndex), textIndex);
    QCOMPARE(interfaceCount(), existing);
    QCOMPARE(
        log.count(QStringLiteral("Interface aleady exist: ")), kind.startsWith(QLatin1String("duplicate")) ? 1 : 0);
    QVERIFY(m_probe->barrier());
    QCOMPARE(m_probe->created.size(), existing);
    QCOMPARE(m_probe->errors.size(), 1);
}

void TestInterfaceManager::unreachableDevicePlugsOutAndFreesTheKey()
{
    const DeviceInterfaceInfo info = bleDescriptor(4);
    m_probe->publish(new im::CmdCreateBleInterface(info, leDeviceInfo(QStringLiteral("00:11:22:33:44:55"))));
    QTRY_COMPARE_WITH_TIMEOUT(m_probe->pluggedOut.size(), 1, kWaitMs);
    QCOMPARE(m_probe->pluggedOut.first()->interfaceInfo, info);
    QCOMPARE(interfaceCount(), 0);
    QVERIFY(create(info, shippedDevice("fm200").address));
    QCOMPARE(m_probe->created.size(), 1);
    QVERIFY(m_probe->barrier());
    QCOMPARE(m_probe->errors.size(), 0);
}

void TestInterfaceManager::closeRemovesTheInterface()
{
    const QString address = shippedDevice("gw4").address;
    const DeviceInterfaceInfo info = bleDescriptor(5);
    QVERIFY(create(info, address));
    QVERIFY(engineLinkUp(address));
    m_probe->publish(new im::CmdCloseInterface(info));
    QTRY_COMPARE_WITH_TIMEOUT(m_probe->pluggedOut.size(), 1, kWaitMs);
    QCOMPARE(m_probe->pluggedOut.first()->interfaceInfo, info);
    QCOMPARE(interfaceCount(), 0);
    QVERIFY(!engineLinkUp(address));
    QVERIFY(create(info, address));
}

void TestInterfaceManager::deviceDroppingTheLinkPlugsOut()
{
    const simulator::DeviceDefinition &fm200 = shippedDevice("fm200");
    const DeviceInterfaceInfo info = bleDescriptor(6);
    m_park->withEngine(fm200.address, [](simulator::DeviceEngine &engine) {
        engine.setFailure(simulator::FailureInjection::of(
            simulator::FailureMode::DisconnectMidTransfer, v_protocol::TPayloadType::FileChunkRequest, 0));
    });
    QVERIFY(create(info, fm200.address));
    const v_protocol::TChunkRequest opening = v_protocol::TFileTransfer::openingRequest(0);
    m_probe->publish(new im::CmdSendPacket(
        { fm200.serial }, info, v_protocol::makeChunkRequest(opening, 1, fm200.serial, v_protocol::kMasterUid)));
    QTRY_COMPARE_WITH_TIMEOUT(m_probe->pluggedOut.size(), 1, kWaitMs);
    QCOMPARE(m_probe->pluggedOut.first()->interfaceInfo, info);
    QCOMPARE(interfaceCount(), 0);
}

void TestInterfaceManager::commandsForUnknownInterfacesAreOnlyLogged()
{
    vk_testing::LogCapture log;
    const DeviceInterfaceInfo unknown = bleDescriptor(7);
    m_probe->publish(new im::CmdCloseInterface(unknown));
    m_probe->publish(new im::CmdSendPacket({ 1 }, unknown, v_protocol::makeDebugRequest(1, 1, v_protocol::kMasterUid)));
    QTRY_COMPARE_WITH_TIMEOUT(log.count(QStringLiteral("Interface not found: ")), 2, kWaitMs);
    QVERIFY(m_probe->barrier());
    QCOMPARE(m_probe->errors.size(), 0);
    QCOMPARE(m_probe->pluggedOut.size(), 0);

    // A close command without uuid is malformed.
    m_probe->publish(new im::CmdCloseInterface({ device_manager::InterfaceType::BLE, QString(), -1 }));
    QTRY_COMPARE_WITH_TIMEOUT(m_probe->errors.size(), 1, kWaitMs);
    QCOMPARE(m_probe->errors.first()->textIndex, TrStrings::InternalError);
}

void TestInterfaceManager::relaysOfInterfaceSignals_data()
{
    QTest::addColumn<QString>("signal");
    QTest::newRow("connectionLost") << "connectionLost";
    QTest::newRow("errorHappend") << "errorHappend";
    QTest::newRow("debugHappend") << "debugHappend";
    QTest::newRow("parameterChanged") << "parameterChanged";
}

void TestInterfaceManager::relaysOfInterfaceSignals()
{
    QFETCH(QString, signal);
    startManager([](QObject *parent, const DeviceInterfaceInfo &info, const QBluetoothDeviceInfo &) {
        auto *stub = new StubInterface(parent, info);
        StubInterface::s_last = stub;
        return stub;
    });
    const DeviceInterfaceInfo info = bleDescriptor(8, 100);
    QVERIFY(create(info, shippedDevice("fm200").address));
    StubInterface *stub = StubInterface::s_last;
    QVERIFY(stub);
    const device_manager::DeviceEntry entry { 4711 };
    event_topics::queueCall(
        stub,
        [&]() {
            if (signal == QLatin1String("connectionLost"))
                emit stub->connectionLost(entry, info);
            else if (signal == QLatin1String("errorHappend"))
                emit stub->errorHappend(TrStrings::BleConnectionError, TrStrings::DeviceIsNotSupported);
            else if (signal == QLatin1String("debugHappend"))
                emit stub->debugHappend(QStringLiteral("link quality low"));
            else
                emit stub->parameterChanged(info, device_manager::InterfaceParameterFlag::MaximumPacketSize);
        },
        Qt::BlockingQueuedConnection);
    QVERIFY(m_probe->barrier());

    QCOMPARE(m_probe->disconnectCommands.size(), signal == QLatin1String("connectionLost") ? 1 : 0);
    QCOMPARE(m_probe->errors.size(), signal == QLatin1String("errorHappend") ? 1 : 0);
    QCOMPARE(m_probe->debugs.size(), signal == QLatin1String("debugHappend") ? 1 : 0);
    QCOMPARE(m_probe->parameterChanges.size(), signal == QLatin1String("parameterChanged") ? 1 : 0);
    if (!m_probe->disconnectCommands.isEmpty()) {
        QCOMPARE(m_probe->disconnectCommands.first()->deviceEntry, entry);
        QCOMPARE(m_probe->disconnectCommands.first()->interfaceInfo, info);
    }
    if (!m_probe->errors.isEmpty()) {
        QCOMPARE(m_probe->errors.first()->submoduleId, SubmoduleIds::DeviceManager);
        QCOMPARE(m_probe->errors.first()->titleIndex, TrStrings::BleConnectionError);
        QCOMPARE(m_probe->errors.first()->textIndex, TrStrings::DeviceIsNotSupported);
    }
    if (!m_probe->debugs.isEmpty()) {
        QCOMPARE(m_probe->debugs.first()->submoduleId, SubmoduleIds::DeviceManager);
        QCOMPARE(m_probe->debugs.first()->title, QStringLiteral("Interface debug"));
        QCOMPARE(m_probe->debugs.first()->text, QStringLiteral("link quality low"));
    }
    if (!m_probe->parameterChanges.isEmpty()) {
        QCOMPARE(m_probe->parameterChanges.first()->interfaceInfo.maximumPacketSize, 100);
        QVERIFY(m_probe->parameterChanges.first()->changedParameters.testFlag(
            device_manager::InterfaceParameterFlag::MaximumPacketSize));
    }
}

void TestInterfaceManager::failedOpenAndCloseStillEndTheInterface_data()
{
    QTest::addColumn<bool>("openFails"); // else close() fails
    QTest::newRow("open fails: the manager closes it") << true;
    QTest::newRow("close fails: the manager drops it") << false;
}

void TestInterfaceManager::failedOpenAndCloseStillEndTheInterface()
{
    QFETCH(bool, openFails);
    startManager([](QObject *parent, const DeviceInterfaceInfo &info, const QBluetoothDeviceInfo &) {
        auto *stub = new StubInterface(parent, info);
        StubInterface::s_last = stub;
        return stub;
    });
    const DeviceInterfaceInfo info = bleDescriptor(9);
    if (openFails) {
        StubInterface::s_openResult = ReturnCode::ErrInternalError;
        m_probe->publish(new im::CmdCreateBleInterface(info, leDeviceInfo(shippedDevice("fm200").address)));
        QTRY_COMPARE_WITH_TIMEOUT(m_probe->closeCommands.size(), 1, kWaitMs);
        QCOMPARE(m_probe->closeCommands.first()->interfaceInfo, info);
    } else {
        QVERIFY(create(info, shippedDevice("fm200").address));
        StubInterface::s_closeResult = ReturnCode::ErrInternalError;
        m_probe->publish(new im::CmdCloseInterface(info));
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_probe->pluggedOut.size(), 1, kWaitMs);
    QCOMPARE(m_probe->pluggedOut.first()->interfaceInfo, info);
    QCOMPARE(interfaceCount(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(StubInterface::s_last.isNull(), kWaitMs);
}

void TestInterfaceManager::shutdownPublishesNoPlugOut()
{
    QVERIFY(create(bleDescriptor(10), shippedDevice("fm200").address));
    QVERIFY(create(bleDescriptor(11), shippedDevice("gw4").address));
    QCOMPARE(interfaceCount(), 2);
    InterfaceManager::destroyInstance();
    QVERIFY(!InterfaceManager::instance());
    // The devices saw their links end, the bus heard nothing of it.
    QVERIFY(!engineLinkUp(shippedDevice("fm200").address));
    QVERIFY(!engineLinkUp(shippedDevice("gw4").address));
    QVERIFY(m_probe->barrier());
    QCOMPARE(m_probe->pluggedOut.size(), 0);
    QCOMPARE(m_probe->errors.size(), 0);
}

QTEST_GUILESS_MAIN(TestInterfaceManager)
#include "tst_interface_manager.moc"
