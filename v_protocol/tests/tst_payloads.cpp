#include "testing/log_capture.h"
#include "v_protocol/t_auth_request.h"
#include "v_protocol/t_auth_response.h"
#include "v_protocol/t_chunk.h"
#include "v_protocol/t_chunk_accept.h"
#include "v_protocol/t_chunk_request.h"
#include "v_protocol/t_command_confirm.h"
#include "v_protocol/t_command_request.h"
#include "v_protocol/t_debug_response.h"
#include "v_protocol/t_file_clear_response.h"
#include "v_protocol/t_file_name_response.h"
#include "v_protocol/t_file_table.h"
#include "v_protocol/t_packet.h"
#include "v_protocol/t_slave_profile.h"

#include <QtTest>

#include <functional>

using namespace v_protocol;

namespace {

enum class Decoder {
    AuthResponse,
    CommandConfirm,
    DebugResponse,
    FileNameResponse,
    FileClearResponse,
    Chunk,
    ChunkAccept,
    AuthRequest,
    CommandRequest,
    ChunkRequest,
    FileNameRequest,
    FileClearRequest,
};

ReturnCode decode(Decoder decoder, const TPacket &packet)
{
    quint8 fileId = 0;
    switch (decoder) {
    case Decoder::AuthResponse: {
        TAuthResponse out;
        return packet.toAuthResponse(out);
    }
    case Decoder::CommandConfirm: {
        TCommandConfirm out;
        return packet.toCommandConfirm(out);
    }
    case Decoder::DebugResponse: {
        TDebugResponse out;
        return packet.toDebugResponse(out);
    }
    case Decoder::FileNameResponse: {
        TFileNameResponse out;
        return packet.toFileNameResponse(out);
    }
    case Decoder::FileClearResponse: {
        TFileClearResponse out;
        return packet.toFileClearResponse(out);
    }
    case Decoder::Chunk: {
        TChunk out;
        return packet.toChunk(out);
    }
    case Decoder::ChunkAccept: {
        TChunkAccept out;
        return packet.toChunkAccept(out);
    }
    case Decoder::AuthRequest: {
        TAuthRequest out;
        return packet.toAuthRequest(out);
    }
    case Decoder::CommandRequest: {
        TCommandRequest out;
        return packet.toCommandRequest(out);
    }
    case Decoder::ChunkRequest: {
        TChunkRequest out;
        return packet.toChunkRequest(out);
    }
    case Decoder::FileNameRequest: return packet.toFileNameRequest(fileId);
    case Decoder::FileClearRequest: return packet.toFileClearRequest(fileId);
    }
    return ReturnCode::ErrInternalError;
}

TPacket packetOf(const QByteArray &payload)
{
    return TPacket::makeResponse(payload, 1, 2, 0x42);
}

template<typename E> QList<int> namedValues()
{
    QList<int> values;
    for (int value = 0; value < 256; ++value) {
        if (!enumNameText(E(value)).isEmpty())
            values.append(value);
    }
    return values;
}

} // namespace

Q_DECLARE_METATYPE(Decoder)

class TestPayloads : public QObject
{
    Q_OBJECT

private slots:
    void nameTexts_data();
    void nameTexts();
    void namedValueSets();
    void decoderLengthRules_data();
    void decoderLengthRules();
    void decodedFields();
    void failedDecodeLeavesDefault();
    void debugDataSizeMismatchIsLogged();
    void fileNameKeepsZeroPadding();
    void roundTrips();
    void jsonForms();
};

void TestPayloads::nameTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("packet type") << toText(TPacketType::Response) << "v_protocol::TPacketType::Response";
    QTest::newRow("packet type 0") << toText(TPacketType(0)) << "";
    QTest::newRow("broadcast") << toText(TPayloadType::SlavePresenceBroadcast)
                               << "v_protocol::TPayloadType::SlavePresenceBroadcast";
    QTest::newRow("file clear response") << toText(TPayloadType::FileClearResponse)
                                         << "v_protocol::TPayloadType::FileClearResponse";
    QTest::newRow("no data") << toText(TPayloadType::NoData) << "v_protocol::TPayloadType::NoData";
    QTest::newRow("unassigned payload type") << toText(TPayloadType(15)) << "";
    QTest::newRow("app type") << toText(TAppType::Dravik) << "v_protocol::TAppType::Dravik";
    QTest::newRow("bootloader v2") << toText(TAppType::BootloaderV2) << "v_protocol::TAppType::BootloaderV2";
    QTest::newRow("auth denied") << toText(TAuthResult::Denied) << "v_protocol::TAuthResult::Denied";
    QTest::newRow("auth disconnected") << toText(TAuthResult::Disconnected) << "v_protocol::TAuthResult::Disconnected";
    QTest::newRow("auth 6") << toText(TAuthResult(6)) << "";
    QTest::newRow("command success") << toText(TCommandResult::Success) << "v_protocol::TCommandResult::Success";
    QTest::newRow("file result") << toText(TSystemFileResult::FileResultSuccess)
                                 << "v_protocol::TSystemFileResult::FileResultSuccess";
    QTest::newRow("file too big") << toText(TSystemFileResult::FileSizeTooBig)
                                  << "v_protocol::TSystemFileResult::FileSizeTooBig";
    QTest::newRow("file type") << toText(TMandatoryFileTypes::SettingsFile)
                               << "v_protocol::TMandatoryFileTypes::SettingsFile";
    QTest::newRow("bootloader file") << toText(TMandatoryFileTypes::BootloaderFile)
                                     << "v_protocol::TMandatoryFileTypes::BootloaderFile";
    QTest::newRow("raw file id") << toText(TMandatoryFileTypes(9)) << "";
    QTest::newRow("permission") << TFileTable::toText(TFileTable::Permission::Enabled)
                                << "::v_protocol::TFileTable::Permission::Enabled";
    QTest::newRow("format") << TFileTable::toText(TFileTable::Format::RingErasable)
                            << "::v_protocol::TFileTable::Format::RingErasable";
    QTest::newRow("format 5") << TFileTable::toText(TFileTable::Format(5)) << "";
    QTest::newRow("profile type") << TSlaveProfile::toText(TSlaveProfile::Types::SlaveState)
                                  << "::v_protocol::TSlaveProfile::Types::SlaveState";
    QTest::newRow("editable") << TSlaveProfile::toText(TSlaveProfile::Editables::UserHiddenRootVisible)
                              << "::v_protocol::TSlaveProfile::Editables::UserHiddenRootVisible";
    QTest::newRow("data type") << TSlaveProfile::toText(TSlaveProfile::DataTypes::TNoData)
                               << "::v_protocol::TSlaveProfile::DataTypes::TNoData";
    QTest::newRow("enum rep") << TSlaveProfile::toText(TSlaveProfile::EnumReps::Wheel)
                              << "::v_protocol::TSlaveProfile::EnumReps::Wheel";
}

void TestPayloads::nameTexts()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(text, expected);
}

void TestPayloads::namedValueSets()
{
    // Every wire value of each enumeration, and no other, has a name.
    QCOMPARE(namedValues<TPacketType>(), (QList<int> { 1, 2 }));
    QCOMPARE(namedValues<TPayloadType>(), (QList<int> { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 255 }));
    QCOMPARE(namedValues<TAppType>(), (QList<int> { 0, 1, 2, 3 }));
    QCOMPARE(namedValues<TAuthResult>(), (QList<int> { 0, 1, 2, 3, 4, 5, 255 }));
    QCOMPARE(namedValues<TCommandResult>(), (QList<int> { 0, 1, 2 }));
    QCOMPARE(namedValues<TSystemFileResult>(), (QList<int> { 0, 1, 2, 3, 4, 5, 6, 7 }));
    QCOMPARE(namedValues<TMandatoryFileTypes>(), (QList<int> { 0, 1, 2, 3, 4, 5, 6, 7, 8, 254 }));
    QCOMPARE(namedValues<TSlaveProfile::DataTypes>(), (QList<int> { 0, 1, 2, 3, 4, 5, 6, 7, 8, 255 }));
    QCOMPARE(namedValues<TSlaveProfile::Editables>(), (QList<int> { 0, 1, 2, 3, 4 }));
    QCOMPARE(namedValues<TSlaveProfile::Types>(), (QList<int> { 0, 1, 2, 3, 4, 5 }));
    QCOMPARE(namedValues<TFileTable::Format>(), (QList<int> { 0, 1, 2, 3, 4 }));
    QVERIFY(isAccessGranted(TAuthResult::SuccessRoot));
    QVERIFY(isAccessGranted(TAuthResult::SuccessUser));
    QVERIFY(!isAccessGranted(TAuthResult::TooMany));
}

void TestPayloads::decoderLengthRules_data()
{
    QTest::addColumn<Decoder>("decoder");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("result");

    const int ok = int(ReturnCode::Ok);
    const int size = int(ReturnCode::ErrParsingInvalidSize);
    const int type = int(ReturnCode::ErrParsingWrongPayloadType);
    struct Rule
    {
        const char *name;
        Decoder decoder;
        quint8 typeByte;
        int minLength;
        int maxLength; // -1: no upper bound
    };
    const Rule rules[] = {
        { "auth response", Decoder::AuthResponse, 2, 5, 5 },
        { "command confirm", Decoder::CommandConfirm, 7, 4, 4 },
        { "file name response", Decoder::FileNameResponse, 12, 22, 22 },
        { "file clear response", Decoder::FileClearResponse, 14, 2, 2 },
        { "chunk accept", Decoder::ChunkAccept, 5, 2, -1 },
        { "auth request", Decoder::AuthRequest, 1, 6, 6 },
        { "command request", Decoder::CommandRequest, 6, 3, -1 },
        { "chunk request", Decoder::ChunkRequest, 4, 8, 8 },
        { "file name request", Decoder::FileNameRequest, 11, 2, 2 },
        { "file clear request", Decoder::FileClearRequest, 13, 2, 2 },
    };
    for (const Rule &rule : rules) {
        const auto payload = [&](int length) {
            QByteArray bytes(length, '\x01');
            bytes[0] = char(rule.typeByte);
            return bytes;
        };
        QTest::addRow("%s: shortest", rule.name) << rule.decoder << payload(rule.minLength) << ok;
        QTest::addRow("%s: one byte short", rule.name) << rule.decoder << payload(rule.minLength - 1) << size;
        if (rule.maxLength >= 0)
            QTest::addRow("%s: one byte extra", rule.name) << rule.decoder << payload(rule.maxLength + 1) << size;
        else
            QTest::addRow("%s: extra bytes", rule.name) << rule.decoder << payload(rule.minLength + 40) << ok;
        QByteArray wrongType = payload(rule.minLength);
        wrongType[0] = char(rule.typeByte == 7 ? 2 : 7);
        QTest::addRow("%s: wrong type", rule.name) << rule.decoder << wrongType << type;
    }
    QTest::newRow("empty payload is the wrong type") << Decoder::AuthResponse << QByteArray() << type;
    // Debug response: at least 3 bytes and exactly dataSize bytes of data.
    QTest::newRow("debug: empty data") << Decoder::DebugResponse << QByteArray::fromHex("090000") << ok;
    QTest::newRow("debug: two data bytes") << Decoder::DebugResponse << QByteArray::fromHex("090200aabb") << ok;
    QTest::newRow("debug: 2 bytes") << Decoder::DebugResponse << QByteArray::fromHex("0900") << size;
    QTest::newRow("debug: data missing") << Decoder::DebugResponse << QByteArray::fromHex("090200aa") << size;
    QTest::newRow("debug: data extra") << Decoder::DebugResponse << QByteArray::fromHex("090100aabb") << size;
    QTest::newRow("debug: wrong type") << Decoder::DebugResponse << QByteArray::fromHex("080000") << type;
    // Chunk: at least 12 bytes and exactly dataSize bytes of data.
    QTest::newRow("chunk: no data") << Decoder::Chunk << QByteArray::fromHex("030100000000000000000000") << ok;
    QTest::newRow("chunk: 11 bytes") << Decoder::Chunk << QByteArray::fromHex("0301000000000000000000") << size;
    QTest::newRow("chunk: 10 announced, 9 carried")
        << Decoder::Chunk << QByteArray::fromHex("030114000000000000000a00") + QByteArray(9, 'd') << size;
    QTest::newRow("chunk: wrong type") << Decoder::Chunk << QByteArray::fromHex("040100000000000000000000") << type;
}

void TestPayloads::decoderLengthRules()
{
    QFETCH(Decoder, decoder);
    QFETCH(QByteArray, payload);
    QFETCH(int, result);

    vk_testing::LogCapture log;
    QCOMPARE(int(decode(decoder, packetOf(payload))), result);
    QCOMPARE(log.count("Bad result: "), result < 0 ? 1 : 0);
}

void TestPayloads::decodedFields()
{
    TAuthResponse auth;
    QCOMPARE(packetOf(QByteArray::fromHex("020301f400")).toAuthResponse(auth), ReturnCode::Ok);
    QCOMPARE(auth.appType, TAppType::BootloaderV2);
    QCOMPARE(auth.authResult, TAuthResult::SuccessUser);
    QCOMPARE(auth.maxPacketSize, quint16(244));
    QVERIFY(auth.isGranted());

    TCommandConfirm confirm;
    QCOMPARE(packetOf(QByteArray::fromHex("07341202")).toCommandConfirm(confirm), ReturnCode::Ok);
    QCOMPARE(confirm.cmdId, quint16(0x1234));
    QCOMPARE(confirm.cmdRes, TCommandResult::Unknown);

    TChunkAccept accept;
    QCOMPARE(packetOf(QByteArray::fromHex("0506ffff")).toChunkAccept(accept), ReturnCode::Ok);
    QCOMPARE(accept.status, TSystemFileResult::FileResultOperationNotAllowed);

    TFileClearResponse cleared;
    QCOMPARE(packetOf(QByteArray::fromHex("0e09")).toFileClearResponse(cleared), ReturnCode::Ok);
    QCOMPARE(cleared.fileId, quint8(9));

    TDebugResponse debug;
    QCOMPARE(packetOf(QByteArray::fromHex("090300616263")).toDebugResponse(debug), ReturnCode::Ok);
    QCOMPARE(debug.dataSize, quint16(3));
    QCOMPARE(debug.debugData, QByteArray("abc"));

    TChunk chunk;
    QCOMPARE(packetOf(QByteArray::fromHex("0308e80300001000000002004142")).toChunk(chunk), ReturnCode::Ok);
    QCOMPARE(chunk.fileId, quint8(8));
    QCOMPARE(chunk.fileSize, 1000u);
    QCOMPARE(chunk.addr, 16u);
    QCOMPARE(chunk.dataSize, quint16(2));
    QCOMPARE(chunk.data, QByteArray("AB"));
}

void TestPayloads::failedDecodeLeavesDefault()
{
    TAuthResponse auth;
    auth.authResult = TAuthResult::SuccessRoot;
    auth.maxPacketSize = 500;
    QCOMPARE(packetOf(QByteArray::fromHex("020001f40000")).toAuthResponse(auth), ReturnCode::ErrParsingInvalidSize);
    QCOMPARE(auth, TAuthResponse());
    QCOMPARE(auth.authResult, TAuthResult::Denied);
    QCOMPARE(auth.appType, TAppType::Application);

    TCommandConfirm confirm;
    confirm.cmdRes = TCommandResult::Success;
    QCOMPARE(
        packetOf(QByteArray::fromHex("02000100")).toCommandConfirm(confirm), ReturnCode::ErrParsingWrongPayloadType);
    QCOMPARE(confirm.cmdRes, TCommandResult::Error);

    TChunkAccept accept;
    QCOMPARE(packetOf(QByteArray::fromHex("05")).toChunkAccept(accept), ReturnCode::ErrParsingInvalidSize);
    QCOMPARE(accept.status, TSystemFileResult::UnknownFileIdentifier);
}

void TestPayloads::debugDataSizeMismatchIsLogged()
{
    vk_testing::LogCapture log;
    TDebugResponse debug;
    QCOMPARE(packetOf(QByteArray::fromHex("090500616263")).toDebugResponse(debug), ReturnCode::ErrParsingInvalidSize);
    QVERIFY2(log.texts().contains("Invalid debugData size: from packet[5], but exist[3]"),
        qPrintable(log.texts().join('\n')));

    log.clear();
    TChunk chunk;
    QCOMPARE(packetOf(QByteArray::fromHex("03010a000000000000000a00") + QByteArray(9, 'd')).toChunk(chunk),
        ReturnCode::ErrParsingInvalidSize);
    QVERIFY2(log.texts().contains("Invalid size check: payload.dataSize[10], but expected [9]"),
        qPrintable(log.texts().join('\n')));
}

void TestPayloads::fileNameKeepsZeroPadding()
{
    TFileNameResponse name;
    const QByteArray payload = QByteArray::fromHex("0c05") + QByteArray("log.bin").leftJustified(20, '\0');
    QCOMPARE(packetOf(payload).toFileNameResponse(name), ReturnCode::Ok);
    QCOMPARE(name.fileId, quint8(5));
    QCOMPARE(name.fileName.size(), 20);
    QCOMPARE(name.fileName, QStringLiteral("log.bin") + QString(13, QChar(u'\0')));
}

void TestPayloads::roundTrips()
{
    // Encode, wrap in a packet, serialise, parse, decode: the same values come back.
    const auto viaWire = [](const QByteArray &payload) {
        TPacket parsed;
        const ReturnCode rc = TPacket::fromByteArray(TPacket::makeResponse(payload, 3, 4, 5).toByteArray(), parsed);
        return rc == ReturnCode::Ok ? parsed : TPacket();
    };

    TAuthResponse auth;
    auth.appType = TAppType::Bootloader;
    auth.authResult = TAuthResult::SuccessRoot;
    auth.maxPacketSize = 0xFFEE;
    TAuthResponse authBack;
    QCOMPARE(viaWire(auth.toPayload()).toAuthResponse(authBack), ReturnCode::Ok);
    QCOMPARE(authBack, auth);

    TCommandRequest command;
    command.cmdId = 0xBEEF;
    command.cmdData = QByteArray::fromHex("00ff10");
    TCommandRequest commandBack;
    QCOMPARE(viaWire(command.toPayload()).toCommandRequest(commandBack), ReturnCode::Ok);
    QCOMPARE(commandBack, command);

    TCommandConfirm confirm;
    confirm.cmdId = 77;
    confirm.cmdRes = TCommandResult::Success;
    TCommandConfirm confirmBack;
    QCOMPARE(viaWire(confirm.toPayload()).toCommandConfirm(confirmBack), ReturnCode::Ok);
    QCOMPARE(confirmBack, confirm);

    TDebugResponse debug;
    debug.debugData = QByteArray(300, 'x');
    debug.dataSize = 300;
    TDebugResponse debugBack;
    QCOMPARE(viaWire(debug.toPayload()).toDebugResponse(debugBack), ReturnCode::Ok);
    QCOMPARE(debugBack, debug);

    TFileNameResponse name;
    name.fileId = 200;
    name.fileName = QStringLiteral("exactly-twenty-chars");
    name.fileName.truncate(20);
    TFileNameResponse nameBack;
    QCOMPARE(viaWire(name.toPayload()).toFileNameResponse(nameBack), ReturnCode::Ok);
    QCOMPARE(nameBack, name);

    TChunkRequest request;
    request.fileId = 4;
    request.addr = 0xFFFFFFFF;
    request.dataSize = 10000;
    TChunkRequest requestBack;
    QCOMPARE(viaWire(request.toPayload()).toChunkRequest(requestBack), ReturnCode::Ok);
    QCOMPARE(requestBack, request);

    TChunkAccept accept;
    accept.status = TSystemFileResult::FileResultCrcError;
    TChunkAccept acceptBack;
    QCOMPARE(viaWire(accept.toPayload()).toChunkAccept(acceptBack), ReturnCode::Ok);
    QCOMPARE(acceptBack, accept);

    const TAuthRequest password = TAuthRequest::fromPassword("0042");
    TAuthRequest passwordBack;
    QCOMPARE(viaWire(password.toPayload()).toAuthRequest(passwordBack), ReturnCode::Ok);
    QCOMPARE(passwordBack.password, QByteArray("0042"));
}

void TestPayloads::jsonForms()
{
    TAuthResponse auth;
    auth.maxPacketSize = 244;
    QCOMPARE(auth.toJson(),
        (QJsonObject { { "payloadType", "v_protocol::TPayloadType::AuthenticationResponse" },
            { "appType", "v_protocol::TAppType::Application" }, { "authResult", "v_protocol::TAuthResult::Denied" },
            { "maxPacketSize", 244 } }));

    TCommandConfirm confirm;
    confirm.cmdId = 513;
    QCOMPARE(confirm.toJson(),
        (QJsonObject { { "payloadType", "v_protocol::TPayloadType::CommandConfirmation" }, { "cmdId", 513 },
            { "cmdRes", "v_protocol::TCommandResult::Error" } }));

    TCommandRequest command;
    command.cmdId = 3;
    command.cmdData = QByteArray::fromHex("0aff10");
    QCOMPARE(command.toJson(),
        (QJsonObject { { "payloadType", "v_protocol::TPayloadType::CommandRequest" }, { "cmdId", 3 },
            { "cmdData", "0a ff 10" } }));
    command.cmdData.clear();
    QCOMPARE(command.toJson().value("cmdData").toString(), QString());
}

QTEST_GUILESS_MAIN(TestPayloads)
#include "tst_payloads.moc"
