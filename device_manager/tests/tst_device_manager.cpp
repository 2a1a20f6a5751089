// The device manager's own rules, through the real bus: which hand-overs make a session, one session
// per device, removal by plug-out of every session on the interface, packets and commands for
// devices without a session, a changed packet size of a link, and a silent stop.
#include "device_side.h"
#include "testing/log_capture.h"
#include "v_protocol/t_chunk_request.h"

#include <QtTest>

using namespace device_testing;
using device_manager::DeviceDiscoveryInfo;
using device_manager::DeviceEntry;
using device_manager::DeviceInterfaceInfo;
using device_manager::InterfaceType;
using device_manager::TrStrings;
using v_protocol::TMandatoryFileTypes;

namespace {

constexpr device_manager::VkDevice::TaskTimeouts kTimeouts { 10000, 10000 };

DeviceInterfaceInfo madeUpInterface(int n)
{
    return vk_testing::bleDescriptor(n, 244);
}

DeviceDiscoveryInfo handOver(
    quint64 serial, const DeviceInterfaceInfo &interfaceInfo, const QString &name = QStringLiteral("Device"))
{
    DeviceDiscoveryInfo device;
    device.interfaceInfo = interfaceInfo;
    device.deviceInfo.Name = name;
    device.deviceInfo.Serial = serial;
    device.deviceInfo.Pass = QStringLiteral("1234");
    return device;
}

QList<quint64> serialsOf(const QList<dm::DeviceDisconnectedMessage> &messages)
{
    QList<quint64> serials;
    for (const auto &message : messages)
        serials << message->device.serial;
    std::sort(serials.begin(), serials.end());
    return serials;
}

} // namespace

class TestDeviceManager : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void handOverMakesASessionOnlyWhenWellFormed_data();
    void handOverMakesASessionOnlyWhenWellFormed();
    void sameDeviceTwiceKeepsTheFirstSession();
    void plugOutRemovesEverySessionOnTheInterface();
    void withoutASessionOnlyLogged_data();
    void withoutASessionOnlyLogged();
    void connectCommandIsLeftToDiscovery_data();
    void connectCommandIsLeftToDiscovery();
    void changedPacketSizeReachesTheSession();
    void stopDropsSessionsSilently();

private:
    DeviceSide _side;
};

void TestDeviceManager::init()
{
    QVERIFY(_side.start(shippedDevices(), kTimeouts));
}

void TestDeviceManager::cleanup()
{
    _side.stop();
}

void TestDeviceManager::handOverMakesASessionOnlyWhenWellFormed_data()
{
    QTest::addColumn<DeviceDiscoveryInfo>("device");
    QTest::addColumn<int>("textIndex"); // -1: accepted
    QTest::newRow("well formed") << handOver(7, madeUpInterface(1)) << -1;
    QTest::newRow("largest 32-bit serial") << handOver(0xffffffffu, madeUpInterface(1)) << -1;
    QTest::newRow("empty name") << handOver(7, madeUpInterface(1), QString()) << int(TrStrings::InvalidDeviceInfo);
    QTest::newRow("serial beyond 32 bits")
        << handOver(Q_UINT64_C(0x100000000), madeUpInterface(1)) << int(TrStrings::InvalidDeviceInfo);
    QTest::newRow("no serial (all bits set)")
        << handOver(~quint64(0), madeUpInterface(1)) << int(TrStrings::InvalidDeviceInfo);
    QTest::newRow("interface without uuid")
        << handOver(7, { InterfaceType::BLE, QString(), 244 }) << int(TrStrings::InvalidInterfaceInfo);
}

void TestDeviceManager::handOverMakesASessionOnlyWhenWellFormed()
{
    QFETCH(DeviceDiscoveryInfo, device);
    QFETCH(int, textIndex);
    DeviceBusProbe &probe = *_side.probe;
    probe.publish(new dm::CmdConnectToDeviceInternal(device));
    QVERIFY(_side.settle());

    if (textIndex < 0) {
        QCOMPARE(probe.count<dm::DeviceCreated>(), 1);
        QCOMPARE(probe.last<dm::DeviceCreated>()->device, device);
        // The session authenticates at once, on the device's interface, with request uid 1.
        QTRY_COMPARE_WITH_TIMEOUT(probe.count<im::CmdSendPacket>(), 1, kWaitMs);
        const auto sent = probe.last<im::CmdSendPacket>();
        QCOMPARE(sent->deviceEntry, DeviceEntry { device.deviceInfo.Serial });
        QCOMPARE(sent->interfaceInfo, device.interfaceInfo);
        QCOMPARE(sent->packet.payloadType, v_protocol::TPayloadType::AuthenticationRequest);
        QCOMPARE(sent->packet.uid, 1u);
        QCOMPARE(probe.count<sy::ErrorHappend>(), 0);
    } else {
        QCOMPARE(probe.count<dm::DeviceCreated>(), 0);
        QCOMPARE(probe.count<im::CmdSendPacket>(), 0);
        QCOMPARE(probe.count<sy::ErrorHappend>(), 1);
        QCOMPARE(probe.errorCount(TrStrings::InvalidConnection, TrStrings(textIndex)), 1);
    }
}

void TestDeviceManager::sameDeviceTwiceKeepsTheFirstSession()
{
    const simulator::DeviceDefinition &device = shippedDevice(QStringLiteral("fm200"));
    DeviceBusProbe &probe = *_side.probe;
    const std::optional<DeviceDiscoveryInfo> discovered = _side.discover(device);
    QVERIFY(discovered);
    QVERIFY(_side.connect(*discovered, device.rootPassword));
    const DeviceDiscoveryInfo first = probe.last<dm::DeviceCreated>()->device;

    vk_testing::LogCapture capture;
    DeviceDiscoveryInfo again = first;
    again.interfaceInfo = madeUpInterface(2);
    probe.publish(new dm::CmdConnectToDeviceInternal(again));
    QVERIFY(_side.settle());
    QCOMPARE(capture.count(QStringLiteral("Device already existed: ")), 1);
    QCOMPARE(probe.errorCount(TrStrings::InvalidConnection, TrStrings::DeviceAlreadyExist), 1);
    QCOMPARE(probe.count<dm::DeviceCreated>(), 1);

    // The first session still serves the device over its own interface.
    const auto info = _side.request<vp::ApplicationInfoFileReceived>(
        new vp::CmdFileRequested({ device.serial }, TMandatoryFileTypes::ApplicationInfoFile));
    QVERIFY(info && info->isValid);
    QCOMPARE(probe.last<im::CmdSendPacket>()->interfaceInfo, first.interfaceInfo);
}

void TestDeviceManager::plugOutRemovesEverySessionOnTheInterface()
{
    DeviceBusProbe &probe = *_side.probe;
    const DeviceInterfaceInfo shared = madeUpInterface(1);
    const DeviceInterfaceInfo other = madeUpInterface(2);
    probe.publish(new dm::CmdConnectToDeviceInternal(handOver(11, shared)));
    probe.publish(new dm::CmdConnectToDeviceInternal(handOver(12, shared)));
    probe.publish(new dm::CmdConnectToDeviceInternal(handOver(13, other)));
    QTRY_COMPARE_WITH_TIMEOUT(probe.count<dm::DeviceCreated>(), 3, kWaitMs);

    vk_testing::LogCapture capture;
    probe.publish(new im::DeviceInterfacePluggetOut({ InterfaceType::BLE, QString(), -1 }));
    // The same interface as the sessions know it, whatever packet size the message names.
    probe.publish(new im::DeviceInterfacePluggetOut({ shared.type, shared.uuid, -1 }));
    QVERIFY(_side.settle());
    QCOMPARE(capture.count(QStringLiteral("Invalid interface uuid!")), 1);
    QCOMPARE(serialsOf(probe.all<dm::DeviceDisconnected>()), (QList<quint64> { 11, 12 }));
    const auto closes = probe.all<im::CmdCloseInterface>();
    QCOMPARE(closes.size(), 2);
    for (const auto &close : closes)
        QCOMPARE(close->interfaceInfo, shared);
    // Each removed session's pending authentication heard back; the other session waits on.
    QCOMPARE(probe.count<dm::DeviceAuthFailed>(), 2);

    // A second plug-out of the same interface finds nothing left; the other session is still there.
    probe.publish(new im::DeviceInterfacePluggetOut(shared));
    probe.publish(new dm::CmdDisconnectFromDevice({ 13 }, other));
    QVERIFY(_side.settle());
    QCOMPARE(serialsOf(probe.all<dm::DeviceDisconnected>()), (QList<quint64> { 11, 12, 13 }));
    QCOMPARE(probe.last<im::CmdCloseInterface>()->interfaceInfo, other);
    QCOMPARE(probe.count<sy::ErrorHappend>(), 0);
}

void TestDeviceManager::withoutASessionOnlyLogged_data()
{
    QTest::addColumn<std::function<event_topics::IMessage *(DeviceEntry)>>("make");
    QTest::addColumn<QString>("line");
    using Make = std::function<event_topics::IMessage *(DeviceEntry)>;
    const QString unknown = QStringLiteral("Unknown device ");
    QTest::newRow("packet") << Make([](DeviceEntry e) {
        return new im::PacketReceived(e, madeUpInterface(1), v_protocol::TPacket());
    }) << QStringLiteral("Receive packet for unknown device: ");
    QTest::newRow("disconnect") << Make([](DeviceEntry e) {
        return new dm::CmdDisconnectFromDevice(e, madeUpInterface(1));
    }) << QStringLiteral("Unknown device: ");
    QTest::newRow("file") << Make([](DeviceEntry e) {
        return new vp::CmdFileRequested(e, TMandatoryFileTypes::SettingsFile);
    }) << unknown;
    QTest::newRow("clear") << Make([](DeviceEntry e) { return new vp::CmdFileClear(e, 17); }) << unknown;
    QTest::newRow("debug") << Make([](DeviceEntry e) { return new vp::CmdDebugRequsted(e, true); }) << unknown;
    QTest::newRow("write") << Make([](DeviceEntry e) {
        v_protocol::TFileWithDataElements file;
        file.fileId = 2;
        file.elements << v_protocol::TFileWithDataElements::Element { 1, 100, QByteArray(1, 'x') };
        return new vp::CmdToSendFileWithDataElements(e, TMandatoryFileTypes::SettingsFile, file);
    }) << unknown;
    QTest::newRow("command") << Make([](DeviceEntry e) {
        return new vp::CmdSendCommand(e, { v_protocol::TPayloadType::CommandRequest, 301, QByteArray() });
    }) << unknown;
    QTest::newRow("raw write") << Make([](DeviceEntry e) { return new vp::CmdSendRawFile(e, 21, QByteArray(8, 'x')); })
                               << unknown;
    QTest::newRow("file name") << Make([](DeviceEntry e) { return new vp::CmdGetFileName(e, 17); }) << unknown;
    QTest::newRow("raw read") << Make([](DeviceEntry e) { return new vp::CmdGetRawFile(e, 17, true); }) << unknown;
}

void TestDeviceManager::withoutASessionOnlyLogged()
{
    QFETCH(std::function<event_topics::IMessage *(DeviceEntry)>, make);
    QFETCH(QString, line);
    DeviceBusProbe &probe = *_side.probe;
    // A session for another device is there.
    probe.publish(new dm::CmdConnectToDeviceInternal(handOver(21, madeUpInterface(1))));
    QVERIFY(_side.settle());
    probe.clear();

    vk_testing::LogCapture capture;
    event_topics::IMessage *message = make(DeviceEntry { 22 });
    const event_topics::TopicEntry topic = message->getTopicEntry();
    probe.publish(message);
    QVERIFY(_side.settle());
    QCOMPARE(capture.count(line + QStringLiteral(" DeviceEntry[22]")), 1);
    // Nothing published in answer (the probe hears its own message if it listens to it), nothing sent.
    for (const event_topics::PMessage &received : probe.messages)
        QVERIFY2(received->getTopicEntry() == topic, qPrintable(received->getTopicEntry().name()));
}

void TestDeviceManager::connectCommandIsLeftToDiscovery_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("warning");
    QTest::newRow("BLE") << int(InterfaceType::BLE)
                         << QStringLiteral("DeviceManager don't deal with BLE device connection") << false;
    QTest::newRow("other") << int(InterfaceType::Unknown) << QStringLiteral("Unexpected type of device interface! ")
                           << true;
}

void TestDeviceManager::connectCommandIsLeftToDiscovery()
{
    QFETCH(int, type);
    QFETCH(QString, line);
    QFETCH(bool, warning);
    DeviceBusProbe &probe = *_side.probe;
    vk_testing::LogCapture capture;
    DeviceDiscoveryInfo device = handOver(31, { InterfaceType(type), QString(), -1 });
    probe.publish(new dm::CmdConnectToDevice(device));
    QVERIFY(_side.settle());
    QCOMPARE(capture.count(line), 1);
    for (const auto &entry : capture.entries()) {
        if (entry.text.contains(line))
            QCOMPARE(entry.type, warning ? QtWarningMsg : QtDebugMsg);
    }
    QCOMPARE(probe.count<dm::DeviceCreated>(), 0);
}

void TestDeviceManager::changedPacketSizeReachesTheSession()
{
    const simulator::DeviceDefinition &device = shippedDevice(QStringLiteral("fm200"));
    DeviceBusProbe &probe = *_side.probe;
    const std::optional<DeviceDiscoveryInfo> discovered = _side.discover(device);
    QVERIFY(discovered);
    QVERIFY(_side.connect(*discovered, device.rootPassword));
    DeviceInterfaceInfo interfaceInfo = _side.interfaceOf(device.serial);
    QByteArray image;
    _side.withEngine(device, [&](simulator::DeviceEngine &engine) { image = engine.fileImage(17); });

    // The link now carries packets of 60 bytes at most: chunks of 34 data bytes.
    interfaceInfo.maximumPacketSize = 60;
    probe.publish(new im::DeviceInterfaceParameterChanged(interfaceInfo,
        device_manager::ChangedInterfaceParameters(device_manager::InterfaceParameterFlag::MaximumPacketSize)));
    probe.clear();
    const auto raw = _side.request<vp::RawFileReceived>(new vp::CmdGetRawFile({ device.serial }, 17, false));
    QVERIFY(raw && raw->isValid);
    QCOMPARE(raw->file, image);
    // After the opening request, every chunk is asked for with at most 34 bytes.
    const auto requests = probe.all<im::CmdSendPacket>();
    QVERIFY(requests.size() >= 2);
    for (qsizetype i = 0; i < requests.size(); ++i) {
        QCOMPARE(requests.at(i)->interfaceInfo.maximumPacketSize, 60);
        v_protocol::TChunkRequest request;
        QCOMPARE(requests.at(i)->packet.toChunkRequest(request), ReturnCode::Ok);
        if (i > 0)
            QVERIFY2(request.dataSize <= 34, qPrintable(QString::number(request.dataSize)));
    }
}

void TestDeviceManager::stopDropsSessionsSilently()
{
    DeviceBusProbe &probe = *_side.probe;
    probe.publish(new dm::CmdConnectToDeviceInternal(handOver(41, madeUpInterface(1))));
    QTRY_COMPARE_WITH_TIMEOUT(probe.count<dm::DeviceCreated>(), 1, kWaitMs);
    probe.clear();

    vk_testing::LogCapture capture;
    device_manager::DeviceManager::destroyInstance();
    QCOMPARE(device_manager::DeviceManager::instance(), nullptr);
    QCOMPARE(device_manager::DiscoveryManager::instance(), nullptr);
    QCOMPARE(device_manager::InterfaceManager::instance(), nullptr);
    QCOMPARE(capture.count(QStringLiteral("Device deleted:  DeviceEntry[41]")), 1);
    // Everything the manager published before its thread ended has been handed to the bus.
    QVERIFY(probe.barrier());
    QCOMPARE(probe.messages.size(), 0);
}

QTEST_GUILESS_MAIN(TestDeviceManager)
#include "tst_device_manager.moc"
