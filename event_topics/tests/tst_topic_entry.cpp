// Topic categories and entries, and the subscription record.
#include "event_topics/subscription_info.h"
#include "event_topics/topic_entry.h"

#include <QtTest>

using namespace event_topics;

class TestTopicEntry : public QObject
{
    Q_OBJECT

private slots:
    void categories_data();
    void categories();
    void entries_data();
    void entries();
    void sameKeySameTopic();
    void subscriptionValidity_data();
    void subscriptionValidity();
    void subscriptionMatching_data();
    void subscriptionMatching();
};

void TestTopicEntry::categories_data()
{
    QTest::addColumn<int>("category");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("0") << 0 << "System" << true;
    QTest::newRow("1") << 1 << "Device" << true;
    QTest::newRow("2") << 2 << "Log" << true;
    QTest::newRow("3") << 3 << "Settings" << true;
    QTest::newRow("4") << 4 << "Unknown" << false;
    QTest::newRow("5 (unset)") << 5 << "Unknown" << false;
    QTest::newRow("6") << 6 << "Unknown" << true;
    QTest::newRow("-1") << -1 << "Unknown" << true;
    QTest::newRow("min") << std::numeric_limits<int>::min() << "Unknown" << true;
}

void TestTopicEntry::categories()
{
    QFETCH(int, category);
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QCOMPARE(topicCategoryText(TopicCategory(category)), text);
    QCOMPARE(isValidTopicCategory(TopicCategory(category)), valid);
}

void TestTopicEntry::entries_data()
{
    QTest::addColumn<int>("category");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("valid");
    QTest::newRow("device") << 1 << "DeviceAuthFailed"
                            << "Device/DeviceAuthFailed" << true;
    QTest::newRow("system") << 0 << "ErrorHappend"
                            << "System/ErrorHappend" << true;
    QTest::newRow("empty name") << 1 << ""
                                << "Device/" << false;
    QTest::newRow("category 4") << 4 << "X"
                                << "Unknown/X" << false;
    QTest::newRow("category 5") << 5 << "X"
                                << "Unknown/X" << false;
    QTest::newRow("category 7") << 7 << "X"
                                << "Unknown/X" << true;
    QTest::newRow("slash in name") << 2 << "a/b"
                                   << "Log/a/b" << true;
}

void TestTopicEntry::entries()
{
    QFETCH(int, category);
    QFETCH(QString, name);
    QFETCH(QString, key);
    QFETCH(bool, valid);
    const TopicEntry entry(TopicCategory(category), name);
    QCOMPARE(entry.key(), key);
    QCOMPARE(entry.isValid(), valid);
    QCOMPARE(int(entry.category()), category);
    QCOMPARE(entry.name(), name);
}

void TestTopicEntry::sameKeySameTopic()
{
    const TopicEntry unset;
    QCOMPARE(unset.category(), Unset);
    QVERIFY(unset.name().isEmpty());
    QVERIFY(!unset.isValid());
    QCOMPARE(unset.key(), QStringLiteral("Unknown/"));

    const TopicEntry a(Device, QStringLiteral("Ping"));
    const TopicEntry b(Device, QStringLiteral("Ping"));
    const TopicEntry other(System, QStringLiteral("Ping"));
    QVERIFY(a == b);
    QVERIFY(a != other);
    QCOMPARE(qHash(a), qHash(b));
    QHash<TopicEntry, int> table;
    table.insert(a, 1);
    table.insert(b, 2);
    table.insert(other, 3);
    QCOMPARE(table.size(), 2);
    QCOMPARE(table.value(a), 2);
    // Categories sharing the text "Unknown" share keys: the key is what identifies a topic.
    QVERIFY(TopicEntry(TopicCategory(4), QStringLiteral("X")) == TopicEntry(TopicCategory(9), QStringLiteral("X")));
}

void TestTopicEntry::subscriptionValidity_data()
{
    QTest::addColumn<bool>("alive");
    QTest::addColumn<QString>("handler");
    QTest::addColumn<int>("category");
    QTest::addColumn<bool>("validForAdding");
    QTest::newRow("all set") << true << "onPing" << 1 << true;
    QTest::newRow("subscriber gone") << false << "onPing" << 1 << false;
    QTest::newRow("no handler") << true << "" << 1 << false;
    QTest::newRow("invalid topic") << true << "onPing" << 4 << false;
}

void TestTopicEntry::subscriptionValidity()
{
    QFETCH(bool, alive);
    QFETCH(QString, handler);
    QFETCH(int, category);
    QFETCH(bool, validForAdding);
    QObject subscriber;
    const auto handle = QSharedPointer<SubscriberHandle>::create(&subscriber, subscriber.metaObject());
    if (!alive)
        handle->release();
    SubscriptionInfo info(handle, handler, TopicEntry(TopicCategory(category), QStringLiteral("Ping")));
    QCOMPARE(info.isValidForAdding(), validForAdding);
    QVERIFY(!info.isValidForRemoving());
    QVERIFY(info.getUuid().isEmpty());
    info.setUuid(QStringLiteral("u"));
    QVERIFY(info.isValidForRemoving());
    QCOMPARE(info.handlerNameUtf8(), handler.toUtf8());

    QVERIFY(!SubscriptionInfo().isValidForAdding());
    const SubscriptionInfo removal = SubscriptionInfo::removal(TopicEntry(Device, QStringLiteral("Ping")), "u");
    QVERIFY(removal.isValidForRemoving());
    QVERIFY(!removal.isValidForAdding());
}

void TestTopicEntry::subscriptionMatching_data()
{
    QTest::addColumn<QString>("storedUuid");
    QTest::addColumn<bool>("sameObject");
    QTest::addColumn<QString>("requestHandler");
    QTest::addColumn<QString>("requestTopic");
    QTest::addColumn<QString>("requestUuid");
    QTest::addColumn<bool>("matches");
    // Stored with a uuid: only the uuid counts.
    QTest::newRow("uuid equal") << "u1" << false << ""
                                << "Other"
                                << "u1" << true;
    QTest::newRow("uuid differs") << "u1" << true << "onPing"
                                  << "Ping"
                                  << "u2" << false;
    QTest::newRow("uuid vs none") << "u1" << true << "onPing"
                                  << "Ping"
                                  << "" << false;
    // Stored without one: object, handler and topic key must all be equal.
    QTest::newRow("all equal") << "" << true << "onPing"
                               << "Ping"
                               << "" << true;
    QTest::newRow("other object") << "" << false << "onPing"
                                  << "Ping"
                                  << "" << false;
    QTest::newRow("other handler") << "" << true << "onOther"
                                   << "Ping"
                                   << "" << false;
    QTest::newRow("other topic") << "" << true << "onPing"
                                 << "Other"
                                 << "" << false;
}

void TestTopicEntry::subscriptionMatching()
{
    QFETCH(QString, storedUuid);
    QFETCH(bool, sameObject);
    QFETCH(QString, requestHandler);
    QFETCH(QString, requestTopic);
    QFETCH(QString, requestUuid);
    QFETCH(bool, matches);
    QObject a, b;
    const auto handleA = QSharedPointer<SubscriberHandle>::create(&a, a.metaObject());
    const auto handleB = QSharedPointer<SubscriberHandle>::create(&b, b.metaObject());
    SubscriptionInfo stored(handleA, QStringLiteral("onPing"), TopicEntry(Device, QStringLiteral("Ping")));
    stored.setUuid(storedUuid);
    SubscriptionInfo request(sameObject ? handleA : handleB, requestHandler, TopicEntry(Device, requestTopic));
    request.setUuid(requestUuid);
    QCOMPARE(stored.matches(request), matches);
}

QTEST_GUILESS_MAIN(TestTopicEntry)
#include "tst_topic_entry.moc"
