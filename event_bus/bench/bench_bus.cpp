// Throughput and publish-to-handler latency of the bus, with real threads:
//   (a) one publisher, one subscriber, one topic
//   (b) one publisher, four subscribers in four threads, one topic
//   (c) two categories in parallel: a Device publisher and a System publisher, one subscriber each
// Each scenario runs twice: a burst (everything published as fast as possible; latency includes
// queueing) and a paced run (one message in flight; latency of an idle bus).
#include "../tests/bus_fixtures.h"
#include "event_bus/bus_manager.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <QTextStream>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <vector>

using namespace bus_fixtures;

namespace {

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Counts and times every message it gets; releases `done` when it has `expected` of them.
class Sink : public event_core::ITopicSubscriber
{
    Q_OBJECT

public:
    void expect(int expected)
    {
        m_expected = expected;
        m_received = 0;
        m_latenciesNs.clear();
        m_latenciesNs.reserve(expected);
    }
    QSemaphore done;
    const std::vector<qint64> &latenciesNs() const { return m_latenciesNs; }

public slots:
    void onPing(bus_fixtures::PingMessage message) { take(message->publishedNs); }
    void onAlarm(bus_fixtures::AlarmMessage message) { take(message->publishedNs); }

private:
    void take(qint64 publishedNs)
    {
        m_latenciesNs.push_back(nowNs() - publishedNs);
        if (++m_received == m_expected)
            done.release();
    }

    int m_expected = 0;
    int m_received = 0;
    std::vector<qint64> m_latenciesNs;
};

struct Figures
{
    double messagesPerSecond = 0;
    double deliveriesPerSecond = 0;
    double p50Us = 0;
    double p99Us = 0;
};

double percentileUs(std::vector<qint64> values, double fraction)
{
    if (values.empty())
        return 0;
    const auto index = size_t(fraction * double(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + qptrdiff(index), values.end());
    return double(values[index]) / 1000.0;
}

struct Lane
{
    bool system = false; // Alarm on System, else Ping on Device
    std::vector<std::unique_ptr<Threaded<Sink>>> sinks;
};

void subscribe(Lane &lane, int sinkCount)
{
    for (int i = 0; i < sinkCount; ++i) {
        lane.sinks.push_back(std::make_unique<Threaded<Sink>>());
        Threaded<Sink> &sink = *lane.sinks.back();
        const ReturnCode result = sink.run([&] {
            return lane.system ? sink->subscribe(Alarm::topic(), QStringLiteral("onAlarm"))
                               : sink->subscribe(Ping::topic(), QStringLiteral("onPing"));
        });
        Q_ASSERT(result == ReturnCode::Ok);
        // Wait for the confirmation so that set-up traffic is not measured.
        while (!sink.run([&] { return sink->isSubscribed(lane.system ? Alarm::topic() : Ping::topic()); }))
            QThread::yieldCurrentThread();
    }
}

// Publishes `count` messages of `lane` from the calling thread.
void publish(event_core::ITopicSubscriber &publisher, const Lane &lane, int count)
{
    for (int i = 0; i < count; ++i) {
        const qint64 stamp = nowNs();
        if (lane.system)
            publisher.publish(new Alarm(i, stamp));
        else
            publisher.publish(new Ping(0, i, stamp));
    }
}

Figures summarize(const std::vector<qint64> &latencies, double messages, double seconds)
{
    Figures figures;
    figures.messagesPerSecond = messages / seconds;
    figures.deliveriesPerSecond = double(latencies.size()) / seconds;
    figures.p50Us = percentileUs(latencies, 0.50);
    figures.p99Us = percentileUs(latencies, 0.99);
    return figures;
}

// Burst: every lane publishes `count` messages as fast as it can (the first lane from this thread,
// each further lane from a thread of its own); the clock stops when every sink has all of them.
Figures runBurst(const std::vector<Lane *> &lanes, int count)
{
    for (Lane *lane : lanes)
        for (auto &sink : lane->sinks)
            sink->run([&] {
                (*sink)->expect(count);
                return true;
            });
    const qint64 start = nowNs();
    std::vector<std::unique_ptr<QThread>> others;
    for (size_t l = 1; l < lanes.size(); ++l) {
        const Lane *lane = lanes[l];
        others.emplace_back(QThread::create([lane, count] {
            event_core::ITopicSubscriber publisher;
            publish(publisher, *lane, count);
        }));
        others.back()->start();
    }
    event_core::ITopicSubscriber publisher;
    publish(publisher, *lanes.front(), count);
    for (auto &thread : others)
        thread->wait();
    for (Lane *lane : lanes)
        for (auto &sink : lane->sinks)
            (*sink)->done.acquire();
    const double seconds = double(nowNs() - start) / 1e9;
    // Read only after `done`: every handler call of the run has finished.
    std::vector<qint64> latencies;
    for (Lane *lane : lanes)
        for (auto &sink : lane->sinks)
            latencies.insert(latencies.end(), (*sink)->latenciesNs().begin(), (*sink)->latenciesNs().end());
    return summarize(latencies, double(count) * double(lanes.size()), seconds);
}

// Paced: each lane has one message in flight at a time; the next is published once every sink of
// the lane has handled the previous one.
Figures runPaced(const std::vector<Lane *> &lanes, int count)
{
    std::vector<std::vector<qint64>> perLane(lanes.size());
    auto paced = [count](const Lane &lane, std::vector<qint64> &latencies) {
        event_core::ITopicSubscriber publisher;
        for (int i = 0; i < count; ++i) {
            // No message of this lane is in flight here: the sinks' state may be reset from this thread.
            for (auto &sink : lane.sinks)
                (*sink)->expect(1);
            publish(publisher, lane, 1);
            for (auto &sink : lane.sinks) {
                (*sink)->done.acquire();
                latencies.push_back((*sink)->latenciesNs().front());
            }
        }
    };
    const qint64 start = nowNs();
    std::vector<std::unique_ptr<QThread>> others;
    for (size_t l = 1; l < lanes.size(); ++l) {
        others.emplace_back(QThread::create([&, l] { paced(*lanes[l], perLane[l]); }));
        others.back()->start();
    }
    paced(*lanes.front(), perLane.front());
    for (auto &thread : others)
        thread->wait();
    const double seconds = double(nowNs() - start) / 1e9;
    std::vector<qint64> latencies;
    for (auto &lane : perLane)
        latencies.insert(latencies.end(), lane.begin(), lane.end());
    return summarize(latencies, double(count) * double(lanes.size()), seconds);
}

void print(QTextStream &out, const char *scenario, const char *mode, const Figures &f)
{
    out << QStringLiteral("%1 %2 %3 msg/s %4 deliveries/s  latency p50 %5 us  p99 %6 us")
               .arg(QString::fromLatin1(scenario), -34)
               .arg(QString::fromLatin1(mode), -6)
               .arg(f.messagesPerSecond, 10, 'f', 0)
               .arg(f.deliveriesPerSecond, 10, 'f', 0)
               .arg(f.p50Us, 8, 'f', 1)
               .arg(f.p99Us, 8, 'f', 1)
        << Qt::endl;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const int burst = argc > 1 ? QByteArray(argv[1]).toInt() : 200000;
    const int paced = argc > 2 ? QByteArray(argv[2]).toInt() : 20000;
    QTextStream out(stdout);
    out << "bus benchmark: burst " << burst << " messages per publisher, paced " << paced << Qt::endl;

    event_bus::BusManager::createInstance(&application);
    {
        Lane single;
        subscribe(single, 1);
        print(out, "(a) 1 publisher, 1 subscriber", "burst", runBurst({ &single }, burst));
        print(out, "(a) 1 publisher, 1 subscriber", "paced", runPaced({ &single }, paced));
    }
    {
        Lane fanOut;
        subscribe(fanOut, 4);
        print(out, "(b) 1 publisher, 4 subscribers", "burst", runBurst({ &fanOut }, burst));
        print(out, "(b) 1 publisher, 4 subscribers", "paced", runPaced({ &fanOut }, paced));
    }
    {
        Lane device, system;
        system.system = true;
        subscribe(device, 1);
        subscribe(system, 1);
        print(out, "(c) Device + System in parallel", "burst", runBurst({ &device, &system }, burst));
        print(out, "(c) Device + System in parallel", "paced", runPaced({ &device, &system }, paced));
    }
    event_bus::BusManager::destroyInstance();
    return 0;
}

#include "bench_bus.moc"
