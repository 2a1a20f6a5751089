// Transfers against a simulated device on the link model: ATT MTU 247, 4 packets per connection
// event, connection intervals of 7.5, 15 and 30 ms. Each benchmark reports the host CPU time of a
// whole transfer (engine and master) and, as counters, the simulated transfer time next to the
// physical limit of the link: stop-and-wait moves one chunk per two connection intervals,
// streaming moves packets-per-event chunks per interval; a chunk carries MTU - 3 - 26 = 218 bytes.
//
// Log output is switched off: the protocol library logs every chunk of a write, and the cost of
// writing log lines is not what is measured here.
#include "simulator/device_catalog.h"
#include "simulator/device_engine.h"
#include "simulator/firmware_image.h"
#include "simulator/protocol_master.h"

#include <benchmark/benchmark.h>

using namespace simulator;
using namespace v_protocol;

namespace {

constexpr int kFileSize = 64 * 1024;
constexpr int kImageSize = 256 * 1024;
constexpr quint8 kArchiveFile = 20; // 64 KiB, fast reading allowed

DeviceDefinition flowMeter(qint64 intervalUs, bool bootloader)
{
    static const DeviceDefinition shipped = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
        const DeviceCatalog catalog = DeviceCatalog::builtIn();
        const DeviceDefinition *definition = catalog.find(QStringLiteral("fm200"));
        return definition ? *definition : DeviceDefinition();
    }();
    DeviceDefinition definition = shipped;
    definition.link.attMtu = 247;
    definition.link.packetsPerEvent = 4;
    definition.link.connectionIntervalUs = intervalUs;
    definition.startsInBootloader = bootloader;
    return definition;
}

// Runs `transfer` on a fresh device with link timing, logged in as root, once per iteration; the
// simulated time the transfer took.
template<typename Transfer>
qint64 timedTransfer(benchmark::State &state, const DeviceDefinition &definition, Transfer transfer)
{
    qint64 simulatedUs = 0;
    for (auto _ : state) {
        DeviceEngine engine(definition);
        engine.setLinkTimingEnabled(true);
        ProtocolMaster master(engine);
        TAuthResponse response;
        master.authenticate(definition.rootPassword, response);
        const qint64 start = master.nowUs();
        if (!transfer(engine, master))
            state.SkipWithError("transfer failed");
        simulatedUs = master.nowUs() - start;
    }
    return simulatedUs;
}

// The connection intervals measured: 7.5, 15 and 30 ms.
void connectionIntervals(benchmark::internal::Benchmark *family)
{
    family->Arg(7500)->Arg(15000)->Arg(30000)->ArgName("interval_us")->Unit(benchmark::kMillisecond);
}

void report(benchmark::State &state, qint64 simulatedUs, qint64 limitUs)
{
    state.counters["sim_ms"] = double(simulatedUs) / 1000.0;
    state.counters["limit_ms"] = double(limitUs) / 1000.0;
    state.counters["sim/limit"] = double(simulatedUs) / double(limitUs);
}

void Read64KiB(benchmark::State &state, TReadMode mode)
{
    const DeviceDefinition definition = flowMeter(state.range(0), false);
    if (definition.id.isEmpty() || definition.application.file(kArchiveFile)->content.size() != kFileSize) {
        state.SkipWithError("fm200 with its 64 KiB archive is missing");
        return;
    }
    const qint64 simulatedUs = timedTransfer(state, definition, [mode](DeviceEngine &, ProtocolMaster &master) {
        QByteArray bytes;
        return master.readFile(kArchiveFile, mode, bytes) == ReturnCode::Ok && bytes.size() == kFileSize;
    });
    const int payload = definition.link.chunkPayload();
    report(state, simulatedUs,
        mode == TReadMode::Fast ? definition.link.streamingLimitUs(kFileSize, payload)
                                : definition.link.stopAndWaitLimitUs(kFileSize, payload));
    state.SetBytesProcessed(state.iterations() * kFileSize);
}
BENCHMARK_CAPTURE(Read64KiB, Ordinary, TReadMode::Ordinary)->Apply(connectionIntervals);
BENCHMARK_CAPTURE(Read64KiB, Fast, TReadMode::Fast)->Apply(connectionIntervals);

void WriteFirmware256KiB(benchmark::State &state)
{
    const DeviceDefinition definition = flowMeter(state.range(0), true);
    const QByteArray upload = FirmwareImage::withCrc(FirmwareImage::make({ 2, 5 }, kImageSize, 7));
    const qint64 simulatedUs
        = timedTransfer(state, definition, [&upload](DeviceEngine &engine, ProtocolMaster &master) {
              TSystemFileResult status;
              return master.writeFile(quint8(TMandatoryFileTypes::ApplicationFile), upload, 4, status) == ReturnCode::Ok
                  && engine.firmwareVersion() == TFirmwareVersion { 2, 5 };
          });
    report(state, simulatedUs, definition.link.stopAndWaitLimitUs(upload.size(), definition.link.chunkPayload()));
    state.SetBytesProcessed(state.iterations() * upload.size());
}
BENCHMARK(WriteFirmware256KiB)->Apply(connectionIntervals);

} // namespace

BENCHMARK_MAIN();
