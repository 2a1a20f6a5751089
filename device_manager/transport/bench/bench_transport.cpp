// Cost of the transport path in software: a request published as CmdSendPacket, handled by the
// interface manager in its thread, carried as wire bytes by a SimulatedDeviceInterface to a device
// engine (link timing off: the device answers at once), parsed, published as PacketReceived and
// handled in the test's thread. Measures
//   (a) paced round trips (one request in flight): latency p50/p99 and round trips per second;
//   (b) an ordinary read of the 64 KiB archive of fm200 in 218-byte chunks (packet size 244),
//       next to what the device's Bluetooth link could carry at best (stop-and-wait).
#include "../tests/bus_probe.h"
#include "device_manager/transport/interface_manager.h"
#include "event_bus/bus_manager.h"
#include "event_topics/messages/message_meta_types.h"
#include "simulator/device_park.h"
#include "simulator/transport/simulated_device_interface.h"
#include "testing/packet_master.h"
#include "testing/transport_fixtures.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <algorithm>
#include <memory>
#include <vector>

namespace im = event_topics::interface_manager;

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    const int roundTrips = argc > 1 ? QByteArray(argv[1]).toInt() : 20000;
    QTextStream out(stdout);

    event_topics::registerMessageMetaTypes();
    event_bus::BusManager::createInstance(&application);
    const simulator::DeviceDefinition &fm200 = vk_testing::shippedDevice("fm200");
    auto park = std::make_shared<simulator::DevicePark>(vk_testing::shippedDevices());
    device_manager::InterfaceManager::setInterfaceFactory(simulator::SimulatedDeviceInterface::factory(park));
    device_manager::InterfaceManager::createInstance(&application);

    bus_probe::BusProbe probe;
    if (!probe.subscribeAll())
        qFatal("probe not subscribed");
    const device_manager::DeviceInterfaceInfo info = vk_testing::bleDescriptor(1);
    probe.publish(new im::CmdCreateBleInterface(info, vk_testing::leDeviceInfo(fm200.address)));
    if (!QTest::qWaitFor([&]() { return !probe.created.isEmpty(); }, 10000))
        qFatal("interface not created");

    vk_testing::PacketMaster master(fm200.serial, [&](const v_protocol::TPacket &packet) {
        return probe.publish(new im::CmdSendPacket({ fm200.serial }, info, packet)) == ReturnCode::Ok;
    });
    QObject::connect(&probe, &bus_probe::BusProbe::packetArrived, [&](v_protocol::TPacket packet) {
        master.received(packet);
        probe.packets.clear();
    });
    v_protocol::TAuthResponse response;
    if (!master.authenticate(fm200.rootPassword, response) || !response.isGranted())
        qFatal("authentication failed");

    // (a) paced round trips: debug requests.
    std::vector<qint64> latenciesNs;
    latenciesNs.reserve(size_t(roundTrips));
    QElapsedTimer total;
    total.start();
    for (int i = 0; i < roundTrips; ++i) {
        QElapsedTimer one;
        one.start();
        v_protocol::TPacket answer;
        if (!master.exchange(master.request(QByteArray(1, char(v_protocol::TPayloadType::DebugRequest))), answer))
            qFatal("no answer");
        latenciesNs.push_back(one.nsecsElapsed());
    }
    const double seconds = double(total.nsecsElapsed()) / 1e9;
    std::sort(latenciesNs.begin(), latenciesNs.end());
    out << QStringLiteral("(a) round trip bus -> interface manager -> simulated device -> bus, %1 requests:\n"
                          "    %2 round trips/s, p50 %3 us, p99 %4 us\n")
               .arg(roundTrips)
               .arg(roundTrips / seconds, 0, 'f', 0)
               .arg(double(latenciesNs[latenciesNs.size() / 2]) / 1000, 0, 'f', 1)
               .arg(double(latenciesNs[latenciesNs.size() * 99 / 100]) / 1000, 0, 'f', 1);

    // (b) 64 KiB archive, ordinary read.
    const quint8 archive = 20;
    const int chunk = response.maxPacketSize - v_protocol::kChunkPacketOverhead;
    QByteArray image;
    QElapsedTimer read;
    read.start();
    if (!master.readFile(archive, chunk, image))
        qFatal("archive read failed");
    const double readSeconds = double(read.nsecsElapsed()) / 1e9;
    const qint64 limitUs = fm200.link.stopAndWaitLimitUs(image.size(), chunk);
    out << QStringLiteral("(b) ordinary read of %1 bytes in %2-byte chunks: %3 ms (%4 KiB/s); "
                          "the device's BLE link needs at least %5 ms for it\n")
               .arg(image.size())
               .arg(chunk)
               .arg(readSeconds * 1000, 0, 'f', 1)
               .arg(image.size() / 1024.0 / readSeconds, 0, 'f', 0)
               .arg(double(limitUs) / 1000, 0, 'f', 0);
    out.flush();

    device_manager::InterfaceManager::destroyInstance();
    probe.unsubscribeAll();
    event_bus::BusManager::destroyInstance();
    return 0;
}
