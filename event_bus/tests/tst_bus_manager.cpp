// The bus end to end: subscribing, publishing, delivery rules and stopping, with real threads.
#include "bus_fixtures.h"
#include "event_bus/bus_manager.h"
#include "testing/log_capture.h"

#include <QPointer>
#include <QtTest>

using namespace bus_fixtures;
using event_bus::BusManager;
using event_topics::TopicEntry;

namespace {
constexpr int kWait = 30000;
}

class TestBusManager : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void deliversInTheSubscribersThread();
    void oneMessageObjectIsSharedByAllSubscribers();
    void subscribeRefusals_data();
    void subscribeRefusals();
    void publishRefusals_data();
    void publishRefusals();
    void secondSubscriptionAfterConfirmationIsRefused();
    void twoSubscriptionsBeforeConfirmationBothDeliver();
    void handlerThatDoesNotFitWarnsPerMessage_data();
    void handlerThatDoesNotFitWarnsPerMessage();
    void deletedSubscriberIsDroppedSilently();
    void unsubscribeAllEndsDelivery();
    void messageWithoutSubscriberIsReleased();
    void eachCategoryHasItsOwnSubBusThread();
    void stoppingEndsEverySubBus();
    void createInstanceIsIdempotent();
};

void TestBusManager::init()
{
    QVERIFY(BusManager::createInstance(nullptr));
}

void TestBusManager::cleanup()
{
    BusManager::destroyInstance();
    QCOMPARE(BusManager::instance(), nullptr);
    QTRY_COMPARE_WITH_TIMEOUT(g_liveMessages.load(), 0, kWait);
}

void TestBusManager::deliversInTheSubscribersThread()
{
    Threaded<> subscriber;
    QCOMPARE(
        subscriber.run([&] { return subscriber->subscribe(Ping::topic(), QStringLiteral("onPing")); }), ReturnCode::Ok);
    // No need to wait for the confirmation: a subscription that reached the bus before a message
    // reaches the topic before it too.
    Recorder publisher;
    QCOMPARE(publisher.publish(new Ping(0, 7)), ReturnCode::Ok);

    QTRY_COMPARE_WITH_TIMEOUT(subscriber->count(), 1, kWait);
    const Recorder::Entry entry = subscriber->entries().first();
    QCOMPARE(entry.sequence, 7);
    QCOMPARE(entry.thread, subscriber.thread());
    QVERIFY(entry.deliveredBy != subscriber.thread());
    QVERIFY(entry.deliveredBy != QThread::currentThread());
    QVERIFY(entry.deliveredBy != BusManager::instance()->thread());

    QTRY_VERIFY_WITH_TIMEOUT(subscriber.run([&] { return subscriber->isSubscribed(Ping::topic()); }), kWait);
    QCOMPARE(subscriber->confirmedTopics(), QStringList { QStringLiteral("Device/Ping") });
}

void TestBusManager::oneMessageObjectIsSharedByAllSubscribers()
{
    Threaded<> first;
    Threaded<> second;
    Recorder third;
    QCOMPARE(first.run([&] { return first->subscribe(Ping::topic(), QStringLiteral("onPing")); }), ReturnCode::Ok);
    QCOMPARE(second.run([&] { return second->subscribe(Ping::topic(), QStringLiteral("onPing")); }), ReturnCode::Ok);
    QCOMPARE(third.subscribe(Ping::topic(), QStringLiteral("onPing")), ReturnCode::Ok);

    auto *message = new Ping(0, 1);
    QCOMPARE(third.publish(message), ReturnCode::Ok);
    QTRY_COMPARE_WITH_TIMEOUT(first->count(), 1, kWait);
    QTRY_COMPARE_WITH_TIMEOUT(second->count(), 1, kWait);
    QTRY_COMPARE_WITH_TIMEOUT(third.count(), 1, kWait);
    QCOMPARE(first->entries().first().message, message);
    QCOMPARE(second->entries().first().message, message);
    QCOMPARE(third.entries().first().message, message);
    // Released once every subscriber has had it.
    QTRY_COMPARE_WITH_TIMEOUT(g_liveMessages.load(), 0, kWait);
}

void TestBusManager::subscribeRefusals_data()
{
    QTest::addColumn<int>("category");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("handler");
    QTest::addColumn<int>("expected");

    QTest::newRow("empty handler name") << int(event_topics::Device) << "Ping"
                                        << "" << int(ReturnCode::ErrArgumentBadValue);
    QTest::newRow("category 4") << 4 << "Ping"
                                << "onPing" << int(ReturnCode::ErrArgumentBadValue);
    QTest::newRow("category 5") << 5 << "Ping"
                                << "onPing" << int(ReturnCode::ErrArgumentBadValue);
    QTest::newRow("empty topic name") << int(event_topics::Device) << ""
                                      << "onPing" << int(ReturnCode::ErrArgumentBadValue);
    QTest::newRow("default entry") << int(event_topics::Unset) << ""
                                   << "onPing" << int(ReturnCode::ErrArgumentBadValue);
    QTest::newRow("valid") << int(event_topics::Device) << "Ping"
                           << "onPing" << int(ReturnCode::Ok);
}

void TestBusManager::subscribeRefusals()
{
    QFETCH(int, category);
    QFETCH(QString, name);
    QFETCH(QString, handler);
    QFETCH(int, expected);
    vk_testing::LogCapture capture;
    Recorder subscriber;
    const ReturnCode result = subscriber.subscribe(TopicEntry(event_topics::TopicCategory(category), name), handler);
    QCOMPARE(int(result), expected);
    if (result != ReturnCode::Ok) {
        // The subscriber logs the code it produced, as its debug form.
        QCOMPARE(capture.count(QStringLiteral("ReturnCode[%1]").arg(expected)), 1);
    }
}

void TestBusManager::publishRefusals_data()
{
    QTest::addColumn<int>("category");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("expected");

    QTest::newRow("category 4") << 4 << "Stray" << int(ReturnCode::ErrArgumentUnsupportedValue);
    QTest::newRow("category 5") << 5 << "Stray" << int(ReturnCode::ErrArgumentUnsupportedValue);
    QTest::newRow("empty name") << int(event_topics::System) << "" << int(ReturnCode::ErrArgumentUnsupportedValue);
    // Only 4 and 5 are invalid: other values outside the table are routed like any category.
    QTest::newRow("category 99") << 99 << "Stray" << int(ReturnCode::Ok);
    QTest::newRow("category -1") << -1 << "Stray" << int(ReturnCode::Ok);
    QTest::newRow("Log") << int(event_topics::Log) << "Stray" << int(ReturnCode::Ok);
}

void TestBusManager::publishRefusals()
{
    QFETCH(int, category);
    QFETCH(QString, name);
    QFETCH(int, expected);
    const TopicEntry entry(event_topics::TopicCategory(category), name);

    Recorder subscriber;
    if (entry.isValid())
        QCOMPARE(subscriber.subscribe(entry, QStringLiteral("onStray")), ReturnCode::Ok);
    auto *message = new Stray(entry, 3);
    bool destroyed = false;
    connect(
        message, &QObject::destroyed, this, [&destroyed] { destroyed = true; }, Qt::DirectConnection);
    QCOMPARE(int(subscriber.publish(message)), expected);
    if (expected == int(ReturnCode::Ok)) {
        QTRY_COMPARE_WITH_TIMEOUT(subscriber.count(), 1, kWait);
        QCOMPARE(subscriber.entries().first().sequence, 3);
    } else {
        // Refused, and the publisher's ownership was honoured: the message is gone at once.
        QVERIFY(destroyed);
    }
}

void TestBusManager::secondSubscriptionAfterConfirmationIsRefused()
{
    Recorder subscriber;
    QCOMPARE(subscriber.subscribe(Ping::topic(), QStringLiteral("onPing")), ReturnCode::Ok);
    QVERIFY(!subscriber.isSubscribed(Ping::topic()));
    QTRY_VERIFY_WITH_TIMEOUT(subscriber.isSubscribed(Ping::topic()), kWait);

    vk_testing::LogCapture capture;
    QCOMPARE(subscriber.subscribe(Ping::topic(), QStringLiteral("onPing")), ReturnCode::WarnAlreadyExist);
    QCOMPARE(subscriber.subscribe(Ping::topic(), QStringLiteral("onOther")), ReturnCode::WarnAlreadyExist);
    QCOMPARE(capture.count(QStringLiteral("ReturnCode[2]")), 2);
    QVERIFY(!return_codes::isError(ReturnCode::WarnAlreadyExist));

    QCOMPARE(subscriber.publish(new Ping(0, 1)), ReturnCode::Ok);
    QCOMPARE(subscriber.publish(new Ping(0, 2)), ReturnCode::Ok);
    QTRY_COMPARE_WITH_TIMEOUT(subscriber.count(), 2, kWait);
    // Messages of one topic arrive in order: a duplicate of the first would come before the second.
    QCOMPARE(subscriber.entries().at(0).sequence, 1);
    QCOMPARE(subscriber.entries().at(1).sequence, 2);
}

void TestBusManager::twoSubscriptionsBeforeConfirmationBothDeliver()
{
    Recorder subscriber;
    // The confirmation is a queued call into this thread: nothing is confirmed between the two calls.
    QCOMPARE(subscriber.subscribe(Ping::topic(), QStringLiteral("onPing")), ReturnCode::Ok);
    QCOMPARE(subscriber.subscribe(Ping::topic(), QStringLiteral("onPing")), ReturnCode::Ok);
    QCOMPARE(subscriber.publish(new Ping(0, 1)), ReturnCode::Ok);
    QTRY_COMPARE_WITH_TIMEOUT(subscriber.count(), 2, kWait);
    QTRY_COMPARE_WITH_TIMEOUT(subscriber.confirmedTopics().size(), 2, kWait);
}

void TestBusManager::handlerThatDoesNotFitWarnsPerMessage_data()
{
    QTest::addColumn<QString>("handler");
    QTest::newRow("no such method") << "onNothing";
    QTest::newRow("wrong message type") << "onAlarm";
    QTest::newRow("wrong case") << "onping";
}

void TestBusManager::handlerThatDoesNotFitWarnsPerMessage()
{
    QFETCH(QString, handler);
    vk_testing::LogCapture capture;
    Threaded<> broken;
    Threaded<> healthy;
    QCOMPARE(broken.run([&] { return broken->subscribe(Ping::topic(), handler); }), ReturnCode::Ok);
    QCOMPARE(healthy.run([&] { return healthy->subscribe(Ping::topic(), QStringLiteral("onPing")); }), ReturnCode::Ok);

    Recorder publisher;
    for (int i = 0; i < 3; ++i)
        QCOMPARE(publisher.publish(new Ping(0, i)), ReturnCode::Ok);
    QTRY_COMPARE_WITH_TIMEOUT(healthy->count(), 3, kWait);
    QTRY_COMPARE_WITH_TIMEOUT(capture.count(QStringLiteral("Invalid invokeMethod!")), 3, kWait);
    QCOMPARE(broken->count(), 0);
    for (const auto &entry : capture.entries()) {
        if (entry.text == QLatin1String("Invalid invokeMethod!"))
            QCOMPARE(entry.type, QtWarningMsg);
    }
}

void TestBusManager::deletedSubscriberIsDroppedSilently()
{
    Threaded<> doomed;
    Recorder survivor;
    QCOMPARE(doomed.run([&] { return doomed->subscribe(Ping::topic(), QStringLiteral("onPing")); }), ReturnCode::Ok);
    QCOMPARE(survivor.subscribe(Ping::topic(), QStringLiteral("onPing")), ReturnCode::Ok);
    QCOMPARE(survivor.publish(new Ping(0, 1)), ReturnCode::Ok);
    QTRY_COMPARE_WITH_TIMEOUT(doomed->count(), 1, kWait);
    QTRY_COMPARE_WITH_TIMEOUT(survivor.count(), 1, kWait);

    doomed.destroyObject();
    vk_testing::LogCapture capture;
    for (int i = 2; i <= 4; ++i)
        QCOMPARE(survivor.publish(new Ping(0, i)), ReturnCode::Ok);
    QTRY_COMPARE_WITH_TIMEOUT(survivor.count(), 4, kWait);
    QVERIFY2(!capture.contains(QStringLiteral("nvalid invokeMethod")), qPrintable(capture.texts().join('\n')));
}

void TestBusManager::unsubscribeAllEndsDelivery()
{
    Recorder quitter;
    Recorder witness;
    QCOMPARE(quitter.subscribe(Ping::topic(), QStringLiteral("onPing")), ReturnCode::Ok);
    QCOMPARE(quitter.subscribe(Alarm::topic(), QStringLiteral("onAlarm")), ReturnCode::Ok);
    QCOMPARE(witness.subscribe(Ping::topic(), QStringLiteral("onPing")), ReturnCode::Ok);
    QTRY_VERIFY_WITH_TIMEOUT(quitter.isSubscribed(Ping::topic()) && quitter.isSubscribed(Alarm::topic()), kWait);

    QCOMPARE(quitter.unsubscribeAll(), ReturnCode::Ok);
    QVERIFY(!quitter.isSubscribed(Ping::topic()));
    QVERIFY(!quitter.isSubscribed(Alarm::topic()));
    QCOMPARE(witness.publish(new Ping(0, 1)), ReturnCode::Ok);
    QTRY_COMPARE_WITH_TIMEOUT(witness.count(), 1, kWait);
    QCOMPARE(quitter.count(), 0);

    // A fresh subscription works again, behind the removal.
    QCOMPARE(quitter.subscribe(Ping::topic(), QStringLiteral("onPing")), ReturnCode::Ok);
    QCOMPARE(witness.publish(new Ping(0, 2)), ReturnCode::Ok);
    QTRY_COMPARE_WITH_TIMEOUT(quitter.count(), 1, kWait);
    QCOMPARE(quitter.entries().first().sequence, 2);
}

void TestBusManager::messageWithoutSubscriberIsReleased()
{
    Recorder publisher;
    QCOMPARE(publisher.publish(new Ping(0, 1)), ReturnCode::Ok);
    QCOMPARE(publisher.publish(new Alarm(2)), ReturnCode::Ok);
    QTRY_COMPARE_WITH_TIMEOUT(g_liveMessages.load(), 0, kWait);
}

void TestBusManager::eachCategoryHasItsOwnSubBusThread()
{
    Recorder subscriber;
    const TopicEntry otherDeviceTopic(event_topics::Device, QStringLiteral("Other"));
    QCOMPARE(subscriber.subscribe(Ping::topic(), QStringLiteral("onPing")), ReturnCode::Ok);
    QCOMPARE(subscriber.subscribe(Alarm::topic(), QStringLiteral("onAlarm")), ReturnCode::Ok);
    QCOMPARE(subscriber.subscribe(otherDeviceTopic, QStringLiteral("onStray")), ReturnCode::Ok);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(subscriber.publish(new Ping(0, i)), ReturnCode::Ok);
        QCOMPARE(subscriber.publish(new Alarm(i)), ReturnCode::Ok);
        QCOMPARE(subscriber.publish(new Stray(otherDeviceTopic, i)), ReturnCode::Ok);
    }
    QTRY_COMPARE_WITH_TIMEOUT(subscriber.count(), 9, kWait);

    QSet<QThread *> device, system;
    for (const auto &entry : subscriber.entries())
        (entry.source == -1 ? system : device).insert(entry.deliveredBy);
    // One thread per category, reused for every message and every topic of it.
    QCOMPARE(device.size(), 1);
    QCOMPARE(system.size(), 1);
    QVERIFY(*device.begin() != *system.begin());
    for (QThread *thread : { *device.begin(), *system.begin() }) {
        QVERIFY(thread != QThread::currentThread());
        QVERIFY(thread != BusManager::instance()->thread());
    }
}

void TestBusManager::stoppingEndsEverySubBus()
{
    Recorder subscriber;
    QCOMPARE(subscriber.subscribe(Ping::topic(), QStringLiteral("onPing")), ReturnCode::Ok);
    QCOMPARE(subscriber.subscribe(Alarm::topic(), QStringLiteral("onAlarm")), ReturnCode::Ok);
    QCOMPARE(subscriber.publish(new Ping(0, 1)), ReturnCode::Ok);
    QCOMPARE(subscriber.publish(new Alarm(1)), ReturnCode::Ok);
    QTRY_COMPARE_WITH_TIMEOUT(subscriber.count(), 2, kWait);
    QTRY_VERIFY_WITH_TIMEOUT(subscriber.isSubscribed(Alarm::topic()), kWait);

    QList<QPointer<QThread>> threads;
    for (const auto &entry : subscriber.entries())
        threads << QPointer<QThread>(entry.deliveredBy);
    const QPointer<QThread> busThread = BusManager::instance()->thread();

    BusManager::destroyInstance();
    QCOMPARE(BusManager::instance(), nullptr);
    // Thread objects are only deleted once their threads have ended.
    for (const auto &thread : threads)
        QVERIFY(thread.isNull());
    QVERIFY(busThread.isNull());

    vk_testing::LogCapture capture;
    QCOMPARE(subscriber.publish(new Ping(0, 2)), ReturnCode::ErrInvalidHandler);
    QCOMPARE(subscriber.subscribe(TopicEntry(event_topics::Log, QStringLiteral("X")), QStringLiteral("onPing")),
        ReturnCode::ErrInvalidHandler);
    // Without a bus the table is kept: the bus could not be told.
    QCOMPARE(subscriber.unsubscribeAll(), ReturnCode::ErrInvalidHandler);
    QVERIFY(subscriber.isSubscribed(Alarm::topic()));
    QCOMPARE(capture.count(QStringLiteral("ReturnCode[-2147483643]")), 3);
    QCOMPARE(g_liveMessages.load(), 0);
}

void TestBusManager::createInstanceIsIdempotent()
{
    BusManager *bus = BusManager::instance();
    QVERIFY(bus);
    QCOMPARE(BusManager::createInstance(nullptr), bus);
    QVERIFY(bus->thread() != QThread::currentThread());
    QVERIFY(bus->thread()->isRunning());
}

QTEST_GUILESS_MAIN(TestBusManager)
#include "tst_bus_manager.moc"
