// The device side end to end, in real time: bus messages from the test thread through the bus, the
// device manager with its session, the interface manager and a simulated interface, to a simulated
// device whose answers come when its Bluetooth LE link model (ATT MTU 247, the device's own
// connection interval and packets per event) would carry them, and back. Measures
//   (a) the connect chain of the hierarchical sample device (gw4): connect, authenticate, read the
//       application info, file table, profile, settings and personalization;
//   (b) a fast read of the 64 KiB archive of fm200;
//   (c) a 256 KiB firmware image written to the bootloader of fm200 (stop-and-wait, chunk by chunk);
// each next to the physical limit of the link as the simulator's link model computes it: one request
// and its answer take two connection intervals, a streamed window packets-per-event chunks per
// interval.
#include "../tests/device_side.h"

#include "simulator/firmware_image.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <algorithm>
#include <vector>

using namespace device_testing;
using v_protocol::TMandatoryFileTypes;

namespace {

constexpr int kConnectRuns = 5;
constexpr quint8 kArchive = 20;
constexpr qsizetype kImageSize = 256 * 1024;

[[noreturn]] void fail(const char *what)
{
    qFatal("bench_device_side: %s", what);
}

// Every device on an MTU of 247, answers timed by its link model.
void timeLinks(DeviceSide &side)
{
    for (const simulator::DeviceDefinition &device : shippedDevices().definitions()) {
        side.withEngine(device, [](simulator::DeviceEngine &engine) {
            simulator::LinkModel link = engine.linkModel();
            link.attMtu = 247;
            engine.setLinkModel(link);
            engine.setLinkTimingEnabled(true);
        });
    }
}

simulator::LinkModel linkOf(DeviceSide &side, const simulator::DeviceDefinition &device)
{
    simulator::LinkModel link;
    side.withEngine(device, [&](simulator::DeviceEngine &engine) { link = engine.linkModel(); });
    return link;
}

QString ratio(qint64 measuredUs, qint64 limitUs)
{
    return QStringLiteral("%1 ms, link limit %2 ms, %3 x the limit")
        .arg(double(measuredUs) / 1000, 0, 'f', 1)
        .arg(double(limitUs) / 1000, 0, 'f', 1)
        .arg(double(measuredUs) / double(limitUs), 0, 'f', 2);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    DeviceSide side;
    if (!side.start(shippedDevices(), device_manager::VkDevice::defaultTaskTimeouts()))
        fail("the device side did not start");
    timeLinks(side);
    DeviceBusProbe &probe = *side.probe;

    // (a) Connect chain of gw4.
    {
        const simulator::DeviceDefinition &gw4 = shippedDevice(QStringLiteral("gw4"));
        const simulator::LinkModel link = linkOf(side, gw4);
        const std::optional<device_manager::DeviceDiscoveryInfo> discovered = side.discover(gw4);
        if (!discovered)
            fail("gw4 not discovered");
        std::vector<qint64> timesUs;
        int requests = 0;
        for (int run = 0; run < kConnectRuns; ++run) {
            probe.clear();
            QElapsedTimer timer;
            timer.start();
            if (!side.connect(*discovered, gw4.rootPassword))
                fail("gw4 refused the connection");
            const device_manager::DeviceEntry entry { gw4.serial };
            const auto ask = [&](auto result, TMandatoryFileTypes file) {
                using Result = typename decltype(result)::element_type;
                const auto message = side.request<Result>(new vp::CmdFileRequested(entry, file));
                return message && message->isValid;
            };
            bool valid
                = ask(std::shared_ptr<vp::ApplicationInfoFileReceived>(), TMandatoryFileTypes::ApplicationInfoFile);
            valid &= ask(std::shared_ptr<vp::FileTableReceived>(), TMandatoryFileTypes::FileInfo);
            valid &= ask(std::shared_ptr<vp::SlaveProfileReceived>(), TMandatoryFileTypes::SlaveProfile);
            valid &= ask(std::shared_ptr<vp::FileWithDataElementsReceived>(), TMandatoryFileTypes::SettingsFile);
            valid &= ask(std::shared_ptr<vp::FileWithDataElementsReceived>(), TMandatoryFileTypes::PersonalizationFile);
            timesUs.push_back(timer.nsecsElapsed() / 1000);
            if (!valid)
                fail("a file of the connect chain failed");
            requests = probe.count<im::CmdSendPacket>();
            if (!side.disconnect(gw4.serial))
                fail("gw4 did not disconnect");
        }
        std::sort(timesUs.begin(), timesUs.end());
        // Each request waits for its answer: two connection intervals apiece at best.
        const qint64 limitUs = requests * 2 * link.connectionIntervalUs;
        out << QStringLiteral("(a) connect chain of gw4 (connect, authenticate, application info, file table, profile, "
                              "settings, personalization; %1 requests, interval %2 ms), median of %3: %4\n")
                   .arg(requests)
                   .arg(double(link.connectionIntervalUs) / 1000)
                   .arg(kConnectRuns)
                   .arg(ratio(timesUs[timesUs.size() / 2], limitUs));
        out.flush();
    }

    // (b) Fast read of 64 KiB from fm200.
    {
        const simulator::DeviceDefinition &fm200 = shippedDevice(QStringLiteral("fm200"));
        const simulator::LinkModel link = linkOf(side, fm200);
        const std::optional<device_manager::DeviceDiscoveryInfo> discovered = side.discover(fm200);
        if (!discovered || !side.connect(*discovered, fm200.rootPassword))
            fail("fm200 not connected");
        QByteArray image;
        side.withEngine(fm200, [&](simulator::DeviceEngine &engine) { image = engine.fileImage(kArchive); });
        QElapsedTimer timer;
        timer.start();
        const auto read = side.request<vp::RawFileReceived>(new vp::CmdGetRawFile({ fm200.serial }, kArchive, true));
        const qint64 us = timer.nsecsElapsed() / 1000;
        if (!read || !read->isValid || read->file != image)
            fail("the fast read failed");
        const qint64 limitUs = link.streamingLimitUs(image.size(), link.chunkPayload());
        out << QStringLiteral("(b) fast read of %1 bytes from fm200 (interval %2 ms, %3 packets per event): %4 (%5 "
                              "KiB/s)\n")
                   .arg(image.size())
                   .arg(double(link.connectionIntervalUs) / 1000)
                   .arg(link.packetsPerEvent)
                   .arg(ratio(us, limitUs))
                   .arg(image.size() / 1024.0 / (double(us) / 1e6), 0, 'f', 1);
        out.flush();
        side.disconnect(fm200.serial);
    }

    // (c) 256 KiB firmware image to fm200, restarted into its bootloader by command first.
    {
        const simulator::DeviceDefinition &fm200 = shippedDevice(QStringLiteral("fm200"));
        const simulator::LinkModel link = linkOf(side, fm200);
        std::optional<device_manager::DeviceDiscoveryInfo> discovered = side.discover(fm200);
        if (!discovered || !side.connect(*discovered, fm200.rootPassword))
            fail("fm200 not connected");
        const auto restart = side.request<vp::CommandConfirmReceived>(new vp::CmdSendCommand({ fm200.serial },
            { v_protocol::TPayloadType::CommandRequest, simulator::DeviceEngine::kRestartIntoBootloaderCommand, {} }));
        if (!restart || !restart->isValid || !side.disconnect(fm200.serial))
            fail("fm200 did not restart into its bootloader");
        discovered = side.discover(fm200);
        const auto auth = discovered ? side.connect(*discovered, fm200.rootPassword) : nullptr;
        if (!auth || auth->authResponse.appType == v_protocol::TAppType::Application)
            fail("fm200's bootloader not connected");
        const QByteArray upload
            = simulator::FirmwareImage::withCrc(simulator::FirmwareImage::make({ 2, 5 }, kImageSize, 9));
        QElapsedTimer timer;
        timer.start();
        const auto written = side.request<vp::RawFileTransmitted>(
            new vp::CmdSendRawFile({ fm200.serial }, quint8(TMandatoryFileTypes::ApplicationFile), upload), 600000);
        const qint64 us = timer.nsecsElapsed() / 1000;
        if (!written || !written->isValid)
            fail("the firmware write failed");
        // Raw files go in chunks of a multiple of four bytes.
        const int payload = (auth->authResponse.maxPacketSize - v_protocol::kChunkPacketOverhead) / 4 * 4;
        const qint64 limitUs = link.stopAndWaitLimitUs(upload.size(), payload);
        out << QStringLiteral("(c) firmware write of %1 bytes to fm200's bootloader (interval %2 ms, %3-byte chunks, "
                              "stop-and-wait): %4 (%5 KiB/s)\n")
                   .arg(upload.size())
                   .arg(double(link.connectionIntervalUs) / 1000)
                   .arg(payload)
                   .arg(ratio(us, limitUs))
                   .arg(upload.size() / 1024.0 / (double(us) / 1e6), 0, 'f', 1);
        out.flush();
    }

    side.stop();
    return 0;
}
