// The module host: singleton creation in a thread of its own, the initialisation wait and the stop.
#include "event_core/module_host.h"
#include "testing/log_capture.h"

#include <QPointer>
#include <QSemaphore>
#include <QtTest>

#include <memory>
#include <vector>

using event_core::ModuleHost;
using namespace std::chrono_literals;

namespace {
constexpr int kWait = 30000;
constexpr char kStopText[] = "QMetaObject::invokeMethod( handler, []() { handler->beforeThreadStopped(); }, "
                             "Qt::BlockingQueuedConnection)";
} // namespace

// What each test module saw, per module type.
struct Trace
{
    std::atomic<int> constructed { 0 };
    std::atomic<int> destructed { 0 };
    std::atomic<QThread *> startedIn { nullptr };
    std::atomic<QThread *> stoppedIn { nullptr };
    std::atomic<bool> startFinished { false };
};

// A module that is ready as soon as its thread runs.
class QuickModule : public QObject
{
    Q_OBJECT
    friend class event_core::ModuleHost<QuickModule>;
    using Host = ModuleHost<QuickModule>;

public:
    static QuickModule *createInstance(QObject *parent) { return Host::create(parent, 10s, Q_FUNC_INFO); }
    static void destroyInstance() { Host::destroy(kStopText); }
    static QuickModule *instance() { return Host::instance(); }
    static inline Trace trace;

    ~QuickModule() override { ++trace.destructed; }

signals:
    void initializationDone(QPrivateSignal);

public slots:
    void afterThreadStarted()
    {
        trace.startedIn = QThread::currentThread();
        emit initializationDone(QPrivateSignal());
    }
    void beforeThreadStopped() { trace.stoppedIn = QThread::currentThread(); }

private:
    QuickModule() { ++trace.constructed; }
};

// A module whose start blocks until the test opens the gate, far beyond its 50 ms wait.
class SlowModule : public QObject
{
    Q_OBJECT
    friend class event_core::ModuleHost<SlowModule>;
    using Host = ModuleHost<SlowModule>;

public:
    static SlowModule *createInstance(QObject *parent) { return Host::create(parent, 50ms, Q_FUNC_INFO); }
    static void destroyInstance() { Host::destroy(kStopText); }
    static inline Trace trace;
    static inline QSemaphore gate { 0 };

signals:
    void initializationDone(QPrivateSignal);

public slots:
    void afterThreadStarted()
    {
        gate.acquire();
        trace.startFinished = true;
        emit initializationDone(QPrivateSignal()); // too late: nobody waits any more
    }
    void beforeThreadStopped() { trace.stoppedIn = QThread::currentThread(); }

private:
    SlowModule() { ++trace.constructed; }
};

// A module that never reports its initialisation (as a module whose subscriptions failed).
class SilentModule : public QObject
{
    Q_OBJECT
    friend class event_core::ModuleHost<SilentModule>;
    using Host = ModuleHost<SilentModule>;

public:
    static SilentModule *createInstance(QObject *parent) { return Host::create(parent, 50ms, Q_FUNC_INFO); }
    static void destroyInstance() { Host::destroy(kStopText); }
    static inline Trace trace;

signals:
    void initializationDone(QPrivateSignal);

public slots:
    void afterThreadStarted() { trace.startedIn = QThread::currentThread(); }
    void beforeThreadStopped() { trace.stoppedIn = QThread::currentThread(); }
};

class TestModuleHost : public QObject
{
    Q_OBJECT

private slots:
    void runsInAThreadOfItsOwn();
    void concurrentCreationMakesOneInstance();
    void stopRunsInTheModuleThreadAndEndsIt();
    void stopWithoutInstanceDoesNothing();
    void slowStartTimesOutButReturnsTheInstance();
    void moduleThatNeverReportsTimesOut();
};

void TestModuleHost::runsInAThreadOfItsOwn()
{
    vk_testing::LogCapture capture;
    QObject parent;
    QuickModule *module = QuickModule::createInstance(&parent);
    QVERIFY(module);
    QCOMPARE(QuickModule::instance(), module);
    QCOMPARE(QuickModule::createInstance(&parent), module);
    QVERIFY(module->thread() != QThread::currentThread());
    // initializationDone was awaited, so the start has run, in the module's thread.
    QCOMPARE(QuickModule::trace.startedIn.load(), module->thread());
    QCOMPARE(parent.findChildren<QThread *>(), QList<QThread *> { module->thread() });
    QVERIFY(capture.entries().isEmpty());

    QuickModule::destroyInstance();
    QCOMPARE(QuickModule::instance(), nullptr);
    QVERIFY(parent.findChildren<QThread *>().isEmpty());
}

void TestModuleHost::concurrentCreationMakesOneInstance()
{
    QuickModule::trace.constructed = 0;
    constexpr int kThreads = 8;
    QSemaphore go;
    std::vector<std::unique_ptr<QThread>> threads;
    std::vector<QuickModule *> results(kThreads, nullptr);
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back(QThread::create([&go, &results, i] {
            go.acquire();
            results[i] = QuickModule::createInstance(nullptr);
        }));
        event_topics::watchThreadEnd(threads.back().get());
        threads.back()->start();
    }
    go.release(kThreads);
    for (auto &thread : threads)
        event_topics::waitForThreadEnd(thread.get());
    QCOMPARE(QuickModule::trace.constructed.load(), 1);
    for (QuickModule *result : results)
        QCOMPARE(result, QuickModule::instance());
    QuickModule::destroyInstance();
}

void TestModuleHost::stopRunsInTheModuleThreadAndEndsIt()
{
    QuickModule::trace.destructed = 0;
    QuickModule *module = QuickModule::createInstance(nullptr);
    const QPointer<QThread> thread = module->thread();
    const QThread *moduleThread = thread.data();
    QuickModule::destroyInstance();
    QVERIFY(QuickModule::trace.stoppedIn.load() == moduleThread);
    QCOMPARE(QuickModule::trace.destructed.load(), 1);
    QVERIFY(thread.isNull()); // deleted, and a QThread is only deleted once it has ended
    QCOMPARE(QuickModule::instance(), nullptr);

    // A new instance can be made after a stop.
    QuickModule *again = QuickModule::createInstance(nullptr);
    QVERIFY(again);
    QVERIFY(again->thread()->isRunning());
    QuickModule::destroyInstance();
}

void TestModuleHost::stopWithoutInstanceDoesNothing()
{
    vk_testing::LogCapture capture;
    QuickModule::trace.destructed = 0;
    QuickModule::destroyInstance();
    QuickModule::destroyInstance();
    QCOMPARE(QuickModule::trace.destructed.load(), 0);
    QVERIFY(capture.entries().isEmpty());
}

void TestModuleHost::slowStartTimesOutButReturnsTheInstance()
{
    vk_testing::LogCapture capture;
    SlowModule *module = SlowModule::createInstance(nullptr);
    QVERIFY(module);
    QVERIFY(!SlowModule::trace.startFinished);

    const auto entries = capture.entries();
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries.first().type, QtWarningMsg);
    QVERIFY2(entries.first().text.startsWith(QLatin1String("Timeout of object initialization: ")),
        qPrintable(entries.first().text));
    // The compiler's text of the signature: "static SlowModule* SlowModule::createInstance(QObject*)" (GCC).
    QVERIFY2(entries.first().text.contains(QLatin1String("SlowModule::createInstance(QObject")),
        qPrintable(entries.first().text));

    // The late initializationDone finds nobody waiting; the module goes on and stops normally.
    SlowModule::gate.release();
    QTRY_VERIFY_WITH_TIMEOUT(SlowModule::trace.startFinished, kWait);
    SlowModule::destroyInstance();
    QVERIFY(SlowModule::trace.stoppedIn.load() != nullptr);
    QCOMPARE(capture.entries().size(), 1);
}

void TestModuleHost::moduleThatNeverReportsTimesOut()
{
    vk_testing::LogCapture capture;
    SilentModule *module = SilentModule::createInstance(nullptr);
    QVERIFY(module);
    QCOMPARE(capture.count(QStringLiteral("Timeout of object initialization: ")), 1);
    QCOMPARE(SilentModule::createInstance(nullptr), module); // no second wait for an existing module
    QCOMPARE(capture.entries().size(), 1);
    SilentModule::destroyInstance();
    QVERIFY(SilentModule::trace.stoppedIn.load() == SilentModule::trace.startedIn.load());
    QVERIFY(SilentModule::trace.stoppedIn.load() != nullptr);
}

QTEST_GUILESS_MAIN(TestModuleHost)
#include "tst_module_host.moc"
