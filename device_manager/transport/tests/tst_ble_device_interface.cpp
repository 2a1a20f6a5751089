// BleDeviceInterface on a scripted controller and service: every branch of the connection
// sequence, reception, closing by controller state, the plug-out timer and the packet size.

#include "scripted_ble.h"

#include "event_topics/messages/message_meta_types.h"
#include "simulator/device_engine.h"
#include "testing/log_capture.h"
#include "testing/packet_master.h"
#include "testing/transport_fixtures.h"
#include "v_protocol/crc.h"

#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace ble_test;
using device_manager::BleDeviceInterface;
using device_manager::DeviceInterfaceInfo;
using device_manager::TrStrings;

namespace {

constexpr int kWaitMs = 5000;
const QString kAddress = QStringLiteral("C4:7F:51:00:10:01");

QBluetoothDeviceInfo deviceInfo()
{
    return vk_testing::leDeviceInfo(kAddress);
}

DeviceInterfaceInfo descriptor()
{
    return vk_testing::bleDescriptor(1);
}

// An interface on scripted controllers, with a spy on each of its signals.
struct Harness
{
    explicit Harness(const Script &script = Script())
    {
        controllers.script = script;
        interface = std::make_unique<BleDeviceInterface>(nullptr, descriptor(), deviceInfo(), controllers.factory());
        BleDeviceInterface *i = interface.get();
        pluggedIn = std::make_unique<QSignalSpy>(i, &BleDeviceInterface::pluggedIn);
        pluggedOut = std::make_unique<QSignalSpy>(i, &BleDeviceInterface::pluggedOut);
        data = std::make_unique<QSignalSpy>(i, &BleDeviceInterface::dataReceived);
        errors = std::make_unique<QSignalSpy>(i, &BleDeviceInterface::errorHappend);
        debug = std::make_unique<QSignalSpy>(i, &BleDeviceInterface::debugHappend);
        parameters = std::make_unique<QSignalSpy>(i, &BleDeviceInterface::parameterChanged);
    }

    ScriptedController *controller() const { return controllers.last(); }
    ScriptedService *service() const { return controller() ? controller()->lastService.data() : nullptr; }
    QTimer *plugOutTimer() const { return interface->findChild<QTimer *>(); }

    bool openAndPlugIn()
    {
        return interface->open() == ReturnCode::Ok && (pluggedIn->size() > 0 || pluggedIn->wait(kWaitMs));
    }

    Controllers controllers;
    std::unique_ptr<BleDeviceInterface> interface;
    std::unique_ptr<QSignalSpy> pluggedIn, pluggedOut, data, errors, debug, parameters;
};

QByteArray responseBytes()
{
    v_protocol::TAuthResponse response;
    response.authResult = v_protocol::TAuthResult::SuccessRoot;
    response.maxPacketSize = 244;
    return v_protocol::TPacket::makeResponse(response.toPayload(), 7, 10250001, v_protocol::kMasterUid).toByteArray();
}

} // namespace

class TestBleDeviceInterface : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void packetSizeForMtu_data();
    void packetSizeForMtu();
    void pluggedInCarriesThePacketSize_data();
    void pluggedInCarriesThePacketSize();
    void connectionSequence();
    void refusedDevices_data();
    void refusedDevices();
    void notifications_data();
    void notifications();
    void exchangesPacketsWithASimulatedDevice();
    void sendNeedsTheService();
    void closeByControllerState_data();
    void closeByControllerState();
    void closeWithoutLinkEmitsNothing();
    void plugOutTimerWhenTheDisconnectNeverCompletes();
    void linkEndsWithoutUserError_data();
    void linkEndsWithoutUserError();
    void mtuChangeReportsThePacketSize();
    void secondOpenReplacesTheConnection();
    void destructionEmitsNothing();
};

void TestBleDeviceInterface::initTestCase()
{
    event_topics::registerMessageMetaTypes();
}

void TestBleDeviceInterface::cleanup()
{
    // Controllers and services are deleted from the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestBleDeviceInterface::packetSizeForMtu_data()
{
    QTest::addColumn<int>("mtu");
    QTest::addColumn<int>("size");
    QTest::newRow("not supported") << -1 << -1;
    QTest::newRow("below the default") << 22 << -1;
    QTest::newRow("default, nothing negotiated") << 23 << 0;
    QTest::newRow("one above the default") << 24 << 21;
    QTest::newRow("common") << 247 << 244;
    QTest::newRow("largest") << 517 << 514;
}

void TestBleDeviceInterface::packetSizeForMtu()
{
    QFETCH(int, mtu);
    QFETCH(int, size);
    QCOMPARE(BleDeviceInterface::packetSizeForMtu(mtu), size);
}

void TestBleDeviceInterface::pluggedInCarriesThePacketSize_data()
{
    QTest::addColumn<int>("mtu");
    QTest::addColumn<int>("size");
    QTest::newRow("MTU 23") << 23 << 0;
    QTest::newRow("MTU 247") << 247 << 244;
    QTest::newRow("MTU not reported (BlueZ over D-Bus)") << -1 << -1;
}

void TestBleDeviceInterface::pluggedInCarriesThePacketSize()
{
    QFETCH(int, mtu);
    QFETCH(int, size);
    Script script;
    script.mtu = mtu;
    Harness h(script);
    QCOMPARE(h.interface->maximumPacketSize(), -1); // no controller yet
    QVERIFY(h.openAndPlugIn());
    QCOMPARE(h.pluggedIn->first().first().value<DeviceInterfaceInfo>().maximumPacketSize, size);
    QCOMPARE(h.interface->maximumPacketSize(), size);
    QCOMPARE(h.interface->interfaceInfo().maximumPacketSize, size);
}

void TestBleDeviceInterface::connectionSequence()
{
    Harness h;
    QVERIFY(!h.interface->isOpen());
    QVERIFY(h.openAndPlugIn());
    QVERIFY(h.interface->isOpen());
    QCOMPARE(h.controllers.made.size(), 1);
    QCOMPARE(h.controller()->connectCalls, 1);
    QCOMPARE(h.controller()->discoverCalls, 1);
    QVERIFY(h.service());
    QCOMPARE(h.service()->discoverDetailsCalls, 1);
    // Notifications of the receive characteristic enabled through its CCCD.
    QCOMPARE(h.service()->descriptorWrites.size(), 1);
    QCOMPARE(h.service()->descriptorWrites.first().first, rx());
    QCOMPARE(h.service()->descriptorWrites.first().second, QByteArray::fromHex("0100"));
    const auto info = h.pluggedIn->first().first().value<DeviceInterfaceInfo>();
    QCOMPARE(info, descriptor());
    QCOMPARE(h.pluggedOut->size(), 0);
    QCOMPARE(h.errors->size(), 0);
}

void TestBleDeviceInterface::refusedDevices_data()
{
    QTest::addColumn<QList<QBluetoothUuid>>("services");
    QTest::addColumn<bool>("serviceObjects");
    QTest::addColumn<QList<QBluetoothUuid>>("characteristics");
    QTest::addColumn<bool>("cccd");
    QTest::addColumn<int>("errorText"); // TrStrings under "BLE connection error"; -1: no user error
    QTest::addColumn<QString>("warning");

    const QList<QBluetoothUuid> both { rx(), tx() };
    const QBluetoothUuid deviceInformation(QBluetoothUuid::ServiceClassUuid::DeviceInformation);
    QTest::newRow("no services at all") << QList<QBluetoothUuid>() << true << both << true
                                        << int(TrStrings::ErrorScanningServices) << QString();
    QTest::newRow("no RX/TX service") << QList<QBluetoothUuid> { deviceInformation } << true << both << true
                                      << int(TrStrings::DeviceIsNotSupported) << QString();
    QTest::newRow("service object refused") << QList<QBluetoothUuid> { deviceInformation, rxTxService() } << false
                                            << both << true << -1 << QStringLiteral("Cannot create service for uuid");
    QTest::newRow("receive characteristic missing")
        << QList<QBluetoothUuid> { rxTxService() } << true << QList<QBluetoothUuid> { tx() } << true
        << int(TrStrings::DeviceIsNotSupported) << QStringLiteral("Invalid _rxCharacteristic or _txCharacteristic!");
    QTest::newRow("transmit characteristic missing")
        << QList<QBluetoothUuid> { rxTxService() } << true << QList<QBluetoothUuid> { rx() } << true
        << int(TrStrings::DeviceIsNotSupported) << QStringLiteral("Invalid _rxCharacteristic or _txCharacteristic!");
    QTest::newRow("notification descriptor missing")
        << QList<QBluetoothUuid> { rxTxService() } << true << both << false << int(TrStrings::DeviceIsNotSupported)
        << QStringLiteral("Invalid notification!");
}

void TestBleDeviceInterface::refusedDevices()
{
    QFETCH(QList<QBluetoothUuid>, services);
    QFETCH(bool, serviceObjects);
    QFETCH(QList<QBluetoothUuid>, characteristics);
    QFETCH(bool, cccd);
    QFETCH(int, errorText);
    QFETCH(QString, warning);
    Script script;
    script.services = services;
    script.serviceObjects = serviceObjects;
    script.characteristics = characteristics;
    script.cccd = cccd;
    vk_testing::LogCapture log;
    Harness h(script);
    QCOMPARE(h.interface->open(), ReturnCode::Ok);
    QVERIFY(h.pluggedOut->wait(kWaitMs));

    QCOMPARE(h.pluggedIn->size(), 0);
    QCOMPARE(h.pluggedOut->size(), 1);
    QVERIFY(!h.interface->isOpen());
    if (errorText < 0) {
        QCOMPARE(h.errors->size(), 0);
    } else {
        QCOMPARE(h.errors->size(), 1);
        QCOMPARE(h.errors->first().at(0).value<TrStrings>(), TrStrings::BleConnectionError);
        QCOMPARE(int(h.errors->first().at(1).value<TrStrings>()), errorText);
    }
    if (!warning.isEmpty())
        QCOMPARE(log.count(warning), 1);
    // The link was still up after the service discovery: it is closed, not just forgotten.
    QCOMPARE(h.controller()->disconnectCalls, 1);
    QCOMPARE(h.interface->sendPacket({}, {}), ReturnCode::ErrInvalidHandler);
}

void TestBleDeviceInterface::notifications_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("channel"); // 0 notification of RX, 1 notification of TX, 2 read of RX
    QTest::addColumn<QString>("debugText"); // empty: none
    QTest::addColumn<bool>("delivered");
    QTest::addColumn<quint64>("serial");
    QTest::addColumn<int>("payloadType");

    const QByteArray packet = responseBytes();
    QByteArray crc = packet;
    crc[crc.size() - 1] = char(crc.at(crc.size() - 1) ^ 0x5a);
    // One byte more than the size field says, with a CRC that fits the longer bytes.
    QByteArray longer = packet.left(packet.size() - 2) + QByteArray(1, 'x');
    const quint16 longerCrc = v_protocol::calcCrc16(longer);
    longer.append(char(longerCrc & 0xff)).append(char(longerCrc >> 8));

    QTest::newRow("packet") << packet << 0 << QString() << true << quint64(10250001) << 2;
    QTest::newRow("read of the receive characteristic") << packet << 2 << QString() << true << quint64(10250001) << 2;
    QTest::newRow("13 bytes") << packet.left(13) << 0
                              << QStringLiteral("v-protocol parsing error: ReturnCode::ErrParsingInvalidSize") << true
                              << quint64(0) << 255;
    QTest::newRow("wrong CRC") << crc << 0
                               << QStringLiteral("v-protocol parsing error: ReturnCode::ErrParsingInvalidCrc") << true
                               << quint64(0) << 255;
    QTest::newRow("size field differs from the length")
        << longer << 0 << QStringLiteral("v-protocol parsing error: ReturnCode::ErrParsingInvalidSize") << true
        << quint64(10250001) << 255;
    QTest::newRow("other characteristic") << packet << 1 << QString() << false << quint64(0) << 0;
}

void TestBleDeviceInterface::notifications()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, channel);
    QFETCH(QString, debugText);
    QFETCH(bool, delivered);
    QFETCH(quint64, serial);
    QFETCH(int, payloadType);
    Harness h;
    QVERIFY(h.openAndPlugIn());
    if (channel == 2)
        emit h.service()->characteristicRead(rx(), bytes);
    else
        emit h.service()->characteristicChanged(channel == 0 ? rx() : tx(), bytes);

    QCOMPARE(h.debug->size(), debugText.isEmpty() ? 0 : 1);
    if (!debugText.isEmpty())
        QCOMPARE(h.debug->first().first().toString(), debugText);
    QCOMPARE(h.data->size(), delivered ? 1 : 0);
    if (delivered) {
        const QList<QVariant> arguments = h.data->first();
        QCOMPARE(arguments.at(0).value<device_manager::DeviceEntry>().serial, serial);
        QCOMPARE(arguments.at(1).value<DeviceInterfaceInfo>(), descriptor());
        const auto received = arguments.at(2).value<v_protocol::TPacket>();
        QCOMPARE(quint64(received.slaveSerial), serial);
        QCOMPARE(int(received.payloadType), payloadType);
    }
}

void TestBleDeviceInterface::exchangesPacketsWithASimulatedDevice()
{
    // Every write goes to a simulated device as wire bytes; its answers come back as notifications.
    const simulator::DeviceDefinition &definition = vk_testing::shippedDevice("fm200");
    simulator::DeviceEngine engine(definition);
    Script script;
    script.peer = [&engine](const QByteArray &written) {
        QList<QByteArray> answers;
        for (const simulator::ReplyItem &item : engine.handleBytes(written))
            answers.append(item.bytes);
        return answers;
    };
    Harness h(script);
    QVERIFY(h.openAndPlugIn());
    vk_testing::PacketMaster master(definition.serial,
        [&h](const v_protocol::TPacket &packet) { return h.interface->sendPacket({}, packet) == ReturnCode::Ok; });
    connect(h.interface.get(), &BleDeviceInterface::dataReceived, this,
        [&master](
            device_manager::DeviceEntry, DeviceInterfaceInfo, v_protocol::TPacket packet) { master.received(packet); });

    v_protocol::TAuthResponse response;
    QVERIFY(master.authenticate(definition.rootPassword, response));
    QCOMPARE(response.authResult, v_protocol::TAuthResult::SuccessRoot);
    QByteArray image;
    QVERIFY(master.readFile(
        quint8(v_protocol::TMandatoryFileTypes::SlaveProfile), 244 - v_protocol::kChunkPacketOverhead, image));
    QCOMPARE(image, engine.fileImage(quint8(v_protocol::TMandatoryFileTypes::SlaveProfile)));
    // One write of the whole packet per request, to the transmit characteristic.
    QCOMPARE(h.service()->writes.first().first, tx());
    QCOMPARE(h.service()->writes.first().second.size(), 20); // authentication request: 14 + 6
    QCOMPARE(quint64(engine.counters().packetsReceived), quint64(h.service()->writes.size()));
}

void TestBleDeviceInterface::sendNeedsTheService()
{
    Script script;
    script.automatic = false;
    vk_testing::LogCapture log;
    Harness h(script);
    const v_protocol::TPacket packet = v_protocol::makeDebugRequest(1, 10250001, v_protocol::kMasterUid);
    QCOMPARE(h.interface->sendPacket({}, packet), ReturnCode::ErrInvalidHandler);
    QCOMPARE(log.count(QStringLiteral("Invalid _rxTxService!")), 1);

    // Service found, its details not yet: there is no characteristic to write to.
    QCOMPARE(h.interface->open(), ReturnCode::Ok);
    h.controller()->finishConnecting();
    h.controller()->finishDiscovery();
    QVERIFY(h.service());
    QCOMPARE(h.interface->sendPacket({}, packet), ReturnCode::ErrInvalidHandler);
    QCOMPARE(log.count(QStringLiteral("Invalid _txCharacteristic!")), 1);
    QCOMPARE(h.service()->writes.size(), 0);

    h.service()->finishDiscovery();
    QCOMPARE(h.pluggedIn->size(), 1);
    QCOMPARE(h.interface->sendPacket({}, packet), ReturnCode::Ok);
    QCOMPARE(h.service()->writes.size(), 1);
    QCOMPARE(h.service()->writes.first().second, packet.toByteArray());
}

void TestBleDeviceInterface::closeByControllerState_data()
{
    QTest::addColumn<QLowEnergyController::ControllerState>("state");
    QTest::addColumn<int>("disconnects");
    QTest::addColumn<int>("stopAdvertising");
    QTest::addColumn<bool>("atOnce"); // pluggedOut during close(); otherwise when `disconnected` arrives

    QTest::newRow("unconnected") << QLowEnergyController::UnconnectedState << 0 << 0 << true;
    QTest::newRow("connecting") << QLowEnergyController::ConnectingState << 1 << 0 << false;
    QTest::newRow("connected") << QLowEnergyController::ConnectedState << 1 << 0 << false;
    QTest::newRow("discovering") << QLowEnergyController::DiscoveringState << 1 << 0 << true;
    QTest::newRow("discovered") << QLowEnergyController::DiscoveredState << 1 << 0 << true;
    QTest::newRow("closing") << QLowEnergyController::ClosingState << 0 << 0 << false;
    QTest::newRow("advertising") << QLowEnergyController::AdvertisingState << 0 << 1 << true;
}

void TestBleDeviceInterface::closeByControllerState()
{
    QFETCH(QLowEnergyController::ControllerState, state);
    QFETCH(int, disconnects);
    QFETCH(int, stopAdvertising);
    QFETCH(bool, atOnce);
    Script script;
    script.automatic = false;
    script.disconnectCompletes = false;
    Harness h(script);
    QCOMPARE(h.interface->open(), ReturnCode::Ok);
    QPointer<ScriptedController> controller = h.controller();
    controller->controllerState = state;

    QCOMPARE(h.interface->close(), ReturnCode::Ok);
    QCOMPARE(controller->disconnectCalls, disconnects);
    QCOMPARE(controller->stopAdvertisingCalls, stopAdvertising);
    QCOMPARE(h.pluggedOut->size(), atOnce ? 1 : 0);
    QCOMPARE(h.plugOutTimer()->isActive(), !atOnce);
    if (!atOnce) {
        controller->finishDisconnecting();
        QCOMPARE(h.pluggedOut->size(), 1);
    }
    // The plug-out ends the wait: no timer is left to report the link again later.
    QVERIFY(!h.plugOutTimer()->isActive());
    QVERIFY(!h.interface->isOpen());
    QTRY_VERIFY_WITH_TIMEOUT(controller.isNull(), kWaitMs);
    QCOMPARE(h.pluggedOut->first().first().value<DeviceInterfaceInfo>(), descriptor());
}

void TestBleDeviceInterface::closeWithoutLinkEmitsNothing()
{
    Harness h;
    QCOMPARE(h.interface->close(), ReturnCode::Ok);
    QCOMPARE(h.pluggedOut->size(), 0);
    QCOMPARE(h.controllers.made.size(), 0);

    QVERIFY(h.openAndPlugIn());
    QCOMPARE(h.interface->close(), ReturnCode::Ok); // discovered: at once
    QCOMPARE(h.pluggedOut->size(), 1);
    QCOMPARE(h.interface->close(), ReturnCode::Ok);
    QCOMPARE(h.pluggedOut->size(), 1);
}

void TestBleDeviceInterface::plugOutTimerWhenTheDisconnectNeverCompletes()
{
    Script script;
    script.disconnectCompletes = false;
    vk_testing::LogCapture log;
    Harness h(script);
    QVERIFY(h.openAndPlugIn());
    QPointer<ScriptedController> controller = h.controller();
    controller->controllerState = QLowEnergyController::ConnectedState;
    QCOMPARE(h.interface->close(), ReturnCode::Ok);
    QCOMPARE(h.pluggedOut->size(), 0);

    QVERIFY(h.pluggedOut->wait(BleDeviceInterface::kPlugOutTimeoutMs + 3000));
    QCOMPARE(h.pluggedOut->size(), 1);
    QCOMPARE(log.count(QStringLiteral("PlugOutTimeout: ")), 1);
    QTRY_VERIFY_WITH_TIMEOUT(controller.isNull(), kWaitMs);
    // The link is reported gone once: a later close() has nothing left to report.
    QVERIFY(!h.interface->isOpen());
    QCOMPARE(h.interface->close(), ReturnCode::Ok);
    QCOMPARE(h.pluggedOut->size(), 1);
}

void TestBleDeviceInterface::linkEndsWithoutUserError_data()
{
    QTest::addColumn<bool>("controllerError"); // else the device disconnects
    QTest::newRow("controller error") << true;
    QTest::newRow("remote disconnect") << false;
}

void TestBleDeviceInterface::linkEndsWithoutUserError()
{
    QFETCH(bool, controllerError);
    vk_testing::LogCapture log;
    Harness h;
    QVERIFY(h.openAndPlugIn());
    ScriptedController *controller = h.controller();
    controller->controllerState = QLowEnergyController::UnconnectedState;
    if (controllerError)
        emit controller->errorOccurred(QLowEnergyController::RemoteHostClosedError);
    else
        emit controller->disconnected();

    QCOMPARE(h.pluggedOut->size(), 1);
    QCOMPARE(h.errors->size(), 0);
    QVERIFY(!h.interface->isOpen());
    const QString warning = QStringLiteral("Error occured: [RemoteHostClosedError] \"scripted failure\" for "
                                           "DeviceInterfaceInfo[\"BLE\", uuid: \"%1\"]")
                                .arg(descriptor().uuid);
    QCOMPARE(log.count(warning), controllerError ? 1 : 0);
}

void TestBleDeviceInterface::mtuChangeReportsThePacketSize()
{
    Script script;
    script.automatic = false;
    script.mtu = 247;
    Harness h(script);
    QCOMPARE(h.interface->open(), ReturnCode::Ok);
    ScriptedController *controller = h.controller();
    emit controller->mtuChanged(247);
    // Before the service is there the size is not known, and it is reported all the same.
    QCOMPARE(h.parameters->size(), 1);
    QCOMPARE(h.parameters->first().at(0).value<DeviceInterfaceInfo>().maximumPacketSize, -1);
    QCOMPARE(h.parameters->first().at(1).value<device_manager::ChangedInterfaceParameters>(),
        device_manager::ChangedInterfaceParameters(device_manager::InterfaceParameterFlag::MaximumPacketSize));

    controller->finishConnecting();
    controller->finishDiscovery();
    h.service()->finishDiscovery();
    QCOMPARE(h.pluggedIn->size(), 1);
    QCOMPARE(h.pluggedIn->first().first().value<DeviceInterfaceInfo>().maximumPacketSize, 244);

    // The controller's current MTU counts, not the signal's argument.
    controller->mtuValue = 185;
    emit controller->mtuChanged(999);
    QCOMPARE(h.parameters->size(), 2);
    QCOMPARE(h.parameters->last().at(0).value<DeviceInterfaceInfo>().maximumPacketSize, 182);
    QCOMPARE(h.interface->interfaceInfo().maximumPacketSize, 182);
}

void TestBleDeviceInterface::secondOpenReplacesTheConnection()
{
    vk_testing::LogCapture log;
    Harness h;
    QVERIFY(h.openAndPlugIn());
    QPointer<ScriptedController> first = h.controller();
    QPointer<ScriptedService> firstService = h.service();

    QCOMPARE(h.interface->open(), ReturnCode::Ok);
    QCOMPARE(first->disconnectCalls, 1);
    QTRY_VERIFY_WITH_TIMEOUT(h.pluggedIn->size() == 2, kWaitMs);
    QCOMPARE(h.controllers.made.size(), 2);
    QVERIFY(h.controller() != first);
    QTRY_VERIFY_WITH_TIMEOUT(first.isNull() && firstService.isNull(), kWaitMs);
    // The old link's end is not the new link's end.
    QCOMPARE(h.pluggedOut->size(), 0);
    QCOMPARE(log.count(QStringLiteral("Invalid state")), 0);
    QVERIFY(h.interface->isOpen());
}

void TestBleDeviceInterface::destructionEmitsNothing()
{
    Harness h;
    QVERIFY(h.openAndPlugIn());
    QPointer<ScriptedController> controller = h.controller();
    QSignalSpy destroyed(h.interface.get(), &QObject::destroyed);
    h.interface.reset();
    QCOMPARE(destroyed.size(), 1);
    QCOMPARE(h.pluggedOut->size(), 0);
    QCOMPARE(controller->disconnectCalls, 1);
    QTRY_VERIFY_WITH_TIMEOUT(controller.isNull(), kWaitMs);
}

QTEST_GUILESS_MAIN(TestBleDeviceInterface)
#include "tst_ble_device_interface.moc"
