// The firmware-server module on the real bus, pinging a real HTTPS server on 127.0.0.1.
#include "event_bus/bus_manager.h"
#include "event_core/i_topic_subscriber.h"
#include "event_topics/messages/message_meta_types.h"
#include "event_topics/messages/system/debug_happend.h"
#include "event_topics/messages/system/error_happend.h"
#include "fennic_test_server.h"
#include "testing/bus_subscriptions.h"
#include "testing/log_capture.h"
#include "v_fennic/t_fennic_handler.h"

#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using namespace v_fennic;
using fennic_testing::kWaitMs;
namespace sy = event_topics::system;

namespace {

// Records the reports published on the bus.
class ReportProbe : public event_core::ITopicSubscriber
{
    Q_OBJECT

public:
    QList<sy::ErrorHappendMessage> errors;
    QList<sy::DebugHappendMessage> debugs;

public slots:
    void onErrorHappend(sy::ErrorHappendMessage message) { errors << message; }
    void onDebugHappend(sy::DebugHappendMessage message) { debugs << message; }
};

} // namespace

class TestFennicHandler : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();
    void pingsUntilStopped();
    void stopsWithPingsInFlight();
    void reportsThroughTheBus();

private:
    QTemporaryDir m_dir;
    fennic_testing::TestServer m_server;
};

void TestFennicHandler::initTestCase()
{
    event_topics::registerMessageMetaTypes();
    QVERIFY(event_bus::BusManager::createInstance(nullptr));
    QVERIFY(m_dir.isValid());
    QVERIFY(fennic_testing::makeCertificate(m_dir.path(), QStringLiteral("server"), QStringLiteral("IP:127.0.0.1")));
    QVERIFY(m_server.start(m_dir.path(), QStringLiteral("server")));
}

void TestFennicHandler::cleanup()
{
    TFennicHandler::destroyInstance();
}

void TestFennicHandler::cleanupTestCase()
{
    event_bus::BusManager::destroyInstance();
}

void TestFennicHandler::pingsUntilStopped()
{
    const qsizetype before = m_server.requests().size();
    vk_testing::LogCapture capture;
    TFennicHandler *handler = TFennicHandler::createInstance(nullptr, m_server.address(QStringLiteral("answer=echo")),
        fennic_testing::trusting(m_dir.path(), QStringLiteral("server")));
    QVERIFY(handler);
    QVERIFY(!capture.contains(QStringLiteral("Timeout of object initialization")));
    QVERIFY(handler->thread() != QThread::currentThread());
    QCOMPARE(TFennicHandler::createInstance(nullptr, QStringLiteral("https://127.0.0.1:1/")), handler);

    // Pings keep coming, each with a uuid of its own, and their answers come back to the handler.
    QTRY_VERIFY_WITH_TIMEOUT(m_server.requests().size() >= before + 3, kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(capture.count(QStringLiteral("Received")) >= 3, kWaitMs);
    QSet<QString> uuids;
    for (qsizetype i = before; i < m_server.requests().size(); ++i) {
        const QJsonObject body
            = QJsonDocument::fromJson(m_server.requests().at(i).value(QLatin1String("body")).toString().toUtf8())
                  .object();
        QCOMPARE(body.value(QLatin1String("cmd")).toString(), QStringLiteral("ping"));
        uuids.insert(body.value(QLatin1String("uuid")).toString());
    }
    QCOMPARE(uuids.size(), m_server.requests().size() - before);
    QVERIFY(!capture.contains(QStringLiteral("Mismatch")));

    TFennicHandler::destroyInstance();
    QCOMPARE(TFennicHandler::instance(), nullptr);
}

void TestFennicHandler::stopsWithPingsInFlight()
{
    const qsizetype before = m_server.requests().size();
    QVERIFY(TFennicHandler::createInstance(nullptr, m_server.address(QStringLiteral("answer=hang")),
        fennic_testing::trusting(m_dir.path(), QStringLiteral("server"))));
    QTRY_VERIFY_WITH_TIMEOUT(m_server.requests().size() >= before + 2, kWaitMs);

    // The unanswered requests end with the module, in its thread: nothing is torn down from here.
    vk_testing::LogCapture capture;
    TFennicHandler::destroyInstance();
    QCOMPARE(TFennicHandler::instance(), nullptr);
    for (const auto &entry : capture.entries())
        QVERIFY2(entry.type == QtDebugMsg, qPrintable(entry.text));
}

void TestFennicHandler::reportsThroughTheBus()
{
    ReportProbe probe;
    QVERIFY(vk_testing::subscribeAndConfirm(probe,
        { { sy::ErrorHappend::topic(), QStringLiteral("onErrorHappend") },
            { sy::DebugHappend::topic(), QStringLiteral("onDebugHappend") } }));
    TFennicHandler *handler = TFennicHandler::createInstance(nullptr, QStringLiteral("https://127.0.0.1:1/"));
    QVERIFY(handler);

    QVERIFY(QMetaObject::invokeMethod(handler, "_onError", Q_ARG(QString, QStringLiteral("Server")),
        Q_ARG(QString, QStringLiteral("No firmware list"))));
    QVERIFY(QMetaObject::invokeMethod(
        handler, "_onDebug", Q_ARG(QString, QStringLiteral("Ping")), Q_ARG(QString, QStringLiteral("late"))));
    QTRY_COMPARE_WITH_TIMEOUT(probe.errors.size(), 1, kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(probe.debugs.size(), 1, kWaitMs);
    QCOMPARE(probe.errors.first()->submoduleId, SubmoduleIds::DeviceManager);
    QCOMPARE(probe.errors.first()->title, QStringLiteral("Server"));
    QCOMPARE(probe.errors.first()->text, QStringLiteral("No firmware list"));
    QCOMPARE(probe.debugs.first()->submoduleId, SubmoduleIds::DeviceManager);
    QCOMPARE(probe.debugs.first()->title, QStringLiteral("Ping"));
    QCOMPARE(probe.debugs.first()->text, QStringLiteral("late"));
    probe.unsubscribeAll();
}

QTEST_GUILESS_MAIN(TestFennicHandler)
#include "tst_fennic_handler.moc"
