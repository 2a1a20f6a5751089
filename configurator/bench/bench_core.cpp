// The application core on the simulated transport, in real time:
//   (a) the connect chain of each shipped device without link delays: host time from picking the
//       device in the list to the engine being idle with the device connected;
//   (b) the same with the definitions' link timing, next to the time the link itself needs for the
//       chain's packets (each request and its answer take two connection intervals at best);
//   (c) the GUI thread's processor time for one poll cycle (debug output and state of an idle device);
//   (d) a firmware update of a 256 KiB image through the whole chain with link timing (restart into
//       the bootloader, the configured wait, rescan, reconnect, upload), next to the link's own time
//       for the upload plus the wait;
//   (e) one changed value of a loaded document applied on fm200 with link timing (save, read back,
//       apply), next to the time the link model takes for the packets of it.
#include "../tests/core_harness.h"

#include "configurator/app_settings.h"
#include "configurator/config_document.h"
#include "simulator/firmware_image.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QEventLoop>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <ctime>
#include <vector>

using namespace core_testing;

namespace {

constexpr int kRuns = 5;

[[noreturn]] void fail(const char *what)
{
    qFatal("bench_core: %s", what);
}

qint64 threadCpuUs()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

// Picks `device` from the list, answers the password at once, and returns the microseconds until
// the chain ended with the device connected.
qint64 connectOnce(CoreHarness &core, const simulator::DeviceDefinition &device)
{
    const QString uuid = core.openDeviceList(device);
    if (uuid.isEmpty())
        fail("device not listed");
    QEventLoop loop;
    QElapsedTimer timer;
    qint64 us = -1;
    const auto answer = QObject::connect(core.core, &GuiQmlHandler::appCorePasswordRequest, &loop,
        [&]() { core.core->passwordEntered(device.rootPassword); });
    const auto done = QObject::connect(core.core, &GuiQmlHandler::appCoreBusy, &loop, [&](bool busy) {
        if (!busy && core.isIdle() && core.core->isConnected()
            && core.core->receivedFiles().testFlag(GuiQmlHandler::SlaveProfile)) {
            us = timer.nsecsElapsed() / 1000;
            loop.quit();
        }
    });
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    timer.start();
    core.core->appCoreConnectToBleDevice(uuid);
    loop.exec();
    QObject::disconnect(answer);
    QObject::disconnect(done);
    if (us < 0)
        fail("the connect chain did not end");
    return us;
}

void disconnectDevice(CoreHarness &core)
{
    core.core->connectClicked();
    if (!core.waitFor([&]() { return !core.core->isConnected() && core.isIdle(); }))
        fail("no disconnect");
}

qint64 median(std::vector<qint64> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_LOGGING_RULES"))
        qputenv("QT_LOGGING_RULES", "*.debug=false");
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    CoreHarness core;
    if (!core.start())
        fail("the core did not start");

    for (bool timed : { false, true }) {
        for (const simulator::DeviceDefinition &device : shippedDevices().definitions()) {
            simulator::LinkModel link;
            core.withEngine(device, [&](simulator::DeviceEngine &engine) {
                engine.setLinkTimingEnabled(timed);
                link = engine.linkModel();
            });
            std::vector<qint64> times;
            int requests = 0;
            for (int run = 0; run < kRuns; ++run) {
                core.withEngine(device, [](simulator::DeviceEngine &engine) { engine.resetCounters(); });
                times.push_back(connectOnce(core, device));
                core.withEngine(
                    device, [&](simulator::DeviceEngine &engine) { requests = engine.counters().requestsReceived(); });
                disconnectDevice(core);
            }
            const qint64 us = median(times);
            if (!timed) {
                out << QStringLiteral(
                    "(a) connect chain of %1 without link delays (%2 requests), median of %3: %4 ms\n")
                           .arg(device.id)
                           .arg(requests)
                           .arg(kRuns)
                           .arg(double(us) / 1000, 0, 'f', 1);
            } else {
                const qint64 limitUs = qint64(requests) * 2 * link.connectionIntervalUs;
                out << QStringLiteral("(b) connect chain of %1 with link timing (%2 requests, interval %3 ms), median "
                                      "of %4: %5 ms, link limit %6 ms, %7 x the limit\n")
                           .arg(device.id)
                           .arg(requests)
                           .arg(double(link.connectionIntervalUs) / 1000)
                           .arg(kRuns)
                           .arg(double(us) / 1000, 0, 'f', 1)
                           .arg(double(limitUs) / 1000, 0, 'f', 1)
                           .arg(double(us) / double(limitUs), 0, 'f', 2);
            }
            out.flush();
        }
    }

    // (c) Poll cycles of a connected, idle fm200 without link delays.
    const simulator::DeviceDefinition &fm200 = shippedDevice("fm200");
    core.withEngine(fm200, [](simulator::DeviceEngine &engine) { engine.setLinkTimingEnabled(false); });
    connectOnce(core, fm200);
    const auto debugRequests = [&]() {
        int n = 0;
        core.withEngine(fm200, [&](simulator::DeviceEngine &engine) {
            n = engine.counters().received(v_protocol::TPayloadType::DebugRequest);
        });
        return n;
    };
    core.waitFor([&]() { return debugRequests() >= 2; });
    const int before = debugRequests();
    const qint64 cpuBefore = threadCpuUs();
    QElapsedTimer wall;
    wall.start();
    core.waitFor([&]() { return debugRequests() >= before + 20; }, 60000);
    const int cycles = debugRequests() - before;
    const qint64 cpuUs = threadCpuUs() - cpuBefore;
    out << QStringLiteral("(c) poll cycles of an idle fm200: %1 cycles in %2 s, GUI thread %3 us of processor time "
                          "per cycle (debug output and state)\n")
               .arg(cycles)
               .arg(double(wall.elapsed()) / 1000, 0, 'f', 1)
               .arg(cycles > 0 ? cpuUs / cycles : -1);
    out.flush();
    disconnectDevice(core);

    // (d) Firmware update of fm200 from its running application.
    {
        core.withEngine(fm200, [](simulator::DeviceEngine &engine) { engine.setLinkTimingEnabled(true); });
        simulator::LinkModel link;
        int packetSize = 0;
        core.withEngine(fm200, [&](simulator::DeviceEngine &engine) { link = engine.linkModel(); });
        packetSize = fm200.bootloader.maxPacketSize;
        const qint64 waitMs = configurator::AppSettings::bootloaderConnectionDelayMs();
        const QByteArray image = simulator::FirmwareImage::make({ 2, 6 }, 256 * 1024, 11);
        const QString path = core.dir.filePath(QStringLiteral("fm200-2.6.bin"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size())
            fail("cannot write the image");
        file.close();
        connectOnce(core, fm200);
        const int from = core.recorder->mark();
        QElapsedTimer timer;
        timer.start();
        core.core->updateFirmwareFileSelected(path);
        if (!core.waitFor([&]() { return core.recorder->count("appCoreActionFinished", from) > 0; }, 600000))
            fail("the firmware update did not finish");
        const qint64 us = timer.nsecsElapsed() / 1000;
        const int payload = (packetSize - v_protocol::kChunkPacketOverhead) / 4 * 4;
        const qint64 limitUs = link.stopAndWaitLimitUs(image.size() + 4, payload) + waitMs * 1000;
        out << QStringLiteral("(d) firmware update of fm200 with a %1-byte image (interval %2 ms, %3-byte chunks, "
                              "bootloader wait %4 ms): %5 s, upload limit plus wait %6 s, %7 x\n")
                   .arg(image.size())
                   .arg(double(link.connectionIntervalUs) / 1000)
                   .arg(payload)
                   .arg(waitMs)
                   .arg(double(us) / 1e6, 0, 'f', 2)
                   .arg(double(limitUs) / 1e6, 0, 'f', 2)
                   .arg(double(us) / double(limitUs), 0, 'f', 3);
        out.flush();
    }

    // (e) One changed value of a document, applied.
    {
        core.withEngine(fm200, [](simulator::DeviceEngine &engine) { engine.setLinkTimingEnabled(true); });
        if (!core.waitFor([&]() { return core.isIdle() && !core.core->isConnected(); }, 120000))
            fail("fm200 did not come back after its update");
        connectOnce(core, fm200);
        QList<const VkInterfaceElement *> elements;
        for (const VkInterfaceElement *element : core.core->interfaceElements())
            elements.append(element);
        QJsonObject document = configurator::ConfigDocument::make(core.core->currentDevice().deviceInfo, true, elements);
        QJsonArray list = document.value(QStringLiteral("elements")).toArray();
        for (int i = 0; i < list.size(); ++i) {
            QJsonObject element = list.at(i).toObject();
            if (element.value(QStringLiteral("id")).toInt() == 104) {
                element.insert(QStringLiteral("value"), 300);
                list.replace(i, element);
            }
        }
        document.insert(QStringLiteral("elements"), list);
        const QString path = core.dir.filePath(QStringLiteral("fm200.json"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(document).toJson()) <= 0)
            fail("cannot write the document");
        file.close();
        int from = core.recorder->mark();
        core.core->loadConfigurationFile(path, VkInterfaceElement::SlaveSetting);
        if (!core.waitFor([&]() { return core.recorder->count("appCoreActionFinished", from) > 0; }, 120000)
            || core.core->comparison().count(configurator::ConfigComparison::Status::Differs) != 1)
            fail("the document was not compared");
        // Between two poll cycles of the idle device, as a user's click lands.
        if (!core.waitFor([&]() { return core.isIdle(); }))
            fail("the core is not idle");
        core.withEngine(fm200, [](simulator::DeviceEngine &engine) { engine.resetCounters(); });
        // The event loop runs free while the value is applied (a polling wait would add its own sleeps).
        QEventLoop loop;
        qint64 us = -1;
        QElapsedTimer timer;
        const auto done = QObject::connect(core.core, &GuiQmlHandler::appCoreActionFinished, &loop, [&]() {
            us = timer.nsecsElapsed() / 1000;
            loop.quit();
        });
        QTimer::singleShot(120000, &loop, &QEventLoop::quit);
        timer.start();
        core.core->applyComparison({ 104 });
        loop.exec();
        QObject::disconnect(done);
        if (us < 0)
            fail("the value was not applied");
        qint64 linkUs = 0;
        int requests = 0;
        core.withEngine(fm200, [&](simulator::DeviceEngine &engine) {
            linkUs = engine.counters().linkTimeUs;
            requests = engine.counters().requestsReceived();
        });
        out << QStringLiteral("(e) one changed value applied on fm200 with link timing (%1 requests: save, read back, "
                              "apply): %2 ms, the link's own time %3 ms, %4 x\n")
                   .arg(requests)
                   .arg(double(us) / 1000, 0, 'f', 1)
                   .arg(double(linkUs) / 1000, 0, 'f', 1)
                   .arg(double(us) / double(qMax<qint64>(linkUs, 1)), 0, 'f', 3);
        out.flush();
    }
    core.stop();
    return 0;
}
