// Manufacturer data of an advertisement to the device's identity record, on bytes.
#include "device_manager/discovery/advertisement_parser.h"

#include <QtTest>

using device_manager::parseAdvertisement;
using v_protocol::TSlaveApplication;

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}
} // namespace

class TestAdvertisementParser : public QObject
{
    Q_OBJECT

private slots:
    void rejected_data();
    void rejected();
    void accepted_data();
    void accepted();
    void fixedFieldsOfADiscoveredRecord();
};

void TestAdvertisementParser::rejected_data()
{
    QTest::addColumn<QList<QByteArray>>("manufacturerData");
    QTest::newRow("no manufacturer data") << QList<QByteArray>();
    QTest::newRow("empty data") << QList<QByteArray> { QByteArray() };
    QTest::newRow("8 bytes with the magic") << QList<QByteArray> { hex("564b785634121121") };
    QTest::newRow("magic only") << QList<QByteArray> { QByteArray("VK") };
    QTest::newRow("wrong first byte") << QList<QByteArray> { hex("574b78563412112103") };
    QTest::newRow("wrong second byte") << QList<QByteArray> { hex("564c78563412112103") };
    QTest::newRow("lower-case magic") << QList<QByteArray> { hex("766b78563412112103") };
    QTest::newRow("ours second, after a foreign id")
        << QList<QByteArray> { hex("0102030405060708090a"), hex("564b78563412112103") };
}

void TestAdvertisementParser::rejected()
{
    QFETCH(QList<QByteArray>, manufacturerData);
    QVERIFY(!parseAdvertisement(QStringLiteral("FM-200"), manufacturerData).has_value());
}

void TestAdvertisementParser::accepted_data()
{
    QTest::addColumn<QList<QByteArray>>("manufacturerData");
    QTest::addColumn<quint64>("serial");
    QTest::addColumn<int>("modelId");
    QTest::addColumn<int>("firmwareMajor");
    QTest::addColumn<int>("firmwareMinor");
    QTest::addColumn<int>("hardwareVersion");

    QTest::newRow("9 bytes") << QList<QByteArray> { hex("564b78563412112103") } << quint64(0x12345678) << 0x11 << 1 << 2
                             << 3;
    QTest::newRow("trailing bytes ignored")
        << QList<QByteArray> { hex("564b785634121121030100ff") } << quint64(0x12345678) << 0x11 << 1 << 2 << 3;
    QTest::newRow("ours first, a foreign id after it")
        << QList<QByteArray> { hex("564b78563412112103"), hex("0102030405060708090a") } << quint64(0x12345678) << 0x11
        << 1 << 2 << 3;
    // The largest 32-bit serial is a serial, not the "no serial" mark of the 64-bit field.
    QTest::newRow("serial ffffffff, model ff")
        << QList<QByteArray> { hex("564bffffffffff f0 ff") } << quint64(0xFFFFFFFF) << 0xFF << 0 << 15 << 255;
    QTest::newRow("serial 1, firmware 0x0f")
        << QList<QByteArray> { hex("564b01000000000f00") } << quint64(1) << 0 << 15 << 0 << 0;
}

void TestAdvertisementParser::accepted()
{
    QFETCH(QList<QByteArray>, manufacturerData);
    QFETCH(quint64, serial);
    QFETCH(int, modelId);
    QFETCH(int, firmwareMajor);
    QFETCH(int, firmwareMinor);
    QFETCH(int, hardwareVersion);

    const std::optional<TSlaveApplication> record = parseAdvertisement(QStringLiteral("FM-200"), manufacturerData);
    QVERIFY(record.has_value());
    QCOMPARE(record->Serial, serial);
    QVERIFY(record->hasSerial());
    QCOMPARE(int(record->ModelId), modelId);
    QCOMPARE(int(record->FirmwareVersion.Major), firmwareMajor);
    QCOMPARE(int(record->FirmwareVersion.Minor), firmwareMinor);
    QCOMPARE(int(record->HardwareVersion), hardwareVersion);
    QCOMPARE(record->Name, QStringLiteral("FM-200"));
}

void TestAdvertisementParser::fixedFieldsOfADiscoveredRecord()
{
    const auto record = parseAdvertisement(QString(), { hex("564b78563412112103") });
    QVERIFY(record.has_value());
    QCOMPARE(record->AuthResult, v_protocol::TAuthResult::Error);
    QCOMPARE(int(record->AuthResult), 4);
    QCOMPARE(record->AppType, v_protocol::TAppType::Application);
    QCOMPARE(record->MaxSizePacket, quint16(0));
    QVERIFY(record->Pass.isEmpty());
    QVERIFY(record->Name.isEmpty());
    // The debug form shows the firmware parts as "first:second".
    QCOMPARE(record->toJson().value(QStringLiteral("FirmwareVersion")).toString(), QStringLiteral("1:2"));
}

QTEST_GUILESS_MAIN(TestAdvertisementParser)
#include "tst_advertisement_parser.moc"
