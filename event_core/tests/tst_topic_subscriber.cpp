// The subscriber base on its own (no bus running): refusals, logging and the confirmation table.
#include "event_core/i_topic_subscriber.h"
#include "testing/log_capture.h"

#include <QtTest>

using event_topics::TopicEntry;

namespace {

class Note : public event_topics::IMessage
{
public:
    explicit Note(const TopicEntry &entry) : IMessage(entry) { }
    ReturnCode deliver(const event_topics::PMessage &self, const event_topics::SubscriptionInfo &subscription) override
    {
        return deliverAs<Note>(self, subscription);
    }
};

const TopicEntry kTopic(event_topics::Device, QStringLiteral("Note"));

const QString kInvalidHandler
    = QStringLiteral("ReturnCode[-2147483643] [\"ReturnCode::ErrInvalidHandler\"]{\"Module handler is NULL\"}");
const QString kBadValue = QStringLiteral(
    "ReturnCode[-2147483644] [\"ReturnCode::ErrArgumentBadValue\"]{\"Argument or it's derivative is invalid\"}");

// Records the confirmation hook; the hook may use the subscriber's own operations.
class Probe : public event_core::ITopicSubscriber
{
public:
    QList<QPair<QString, QString>> confirmations;
    bool subscribedSeenFromHook = false;

protected:
    void subscriptionConfirmed(const TopicEntry &topic, const QString &uuid) override
    {
        confirmations.append({ topic.key(), uuid });
        subscribedSeenFromHook = isSubscribed(topic); // would deadlock if the table lock were held
    }
};

} // namespace

class TestTopicSubscriber : public QObject
{
    Q_OBJECT

private slots:
    void withoutBus_data();
    void withoutBus();
    void publishTakesOwnershipEvenWhenRefused();
    void confirmationFillsTheTable();
};

void TestTopicSubscriber::withoutBus_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("logged");
    QTest::newRow("subscribe") << "subscribe" << int(ReturnCode::ErrInvalidHandler) << kInvalidHandler;
    // The request is checked before the bus is looked for.
    QTest::newRow("subscribe, empty handler") << "subscribe-empty" << int(ReturnCode::ErrArgumentBadValue) << kBadValue;
    QTest::newRow("subscribe, invalid topic")
        << "subscribe-invalid" << int(ReturnCode::ErrArgumentBadValue) << kBadValue;
    QTest::newRow("subscribe, confirmed topic")
        << "subscribe-confirmed" << int(ReturnCode::WarnAlreadyExist)
        << "ReturnCode[2] [\"ReturnCode::WarnAlreadyExist\"]{\"Value or case is already existed\"}";
    QTest::newRow("publish") << "publish" << int(ReturnCode::ErrInvalidHandler) << kInvalidHandler;
    QTest::newRow("publish null") << "publish-null" << int(ReturnCode::ErrArgumentPointerIsNull)
                                  << "ReturnCode[-2147483645] [\"ReturnCode::ErrArgumentPointerIsNull\"]{\"\"}";
    QTest::newRow("unsubscribeAll") << "unsubscribe" << int(ReturnCode::ErrInvalidHandler) << kInvalidHandler;
}

void TestTopicSubscriber::withoutBus()
{
    QFETCH(QString, operation);
    QFETCH(int, expected);
    QFETCH(QString, logged);
    Probe subscriber;
    subscriber.onSubscribed(TopicEntry(event_topics::System, QStringLiteral("Confirmed")), QStringLiteral("u-1"));

    vk_testing::LogCapture capture;
    ReturnCode result = ReturnCode::Ok;
    if (operation == QLatin1String("subscribe"))
        result = subscriber.subscribe(kTopic, QStringLiteral("onNote"));
    else if (operation == QLatin1String("subscribe-empty"))
        result = subscriber.subscribe(kTopic, QString());
    else if (operation == QLatin1String("subscribe-invalid"))
        result
            = subscriber.subscribe(TopicEntry(event_topics::Unknown, QStringLiteral("Note")), QStringLiteral("onNote"));
    else if (operation == QLatin1String("subscribe-confirmed"))
        result
            = subscriber.subscribe(TopicEntry(event_topics::System, QStringLiteral("Confirmed")), QStringLiteral("x"));
    else if (operation == QLatin1String("publish"))
        result = subscriber.publish(new Note(kTopic));
    else if (operation == QLatin1String("publish-null"))
        result = subscriber.publish(nullptr);
    else if (operation == QLatin1String("unsubscribe"))
        result = subscriber.unsubscribeAll();

    QCOMPARE(int(result), expected);
    // Exactly one debug line: the code's own debug form, without the "Bad result: " prefix.
    const auto entries = capture.entries();
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries.first().type, QtDebugMsg);
    QCOMPARE(entries.first().text, logged);
    QVERIFY(subscriber.isSubscribed(TopicEntry(event_topics::System, QStringLiteral("Confirmed"))));
}

void TestTopicSubscriber::publishTakesOwnershipEvenWhenRefused()
{
    vk_testing::LogCapture capture;
    event_core::ITopicSubscriber publisher;
    auto *message = new Note(kTopic);
    bool destroyed = false;
    connect(message, &QObject::destroyed, this, [&destroyed] { destroyed = true; });
    QCOMPARE(publisher.publish(message), ReturnCode::ErrInvalidHandler);
    QVERIFY(destroyed);
}

void TestTopicSubscriber::confirmationFillsTheTable()
{
    Probe subscriber;
    QVERIFY(!subscriber.isSubscribed(kTopic));
    subscriber.onSubscribed(kTopic, QStringLiteral("first"));
    subscriber.onSubscribed(kTopic, QStringLiteral("second"));
    QVERIFY(subscriber.isSubscribed(kTopic));
    // Another entry object with the same key is the same topic.
    QVERIFY(subscriber.isSubscribed(TopicEntry(event_topics::Device, QStringLiteral("Note"))));
    QVERIFY(!subscriber.isSubscribed(TopicEntry(event_topics::System, QStringLiteral("Note"))));
    QCOMPARE(subscriber.confirmations.size(), 2);
    QCOMPARE(subscriber.confirmations.last(), qMakePair(QStringLiteral("Device/Note"), QStringLiteral("second")));
    QVERIFY(subscriber.subscribedSeenFromHook);
}

QTEST_GUILESS_MAIN(TestTopicSubscriber)
#include "tst_topic_subscriber.moc"
