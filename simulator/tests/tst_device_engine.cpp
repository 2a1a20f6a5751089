// The device engine against every shipped device: each request type, authentication, commands,
// debug output, and what it does not answer.
#include "sim_test_support.h"

#include "v_protocol/t_chunk_accept.h"

using namespace simulator;
using namespace v_protocol;

Q_DECLARE_METATYPE(TAuthResult)
Q_DECLARE_METATYPE(simulator::AccessLevel)
Q_DECLARE_METATYPE(TCommandResult)

namespace {

QByteArray le32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian<quint32>(value, bytes.data());
    return bytes;
}

} // namespace

class TestDeviceEngine : public QObject
{
    Q_OBJECT

private slots:
    void everyRequestType_data();
    void everyRequestType();
    void authentication_data();
    void authentication();
    void lockoutAfterFailedPasswords();
    void commands_data();
    void commands();
    void debugOutput_data();
    void debugOutput();
    void unauthenticatedRequestsAreRefused_data();
    void unauthenticatedRequestsAreRefused();
    void ignoredPackets_data();
    void ignoredPackets();
    void presenceBroadcast();
};

void TestDeviceEngine::everyRequestType_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<int>("caseIndex");
    for (const QString &id : sim_test::deviceIds()) {
        const DeviceEngine engine(sim_test::device(id));
        const auto cases = sim_test::requestCases(engine);
        for (int i = 0; i < cases.size(); ++i)
            QTest::addRow("%s %s", qPrintable(id), cases.at(i).name) << id << i;
    }
}

void TestDeviceEngine::everyRequestType()
{
    QFETCH(QString, id);
    QFETCH(int, caseIndex);
    DeviceEngine engine(sim_test::device(id));
    ProtocolMaster master(engine);
    const sim_test::RequestCase sent = sim_test::requestCases(engine).at(caseIndex);
    const auto type = TPayloadType(quint8(sent.payload.at(0)));
    if (type != TPayloadType::AuthenticationRequest)
        QVERIFY(sim_test::logIn(master, engine.definition()));

    const QList<TPacket> answers
        = master.exchange(TPacket::makeRequest(sent.payload, 4242, engine.definition().serial, kMasterUid));
    QCOMPARE(answers.size(), 1);
    const TPacket &answer = answers.first();
    QCOMPARE(answer.type, TPacketType::Response);
    QCOMPARE(answer.uid, 4242u);
    QCOMPARE(answer.slaveSerial, engine.definition().serial);
    QCOMPARE(answer.masterUid, kMasterUid);

    switch (type) {
    case TPayloadType::AuthenticationRequest: {
        TAuthResponse response;
        QCOMPARE(answer.toAuthResponse(response), ReturnCode::Ok);
        QCOMPARE(response.authResult, TAuthResult::SuccessRoot);
        QCOMPARE(response.appType, engine.runningFirmware().appType);
        QCOMPARE(response.maxPacketSize, engine.runningFirmware().maxPacketSize);
        break;
    }
    case TPayloadType::FileChunkRequest: {
        TChunk chunk;
        QCOMPARE(answer.toChunk(chunk), ReturnCode::Ok);
        const QByteArray info = engine.fileImage(0);
        QCOMPARE(chunk.fileId, quint8(0));
        QCOMPARE(chunk.fileSize, quint32(info.size()));
        QCOMPARE(chunk.addr, 0u);
        QCOMPARE(chunk.data, info.left(1));
        break;
    }
    case TPayloadType::FileChunk: {
        TChunkAccept accept;
        QCOMPARE(answer.toChunkAccept(accept), ReturnCode::Ok);
        QCOMPARE(accept.status, TSystemFileResult::FileResultSuccess);
        break;
    }
    case TPayloadType::CommandRequest: {
        TCommandConfirm confirm;
        QCOMPARE(answer.toCommandConfirm(confirm), ReturnCode::Ok);
        QCOMPARE(confirm.cmdId, DeviceEngine::kApplySettingsCommand);
        QCOMPARE(confirm.cmdRes, TCommandResult::Success);
        break;
    }
    case TPayloadType::DebugRequest: {
        TDebugResponse response;
        QCOMPARE(answer.toDebugResponse(response), ReturnCode::Ok);
        QVERIFY(response.debugData.startsWith(engine.runningFirmware().debug.boot.first().toUtf8()));
        break;
    }
    case TPayloadType::FileNameRequest: {
        TFileNameResponse response;
        QCOMPARE(answer.toFileNameResponse(response), ReturnCode::Ok);
        const FileDefinition *file = engine.runningFirmware().file(response.fileId);
        QCOMPARE(response.fileName.remove(QChar(0)), file ? file->name : QStringLiteral("info"));
        break;
    }
    case TPayloadType::FileClearRequest: {
        const quint8 fileId = quint8(sent.payload.at(1));
        TFileClearResponse response;
        TChunkAccept refusal;
        if (fileId == 0) { // the bootloader offers no file to clear
            QCOMPARE(answer.toChunkAccept(refusal), ReturnCode::Ok);
            QCOMPARE(refusal.status, TSystemFileResult::FileResultOperationNotAllowed);
            break;
        }
        QCOMPARE(answer.toFileClearResponse(response), ReturnCode::Ok);
        QCOMPARE(response.fileId, fileId);
        QVERIFY(engine.fileImage(fileId).isEmpty());
        break;
    }
    default: QFAIL("unexpected request type");
    }
}

void TestDeviceEngine::authentication_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<TAuthResult>("result");
    QTest::addColumn<AccessLevel>("level");
    for (const QString &id : sim_test::deviceIds()) {
        const DeviceDefinition definition = sim_test::device(id);
        QTest::addRow("%s root", qPrintable(id))
            << id << TAuthRequest::fromPassword(definition.rootPassword).toPayload() << TAuthResult::SuccessRoot
            << AccessLevel::Root;
        QTest::addRow("%s user", qPrintable(id))
            << id << TAuthRequest::fromPassword(definition.userPassword).toPayload() << TAuthResult::SuccessUser
            << AccessLevel::User;
        QTest::addRow("%s wrong", qPrintable(id))
            << id << TAuthRequest::fromPassword(QStringLiteral("0042")).toPayload() << TAuthResult::Denied
            << AccessLevel::None;
        // The root password followed by more characters: only four bytes travel, so it is accepted.
        QTest::addRow("%s long", qPrintable(id))
            << id << TAuthRequest::fromPassword(definition.rootPassword + QStringLiteral("99")).toPayload()
            << TAuthResult::SuccessRoot << AccessLevel::Root;
        QTest::addRow("%s empty", qPrintable(id))
            << id << TAuthRequest::fromPassword(QString()).toPayload() << TAuthResult::Denied << AccessLevel::None;
        QTest::addRow("%s malformed", qPrintable(id))
            << id << TAuthRequest::fromPassword(definition.rootPassword).toPayload().left(5) << TAuthResult::Error
            << AccessLevel::None;
    }
}

void TestDeviceEngine::authentication()
{
    QFETCH(QString, id);
    QFETCH(QByteArray, payload);
    QFETCH(TAuthResult, result);
    QFETCH(AccessLevel, level);
    DeviceEngine engine(sim_test::device(id));
    const QList<TPacket> answers = sim_test::packetsOf(engine.handleBytes(sim_test::request(engine, payload)));
    QCOMPARE(answers.size(), 1);
    TAuthResponse response;
    QCOMPARE(answers.first().toAuthResponse(response), ReturnCode::Ok);
    QCOMPARE(response.authResult, result);
    QCOMPARE(response.appType, engine.appType());
    QCOMPARE(engine.accessLevel(), level);
}

void TestDeviceEngine::lockoutAfterFailedPasswords()
{
    const DeviceDefinition definition = sim_test::device(QStringLiteral("fm200"));
    QCOMPARE(definition.maxAuthFailures, 3);
    DeviceEngine engine(definition);
    ProtocolMaster master(engine);
    TAuthResponse response;
    for (int attempt = 1; attempt <= 2; ++attempt) {
        master.authenticate(QStringLiteral("0000"), response);
        QCOMPARE(response.authResult, TAuthResult::Denied);
    }
    // A success forgets the failures before it.
    QVERIFY(sim_test::logIn(master, definition));
    QCOMPARE(engine.failedAuthentications(), 0);
    for (int attempt = 1; attempt <= 3; ++attempt) {
        master.authenticate(QStringLiteral("0000"), response);
        QCOMPARE(response.authResult, TAuthResult::Denied);
    }
    master.authenticate(definition.rootPassword, response);
    QCOMPARE(response.authResult, TAuthResult::TooMany);
    QCOMPARE(engine.accessLevel(), AccessLevel::None);

    // A new link does not end the lockout; switching the device off and on does.
    engine.connectLink();
    master.authenticate(definition.userPassword, response);
    QCOMPARE(response.authResult, TAuthResult::TooMany);
    engine.powerCycle();
    engine.connectLink();
    QVERIFY(sim_test::logIn(master, definition, false));
}

void TestDeviceEngine::commands_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<quint16>("cmdId");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<TCommandResult>("result");
    QTest::addColumn<quint16>("elementId");
    QTest::addColumn<QByteArray>("value");
    const quint32 time = 1717243200; // 2024-06-01 12:00:00 UTC
    QTest::newRow("fm200 time synchronisation")
        << "fm200" << quint16(1177) << le32(time) << TCommandResult::Success << quint16(204) << le32(time);
    QTest::newRow("fm200 time synchronisation, 3 bytes")
        << "fm200" << quint16(1177) << QByteArray(3, '\0') << TCommandResult::Error << quint16(204)
        << DeviceEngine(sim_test::device("fm200")).value(204);
    QTest::newRow("fm200 apply settings")
        << "fm200" << quint16(1029) << QByteArray() << TCommandResult::Success << quint16(0) << QByteArray();
    QTest::newRow("fm200 reset totalizer")
        << "fm200" << quint16(300) << QByteArray() << TCommandResult::Success << quint16(201) << le32(0);
    QTest::newRow("fm200 self test") << "fm200" << quint16(301) << QByteArray() << TCommandResult::Success << quint16(0)
                                     << QByteArray();
    QTest::newRow("fm200 unknown") << "fm200" << quint16(4242) << QByteArray() << TCommandResult::Unknown << quint16(0)
                                   << QByteArray();
    QTest::newRow("fm200 setting is no command")
        << "fm200" << quint16(100) << QByteArray() << TCommandResult::Unknown << quint16(0) << QByteArray();
    QTest::newRow("gw4 test report") << "gw4" << quint16(52) << QByteArray(1, '\1') << TCommandResult::Success
                                     << quint16(35) << QByteArray::fromHex("0400");
    QTest::newRow("gw4 application command")
        << "gw4" << quint16(61) << QByteArray() << TCommandResult::Success << quint16(0) << QByteArray();
    QTest::newRow("gw4 time synchronisation")
        << "gw4" << quint16(1177) << le32(time) << TCommandResult::Success << quint16(33) << le32(time);
    QTest::newRow("vc1 bootloader knows no valve")
        << "vc1" << quint16(300) << QByteArray() << TCommandResult::Unknown << quint16(0) << QByteArray();
    QTest::newRow("vc1 already in the bootloader")
        << "vc1" << quint16(1025) << QByteArray() << TCommandResult::Success << quint16(0) << QByteArray();
}

void TestDeviceEngine::commands()
{
    QFETCH(QString, id);
    QFETCH(quint16, cmdId);
    QFETCH(QByteArray, data);
    QFETCH(TCommandResult, result);
    QFETCH(quint16, elementId);
    QFETCH(QByteArray, value);
    DeviceEngine engine(sim_test::device(id));
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, engine.definition()));
    const TAppType appType = engine.appType();
    TCommandConfirm confirm;
    QCOMPARE(master.command(cmdId, data, confirm), ReturnCode::Ok);
    QCOMPARE(confirm.cmdId, cmdId);
    QCOMPARE(confirm.cmdRes, result);
    if (elementId != 0)
        QCOMPARE(engine.value(elementId), value);
    QCOMPARE(engine.appType(), appType);
}

void TestDeviceEngine::debugOutput_data()
{
    QTest::addColumn<QString>("id");
    for (const QString &id : sim_test::deviceIds())
        QTest::newRow(qPrintable(id)) << id;
}

void TestDeviceEngine::debugOutput()
{
    QFETCH(QString, id);
    DeviceEngine engine(sim_test::device(id));
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, engine.definition()));
    QByteArray text;
    TDebugResponse response;
    for (int i = 0; i < 100; ++i) {
        QCOMPARE(master.debug(response), ReturnCode::Ok);
        QVERIFY(response.debugData.size() + 17 <= engine.answerPacketSize());
        text += response.debugData;
        if (response.debugData.isEmpty() && !text.isEmpty())
            break;
    }
    QVERIFY2(text.size() >= 200, text.constData());
    for (const QString &line : engine.runningFirmware().debug.boot)
        QVERIFY2(text.contains(line.toUtf8() + '\n'), qPrintable(line));
    QCOMPARE(text.count("DIALOG_START"), 1);
    QCOMPARE(text.count("DIALOG_END"), 1);
    QVERIFY(text.indexOf("DIALOG_START") < text.indexOf("DIALOG_END"));

    // The periodic lines come up in their turn and keep the master's console alive.
    const DebugScript &script = engine.runningFirmware().debug;
    if (script.periodic.isEmpty())
        return;
    QByteArray later;
    for (int i = 0; i < script.everyRequests * 2; ++i) {
        QCOMPARE(master.debug(response), ReturnCode::Ok);
        later += response.debugData;
    }
    // (The first one may already have come with the boot lines.)
    QVERIFY2((text + later).contains(script.periodic.at(0).toUtf8().replace("{n}", "1")), later.constData());
}

void TestDeviceEngine::unauthenticatedRequestsAreRefused_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QByteArray>("answer");
    const DeviceEngine engine(sim_test::device(QStringLiteral("fm200")));
    const QByteArray refusedFile = QByteArray::fromHex("0506");
    for (const sim_test::RequestCase &sent : sim_test::requestCases(engine)) {
        QByteArray answer = refusedFile;
        switch (TPayloadType(quint8(sent.payload.at(0)))) {
        case TPayloadType::AuthenticationRequest: continue;
        case TPayloadType::CommandRequest: answer = QByteArray::fromHex("07050401"); break; // 1029, Error
        case TPayloadType::DebugRequest: answer = QByteArray::fromHex("090000"); break;
        default: break;
        }
        QTest::newRow(sent.name) << sent.payload << answer;
    }
}

void TestDeviceEngine::unauthenticatedRequestsAreRefused()
{
    QFETCH(QByteArray, payload);
    QFETCH(QByteArray, answer);
    DeviceEngine engine(sim_test::device(QStringLiteral("fm200")));
    const QByteArray settings = engine.fileImage(2);
    const QList<TPacket> answers = sim_test::packetsOf(engine.handleBytes(sim_test::request(engine, payload)));
    QCOMPARE(answers.size(), 1);
    QCOMPARE(answers.first().payloadData, answer);
    QCOMPARE(engine.fileImage(2), settings);
    QCOMPARE(engine.fileImage(17).isEmpty(), false);
}

void TestDeviceEngine::ignoredPackets_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("malformed");
    QTest::addColumn<int>("ignored");
    QTest::addColumn<int>("requests");
    const DeviceEngine engine(sim_test::device(QStringLiteral("fm200")));
    const quint32 serial = engine.definition().serial;
    const QByteArray debug(1, char(TPayloadType::DebugRequest));
    QByteArray badCrc = sim_test::request(engine, debug);
    badCrc[badCrc.size() - 1] = char(badCrc.at(badCrc.size() - 1) ^ 0x55);
    QTest::newRow("other serial") << TPacket::makeRequest(debug, 1, serial + 1, kMasterUid).toByteArray() << 0 << 1
                                  << 0;
    QTest::newRow("response") << TPacket::makeResponse(debug, 1, serial, kMasterUid).toByteArray() << 0 << 1 << 0;
    QTest::newRow("bad CRC") << badCrc << 1 << 0 << 0;
    QTest::newRow("13 bytes") << sim_test::request(engine, debug).left(13) << 1 << 0 << 0;
    QTest::newRow("empty payload") << sim_test::request(engine, QByteArray()) << 0 << 0 << 1;
    QTest::newRow("unassigned type") << sim_test::request(engine, QByteArray(1, char(15))) << 0 << 0 << 1;
    QTest::newRow("answer type as request")
        << sim_test::request(engine, QByteArray::fromHex("0201010000")) << 0 << 0 << 1;
}

void TestDeviceEngine::ignoredPackets()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, malformed);
    QFETCH(int, ignored);
    QFETCH(int, requests);
    DeviceEngine engine(sim_test::device(QStringLiteral("fm200")));
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, engine.definition()));
    engine.resetCounters();
    QVERIFY(engine.handleBytes(bytes).isEmpty());
    QCOMPARE(engine.counters().packetsReceived, 1);
    QCOMPARE(engine.counters().bytesReceived, qint64(bytes.size()));
    QCOMPARE(engine.counters().malformedPackets, malformed);
    QCOMPARE(engine.counters().ignoredPackets, ignored);
    QCOMPARE(engine.counters().requestsReceived(), requests);
    QCOMPARE(engine.counters().packetsSent, 0);
}

void TestDeviceEngine::presenceBroadcast()
{
    DeviceEngine engine(sim_test::device(QStringLiteral("gw4")));
    TPacket first;
    TPacket second;
    QCOMPARE(TPacket::fromByteArray(engine.presenceBroadcast(), first), ReturnCode::Ok);
    QCOMPARE(TPacket::fromByteArray(engine.presenceBroadcast(), second), ReturnCode::Ok);
    QCOMPARE(first.type, TPacketType::Response);
    QCOMPARE(first.payloadType, TPayloadType::SlavePresenceBroadcast);
    QCOMPARE(first.slaveSerial, engine.definition().serial);
    QCOMPARE(first.payloadData.mid(1), engine.advertisement().manufacturerData);
    QCOMPARE(second.uid, first.uid + 1);
}

QTEST_GUILESS_MAIN(TestDeviceEngine)
#include "tst_device_engine.moc"
