// vk-config from process start to exit on the simulated fm200 with link timing, against the link's
// own time for the same packets: what the link model took for every request and its answers (the
// device counts it, --simulator-state hands it over), plus the advertising interval the scanner
// waits for the second sighting that lists a device.
#include "simulator/transport/simulated_device_discovery.h"
#include "testing/process_run.h"
#include "vk_config/simulator_state.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kRuns = 5;

struct Sample
{
    qint64 wallUs = 0;
    qint64 linkUs = 0;
    int requests = 0;
};

[[noreturn]] void fail(const QString &why)
{
    std::fprintf(stderr, "bench_vk_config: %s\n", qPrintable(why));
    std::exit(1);
}

Sample runOnce(const QTemporaryDir &home, const QStringList &arguments)
{
    const QString state = home.filePath(QStringLiteral("state.json"));
    QFile::remove(state);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    env.remove(QStringLiteral("VK_PASSWORD"));
    QElapsedTimer timer;
    timer.start();
    const vk_testing::ProcessRun run = vk_testing::runProcess(QStringLiteral(VK_CONFIG_PATH),
        QStringList {
            QStringLiteral("--simulator"), QStringLiteral("--link-timing"), QStringLiteral("--simulator-state"), state }
            + arguments,
        {}, env);
    Sample sample;
    sample.wallUs = timer.nsecsElapsed() / 1000;
    if (!run.exitedNormally() || run.exitCode != 0)
        fail(QStringLiteral("vk-config %1 failed: %2").arg(arguments.join(u' '), QString::fromUtf8(run.err)));
    QFile file(state);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("no simulator state"));
    const QJsonObject counters = vk_config::SimulatorState::countersOf(
        QJsonDocument::fromJson(file.readAll()).object(), QStringLiteral("fm200"));
    sample.linkUs = qint64(counters.value(QStringLiteral("linkTimeUs")).toDouble());
    sample.requests = counters.value(QStringLiteral("requests")).toInt();
    return sample;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir home;
    if (!home.isValid())
        fail(QStringLiteral("no temporary folder"));
    const qint64 advertisingUs
        = qint64(simulator::SimulatedDeviceDiscovery::kDefaultAdvertisingInterval.count()) * 1000;
    const QList<QPair<QString, QStringList>> jobs {
        { QStringLiteral("(a) get --all"),
            { QStringLiteral("get"), QStringLiteral("10250001"), QStringLiteral("--all"), QStringLiteral("--password"),
                QStringLiteral("4711") } },
        { QStringLiteral("(b) set of one value"),
            { QStringLiteral("set"), QStringLiteral("10250001"), QStringLiteral("--value"), QStringLiteral("104=120"),
                QStringLiteral("--password"), QStringLiteral("4711") } },
    };
    for (const auto &[label, arguments] : jobs) {
        std::vector<Sample> samples;
        for (int run = 0; run < kRuns; ++run)
            samples.push_back(runOnce(home, arguments));
        std::sort(samples.begin(), samples.end(), [](const Sample &a, const Sample &b) { return a.wallUs < b.wallUs; });
        const Sample median = samples[samples.size() / 2];
        const qint64 linkUs = median.linkUs + advertisingUs;
        out << QStringLiteral("%1 of fm200 with link timing, median of %2: %3 s from process start to exit; link %4 s "
                              "for %5 requests + %6 s advertising = %7 s; %8 x the link\n")
                   .arg(label)
                   .arg(kRuns)
                   .arg(double(median.wallUs) / 1e6, 0, 'f', 3)
                   .arg(double(median.linkUs) / 1e6, 0, 'f', 3)
                   .arg(median.requests)
                   .arg(double(advertisingUs) / 1e6, 0, 'f', 3)
                   .arg(double(linkUs) / 1e6, 0, 'f', 3)
                   .arg(double(median.wallUs) / double(linkUs), 0, 'f', 3);
        out.flush();
    }
    return 0;
}
