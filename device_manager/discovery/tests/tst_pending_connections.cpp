// Connections waiting for their interface: taking one, and time-outs of earlier attempts.
#include "device_manager/discovery/pending_connections.h"

#include <QtTest>

using device_manager::DeviceInterfaceInfo;
using device_manager::PendingConnections;

namespace {
DeviceInterfaceInfo interfaceNamed(const QString &uuid, int packetSize = -1)
{
    DeviceInterfaceInfo info;
    info.type = device_manager::InterfaceType::BLE;
    info.uuid = uuid;
    info.maximumPacketSize = packetSize;
    return info;
}

v_protocol::TSlaveApplication deviceWithPassword(const QString &password)
{
    v_protocol::TSlaveApplication device;
    device.Name = QStringLiteral("FM-200");
    device.Serial = 10250001;
    device.Pass = password;
    return device;
}

const QString kUuid = QStringLiteral("{6f1c2d1e-0000-4000-8000-000000000001}");
} // namespace

class TestPendingConnections : public QObject
{
    Q_OBJECT

private slots:
    void takeRemovesTheConnection();
    void timeOutOfTheCurrentAttempt();
    void timeOutOfAnEarlierAttemptLeavesALaterOne_data();
    void timeOutOfAnEarlierAttemptLeavesALaterOne();
};

void TestPendingConnections::takeRemovesTheConnection()
{
    PendingConnections pending;
    pending.add(interfaceNamed(kUuid, 244), deviceWithPassword(QStringLiteral("4711")));
    QVERIFY(!pending.take(QStringLiteral("{other}")).has_value());
    const auto taken = pending.take(kUuid);
    QVERIFY(taken.has_value());
    QCOMPARE(taken->interfaceInfo.maximumPacketSize, 244);
    QCOMPARE(taken->deviceInfo.Pass, QStringLiteral("4711"));
    QVERIFY(!pending.take(kUuid).has_value());
    QCOMPARE(pending.size(), 0);
}

void TestPendingConnections::timeOutOfTheCurrentAttempt()
{
    PendingConnections pending;
    const quint64 attempt = pending.add(interfaceNamed(kUuid), deviceWithPassword(QStringLiteral("1")));
    QVERIFY(pending.takeExpired(kUuid, attempt).has_value());
    // Expired once: a second time-out, or the interface coming up late, finds nothing.
    QVERIFY(!pending.takeExpired(kUuid, attempt).has_value());
    QVERIFY(!pending.take(kUuid).has_value());
}

void TestPendingConnections::timeOutOfAnEarlierAttemptLeavesALaterOne_data()
{
    QTest::addColumn<bool>("endedBeforeRetry");
    QTest::newRow("first attempt ended (plugged out)") << true;
    QTest::newRow("first attempt replaced") << false;
}

void TestPendingConnections::timeOutOfAnEarlierAttemptLeavesALaterOne()
{
    QFETCH(bool, endedBeforeRetry);
    PendingConnections pending;
    const quint64 first = pending.add(interfaceNamed(kUuid), deviceWithPassword(QStringLiteral("1")));
    if (endedBeforeRetry)
        QVERIFY(pending.take(kUuid).has_value());
    const quint64 second = pending.add(interfaceNamed(kUuid), deviceWithPassword(QStringLiteral("2")));
    QVERIFY(first != second);

    QVERIFY(!pending.takeExpired(kUuid, first).has_value());
    QCOMPARE(pending.size(), 1);
    const auto expired = pending.takeExpired(kUuid, second);
    QVERIFY(expired.has_value());
    QCOMPARE(expired->deviceInfo.Pass, QStringLiteral("2"));
}

QTEST_GUILESS_MAIN(TestPendingConnections)
#include "tst_pending_connections.moc"
