// The device engine against every shipped device: each request type, whole file transfers,
// authentication and the refusals of a device that protects its files.
#include "sim_test_support.h"

#include "v_protocol/t_application_info_file.h"
#include "v_protocol/t_chunk_accept.h"
#include "v_protocol/t_file_table.h"
#include "v_protocol/t_file_with_data_elements.h"
#include "v_protocol/t_slave_profile.h"

using namespace simulator;
using namespace v_protocol;

Q_DECLARE_METATYPE(TAuthResult)
Q_DECLARE_METATYPE(simulator::AccessLevel)
Q_DECLARE_METATYPE(TReadMode)
Q_DECLARE_METATYPE(TSystemFileResult)
Q_DECLARE_METATYPE(TCommandResult)

namespace {

QByteArray le32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian<quint32>(value, bytes.data());
    return bytes;
}

// The structured files every firmware has, and the files of its table.
QList<quint8> fileIdsOf(const DeviceEngine &engine)
{
    QList<quint8> ids { 0, 1, 2, 3, 4, 8 };
    for (const FileDefinition &file : engine.runningFirmware().files) {
        if (!ids.contains(file.fileId))
            ids << file.fileId;
    }
    if (engine.isInBootloader())
        ids << quint8(TMandatoryFileTypes::ApplicationFile) << quint8(TMandatoryFileTypes::BootloaderFile);
    return ids;
}

// A data-element file with the value of one element replaced.
QByteArray withValue(const QByteArray &image, quint16 id, const QByteArray &value)
{
    TFileWithDataElements file;
    TFileWithDataElements::fromByteArray(2, image, file);
    for (auto &element : file.elements) {
        if (element.id == id) {
            element.data = value;
            element.dataSize = quint8(value.size());
        }
    }
    return file.toByteArray();
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
    void readEveryFile_data();
    void readEveryFile();
    void structuredFilesDescribeTheDevice_data();
    void structuredFilesDescribeTheDevice();
    void fastReadStreamsWindows();
    void refusedReads_data();
    void refusedReads();
    void settingsRoundTrip();
    void writes_data();
    void writes();
    void chunksOutOfOrderAreRefused();
    void clearFile();
    void commands_data();
    void commands();
    void debugOutput_data();
    void debugOutput();
    void unauthenticatedRequestsAreRefused_data();
    void unauthenticatedRequestsAreRefused();
    void ignoredPackets_data();
    void ignoredPackets();
    void presenceBroadcast();
    void linkTiming();
    void stateValuesDriftOnEveryRead();
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

void TestDeviceEngine::readEveryFile_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<quint8>("fileId");
    QTest::addColumn<TReadMode>("mode");
    for (const QString &id : sim_test::deviceIds()) {
        const DeviceEngine engine(sim_test::device(id));
        for (quint8 fileId : fileIdsOf(engine)) {
            QTest::addRow("%s file %d", qPrintable(id), fileId) << id << fileId << TReadMode::Ordinary;
            // Fast reading of file 0 fails in the master by design (its window check).
            if (fileId != 0)
                QTest::addRow("%s file %d fast", qPrintable(id), fileId) << id << fileId << TReadMode::Fast;
        }
    }
}

void TestDeviceEngine::readEveryFile()
{
    QFETCH(QString, id);
    QFETCH(quint8, fileId);
    QFETCH(TReadMode, mode);
    DeviceEngine engine(sim_test::device(id));
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, engine.definition()));

    const FileDefinition *listed = engine.runningFirmware().file(fileId);
    const bool image = fileId == quint8(TMandatoryFileTypes::ApplicationFile)
        || fileId == quint8(TMandatoryFileTypes::BootloaderFile);
    const bool readable = image ? false : (!listed || DeviceFileSystem::allows(listed->read, AccessLevel::Root));
    QByteArray bytes;
    TSystemFileResult refusal = TSystemFileResult::FileResultSuccess;
    const ReturnCode rc = master.readFile(fileId, mode, bytes, &refusal);
    if (!readable) {
        QCOMPARE(rc, ReturnCode::ErrAccessDenied);
        QCOMPARE(refusal, TSystemFileResult::FileResultOperationNotAllowed);
        return;
    }
    QCOMPARE(rc, ReturnCode::Ok);
    QCOMPARE(bytes, engine.fileImage(fileId));
    if (listed && fileId > 8)
        QCOMPARE(bytes, listed->content);
    // Every answer fitted the negotiated packet size.
    QCOMPARE(engine.counters().oversizedPackets, 0);
}

void TestDeviceEngine::structuredFilesDescribeTheDevice_data()
{
    QTest::addColumn<QString>("id");
    for (const QString &id : sim_test::deviceIds())
        QTest::newRow(qPrintable(id)) << id;
}

void TestDeviceEngine::structuredFilesDescribeTheDevice()
{
    QFETCH(QString, id);
    DeviceEngine engine(sim_test::device(id));
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, engine.definition()));
    const FirmwareDefinition &firmware = engine.runningFirmware();
    QByteArray bytes;

    QCOMPARE(master.readFile(0, TReadMode::Ordinary, bytes), ReturnCode::Ok);
    TApplicationInfoFile info;
    QCOMPARE(TApplicationInfoFile::fromByteArray(bytes, info), ReturnCode::Ok);
    QCOMPARE(info.ModelId, engine.definition().modelId);
    QCOMPARE(info.HardwareVersion, engine.definition().hardwareVersion);
    QCOMPARE(info.FirmwareVersion, firmware.version);
    QCOMPARE(info.Name, firmware.name);

    QCOMPARE(master.readFile(4, TReadMode::Ordinary, bytes), ReturnCode::Ok);
    TSlaveProfile profile;
    QCOMPARE(TSlaveProfile::fromByteArray(bytes, profile), ReturnCode::Ok);
    QCOMPARE(profile.elements.size(), firmware.profile.size());
    QCOMPARE(profile, firmware.slaveProfile());

    QCOMPARE(master.readFile(8, TReadMode::Ordinary, bytes), ReturnCode::Ok);
    TFileTable table;
    QCOMPARE(TFileTable::fromByteArray(bytes, table), ReturnCode::Ok);
    QList<quint8> listedIds;
    for (const FileDefinition &file : firmware.files)
        listedIds << file.fileId;
    QCOMPARE(table.elements.size(), listedIds.size());
    for (int i = 0; i < table.elements.size(); ++i)
        QCOMPARE(table.elements.at(i), firmware.files.at(i).tableElement());

    // Settings and personalization hold the initial values in profile order.
    for (quint8 fileId : { quint8(1), quint8(2) }) {
        QCOMPARE(master.readFile(fileId, TReadMode::Ordinary, bytes), ReturnCode::Ok);
        TFileWithDataElements values;
        QCOMPARE(TFileWithDataElements::fromByteArray(fileId, bytes, values), ReturnCode::Ok);
        TSlaveProfile::Types type;
        QVERIFY(DeviceFileSystem::elementTypeOfFile(fileId, type));
        int index = 0;
        for (const ProfileEntry &entry : firmware.profile) {
            if (entry.element.type != type || entry.element.dataType == TSlaveProfile::DataTypes::TNoData)
                continue;
            QVERIFY(index < values.elements.size());
            QCOMPARE(values.elements.at(index).id, entry.element.id);
            QCOMPARE(values.elements.at(index).data, entry.value);
            QCOMPARE(int(values.elements.at(index).dataSize), int(entry.element.dataSize));
            ++index;
        }
        QCOMPARE(index, values.elements.size());
    }
}

void TestDeviceEngine::fastReadStreamsWindows()
{
    DeviceEngine engine(sim_test::device(QStringLiteral("fm200")));
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, engine.definition()));
    engine.resetCounters();
    QByteArray bytes;
    QCOMPARE(master.readFile(20, TReadMode::Fast, bytes), ReturnCode::Ok);
    QCOMPARE(bytes.size(), 65536);
    // The opening request, then windows of 10000 bytes: six full ones and 5535 bytes.
    QCOMPARE(engine.counters().received(TPayloadType::FileChunkRequest), 8);
    QCOMPARE(engine.counters().packetsSent, 1 + 6 * 46 + 26);

    engine.resetCounters();
    QCOMPARE(master.readFile(20, TReadMode::Ordinary, bytes), ReturnCode::Ok);
    QCOMPARE(engine.counters().received(TPayloadType::FileChunkRequest), 1 + 301);
    QCOMPARE(engine.counters().packetsSent, 1 + 301);
}

void TestDeviceEngine::refusedReads_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("root");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<TSystemFileResult>("status");
    auto chunkRequest = [](quint8 fileId, quint32 addr, quint16 size) {
        TChunkRequest request;
        request.fileId = fileId;
        request.addr = addr;
        request.dataSize = size;
        return request.toPayload();
    };
    QTest::newRow("root-only file as user")
        << "fm200" << false << chunkRequest(21, 0, 1) << TSystemFileResult::FileResultOperationNotAllowed;
    QTest::newRow("hidden file") << "gw4" << true << chunkRequest(33, 0, 1)
                                 << TSystemFileResult::FileResultOperationNotAllowed;
    QTest::newRow("unknown file") << "fm200" << true << chunkRequest(99, 0, 1)
                                  << TSystemFileResult::UnknownFileIdentifier;
    QTest::newRow("firmware image") << "vc1" << true << chunkRequest(6, 0, 1)
                                    << TSystemFileResult::FileResultOperationNotAllowed;
    QTest::newRow("beyond the end") << "fm200" << true << chunkRequest(17, 100000, 10)
                                    << TSystemFileResult::FileResultOperationNotAllowed;
    QTest::newRow("malformed request") << "fm200" << true << chunkRequest(17, 0, 1).left(7)
                                       << TSystemFileResult::FileResultUnknownError;
}

void TestDeviceEngine::refusedReads()
{
    QFETCH(QString, id);
    QFETCH(bool, root);
    QFETCH(QByteArray, request);
    QFETCH(TSystemFileResult, status);
    DeviceEngine engine(sim_test::device(id));
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, engine.definition(), root));
    const QList<TPacket> answers = master.exchange(master.request(request));
    QCOMPARE(answers.size(), 1);
    TChunkAccept accept;
    QCOMPARE(answers.first().toChunkAccept(accept), ReturnCode::Ok);
    QCOMPARE(accept.status, status);
}

void TestDeviceEngine::settingsRoundTrip()
{
    const DeviceDefinition definition = sim_test::device(QStringLiteral("fm200"));
    DeviceEngine engine(definition);
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, definition, false));
    QByteArray settings;
    QCOMPARE(master.readFile(2, TReadMode::Ordinary, settings), ReturnCode::Ok);
    TSystemFileResult status;
    const QByteArray written = withValue(settings, 100, QByteArray::fromHex("fa00"));
    QCOMPARE(master.writeFile(2, written, 0, status), ReturnCode::Ok);
    QCOMPARE(status, TSystemFileResult::FileResultSuccess);

    QByteArray readBack;
    QCOMPARE(master.readFile(2, TReadMode::Ordinary, readBack), ReturnCode::Ok);
    QCOMPARE(readBack, written);
    QCOMPARE(engine.value(100), QByteArray::fromHex("fa00"));
    // The definition is untouched: a second device from it starts with the old value.
    QCOMPARE(DeviceEngine(definition).value(100), QByteArray::fromHex("6400"));
}

void TestDeviceEngine::writes_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("root");
    QTest::addColumn<quint8>("fileId");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<TSystemFileResult>("status");
    QTest::addColumn<quint16>("elementId");
    QTest::addColumn<QByteArray>("valueAfter");

    const DeviceEngine fm200(sim_test::device(QStringLiteral("fm200")));
    const QByteArray settings = fm200.fileImage(2);
    const QByteArray lowBattery = withValue(settings, 103, QByteArray::fromHex("b80b")); // 3000 mV, root only
    QByteArray badCrc = settings;
    badCrc[badCrc.size() - 1] = char(badCrc.at(badCrc.size() - 1) ^ 0x01);
    TFileWithDataElements foreign;
    foreign.fileId = 2;
    foreign.elements = { { 2, 200, QByteArray::fromHex("0000") } }; // a state value in the settings file
    const QByteArray wrongSize = withValue(settings, 100, QByteArray::fromHex("640000"));
    const QByteArray unchanged = fm200.value(103);

    QTest::newRow("root-editable value by user")
        << "fm200" << false << quint8(2) << lowBattery << TSystemFileResult::FileResultOperationNotAllowed
        << quint16(103) << unchanged;
    QTest::newRow("root-editable value by root")
        << "fm200" << true << quint8(2) << lowBattery << TSystemFileResult::FileResultSuccess << quint16(103)
        << QByteArray::fromHex("b80b");
    QTest::newRow("bad CRC") << "fm200" << true << quint8(2) << badCrc << TSystemFileResult::FileResultCrcError
                             << quint16(103) << unchanged;
    QTest::newRow("element of another file")
        << "fm200" << true << quint8(2) << foreign.toByteArray() << TSystemFileResult::FileResultOperationNotAllowed
        << quint16(200) << fm200.value(200);
    QTest::newRow("wrong value size") << "fm200" << true << quint8(2) << wrongSize
                                      << TSystemFileResult::FileResultOperationNotAllowed << quint16(100)
                                      << fm200.value(100);
    QTest::newRow("too big") << "fm200" << true << quint8(2) << QByteArray(5000, 'x')
                             << TSystemFileResult::FileSizeTooBig << quint16(100) << fm200.value(100);
    QTest::newRow("state file") << "fm200" << true << quint8(3) << fm200.fileImage(3)
                                << TSystemFileResult::FileResultOperationNotAllowed << quint16(0) << QByteArray();
    QTest::newRow("generated file") << "fm200" << true << quint8(4) << QByteArray("x")
                                    << TSystemFileResult::FileResultOperationNotAllowed << quint16(0) << QByteArray();
    QTest::newRow("firmware outside the bootloader")
        << "fm200" << true << quint8(6) << QByteArray(64, 'f') << TSystemFileResult::FileResultOperationNotAllowed
        << quint16(0) << QByteArray();
    QTest::newRow("unknown file") << "fm200" << true << quint8(77) << QByteArray("x")
                                  << TSystemFileResult::UnknownFileIdentifier << quint16(0) << QByteArray();
    QTest::newRow("raw file by root") << "gw4" << true << quint8(31) << QByteArray("apn=test\n")
                                      << TSystemFileResult::FileResultSuccess << quint16(0) << QByteArray();
    QTest::newRow("raw file by user") << "gw4" << false << quint8(31) << QByteArray("apn=test\n")
                                      << TSystemFileResult::FileResultOperationNotAllowed << quint16(0) << QByteArray();
}

void TestDeviceEngine::writes()
{
    QFETCH(QString, id);
    QFETCH(bool, root);
    QFETCH(quint8, fileId);
    QFETCH(QByteArray, data);
    QFETCH(TSystemFileResult, status);
    QFETCH(quint16, elementId);
    QFETCH(QByteArray, valueAfter);
    DeviceEngine engine(sim_test::device(id));
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, engine.definition(), root));
    const QByteArray before = engine.fileImage(fileId);
    TSystemFileResult answered;
    const ReturnCode rc = master.writeFile(fileId, data, fileId > 8 ? 4 : 0, answered);
    QCOMPARE(answered, status);
    QCOMPARE(rc, status == TSystemFileResult::FileResultSuccess ? ReturnCode::Ok : ReturnCode::ErrAccessDenied);
    if (elementId != 0)
        QCOMPARE(engine.value(elementId), valueAfter);
    else if (fileId > 8)
        QCOMPARE(engine.fileImage(fileId), status == TSystemFileResult::FileResultSuccess ? data : before);
}

void TestDeviceEngine::chunksOutOfOrderAreRefused()
{
    DeviceEngine engine(sim_test::device(QStringLiteral("gw4")));
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, engine.definition()));
    const QByteArray content = engine.fileImage(31);
    TChunkedFile chunks = TFileTransfer::cutIntoChunks(QByteArray(300, 'n'), 31, 0, 300, 100);
    auto send = [&](const TChunk &chunk) {
        TChunkAccept accept;
        const QList<TPacket> answers = master.exchange(master.request(chunk.toPayload()));
        return answers.size() == 1 && answers.first().toChunkAccept(accept) == ReturnCode::Ok
            ? accept.status
            : TSystemFileResult::FileResultUnknownError;
    };
    QCOMPARE(send(chunks.at(1)), TSystemFileResult::FileResultOperationNotAllowed); // no write began
    QCOMPARE(send(chunks.at(0)), TSystemFileResult::FileResultSuccess);
    QCOMPARE(send(chunks.at(2)), TSystemFileResult::FileResultOperationNotAllowed); // a gap
    QCOMPARE(send(chunks.at(1)), TSystemFileResult::FileResultOperationNotAllowed); // the write was abandoned
    QCOMPARE(engine.fileImage(31), content);
}

void TestDeviceEngine::clearFile()
{
    DeviceEngine engine(sim_test::device(QStringLiteral("fm200")));
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, engine.definition(), false));
    const QByteArray log = engine.fileImage(17);
    QVERIFY(!log.isEmpty());
    TFileClearResponse response;
    // The log may be cleared by root only.
    QCOMPARE(master.clearFile(17, response), ReturnCode::ErrParsingWrongPayloadType);
    QCOMPARE(engine.fileImage(17), log);

    QVERIFY(sim_test::logIn(master, engine.definition(), true));
    QCOMPARE(master.clearFile(17, response), ReturnCode::Ok);
    QCOMPARE(response.fileId, quint8(17));
    QByteArray bytes = "not empty";
    QCOMPARE(master.readFile(17, TReadMode::Ordinary, bytes), ReturnCode::Ok);
    QVERIFY(bytes.isEmpty());
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

void TestDeviceEngine::linkTiming()
{
    DeviceEngine engine(sim_test::device(QStringLiteral("fm200")));
    const LinkModel link = engine.linkModel();
    QCOMPARE(link.connectionIntervalUs, qint64(15000));
    QCOMPARE(link.packetsPerEvent, 4);
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, engine.definition()));

    TChunkRequest window;
    window.fileId = 20;
    window.dataSize = 2000;
    const QByteArray request = sim_test::request(engine, window.toPayload());
    for (const ReplyItem &item : engine.handleBytes(request))
        QCOMPARE(item.delayUs, qint64(0));

    engine.setLinkTimingEnabled(true);
    const ReplyItems items = engine.handleBytes(request);
    QCOMPARE(items.size(), 10); // 2000 bytes in chunks of 218
    for (int i = 0; i < items.size(); ++i)
        QCOMPARE(items.at(i).delayUs, qint64(15000) * (1 + i / 4));

    // Stop-and-wait reading takes two intervals per request on the master's clock.
    ProtocolMaster timed(engine);
    QVERIFY(sim_test::logIn(timed, engine.definition()));
    const qint64 start = timed.nowUs();
    QByteArray bytes;
    QCOMPARE(timed.readFile(20, TReadMode::Ordinary, bytes), ReturnCode::Ok);
    QCOMPARE(timed.nowUs() - start, qint64(1 + 301) * 2 * 15000);
}

void TestDeviceEngine::stateValuesDriftOnEveryRead()
{
    DeviceEngine engine(sim_test::device(QStringLiteral("fm200")));
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, engine.definition()));
    QList<qint64> flow;
    for (int read = 0; read < 3; ++read) {
        QByteArray bytes;
        QCOMPARE(master.readFile(3, TReadMode::Ordinary, bytes), ReturnCode::Ok);
        TFileWithDataElements state;
        QCOMPARE(TFileWithDataElements::fromByteArray(3, bytes, state), ReturnCode::Ok);
        for (const auto &element : std::as_const(state.elements)) {
            if (element.id == 200)
                flow << qFromLittleEndian<quint32>(element.data.constData());
        }
    }
    QCOMPARE(flow, (QList<qint64> { 1257, 1264, 1271 }));
}

QTEST_GUILESS_MAIN(TestDeviceEngine)
#include "tst_device_engine.moc"
