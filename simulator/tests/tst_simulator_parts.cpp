// The small pieces of the simulator: link model, debug output queue, hex lines, drifting values.
#include "simulator/debug_output.h"
#include "simulator/device_file_system.h"
#include "simulator/hex_lines.h"
#include "simulator/link_model.h"
#include "simulator/value_codec.h"

#include <QtTest>

using namespace simulator;

Q_DECLARE_METATYPE(simulator::HexLines::Kind)

class TestSimulatorParts : public QObject
{
    Q_OBJECT

private slots:
    void maximumPacketSize_data();
    void maximumPacketSize();
    void linkDelaysAndLimits();
    void debugOutputCutsAtCharacters();
    void debugOutputPeriodicLines();
    void debugOutputIsBounded();
    void hexLines_data();
    void hexLines();
    void driftTurnsAtItsBounds();
};

void TestSimulatorParts::maximumPacketSize_data()
{
    QTest::addColumn<int>("mtu");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("capacity");
    QTest::newRow("below default") << 22 << -1 << 20;
    QTest::newRow("default") << 23 << 0 << 20;
    QTest::newRow("24") << 24 << 21 << 21;
    QTest::newRow("185") << 185 << 182 << 182;
    QTest::newRow("247") << 247 << 244 << 244;
    QTest::newRow("517") << 517 << 514 << 514;
}

void TestSimulatorParts::maximumPacketSize()
{
    QFETCH(int, mtu);
    QFETCH(int, maximum);
    QFETCH(int, capacity);
    LinkModel link;
    link.attMtu = mtu;
    QCOMPARE(link.maximumPacketSize(), maximum);
    QCOMPARE(link.packetCapacity(), capacity);
    QCOMPARE(link.chunkPayload(), capacity - 26);
}

void TestSimulatorParts::linkDelaysAndLimits()
{
    LinkModel link;
    link.connectionIntervalUs = 7500;
    link.packetsPerEvent = 3;
    QCOMPARE(link.requestDelayUs(), qint64(7500));
    const QList<qint64> delays { link.replyDelayUs(0), link.replyDelayUs(2), link.replyDelayUs(3),
        link.replyDelayUs(7) };
    QCOMPARE(delays, (QList<qint64> { 7500, 7500, 15000, 22500 }));
    // 65536 bytes in chunks of 218: 301 chunks, two intervals each.
    QCOMPARE(link.stopAndWaitLimitUs(65536, 218), qint64(301) * 2 * 7500);
    // Three chunks of 218 bytes per 7.5 ms interval.
    QCOMPARE(link.streamingLimitUs(654, 218), qint64(7500));
    QCOMPARE(link.streamingLimitUs(655, 218), qint64(7512)); // rounded up
    QCOMPARE(link.stopAndWaitLimitUs(100, 0), qint64(-1));
}

void TestSimulatorParts::debugOutputCutsAtCharacters()
{
    DebugOutput output;
    output.append(QStringLiteral("°C ½ ±"));
    QByteArray all;
    for (int i = 0; i < 20 && output.queuedSize() > 0; ++i) {
        const QByteArray piece = output.take(3);
        QVERIFY(piece.size() <= 3);
        // Every piece is whole UTF-8 on its own.
        QCOMPARE(QString::fromUtf8(piece).toUtf8(), piece);
        all += piece;
    }
    QCOMPARE(QString::fromUtf8(all), QStringLiteral("°C ½ ±"));
    QCOMPARE(output.take(10), QByteArray());
    QCOMPARE(output.take(-5), QByteArray());
}

void TestSimulatorParts::debugOutputPeriodicLines()
{
    DebugScript script;
    script.boot = { QStringLiteral("boot"), QStringLiteral("ready\n") };
    script.periodic = { QStringLiteral("tick {n}"), QStringLiteral("tock {n}") };
    script.everyRequests = 2;
    DebugOutput output;
    output.setScript(script);
    output.boot();
    QCOMPARE(output.take(100), QByteArray("boot\nready\n"));
    QCOMPARE(output.take(100), QByteArray("tick 1\n"));
    QCOMPARE(output.take(100), QByteArray());
    QCOMPARE(output.take(100), QByteArray("tock 2\n"));
    QCOMPARE(output.take(100), QByteArray());
    QCOMPARE(output.take(100), QByteArray("tick 3\n"));
    output.setScript(script);
    QCOMPARE(output.queuedSize(), 0);
}

void TestSimulatorParts::debugOutputIsBounded()
{
    DebugOutput output;
    const QString line = QStringLiteral("ä123456789\n"); // 12 bytes, starting with a two-byte character
    for (int i = 0; i < 2000; ++i)
        output.append(line);
    QVERIFY(output.queuedSize() <= DebugOutput::kMaxQueued);
    QVERIFY(output.queuedSize() > DebugOutput::kMaxQueued - 12);
    const QByteArray first = output.take(1000);
    QCOMPARE(QString::fromUtf8(first).toUtf8(), first); // the oldest text was dropped at a character boundary
}

void TestSimulatorParts::hexLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<HexLines::Kind>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("plain") << QByteArray("0a0B10\n") << HexLines::Kind::Packet << QByteArray("\x0a\x0b\x10", 3);
    QTest::newRow("separated") << QByteArray("  0a:0b-10 ff\t") << HexLines::Kind::Packet
                               << QByteArray("\x0a\x0b\x10\xff", 4);
    QTest::newRow("0x") << QByteArray("0x0a0b") << HexLines::Kind::Packet << QByteArray("\x0a\x0b", 2);
    QTest::newRow("empty") << QByteArray("\n") << HexLines::Kind::Blank << QByteArray();
    QTest::newRow("comment") << QByteArray("# auth request") << HexLines::Kind::Blank << QByteArray();
    QTest::newRow("odd digits") << QByteArray("0a0") << HexLines::Kind::Invalid << QByteArray();
    QTest::newRow("not hex") << QByteArray("0a zz") << HexLines::Kind::Invalid << QByteArray();
    QTest::newRow("separators only") << QByteArray("::") << HexLines::Kind::Invalid << QByteArray();
}

void TestSimulatorParts::hexLines()
{
    QFETCH(QByteArray, line);
    QFETCH(HexLines::Kind, kind);
    QFETCH(QByteArray, bytes);
    QByteArray parsed("left over");
    QCOMPARE(HexLines::parse(line, parsed), kind);
    QCOMPARE(parsed, bytes);
    if (kind == HexLines::Kind::Packet)
        QCOMPARE(HexLines::format(parsed), bytes.toHex() + '\n');
}

void TestSimulatorParts::driftTurnsAtItsBounds()
{
    FirmwareDefinition firmware;
    ProfileEntry signal;
    signal.element.id = 7;
    signal.element.type = v_protocol::TSlaveProfile::Types::SlaveState;
    signal.element.dataType = v_protocol::TSlaveProfile::DataTypes::TInteger;
    signal.element.dataSize = 2;
    signal.value = ValueCodec::littleEndian(-70, 2);
    signal.drift = { 4, -80, -62 };
    firmware.profile << signal;
    DeviceFileSystem files(firmware, 1, 1);
    QList<qint64> values;
    for (int i = 0; i < 8; ++i) {
        files.advanceDrift();
        values << ValueCodec::readInteger(files.value(7), true);
    }
    QCOMPARE(values, (QList<qint64> { -66, -62, -62, -66, -70, -74, -78, -80 }));
    files.advanceDrift();
    QCOMPARE(ValueCodec::readInteger(files.value(7), true), qint64(-76));
}

QTEST_GUILESS_MAIN(TestSimulatorParts)
#include "tst_simulator_parts.moc"
