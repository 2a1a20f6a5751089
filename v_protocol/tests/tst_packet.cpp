#include "testing/log_capture.h"
#include "v_protocol/crc.h"
#include "v_protocol/requests.h"
#include "v_protocol/t_packet.h"

#include <QtTest>

using namespace v_protocol;

// Head bytes followed by the payload and a correct CRC; `size` defaults to the real length.
static QByteArray wire(const QByteArray &payload, int size = -1, quint8 type = 2, quint32 uid = 0x01020304,
    quint32 serial = 0xA0B0C0D0, quint8 master = 0x42)
{
    QByteArray bytes;
    const quint16 sizeField = quint16(size < 0 ? payload.size() + 14 : size);
    bytes.append(char(sizeField & 0xFF)).append(char(sizeField >> 8)).append(char(type));
    for (int i = 0; i < 4; ++i)
        bytes.append(char((uid >> (8 * i)) & 0xFF));
    for (int i = 0; i < 4; ++i)
        bytes.append(char((serial >> (8 * i)) & 0xFF));
    bytes.append(char(master)).append(payload);
    const quint16 crc = calcCrc16(bytes);
    bytes.append(char(crc & 0xFF)).append(char(crc >> 8));
    return bytes;
}

class TestPacket : public QObject
{
    Q_OBJECT

private slots:
    void defaults();
    void parse_data();
    void parse();
    void rejections_data();
    void rejections();
    void serializeLayout();
    void roundTrip_data();
    void roundTrip();
    void requestEncoders_data();
    void requestEncoders();
    void jsonAndDebugForm();
    void jsonOfUnnamedValues();
};

void TestPacket::defaults()
{
    const TPacket packet;
    QCOMPARE(packet.size, quint16(0));
    QCOMPARE(quint8(packet.type), quint8(0));
    QCOMPARE(packet.uid, 0u);
    QCOMPARE(packet.slaveSerial, 0u);
    QCOMPARE(packet.masterUid, quint8(0));
    QCOMPARE(packet.payloadType, TPayloadType::NoData);
    QVERIFY(packet.payloadData.isEmpty());
    QCOMPARE(packet.crc, quint16(0));
}

void TestPacket::parse_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<quint8>("payloadType");

    QTest::newRow("empty payload") << QByteArray() << quint8(0xFF);
    QTest::newRow("type byte only") << QByteArray(1, char(8)) << quint8(8);
    QTest::newRow("auth response") << QByteArray::fromHex("0201000f00") << quint8(2);
    QTest::newRow("unassigned type is no error here") << QByteArray::fromHex("c8aabb") << quint8(200);
    QTest::newRow("full chunk") << QByteArray(1, char(3)) + QByteArray(230, 'x') << quint8(3);
}

void TestPacket::parse()
{
    QFETCH(QByteArray, payload);
    QFETCH(quint8, payloadType);

    TPacket packet;
    QCOMPARE(TPacket::fromByteArray(wire(payload), packet), ReturnCode::Ok);
    QCOMPARE(packet.size, quint16(payload.size() + 14));
    QCOMPARE(packet.type, TPacketType::Response);
    QCOMPARE(packet.uid, 0x01020304u);
    QCOMPARE(packet.slaveSerial, 0xA0B0C0D0u);
    QCOMPARE(packet.masterUid, quint8(0x42));
    QCOMPARE(quint8(packet.payloadType), payloadType);
    QCOMPARE(packet.payloadData, payload);
    QCOMPARE(packet.crc, quint16(0));
}

void TestPacket::rejections_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("logLine");
    QTest::addColumn<bool>("headFilled");

    QByteArray badCrc = wire(QByteArray::fromHex("0201000f00"));
    badCrc[badCrc.size() - 1] = char(badCrc.at(badCrc.size() - 1) ^ 0x01);
    const quint16 good = calcCrc16(badCrc.left(badCrc.size() - 2));
    const QString crcLine = QStringLiteral("Invalid packet CRC: from packet[0x%1], calculated[0x%2]")
                                .arg(quint16(good ^ 0x0100), 4, 16, QChar(u'0'))
                                .arg(good, 4, 16, QChar(u'0'));

    QTest::newRow("13 bytes") << QByteArray(13, '\0') << int(ReturnCode::ErrParsingInvalidSize)
                              << "Invalid packet size: 13" << false;
    QTest::newRow("nothing") << QByteArray() << int(ReturnCode::ErrParsingInvalidSize) << "Invalid packet size: 0"
                             << false;
    QTest::newRow("wrong crc") << badCrc << int(ReturnCode::ErrParsingInvalidCrc) << crcLine << false;
    QTest::newRow("size field too small")
        << wire(QByteArray::fromHex("0201"), 15) << int(ReturnCode::ErrParsingInvalidSize)
        << "Invalid packet data size: from packet dataSize[15], packet size[16]" << true;
    QTest::newRow("size field too large")
        << wire(QByteArray(), 300) << int(ReturnCode::ErrParsingInvalidSize)
        << "Invalid packet data size: from packet dataSize[300], packet size[14]" << true;
    QTest::newRow("longer than a size field can say")
        << wire(QByteArray(65530, 'p'), 0xFFFF) << int(ReturnCode::ErrParsingInvalidSize)
        << "Invalid packet data size: from packet dataSize[65535], packet size[65544]" << true;
}

void TestPacket::rejections()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, result);
    QFETCH(QString, logLine);
    QFETCH(bool, headFilled);

    vk_testing::LogCapture log;
    TPacket packet;
    packet.uid = 99;
    packet.payloadData = "stale";
    QCOMPARE(int(TPacket::fromByteArray(bytes, packet)), result);
    QVERIFY2(log.texts().contains(logLine), qPrintable(log.texts().join('\n')));
    QCOMPARE(log.count("Bad result: "), 1);
    // Reset first; the head is read only once the CRC is right; the payload never on an error.
    QVERIFY(packet.payloadData.isEmpty());
    QCOMPARE(packet.payloadType, TPayloadType::NoData);
    QCOMPARE(packet.slaveSerial, headFilled ? 0xA0B0C0D0u : 0u);
    QCOMPARE(packet.uid, headFilled ? 0x01020304u : 0u);
}

void TestPacket::serializeLayout()
{
    TPacket packet;
    packet.size = 17;
    packet.type = TPacketType::Request;
    packet.uid = 0x11223344;
    packet.slaveSerial = 0x55667788;
    packet.masterUid = 0x42;
    packet.payloadType = TPayloadType::FileNameRequest;
    packet.payloadData = QByteArray::fromHex("0b07ff");
    packet.crc = 0x1234; // not written: the CRC is always computed

    const QByteArray bytes = packet.toByteArray();
    QCOMPARE(bytes.left(15), QByteArray::fromHex("1100014433221188776655420b07ff"));
    const quint16 crc = calcCrc16(bytes.left(15));
    QCOMPARE(bytes.size(), 17);
    QCOMPARE(quint8(bytes.at(15)), quint8(crc & 0xFF));
    QCOMPARE(quint8(bytes.at(16)), quint8(crc >> 8));
    // `size` is written as stored, even when it disagrees with the payload.
    packet.size = 99;
    QCOMPARE(quint8(packet.toByteArray().at(0)), quint8(99));
}

void TestPacket::roundTrip_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<bool>("request");

    QTest::newRow("empty request") << QByteArray() << true;
    QTest::newRow("debug request") << QByteArray(1, char(8)) << true;
    QTest::newRow("command response") << QByteArray::fromHex("07341200") << false;
    QTest::newRow("244-byte packet") << QByteArray(230, '\x03') << false;
}

void TestPacket::roundTrip()
{
    QFETCH(QByteArray, payload);
    QFETCH(bool, request);

    const TPacket sent = request ? TPacket::makeRequest(payload, 7, 0xDEADBEEF, 0x42)
                                 : TPacket::makeResponse(payload, 7, 0xDEADBEEF, 0x42);
    const QByteArray bytes = sent.toByteArray();
    QCOMPARE(bytes.size(), payload.size() + 14);
    TPacket parsed;
    QCOMPARE(TPacket::fromByteArray(bytes, parsed), ReturnCode::Ok);
    QCOMPARE(parsed, sent);
    QCOMPARE(parsed.toByteArray(), bytes);
}

void TestPacket::requestEncoders_data()
{
    QTest::addColumn<TPacket>("packet");
    QTest::addColumn<QByteArray>("payload");

    TChunkRequest chunkRequest;
    chunkRequest.fileId = 9;
    chunkRequest.addr = 0x01020304;
    chunkRequest.dataSize = 0x00DA;
    TChunk chunk;
    chunk.fileId = 2;
    chunk.fileSize = 3;
    chunk.addr = 1;
    chunk.dataSize = 2;
    chunk.data = "ab";

    // Passwords: the first four UTF-8 bytes, zero padded; byte 5 is always zero.
    QTest::newRow("auth four digits") << makeAuthenticationRequest("1234", 1, 5, 0x42)
                                      << QByteArray::fromHex("013132333400");
    QTest::newRow("auth three chars") << makeAuthenticationRequest("abc", 1, 5, 0x42)
                                      << QByteArray::fromHex("016162630000");
    QTest::newRow("auth six chars cut") << makeAuthenticationRequest("123456", 1, 5, 0x42)
                                        << QByteArray::fromHex("013132333400");
    QTest::newRow("auth empty") << makeAuthenticationRequest("", 1, 5, 0x42) << QByteArray::fromHex("010000000000");
    QTest::newRow("auth utf-8 bytes") << makeAuthenticationRequest(QString::fromUtf8("\xc3\xa4\xc3\xb6\xc3\xbc"), 1, 5,
        0x42) << QByteArray::fromHex("01c3a4c3b600");
    QTest::newRow("command") << makeCommandRequest(0x1234, QByteArray::fromHex("aabb"), 1, 5, 0x42)
                             << QByteArray::fromHex("063412aabb");
    QTest::newRow("command without data")
        << makeCommandRequest(1, QByteArray(), 1, 5, 0x42) << QByteArray::fromHex("060100");
    QTest::newRow("debug") << makeDebugRequest(1, 5, 0x42) << QByteArray::fromHex("08");
    QTest::newRow("file name") << makeFileNameRequest(8, 1, 5, 0x42) << QByteArray::fromHex("0b08");
    QTest::newRow("file clear") << makeFileClearRequest(254, 1, 5, 0x42) << QByteArray::fromHex("0dfe");
    QTest::newRow("chunk request") << makeChunkRequest(chunkRequest, 1, 5, 0x42)
                                   << QByteArray::fromHex("040904030201da00");
    QTest::newRow("chunk") << makeChunkPacket(chunk, 1, 5, 0x42) << QByteArray::fromHex("0302030000000100000002006162");
}

void TestPacket::requestEncoders()
{
    QFETCH(TPacket, packet);
    QFETCH(QByteArray, payload);

    QCOMPARE(packet.payloadData.toHex(), payload.toHex());
    QCOMPARE(packet.size, quint16(payload.size() + 14));
    QCOMPARE(packet.type, TPacketType::Request);
    QCOMPARE(quint8(packet.payloadType), quint8(payload.at(0)));
    QCOMPARE(packet.uid, 1u);
    QCOMPARE(packet.slaveSerial, 5u);
    QCOMPARE(packet.masterUid, quint8(0x42));
    QCOMPARE(packet.crc, quint16(0));
}

void TestPacket::jsonAndDebugForm()
{
    const TPacket packet = TPacket::makeRequest(QByteArray::fromHex("0b08"), 4294967295u, 123, 0x42);
    QString text;
    QDebug(&text) << packet;
    QCOMPARE(text,
        QStringLiteral("TPacket{\"crc\":0,\"packetHead\":{\"masterUid\":66,\"size\":16,"
                       "\"slaveSerial\":\"123\",\"type\":\"v_protocol::TPacketType::Request\","
                       "\"uid\":\"4294967295\"},\"payloadData\":\"0b08\","
                       "\"payloadType\":\"v_protocol::TPayloadType::FileNameRequest\"} "));
}

void TestPacket::jsonOfUnnamedValues()
{
    TPacket packet = TPacket::makeResponse(QByteArray::fromHex("C8"), 1, 1, 1);
    packet.type = TPacketType(9);
    const QJsonObject json = packet.toJson();
    QCOMPARE(json.value("packetHead").toObject().value("type").toString(), QString());
    QCOMPARE(json.value("payloadType").toString(), QString());
    QCOMPARE(json.value("payloadData").toString(), QStringLiteral("c8"));
}

QTEST_GUILESS_MAIN(TestPacket)
#include "tst_packet.moc"
