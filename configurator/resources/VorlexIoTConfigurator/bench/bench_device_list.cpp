// The device list among 500 simulated devices that advertise while the engineer looks at it, their
// signal strengths moving (50 devices change every 100 ms). Two benchmarks, each for advertising
// intervals of 1000 ms (500 advertisements a second) and 100 ms (5,000 a second):
//  - Window: the real window with the list open and scrolled a little every frame. Counters: the
//    frame times (from the window's update request to the swap: polish, sync, render) as median, 95th
//    percentile and worst in ms (goal: under 16 ms), the same frames in the GUI thread's processor time
//    (median, worst: what the frame cost without other processes), and the processor time per second
//    of scanning of the GUI thread (core, models, window) and of the scanner's thread.
//  - Core: the core and the window's models alone, without a window. Counters: processor time per
//    second of scanning of the core's thread (core and device list model) and of the scanner.
// The simulated scanner's figure includes building the simulated advertisements.
#include "../tests/window_harness.h"

#include "configurator/ui/core_models.h"
#include "simulator/transport/simulated_device_discovery.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

#include <benchmark/benchmark.h>

#include <pthread.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <random>

Q_IMPORT_QML_PLUGIN(VorlexIoTConfiguratorPlugin)

using namespace ui_testing;

namespace {

constexpr int kDevices = 500;
constexpr int kMeasureMs = 5000;

void quietHandler(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

// The processor time a thread has used so far, in ms.
double cpuMs(clockid_t clock)
{
    timespec now {};
    clock_gettime(clock, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

clockid_t currentThreadClock()
{
    clockid_t clock = CLOCK_THREAD_CPUTIME_ID;
    pthread_getcpuclockid(pthread_self(), &clock);
    return clock;
}

// The simulated scanner, telling which thread it runs in.
class MeasuredScanner : public simulator::SimulatedDeviceDiscovery
{
public:
    using SimulatedDeviceDiscovery::SimulatedDeviceDiscovery;
    static inline std::atomic<clockid_t> threadClock { CLOCK_THREAD_CPUTIME_ID };

    void afterThreadStarted() override
    {
        threadClock = currentThreadClock();
        SimulatedDeviceDiscovery::afterThreadStarted();
    }
};

// kDevices definitions of small devices, heard between -40 and -95 dBm.
const simulator::DeviceCatalog &crowd()
{
    static QTemporaryDir dir;
    static const simulator::DeviceCatalog catalog = [] {
        for (int i = 0; i < kDevices; ++i) {
            const QJsonObject definition { { "id", QStringLiteral("d%1").arg(i) }, { "serial", 70000000 + i },
                { "modelId", 7 }, { "hardwareVersion", 1 }, { "rootPassword", "1234" },
                { "address",
                    QStringLiteral("C4:7F:52:00:%1:%2")
                        .arg(i / 256, 2, 16, QLatin1Char('0'))
                        .arg(i % 256, 2, 16, QLatin1Char('0'))
                        .toUpper() },
                { "advertisement", QJsonObject { { "rssi", -40 - (i * 37) % 56 } } },
                { "name", QStringLiteral("Meter %1").arg(i) }, { "firmwareVersion", "1.0" },
                { "appType", "Application" }, { "maxPacketSize", 244 },
                { "profile",
                    QJsonArray { QJsonObject { { "id", 100 }, { "type", "SlaveSetting" }, { "editable", "Editable" },
                        { "nameEn", "Pulse weight" }, { "dataType", "TUinteger" }, { "dataSize", 2 },
                        { "max", 1000 }, { "value", 1 } } } } };
            QFile file(dir.filePath(QStringLiteral("d%1.json").arg(i)));
            if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(definition).toJson()) < 0)
                qFatal("cannot write %s", qPrintable(file.fileName()));
        }
        simulator::DeviceCatalog loaded;
        loaded.loadFolder(dir.path());
        for (const QString &error : loaded.errors())
            std::fprintf(stderr, "%s\n", qPrintable(error));
        return loaded;
    }();
    return catalog;
}

// Moves the signal strength of 50 devices every 100 ms, the same way in every run.
class SignalWeather
{
public:
    explicit SignalWeather(simulator::DevicePark &park) : _park(park)
    {
        QObject::connect(&_timer, &QTimer::timeout, [this]() {
            const QList<simulator::DeviceDefinition> &devices = crowd().definitions();
            for (int i = 0; i < 50; ++i) {
                const auto &device = devices.at(int(_random() % devices.size()));
                _park.setRssi(device.address, qint16(-40 - int(_random() % 56)));
            }
        });
        _timer.start(100);
    }

private:
    simulator::DevicePark &_park;
    std::mt19937 _random { 20261210 };
    QTimer _timer;
};

void installScanner(core_testing::CoreHarness &core, int intervalMs)
{
    core.advertisingInterval = std::chrono::milliseconds(intervalMs);
    core.discoveryFactory = [&core, intervalMs]() -> device_manager::IDeviceDiscovery * {
        return new MeasuredScanner(core.park, std::chrono::milliseconds(intervalMs));
    };
}

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double percentile(QList<double> values, int percent)
{
    if (values.isEmpty())
        return -1;
    std::sort(values.begin(), values.end());
    return values.at(std::min<qsizetype>(values.size() - 1, values.size() * percent / 100));
}

// Swaps are timed from the window's update request, where a frame of the software render loop begins.
class FrameClock : public QObject
{
public:
    explicit FrameClock(QQuickWindow *window) : _window(window)
    {
        window->installEventFilter(this);
        connect(window, &QQuickWindow::frameSwapped, this, [this]() {
            if (_started >= 0) {
                frames << (_clock.nsecsElapsed() - _started) / 1e6;
                cpu << cpuMs(CLOCK_THREAD_CPUTIME_ID) - _cpuStarted;
            }
            _started = -1;
        });
        _clock.start();
    }

    QList<double> frames; // ms
    // The same frames in processor time of the GUI thread (ms): without the time other processes
    // of a busy machine took the processor away.
    QList<double> cpu;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == _window && event->type() == QEvent::UpdateRequest) {
            _started = _clock.nsecsElapsed();
            _cpuStarted = cpuMs(CLOCK_THREAD_CPUTIME_ID);
        }
        return false;
    }

private:
    QQuickWindow *_window;
    QElapsedTimer _clock;
    qint64 _started = -1;
    double _cpuStarted = 0;
};

// Runs the event loop for the measuring window: its wall seconds and the processor time of the GUI
// thread and of the scanner's thread in it, per second.
struct Measured
{
    double seconds = 0;
    double guiCpuMsPerS = 0;
    double scannerCpuMsPerS = 0;
};

Measured measure()
{
    const clockid_t scanner = MeasuredScanner::threadClock;
    const clockid_t gui = currentThreadClock();
    const double scannerStart = cpuMs(scanner), guiStart = cpuMs(gui);
    QElapsedTimer wall;
    wall.start();
    runFor(kMeasureMs);
    Measured measured;
    measured.seconds = wall.elapsed() / 1000.0;
    measured.guiCpuMsPerS = (cpuMs(gui) - guiStart) / measured.seconds;
    measured.scannerCpuMsPerS = (cpuMs(scanner) - scannerStart) / measured.seconds;
    return measured;
}

void Window(benchmark::State &state)
{
    const int intervalMs = int(state.range(0));
    for (auto _ : state) {
        UiHarness ui;
        installScanner(ui.core, intervalMs);
        if (!ui.start(crowd()) || !ui.clickName(QStringLiteral("homeConnectButton"))
            || !ui.waitOpened(QStringLiteral("deviceListDialog"))) {
            state.SkipWithError("the device list did not open");
            return;
        }
        QObject *dialog = ui.object(QStringLiteral("deviceListDialog"));
        auto *devices = dialog->property("devices").value<QObject *>();
        QQuickItem *list = ui.item(QStringLiteral("deviceList"), dialog);
        if (!devices || !list || !ui.waitFor([&]() { return devices->property("count").toInt() == kDevices; }, 60000)) {
            state.SkipWithError("not every device was listed");
            return;
        }
        SignalWeather weather(*ui.core.park);
        runFor(1000);

        FrameClock frames(ui.window);
        // The engineer scrolls slowly down the list and back, a frame after the other.
        qreal step = 3;
        const QMetaObject::Connection scrolling = QObject::connect(ui.window, &QQuickWindow::frameSwapped, list, [&]() {
            const qreal end = list->property("contentHeight").toReal() - list->height();
            qreal y = list->property("contentY").toReal() + step;
            if (y > end || y < 0) {
                step = -step;
                y = std::clamp<qreal>(y, 0, end);
            }
            list->setProperty("contentY", y);
        });
        list->setProperty("contentY", 1);
        const Measured measured = measure();
        QObject::disconnect(scrolling);
        state.SetIterationTime(measured.seconds);
        state.counters["frames"] = double(frames.frames.size());
        state.counters["frame_median_ms"] = percentile(frames.frames, 50);
        state.counters["frame_p95_ms"] = percentile(frames.frames, 95);
        state.counters["frame_worst_ms"] = percentile(frames.frames, 100);
        state.counters["frame_cpu_median_ms"] = percentile(frames.cpu, 50);
        state.counters["frame_cpu_worst_ms"] = percentile(frames.cpu, 100);
        state.counters["gui_thread_cpu_ms_per_s"] = measured.guiCpuMsPerS;
        state.counters["scanner_cpu_ms_per_s"] = measured.scannerCpuMsPerS;
        ui.stop();
    }
}

void Core(benchmark::State &state)
{
    const int intervalMs = int(state.range(0));
    for (auto _ : state) {
        core_testing::CoreHarness core;
        installScanner(core, intervalMs);
        if (!core.start(crowd())) {
            state.SkipWithError("the core did not start");
            return;
        }
        // The device list's model is fed as in the program.
        auto models = std::make_unique<configurator::CoreModels>(core.core);
        core.recorder.reset();
        core.core->connectClicked();
        configurator::DeviceListModel *devices = models->devices();
        if (!core.waitFor([&]() { return devices->count() == kDevices; }, 60000)) {
            state.SkipWithError("not every device was listed");
            return;
        }
        SignalWeather weather(*core.park);
        runFor(1000);
        const Measured measured = measure();
        state.SetIterationTime(measured.seconds);
        state.counters["core_cpu_ms_per_s"] = measured.guiCpuMsPerS;
        state.counters["scanner_cpu_ms_per_s"] = measured.scannerCpuMsPerS;
        state.counters["listed"] = devices->count();
        models.reset();
        core.stop();
    }
}

BENCHMARK(Window)->Arg(1000)->Arg(100)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Core)->Arg(1000)->Arg(100)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    qInstallMessageHandler(quietHandler);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
