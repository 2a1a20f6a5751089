#include "v_protocol/crc.h"

#include <QtTest>

using namespace v_protocol;

class TestCrc : public QObject
{
    Q_OBJECT

private slots:
    void vectors_data();
    void vectors();
    void lengthBeyondSixteenBits();
    void nullPointerGivesInitialState();
};

static QByteArray pattern(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + 3) & 0xFF);
    return bytes;
}

void TestCrc::vectors_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<uint>("crc16");
    QTest::addColumn<uint>("crc32");

    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[i] = char(i);

    // Reference values of CRC-16/CCITT-FALSE and CRC-32/ISO-HDLC.
    QTest::newRow("check text") << QByteArray("123456789") << 0x29B1u << 0xCBF43926u;
    QTest::newRow("empty") << QByteArray() << 0xFFFFu << 0x00000000u;
    QTest::newRow("one byte") << QByteArray("A") << 0xB915u << 0xD3D99E8Bu;
    QTest::newRow("pangram") << QByteArray("The quick brown fox jumps over the lazy dog") << 0x8FDDu << 0x414FA339u;
    QTest::newRow("every byte value") << all << 0x3FBDu << 0x29058C73u;
    QTest::newRow("70000 zero bytes") << QByteArray(70000, '\0') << 0x5071u << 0xA6A9C8DCu;
}

void TestCrc::vectors()
{
    QFETCH(QByteArray, data);
    QFETCH(uint, crc16);
    QFETCH(uint, crc32);

    QCOMPARE(uint(calcCrc16(data)), crc16);
    QCOMPARE(uint(calcCrc32(data)), crc32);
    const auto *raw = reinterpret_cast<const quint8 *>(data.constData());
    QCOMPARE(uint(calcCrc16(raw, quint32(data.size()))), crc16);
    QCOMPARE(uint(calcCrc32(raw, quint32(data.size()))), crc32);
}

void TestCrc::lengthBeyondSixteenBits()
{
    // A file image longer than 65535 bytes is covered in full, not its length modulo 65536.
    const QByteArray data = pattern(70000);
    QCOMPARE(calcCrc16(data), quint16(0xD262));
    QVERIFY(calcCrc16(data) != calcCrc16(data.left(70000 - 65536)));
}

void TestCrc::nullPointerGivesInitialState()
{
    QCOMPARE(calcCrc16(nullptr, 10), quint16(0xFFFF));
    QCOMPARE(calcCrc32(nullptr, 10), quint32(0));
}

QTEST_GUILESS_MAIN(TestCrc)
#include "tst_crc.moc"
