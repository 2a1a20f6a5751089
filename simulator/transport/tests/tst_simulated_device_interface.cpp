// SimulatedDeviceInterface against the devices of a DevicePark: the same open / plug-in / plug-out
// behaviour as the BLE interface, wire bytes both ways, the engine's delays and link drops.

#include "event_topics/messages/message_meta_types.h"
#include "simulator/device_park.h"
#include "simulator/transport/simulated_device_interface.h"
#include "testing/log_capture.h"
#include "testing/packet_master.h"
#include "testing/transport_fixtures.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using device_manager::DeviceInterfaceInfo;
using simulator::DeviceEngine;
using simulator::SimulatedDeviceInterface;

namespace {

constexpr int kWaitMs = 5000;

using vk_testing::shippedDevices;

const simulator::DeviceDefinition &fm200()
{
    return vk_testing::shippedDevice("fm200");
}

// A simulated interface on its own park, with spies on its signals and a master that talks through it.
struct Harness
{
    explicit Harness(const QString &address = fm200().address)
        : park(std::make_shared<simulator::DevicePark>(shippedDevices())),
          interface(SimulatedDeviceInterface::factory(park)(
              nullptr, vk_testing::bleDescriptor(1), vk_testing::leDeviceInfo(address))),
          pluggedIn(interface.get(), &device_manager::IDeviceInterface::pluggedIn),
          pluggedOut(interface.get(), &device_manager::IDeviceInterface::pluggedOut),
          data(interface.get(), &device_manager::IDeviceInterface::dataReceived),
          errors(interface.get(), &device_manager::IDeviceInterface::errorHappend),
          debug(interface.get(), &device_manager::IDeviceInterface::debugHappend),
          master(fm200().serial,
              [this](const v_protocol::TPacket &packet) { return interface->sendPacket({}, packet) == ReturnCode::Ok; })
    {
        QObject::connect(interface.get(), &device_manager::IDeviceInterface::dataReceived,
            [this](device_manager::DeviceEntry, DeviceInterfaceInfo, v_protocol::TPacket packet) {
                master.received(packet);
            });
    }

    bool openAndPlugIn() { return interface->open() == ReturnCode::Ok && pluggedIn.wait(kWaitMs); }

    template<class F> void onEngine(F work)
    {
        QVERIFY(park->withEngine(fm200().address, [&](DeviceEngine &engine) { work(engine); }));
    }
    bool linkUp()
    {
        bool up = false;
        park->withEngine(fm200().address, [&](DeviceEngine &engine) { up = engine.isLinkUp(); });
        return up;
    }

    std::shared_ptr<simulator::DevicePark> park;
    std::unique_ptr<device_manager::IDeviceInterface> interface;
    QSignalSpy pluggedIn, pluggedOut, data, errors, debug;
    vk_testing::PacketMaster master;
};

} // namespace

class TestSimulatedDeviceInterface : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void pluggedInCarriesTheLinkPacketSize_data();
    void pluggedInCarriesTheLinkPacketSize();
    void unknownDeviceIsUnreachable();
    void closesLikeABluetoothLink();
    void packetsFlowAsWireBytes();
    void answersKeepTheirOrderAndDelays();
    void deviceDropsTheLink();
    void unparsableAnswerIsStillDelivered();
    void destructionDropsTheLinkSilently();
};

void TestSimulatedDeviceInterface::initTestCase()
{
    event_topics::registerMessageMetaTypes();
    QVERIFY(shippedDevices().find(QStringLiteral("fm200")));
}

void TestSimulatedDeviceInterface::pluggedInCarriesTheLinkPacketSize_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("size");
    for (const simulator::DeviceDefinition &definition : shippedDevices().definitions())
        QTest::newRow(qPrintable(definition.id)) << definition.address << definition.link.maximumPacketSize();
}

void TestSimulatedDeviceInterface::pluggedInCarriesTheLinkPacketSize()
{
    QFETCH(QString, address);
    QFETCH(int, size);
    Harness h(address.toLower());
    QCOMPARE(h.interface->maximumPacketSize(), -1);
    QVERIFY(h.openAndPlugIn());
    QVERIFY(h.interface->isOpen());
    QCOMPARE(h.pluggedIn.first().first().value<DeviceInterfaceInfo>().maximumPacketSize, size);
    QCOMPARE(h.interface->maximumPacketSize(), size);
    QVERIFY(size > 0);
}

void TestSimulatedDeviceInterface::unknownDeviceIsUnreachable()
{
    vk_testing::LogCapture log;
    Harness h(QStringLiteral("00:11:22:33:44:55"));
    QCOMPARE(h.interface->open(), ReturnCode::Ok);
    QVERIFY(h.pluggedOut.wait(kWaitMs));
    QCOMPARE(h.pluggedIn.size(), 0);
    QCOMPARE(h.errors.size(), 0);
    QVERIFY(!h.interface->isOpen());
    QCOMPARE(log.count(QStringLiteral("Simulated device not found:")), 1);
}

void TestSimulatedDeviceInterface::closesLikeABluetoothLink()
{
    Harness h;
    QCOMPARE(h.interface->close(), ReturnCode::Ok); // never opened
    QCOMPARE(h.pluggedOut.size(), 0);

    QVERIFY(h.openAndPlugIn());
    QVERIFY(h.linkUp());
    QCOMPARE(h.interface->close(), ReturnCode::Ok);
    QCOMPARE(h.pluggedOut.size(), 0); // reported from the event loop, as a disconnection
    QVERIFY(!h.linkUp());
    QCOMPARE(h.interface->sendPacket({}, h.master.request(QByteArray(1, char(8)))), ReturnCode::ErrInvalidHandler);
    QVERIFY(h.pluggedOut.wait(kWaitMs));
    QCOMPARE(h.interface->close(), ReturnCode::Ok);
    QTest::qWait(0);
    QCOMPARE(h.pluggedOut.size(), 1);

    // Closed while still connecting: it never plugs in.
    QCOMPARE(h.interface->open(), ReturnCode::Ok);
    QCOMPARE(h.interface->close(), ReturnCode::Ok);
    QVERIFY(h.pluggedOut.wait(kWaitMs));
    QCOMPARE(h.pluggedIn.size(), 1);
    QCOMPARE(h.pluggedOut.size(), 2);
}

void TestSimulatedDeviceInterface::packetsFlowAsWireBytes()
{
    Harness h;
    QVERIFY(h.openAndPlugIn());
    v_protocol::TAuthResponse response;
    QVERIFY(h.master.authenticate(fm200().rootPassword, response));
    QCOMPARE(response.authResult, v_protocol::TAuthResult::SuccessRoot);
    const auto profile = quint8(v_protocol::TMandatoryFileTypes::SlaveProfile);
    QByteArray image;
    QVERIFY(h.master.readFile(profile, h.interface->maximumPacketSize() - v_protocol::kChunkPacketOverhead, image));
    h.onEngine([&](DeviceEngine &engine) {
        QCOMPARE(image, engine.fileImage(profile));
        QCOMPARE(engine.counters().malformedPackets, 0);
    });
    QCOMPARE(h.data.first().at(0).value<device_manager::DeviceEntry>().serial, quint64(fm200().serial));
    QCOMPARE(h.debug.size(), 0);
}

void TestSimulatedDeviceInterface::answersKeepTheirOrderAndDelays()
{
    // With the link model's timing a streamed window arrives chunk by chunk, in order, no earlier than
    // the link model says.
    Harness h;
    QVERIFY(h.openAndPlugIn());
    h.onEngine([](DeviceEngine &engine) { engine.setLinkTimingEnabled(true); });
    v_protocol::TAuthResponse response;
    QVERIFY(h.master.authenticate(fm200().rootPassword, response));

    const v_protocol::TChunkRequest window { v_protocol::TPayloadType::FileChunkRequest, 20, 0, 2000 };
    const int chunkSize = h.interface->maximumPacketSize() - v_protocol::kChunkPacketOverhead;
    const int expected = (2000 + chunkSize - 1) / chunkSize;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(
        h.interface->sendPacket({}, v_protocol::makeChunkRequest(window, 99, fm200().serial, v_protocol::kMasterUid)),
        ReturnCode::Ok);
    QTRY_COMPARE_WITH_TIMEOUT(h.master.pending().size(), expected, kWaitMs);
    const qint64 elapsedMs = clock.elapsed();
    quint32 addr = 0;
    for (const v_protocol::TPacket &packet : h.master.pending()) {
        v_protocol::TChunk chunk;
        QCOMPARE(packet.toChunk(chunk), ReturnCode::Ok);
        QCOMPARE(chunk.addr, addr);
        addr += chunk.dataSize;
    }
    QCOMPARE(addr, 2000u);
    // The request's own way to the device counts too: one connection interval before the device has it.
    h.onEngine([&](DeviceEngine &engine) {
        QVERIFY(
            elapsedMs >= (engine.linkModel().requestDelayUs() + engine.linkModel().replyDelayUs(expected - 1)) / 1000);
    });
}

void TestSimulatedDeviceInterface::deviceDropsTheLink()
{
    Harness h;
    QVERIFY(h.openAndPlugIn());
    h.onEngine([](DeviceEngine &engine) {
        engine.setFailure(simulator::FailureInjection::of(simulator::FailureMode::DisconnectMidTransfer));
    });
    v_protocol::TAuthResponse response;
    QVERIFY(h.master.authenticate(fm200().rootPassword, response));
    // The first chunk request is answered, the second one drops the link.
    const v_protocol::TChunkRequest opening
        = v_protocol::TFileTransfer::openingRequest(quint8(v_protocol::TMandatoryFileTypes::SlaveProfile));
    v_protocol::TPacket answer;
    QVERIFY(
        h.master.exchange(v_protocol::makeChunkRequest(opening, 2, fm200().serial, v_protocol::kMasterUid), answer));
    QCOMPARE(
        h.interface->sendPacket({}, v_protocol::makeChunkRequest(opening, 3, fm200().serial, v_protocol::kMasterUid)),
        ReturnCode::Ok);
    QVERIFY(h.pluggedOut.wait(kWaitMs));
    QCOMPARE(h.master.pending().size(), 0);
    QVERIFY(!h.interface->isOpen());
    QVERIFY(!h.linkUp());
    QCOMPARE(h.errors.size(), 0);
    QCOMPARE(h.interface->close(), ReturnCode::Ok);
    QTest::qWait(0);
    QCOMPARE(h.pluggedOut.size(), 1);
}

void TestSimulatedDeviceInterface::unparsableAnswerIsStillDelivered()
{
    Harness h;
    QVERIFY(h.openAndPlugIn());
    h.onEngine([](DeviceEngine &engine) {
        engine.setFailure(simulator::FailureInjection::of(simulator::FailureMode::ShortPacket));
    });
    v_protocol::TPacket answer;
    QVERIFY(h.master.exchange(h.master.request(QByteArray(1, char(8))), answer));
    QCOMPARE(answer.payloadType, v_protocol::TPayloadType::NoData);
    QCOMPARE(h.debug.size(), 1);
    QCOMPARE(h.debug.first().first().toString(),
        QStringLiteral("v-protocol parsing error: ReturnCode::ErrParsingInvalidSize"));
}

void TestSimulatedDeviceInterface::destructionDropsTheLinkSilently()
{
    Harness h;
    QVERIFY(h.openAndPlugIn());
    QVERIFY(h.linkUp());
    h.interface.reset();
    QVERIFY(!h.linkUp());
    QTest::qWait(0);
    QCOMPARE(h.pluggedOut.size(), 0);
}

QTEST_GUILESS_MAIN(TestSimulatedDeviceInterface)
#include "tst_simulated_device_interface.moc"
